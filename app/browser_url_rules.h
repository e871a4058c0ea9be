// The Lumbrel tab's URL rule file as Edge's and Chrome's lists, or why there are none.
#pragma once

#include <optional>
#include <string>

#include "common/lumbrel_values.h"
#include "platform/file_system.h"
#include "policies/browser_policies.h"

namespace corvane {

struct BrowserUrlRules {
    std::optional<BrowserUrlFilters> filters;
    // Why the browsers get no list although the switch asks for one; empty otherwise.
    std::string problem;
};

// Nothing when the switch is off; otherwise the translated file, or the problem: the URL filter
// is off or has no file, the file is not there, or lines the browsers' lists cannot express
// (each named with its reason). A file that is there but cannot be read whole gives lists that
// refuse every address, and says so.
BrowserUrlRules BrowserUrlRulesFor(platform::FileSystem& files, const PolicySettings& policies,
                                   const LumbrelSettings& lumbrel);

}  // namespace corvane
