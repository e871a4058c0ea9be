#include "browser/filter/lazy_dfa.h"

#include <algorithm>

#include "browser/filter/pattern.h"

namespace lumbrel::filter {

namespace {

// After this many resets, a cache that holds fewer than kMinBytesPerState bytes of text per
// state it built is not worth rebuilding: the sets are stepped directly.
constexpr int kResetsBeforeGivingUp = 3;
constexpr size_t kMinBytesPerState = 10;

}  // namespace

LazyDfa::LazyDfa(const Program& program, size_t cacheBytes)
    : code_(program.subs[0]),
      accepts_(program.accepts),
      anchoredStart_(program.anchoredStart),
      anchoredEnd_(program.anchoredEnd),
      cacheBytes_(cacheBytes),
      stamp_(code_.size(), 0) {
    // Bytes that every instruction treats alike share a class: the partition is refined by
    // the set each consuming instruction accepts.
    std::vector<std::bitset<256>> sets;
    std::bitset<256> chars;
    for (const Inst& inst : code_) {
        if (inst.op == Op::Char) {
            chars.set(inst.ch);
        } else if (inst.op == Op::Class) {
            sets.push_back(accepts_[static_cast<size_t>(inst.x)]);
        }
    }
    for (int ch = 0; ch < 256; ++ch) {
        if (chars[static_cast<size_t>(ch)]) {
            std::bitset<256> folded;
            for (int b = 0; b < 256; ++b) {
                folded[static_cast<size_t>(b)] = FoldCase(static_cast<uint8_t>(b)) == ch;
            }
            sets.push_back(folded);
        }
    }
    std::array<uint32_t, 256> partition{};
    uint32_t count = 1;
    std::array<int32_t, 512> renumber;  // (old class, in the set) to new class
    for (const auto& set : sets) {
        renumber.fill(-1);
        uint32_t next = 0;
        for (size_t b = 0; b < 256; ++b) {
            int32_t& to = renumber[2 * partition[b] + (set[b] ? 1 : 0)];
            if (to < 0) {
                to = static_cast<int32_t>(next++);
            }
            partition[b] = static_cast<uint32_t>(to);
        }
        count = next;
    }
    classCount_ = count;
    representative_.assign(count, 0);
    std::vector<bool> seen(count, false);
    for (int b = 0; b < 256; ++b) {
        const uint32_t c = partition[static_cast<size_t>(b)];
        classOf_[static_cast<size_t>(b)] = static_cast<uint8_t>(c);
        if (!seen[c]) {
            seen[c] = true;
            representative_[c] = static_cast<uint8_t>(b);
        }
    }
    ++generation_;
    AddClosure(0, start_);
    std::sort(start_.pcs.begin(), start_.pcs.end());
    startSteps_.resize(classCount_);
    startStepKnown_.assign(classCount_, false);
}

void LazyDfa::AddClosure(uint32_t pc, StateSet& out) {
    work_.push_back(pc);
    while (!work_.empty()) {
        const uint32_t p = work_.back();
        work_.pop_back();
        if (stamp_[p] == generation_) {
            continue;
        }
        stamp_[p] = generation_;
        const Inst& inst = code_[p];
        switch (inst.op) {
            case Op::Split:
                work_.push_back(static_cast<uint32_t>(inst.y));
                work_.push_back(static_cast<uint32_t>(inst.x));
                break;
            case Op::Jmp:
                work_.push_back(static_cast<uint32_t>(inst.x));
                break;
            case Op::Save:
            case Op::Backref:  // never in a program searched this way
            case Op::NotAhead:
                work_.push_back(p + 1);
                break;
            case Op::Match:
                out.match = true;
                break;
            case Op::Char:
            case Op::Any:
            case Op::Class:
                out.pcs.push_back(p);
                break;
        }
    }
}

const LazyDfa::StateSet& LazyDfa::StartStep(uint32_t byteClass) {
    StateSet& set = startSteps_[byteClass];
    if (!startStepKnown_[byteClass]) {
        startStepKnown_[byteClass] = true;
        Step(start_.pcs.data(), start_.pcs.size(), byteClass, set);
    }
    return set;
}

void LazyDfa::Step(const uint32_t* pcs, size_t count, uint32_t byteClass, StateSet& out) {
    // Unanchored, the start takes part in every step; what it adds is worked out once.
    const bool withStart = !anchoredStart_ && &out != &startSteps_[byteClass];
    const StateSet* fromStart = withStart ? &StartStep(byteClass) : nullptr;
    out.pcs.clear();
    out.match = false;
    if (++generation_ == 0) {
        std::fill(stamp_.begin(), stamp_.end(), 0);
        generation_ = 1;
    }
    if (withStart) {
        for (const uint32_t p : start_.pcs) {
            stamp_[p] = generation_;  // part of every state already: not stored
        }
    }
    const uint8_t byte = representative_[byteClass];
    for (size_t k = 0; k < count; ++k) {
        const Inst& inst = code_[pcs[k]];
        bool accepted = false;
        switch (inst.op) {
            case Op::Char:
                accepted = FoldCase(byte) == inst.ch;
                break;
            case Op::Any:
                accepted = true;
                break;
            case Op::Class:
                accepted = accepts_[static_cast<size_t>(inst.x)][byte];
                break;
            default:
                break;
        }
        if (accepted) {
            AddClosure(pcs[k] + 1, out);
        }
    }
    if (fromStart != nullptr) {
        for (const uint32_t p : fromStart->pcs) {
            if (stamp_[p] != generation_) {
                stamp_[p] = generation_;
                out.pcs.push_back(p);
            }
        }
        out.match = out.match || fromStart->match;
    }
    std::sort(out.pcs.begin(), out.pcs.end());
}

size_t LazyDfa::CacheBytes() const {
    return states_.capacity() * sizeof(State) + pool_.capacity() * sizeof(uint32_t) +
           next_.capacity() * sizeof(int32_t) + table_.capacity() * sizeof(int32_t);
}

namespace {

uint64_t HashSet(const uint32_t* pcs, size_t count, bool match) {
    uint64_t h = 1469598103934665603ull ^ (match ? 1 : 0);
    for (size_t k = 0; k < count; ++k) {
        h = (h ^ pcs[k]) * 1099511628211ull;
    }
    return h ^ (h >> 29);
}

}  // namespace

int32_t LazyDfa::Intern(const StateSet& set) {
    if (table_.size() < 2 * (states_.size() + 1)) {
        // Grow and rehash: twice the states, at least 64 slots, a power of two.
        size_t size = 64;
        while (size < 4 * (states_.size() + 1)) {
            size *= 2;
        }
        table_.assign(size, -1);
        for (size_t s = 0; s < states_.size(); ++s) {
            const State& state = states_[s];
            size_t slot = HashSet(pool_.data() + state.begin, state.size, state.match) & (size - 1);
            while (table_[slot] >= 0) {
                slot = (slot + 1) & (size - 1);
            }
            table_[slot] = static_cast<int32_t>(s);
        }
    }
    const size_t mask = table_.size() - 1;
    size_t slot = HashSet(set.pcs.data(), set.pcs.size(), set.match) & mask;
    for (; table_[slot] >= 0; slot = (slot + 1) & mask) {
        const State& state = states_[static_cast<size_t>(table_[slot])];
        if (state.match == set.match && state.size == set.pcs.size() &&
            std::equal(set.pcs.begin(), set.pcs.end(), pool_.begin() + state.begin)) {
            return table_[slot];
        }
    }
    const auto id = static_cast<int32_t>(states_.size());
    states_.push_back(
        {static_cast<uint32_t>(pool_.size()), static_cast<uint32_t>(set.pcs.size()), set.match});
    pool_.insert(pool_.end(), set.pcs.begin(), set.pcs.end());
    next_.resize(next_.size() + classCount_, -1);
    table_[slot] = id;
    return id;
}

int32_t LazyDfa::Next(int32_t state, uint32_t byteClass) {
    const State& from = states_[static_cast<size_t>(state)];
    Step(pool_.data() + from.begin, from.size, byteClass, scratch_);
    const int32_t to = Intern(scratch_);
    next_[static_cast<size_t>(state) * classCount_ + byteClass] = to;
    return to;
}

void LazyDfa::ResetCache() {
    states_ = {};
    pool_ = {};
    next_ = {};
    table_ = {};
    startState_ = -1;
    ++resets_;
}

bool LazyDfa::Search(std::string_view text) {
    if (withoutCache_) {
        return SearchWithoutCache(text, 0, anchoredStart_ ? start_ : StateSet{});
    }
    if (start_.match && (!anchoredStart_ || !anchoredEnd_ || text.empty())) {
        // The empty text matches at the start (or, unanchored, at the end) of every text.
        return true;
    }
    if (startState_ < 0) {
        startState_ = Intern(anchoredStart_ ? start_ : StateSet{});
    }
    int32_t state = startState_;
    size_t lastReset = 0;
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    for (size_t i = 0; i < text.size(); ++i) {
        const uint32_t byteClass = classOf_[bytes[i]];
        int32_t to = next_[static_cast<size_t>(state) * classCount_ + byteClass];
        if (to < 0) {
            if (CacheBytes() > cacheBytes_) {
                const State& current = states_[static_cast<size_t>(state)];
                StateSet kept;
                kept.pcs.assign(pool_.begin() + current.begin,
                                pool_.begin() + current.begin + current.size);
                kept.match = current.match;
                const size_t built = states_.size();
                ResetCache();
                if ((resets_ >= kResetsBeforeGivingUp &&
                     i - lastReset < kMinBytesPerState * built) ||
                    built < 2) {
                    withoutCache_ = true;
                    return SearchWithoutCache(text, i, std::move(kept));
                }
                lastReset = i;
                state = Intern(kept);
                startState_ = Intern(anchoredStart_ ? start_ : StateSet{});
            }
            to = Next(state, byteClass);
        }
        state = to;
        const State& now = states_[static_cast<size_t>(state)];
        if (now.match && !anchoredEnd_) {
            return true;
        }
        if (anchoredStart_ && now.size == 0 && !now.match) {
            return false;  // nothing left that could match
        }
    }
    return states_[static_cast<size_t>(state)].match;
}

bool LazyDfa::SearchWithoutCache(std::string_view text, size_t from, StateSet current) {
    if (start_.match && (!anchoredStart_ || !anchoredEnd_ || text.empty())) {
        return true;
    }
    StateSet next;
    for (size_t i = from; i < text.size(); ++i) {
        Step(current.pcs.data(), current.pcs.size(), classOf_[static_cast<uint8_t>(text[i])], next);
        std::swap(current, next);
        if (current.match && !anchoredEnd_) {
            return true;
        }
        if (anchoredStart_ && current.pcs.empty() && !current.match) {
            return false;
        }
    }
    return current.match;
}

}  // namespace lumbrel::filter
