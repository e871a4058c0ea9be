#include "app/browser_url_rules.h"

#include "browser/filter/browser_lists.h"
#include "browser/filter/rule_file.h"
#include "platform/constants.h"

namespace corvane {

namespace {

constexpr const char* kNoList = "Edge and Chrome got no URL list: ";
// A file with many such lines is named by its first ones; the rule tester lists them all.
constexpr size_t kLinesNamed = 8;

}  // namespace

BrowserUrlRules BrowserUrlRulesFor(platform::FileSystem& files, const PolicySettings& policies,
                                   const LumbrelSettings& lumbrel) {
    BrowserUrlRules rules;
    if (policies.browsersUrlRules == 0) {
        return rules;
    }
    if (lumbrel.filterURLs == 0 || lumbrel.filterURLFile.empty()) {
        rules.problem = std::string(kNoList) +
                        "the Lumbrel tab's URL filter is off or has no "
                        "rule file";
        return rules;
    }
    const std::string& path = lumbrel.filterURLFile;
    const lumbrel::filter::RuleFile file = lumbrel::filter::ReadRuleFile(files, path);
    const long error = file.openError != 0 ? file.openError : file.readError;
    if (error == platform::error::kFileNotFound || error == platform::error::kPathNotFound) {
        // As the browser helper: a file that is not there turns the filter off.
        rules.problem =
            std::string(kNoList) + path + " cannot be opened: " + files.DescribeError(error);
        return rules;
    }
    if (error != 0) {
        // A file that is there but cannot be read whole: what it allows is unknown, so the
        // browsers refuse every address, as the browser helper does.
        rules.filters = BrowserUrlFilters{{"*"}, {}};
        rules.problem =
            "Edge and Chrome refuse every address: " + path +
            (file.openError != 0 ? " cannot be opened: " : " cannot be read to its end: ") +
            files.DescribeError(error);
        return rules;
    }
    const lumbrel::filter::BrowserTranslation translation =
        lumbrel::filter::TranslateForBrowsers(file.lines, BrowserBlocklistRoom(policies));
    if (translation.lists) {
        rules.filters =
            BrowserUrlFilters{translation.lists->blocklist, translation.lists->allowlist};
        return rules;
    }
    const size_t count = translation.refused.size();
    rules.problem = std::string(kNoList) + std::to_string(count) +
                    (count == 1 ? " line of " : " lines of ") + path +
                    " cannot be expressed in their lists.";
    for (size_t i = 0; i < count && i < kLinesNamed; ++i) {
        const auto& refused = translation.refused[i];
        rules.problem += "\nLine " + std::to_string(refused.line + 1) + " \"" +
                         std::string(file.lines[refused.line]) + "\": " + refused.reason + ".";
    }
    if (count > kLinesNamed) {
        rules.problem += "\n... and " + std::to_string(count - kLinesNamed) + " more.";
    }
    return rules;
}

}  // namespace corvane
