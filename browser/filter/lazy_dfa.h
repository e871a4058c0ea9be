// The search of a pattern without back-references and without `!`, as an automaton over the
// text that is built as the text needs it.
//
// A state is the set of instructions the pattern can be at after the text read so far; its
// successors are worked out once per class of bytes and remembered. Memory is bounded by the
// cache, whatever the length of the text: a full cache is emptied and filled again, and when
// that happens too often for the states to pay off, the search goes on by stepping the sets
// themselves without remembering them. Either way the time is linear in the text.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "browser/filter/program.h"

namespace lumbrel::filter {

class LazyDfa {
  public:
    // The program's first sub-program must hold no Backref and no NotAhead.
    explicit LazyDfa(const Program& program, size_t cacheBytes = kDefaultCacheBytes);

    // Whether the pattern matches anywhere in the text (at its start or end when anchored).
    bool Search(std::string_view text);

    // What the cache holds now, and how often it was emptied: for tests.
    size_t CacheBytes() const;
    int CacheResets() const { return resets_; }

    static constexpr size_t kDefaultCacheBytes = size_t(2) << 20;

  private:
    struct StateSet {
        std::vector<uint32_t> pcs;  // sorted: consuming instructions only
        bool match = false;
    };
    struct State {
        uint32_t begin;  // into pool_
        uint32_t size;
        bool match;
    };

    void AddClosure(uint32_t pc, StateSet& out);
    // The set after one byte of the given class, from `pcs` (plus the start, when unanchored).
    void Step(const uint32_t* pcs, size_t count, uint32_t byteClass, StateSet& out);
    const StateSet& StartStep(uint32_t byteClass);
    int32_t Intern(const StateSet& set);
    int32_t Next(int32_t state, uint32_t byteClass);
    void ResetCache();
    bool SearchWithoutCache(std::string_view text, size_t from, StateSet current);

    const Code& code_;
    const std::vector<std::bitset<256>>& accepts_;
    bool anchoredStart_;
    bool anchoredEnd_;
    size_t cacheBytes_;

    std::array<uint8_t, 256> classOf_{};
    std::vector<uint8_t> representative_;  // a byte of each class
    uint32_t classCount_ = 0;

    // Unanchored, the start's set is part of every state and kept out of the stored sets.
    StateSet start_;
    std::vector<StateSet> startSteps_;  // per class, worked out on first use
    std::vector<bool> startStepKnown_;
    std::vector<uint8_t> inStart_;

    std::vector<State> states_;
    std::vector<uint32_t> pool_;
    std::vector<int32_t> next_;   // state * classCount_ + class; -1 not yet known
    std::vector<int32_t> table_;  // open addressing over states_, by hash of the set
    int32_t startState_ = -1;

    // Scratch of the closure: a stamp per instruction tells what the current set holds.
    std::vector<uint32_t> stamp_;
    uint32_t generation_ = 0;
    std::vector<uint32_t> work_;
    StateSet scratch_;

    int resets_ = 0;
    bool withoutCache_ = false;
};

}  // namespace lumbrel::filter
