// Findings about a rule file that an administrator wants to know before the kiosk does.
#pragma once

#include <string>
#include <vector>

namespace lumbrel::filter {

struct LintFinding {
    size_t line;       // index of the line the finding is about
    std::string text;  // what is wrong with it
};

// Lines that do not compile, duplicate lines, and lines that can never decide because an
// earlier line always wins first.
std::vector<LintFinding> LintRules(const std::vector<std::string>& lines);

}  // namespace lumbrel::filter
