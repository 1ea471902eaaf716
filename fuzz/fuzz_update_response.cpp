// An answer of the update server as the check reads it: any content type and
// body give a verdict without a crash, a parsed version is always a valid one,
// and a parse never succeeds where the response check refuses the same body.
#include "MenuBarCore/Support/AppVersion.h"
#include "MenuBarCore/Support/UpdateCheck.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

using pellacor::core::AppVersion;
using pellacor::core::UpdateCheck;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first line is the content type, the rest the body.
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t newline = input.find('\n');
    const std::optional<std::string> type = newline == std::string_view::npos
                                                ? std::nullopt
                                                : std::optional<std::string>(input.substr(0, newline));
    const std::string_view body = newline == std::string_view::npos ? input : input.substr(newline + 1);

    const bool looks = UpdateCheck::looksLikeUpdateResponse(type, body);
    const auto version = UpdateCheck::parse(body);
    if (version && AppVersion::sanitized(*version) != version) {
        std::abort();
    }
    // A body that parses to a version is an object with "version": only the
    // content type or the size can still refuse it.
    if (version && body.size() <= UpdateCheck::maxBodyBytes &&
        !UpdateCheck::looksLikeUpdateResponse(std::string("application/json"), body)) {
        std::abort();
    }
    if (looks && (type->empty() || body.empty())) {
        std::abort();
    }
    const auto status = UpdateCheck::decide(version ? UpdateCheck::FetchOutcome::version(*version)
                                                    : UpdateCheck::FetchOutcome::noAnswer(),
                                            std::string(body.substr(0, 24)));
    (void)UpdateCheck::message(status);
    return 0;
}
