#pragma once

#include "Platform/WorkspaceOpener.h"

#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace pellacor::testing {

// The workspace's openings as a test scripts them: every URL and application
// asked for is recorded; an application opening answers `answer` at once, from
// a thread of its own, or not until the test calls `release`.
class FakeWorkspaceOpener final : public platform::WorkspaceOpener {
public:
    enum class Reply { inline_, otherThread, held };
    struct Opening {
        std::string bundlePath;
        OpenConfiguration configuration;
        bool operator==(const Opening&) const = default;
    };

    Reply reply = Reply::inline_;
    std::optional<std::int64_t> answer;
    bool handlesURLs = true;
    std::vector<std::string> urls;
    std::vector<Opening> openings;

    bool openURL(const std::string& url) override {
        urls.push_back(url);
        return handlesURLs;
    }

    void openApplication(const std::string& bundlePath, const OpenConfiguration& configuration,
                         Completion completion) override {
        openings.push_back({bundlePath, configuration});
        switch (reply) {
        case Reply::inline_:
            completion(answer);
            return;
        case Reply::otherThread:
            std::thread([completion = std::move(completion), error = answer] { completion(error); }).join();
            return;
        case Reply::held:
            held_.push_back(std::move(completion));
            return;
        }
    }

    // Answers every held opening with `error`.
    void release(std::optional<std::int64_t> error) {
        auto held = std::exchange(held_, {});
        for (auto& completion : held) {
            completion(error);
        }
    }

private:
    std::vector<Completion> held_;
};

} // namespace pellacor::testing
