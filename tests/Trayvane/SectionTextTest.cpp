#include "Trayvane/Common/SectionText.h"

#include "MenuBarCore/Support/Localized.h"

#include <gtest/gtest.h>
#include <set>
#include <string>

namespace PELLACOR_TEST_FILE {

using pellacor::app::SectionText;
using pellacor::core::allSections;
using pellacor::core::installTranslations;
using pellacor::core::Section;

TEST(SectionTextTest, EachSectionHasItsOwnTitleAndCaptionThroughTheTextLookup) {
    const struct {
        Section section;
        const char* title;
        const char* caption;
    } cases[] = {
        {Section::shown, "表示", "いつもメニューバーに見えています。"},
        {Section::hidden, "隠す", "ふだんは見えません。操作口をクリックすると出ます。"},
        {Section::alwaysHidden, "いつも隠す", "⇧ を押しながら操作口をクリックしたときだけ出ます。"},
    };
    std::set<std::string> seen;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        EXPECT_EQ(SectionText::title(c.section), c.title);
        EXPECT_EQ(SectionText::caption(c.section), c.caption);
        // With a translation installed, the same keys give the translated texts.
        installTranslations({{c.title, "title"}, {c.caption, "caption"}});
        EXPECT_EQ(SectionText::title(c.section), "title");
        EXPECT_EQ(SectionText::caption(c.section), "caption");
        installTranslations({});
        seen.insert(SectionText::title(c.section));
        seen.insert(SectionText::caption(c.section));
    }
    EXPECT_EQ(seen.size(), 2 * allSections.size()) << "no two sections share a text";
}

} // namespace PELLACOR_TEST_FILE
