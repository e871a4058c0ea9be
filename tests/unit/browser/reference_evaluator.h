// The plain evaluation the rules describe, for differential tests: every line in order,
// trimmed, compiled and matched by a simple recursive backtracker over the pattern tree.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "browser/filter/pattern.h"

namespace lumbrel::filter::reference {

// Whether the pattern matches in the text; no value when the search took more than `maxSteps`.
std::optional<bool> Matches(const Pattern& pattern, std::string_view text, uint64_t maxSteps);

struct Outcome {
    bool allowed;
    std::optional<size_t> line;  // the line that decided, when one did
    bool gaveUp = false;         // the backtracker ran out of steps: no verdict to compare
};

Outcome Evaluate(const std::vector<std::string>& lines, std::string_view text, uint64_t maxSteps);

}  // namespace lumbrel::filter::reference
