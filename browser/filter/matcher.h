// A compiled pattern and the search for it in a text.
//
// Without back-references the search explores each (instruction, position) pair at most once,
// so its time is linear in the text. With back-references it backtracks, within a step budget.
#pragma once

#include <bitset>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "browser/filter/pattern.h"

namespace lumbrel::filter {

enum class SearchResult { NoMatch, Match, BudgetExceeded };

class Matcher {
  public:
    explicit Matcher(const Pattern& pattern);
    ~Matcher();
    Matcher(Matcher&&) noexcept;
    Matcher& operator=(Matcher&&) noexcept;

    // Whether the pattern matches anywhere in the text (at its start or end when anchored).
    SearchResult Search(std::string_view text) const;

    // Steps a back-referencing search may take: enough for any sensible rule over the text.
    static uint64_t StepBudget(size_t textLength) { return 200000 + 64 * uint64_t(textLength); }

    struct Program;
    struct Scratch;

  private:
    std::unique_ptr<Program> program_;
    std::unique_ptr<Scratch> scratch_;  // reused between searches: one thread at a time
};

}  // namespace lumbrel::filter
