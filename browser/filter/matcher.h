// A compiled pattern and the search for it in a text.
//
// Without back-references and `!` the search is an automaton built as the text needs it: linear
// time, memory bounded whatever the text. With `!` it explores each (instruction, position)
// pair at most once while the tables for that fit a memory budget. With back-references, and
// for `!` over a text too long for those tables, it backtracks within a budget of steps and of
// memory; a search that runs out of either says so, as does one that could not allocate.
#pragma once

#include <bitset>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "browser/filter/pattern.h"
#include "browser/filter/program.h"

namespace lumbrel::filter {

enum class SearchResult { NoMatch, Match, BudgetExceeded, OutOfMemory };

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
    // Memory of one search's tables and stacks, in bytes.
    static constexpr size_t kMemoryBudget = size_t(32) << 20;

    struct Scratch;

  private:
    // A pattern that is one plain literal is searched for by its own linear-time method: the
    // automaton's memory budget would make a long one cost the product of its length and the
    // text's.
    struct Literal {
        std::string folded;
        std::vector<uint32_t> border;  // per prefix: its longest proper border
        bool anchoredStart = false;
        bool anchoredEnd = false;
        bool FoundIn(std::string_view text) const;
    };
    std::unique_ptr<Literal> literal_;
    std::unique_ptr<Program> program_;
    mutable std::unique_ptr<Scratch> scratch_;  // reused between searches: one thread at a time
};

}  // namespace lumbrel::filter
