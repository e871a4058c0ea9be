// A rule file's lines, each compiled once, and the verdict over a text.
//
// The verdict is exactly that of reading the lines in order, compiling each and matching it:
// the first pattern line that matches decides, a line that does not compile refuses when it is
// reached, and otherwise the last "all" line decides (refuse without one). Candidate lines are
// found by one pass over the text for their required literals; only those are confirmed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "browser/filter/literals.h"
#include "browser/filter/matcher.h"

namespace lumbrel::filter {

enum class LineKind {
    Ignored,     // empty or white space only, a comment, or a sign without a body
    AllowAll,    // "+all"
    RefuseAll,   // any other sign followed by "all"
    Pattern,     // a sign and a pattern that compiles
    BadPattern,  // a sign and a pattern that does not compile
};

struct RuleLine {
    LineKind kind = LineKind::Ignored;
    bool allow = false;  // the sign is "+"
    std::string body;    // the pattern text, folded to lower case
    std::optional<CompileError> error;
};

// White space at either end of a line, as the platform's wide-character classification
// counts the byte values: the ASCII blanks and controls and the no-break space 0xA0, which a
// rule copied from a web page often ends with.
bool IsRuleWhiteSpace(char c);
std::string_view TrimRuleLine(std::string_view line);

// A line as the rules read it: trimmed, its sign, its body in lower case; with `parsed`, the
// pattern too.
RuleLine ReadRuleLine(std::string_view line, ParseResult* parsed = nullptr);

enum class Reason {
    PatternMatched,  // `line` matched
    BadPattern,      // `line` does not compile
    BudgetExceeded,  // `line` needed more steps or memory than its budget
    OutOfMemory,     // an allocation failed while deciding (at `line`, when known)
    DefaultAll,      // no pattern matched; `line` is the last "all" line
    NoAllLine,       // no pattern matched and there is no "all" line
};

struct Verdict {
    bool allowed = false;
    Reason reason = Reason::NoAllLine;
    std::optional<size_t> line;  // index into the list
};

// Evaluating keeps scratch space between calls: one list is for one thread at a time, as each
// browser window's helper has its own.
class RuleList {
  public:
    RuleList() = default;
    explicit RuleList(const std::vector<std::string>& lines);

    Verdict Evaluate(std::string_view text) const;

  private:
    Verdict Decide(std::string_view text) const;

    struct Compiled {
        size_t line;
        bool allow = false;              // the sign is "+"
        bool bad = false;                // the pattern does not compile
        std::optional<Matcher> matcher;  // none when finding a literal is the match
    };

    std::vector<Compiled> compiled_;       // pattern and bad-pattern lines, in file order
    std::vector<uint32_t> alwaysChecked_;  // entries without a required literal
    // The entries requiring literal k: requirers_[firstRequirer_[k] .. firstRequirer_[k + 1]).
    std::vector<uint32_t> firstRequirer_;
    std::vector<uint32_t> requirers_;
    std::optional<size_t> lastAll_;
    bool lastAllAllows_ = false;
    LiteralScanner scanner_;
    mutable std::vector<uint64_t> seen_;
    mutable std::vector<uint32_t> found_;
    mutable std::vector<uint32_t> candidates_;
};

}  // namespace lumbrel::filter
