// A rule file's lines, each compiled once, and the verdict over a text.
//
// The verdict is exactly that of reading the lines in order, compiling each and matching it:
// the first pattern line that matches decides, a line that does not compile refuses when it is
// reached, and otherwise the last "all" line decides (refuse without one). Candidate lines are
// found by one pass over the text for their required literals; only those are confirmed.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "browser/filter/literals.h"
#include "browser/filter/matcher.h"
#include "browser/filter/rule_image.h"
#include "browser/filter/rule_lines.h"

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

// A list compiled from its lines, or attached to an image another process compiled. Either
// way the decisions read the image's tables; a line's matcher is compiled from its text the
// first time the line is a candidate. Evaluating keeps scratch space between calls: one list
// is for one thread at a time, as each browser window's helper has its own.
class RuleList {
  public:
    RuleList() : RuleList(RuleLines()) {}
    explicit RuleList(const std::vector<std::string>& lines) : RuleList(RuleLines(lines)) {}
    // `source` is the file the lines were read from, kept in the image.
    explicit RuleList(const RuleLines& lines, const SourceId& source = {});
    RuleList(RuleList&&) noexcept;
    RuleList& operator=(RuleList&&) noexcept;
    ~RuleList();

    // The list an image holds, when all of it is sound; `keep` holds the bytes (a mapping).
    static std::optional<RuleList> Attach(std::string_view image, std::shared_ptr<const void> keep,
                                          ImageProblem& problem);

    Verdict Evaluate(std::string_view text) const;

    // The compiled image: what Attach takes.
    std::string_view Image() const { return image_; }
    const RuleLines& Lines() const { return lines_; }
    const SourceId& Source() const { return contents_.source; }

  private:
    RuleList(std::string_view image, std::shared_ptr<const void> keep, const ImageContents& c);
    Verdict Decide(std::string_view text) const;
    // The matcher of an entry that needs one, compiled on first use; null when the line does
    // not compile after all (an image can only be trusted as far as its line texts).
    const Matcher* MatcherOf(uint32_t entry) const;

    std::shared_ptr<const void> keep_;
    std::string_view image_;
    ImageContents contents_;
    RuleLines lines_;
    LiteralScanner scanner_;
    // The matchers compiled so far, in pages of entries made as they are first needed: a window
    // holds only what its texts made it compile.
    struct MatcherPage {
        static constexpr uint32_t kSize = 256;
        std::unique_ptr<Matcher> matchers[kSize];
        bool tried[kSize] = {};
    };
    mutable std::vector<std::unique_ptr<MatcherPage>> matcherPages_;
    mutable std::vector<uint64_t> seen_;
    mutable std::vector<uint32_t> found_;
    mutable std::vector<uint32_t> candidates_;
};

}  // namespace lumbrel::filter
