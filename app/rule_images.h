// The compiled images of the rule files the browser helper's settings name, written by the
// administrator's side of Corvane so that each browser window maps a list instead of
// compiling it again.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/event_log.h"
#include "common/lumbrel_values.h"
#include "platform/system.h"

namespace corvane {

// Compiles the lists whose filter is switched on into the images folder beside the program
// and deletes the images of texts no longer named. Each list that could not be compiled is
// told to the log and named in the result; the helper then compiles that list itself.
std::vector<std::string> CompileRuleImages(platform::System& system, EventLog& log,
                                           const LumbrelSettings& settings,
                                           std::string_view programPath);

}  // namespace corvane
