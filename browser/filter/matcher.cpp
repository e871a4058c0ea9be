#include "browser/filter/matcher.h"

#include <deque>
#include <new>
#include <optional>
#include <string>

#include "browser/filter/lazy_dfa.h"

namespace lumbrel::filter {

namespace {

constexpr size_t kUnset = static_cast<size_t>(-1);

}  // namespace

struct SearchFrame {
    int pc;
    size_t pos;
    int explored;  // successors pushed so far
};

struct Matcher::Scratch {
    std::vector<std::vector<uint64_t>> failed;
    std::vector<std::vector<uint64_t>> succeeded;
    std::deque<std::vector<SearchFrame>> paths;  // one per depth of nested look-aheads; stable
    std::unique_ptr<LazyDfa> dfa;                // made on the first search
};

namespace {

// a * b, or no value when it does not fit a size_t (32 bits on i686).
std::optional<size_t> CheckedMultiply(size_t a, size_t b) {
    if (a != 0 && b > SIZE_MAX / a) {
        return std::nullopt;
    }
    return a * b;
}

// The bits of the memo tables for this text, when they fit the memory budget.
bool MemoTablesFit(const Program& program, size_t textLength) {
    size_t total = 0;
    for (const Code& code : program.subs) {
        const auto bits = CheckedMultiply(code.size(), textLength + 1);
        const auto both = bits ? CheckedMultiply(*bits, 2) : std::nullopt;
        if (!both || *both > Matcher::kMemoryBudget * 8 - total) {
            return false;
        }
        total += *both;
    }
    return true;
}

// Tables sized for a long page are not kept for the next, usually short, text: a window would
// otherwise hold up to the whole budget for as long as it lives.
void ReleaseLargeTables(Matcher::Scratch& scratch) {
    constexpr size_t kKeptWords = (size_t(1) << 20) / sizeof(uint64_t);
    for (auto* tables : {&scratch.failed, &scratch.succeeded}) {
        for (auto& bits : *tables) {
            if (bits.capacity() > kKeptWords) {
                bits = {};
            }
        }
    }
    for (auto& path : scratch.paths) {
        if (path.capacity() * sizeof(SearchFrame) > (size_t(1) << 20)) {
            path = {};
        }
    }
}

// Frames a search may stack before it counts as out of budget.
constexpr size_t kMaxFrames = Matcher::kMemoryBudget / 2 / sizeof(SearchFrame);

}  // namespace

namespace {

class Emitter {
  public:
    Emitter(const Pattern& pattern, Program& program) : pattern_(pattern), program_(program) {}

    void EmitSub(int node, int sub) {
        Emit(node, sub);
        At(sub).push_back({Op::Match});
    }

  private:
    Code& At(int sub) { return program_.subs[static_cast<size_t>(sub)]; }
    int Here(int sub) { return static_cast<int>(At(sub).size()); }

    void Emit(int index, int sub) {
        const Node& node = pattern_.nodes[static_cast<size_t>(index)];
        switch (node.kind) {
            case NodeKind::Empty:
                return;
            case NodeKind::Char:
                At(sub).push_back({Op::Char, node.ch});
                return;
            case NodeKind::Any:
                At(sub).push_back({Op::Any});
                return;
            case NodeKind::Class: {
                std::bitset<256> accept;
                for (int c = 0; c < 256; ++c) {
                    accept[c] = node.set[FoldCase(static_cast<uint8_t>(c))] != node.negated;
                }
                program_.accepts.push_back(accept);
                At(sub).push_back({Op::Class, 0, static_cast<int>(program_.accepts.size()) - 1});
                return;
            }
            case NodeKind::Concat:
                for (const int child : node.children) {
                    Emit(child, sub);
                }
                return;
            case NodeKind::Alternation: {
                std::vector<size_t> jumps;
                for (size_t k = 0; k < node.children.size(); ++k) {
                    if (k + 1 == node.children.size()) {
                        Emit(node.children[k], sub);
                        break;
                    }
                    const size_t split = At(sub).size();
                    At(sub).push_back({Op::Split, 0, Here(sub) + 1});
                    Emit(node.children[k], sub);
                    jumps.push_back(At(sub).size());
                    At(sub).push_back({Op::Jmp});
                    At(sub)[split].y = Here(sub);
                }
                for (const size_t jump : jumps) {
                    At(sub)[jump].x = Here(sub);
                }
                return;
            }
            case NodeKind::Group:
                if (node.group >= 0) {
                    At(sub).push_back({Op::Save, 0, 2 * node.group});
                }
                Emit(node.children[0], sub);
                if (node.group >= 0) {
                    At(sub).push_back({Op::Save, 0, 2 * node.group + 1});
                }
                return;
            case NodeKind::Repeat:
                EmitRepeat(node, sub);
                return;
            case NodeKind::Not: {
                const int inner = static_cast<int>(program_.subs.size());
                program_.subs.emplace_back();
                EmitSub(node.children[0], inner);
                At(sub).push_back({Op::NotAhead, 0, inner});
                return;
            }
            case NodeKind::Backref:
                At(sub).push_back({Op::Backref, 0, node.group});
                return;
        }
    }

    // Split's preferred way is the first: greedy prefers another round, lazy prefers leaving.
    void Split(int sub, size_t at, int more, int leave, bool lazy) {
        At(sub)[at].x = lazy ? leave : more;
        At(sub)[at].y = lazy ? more : leave;
    }

    void EmitRepeat(const Node& node, int sub) {
        const int child = node.children[0];
        if (node.max == 1) {  // x?
            const size_t split = At(sub).size();
            At(sub).push_back({Op::Split});
            Emit(child, sub);
            Split(sub, split, static_cast<int>(split) + 1, Here(sub), node.lazy);
        } else if (node.min == 0) {  // x*
            const size_t split = At(sub).size();
            At(sub).push_back({Op::Split});
            Emit(child, sub);
            At(sub).push_back({Op::Jmp, 0, static_cast<int>(split)});
            Split(sub, split, static_cast<int>(split) + 1, Here(sub), node.lazy);
        } else {  // x+
            const int start = Here(sub);
            Emit(child, sub);
            const size_t split = At(sub).size();
            At(sub).push_back({Op::Split});
            Split(sub, split, start, Here(sub), node.lazy);
        }
    }

    const Pattern& pattern_;
    Program& program_;
};

// Linear search: a depth-first walk over (instruction, position) pairs, which form an acyclic
// graph since every loop consumes text. A pair whose successors were all explored has failed for
// good; the pairs on the path to a match all succeed. Both are remembered, so each pair is
// explored at most once per search, look-aheads included.
class MemoSearch {
  public:
    MemoSearch(const Program& program, std::string_view text, Matcher::Scratch& scratch)
        : program_(program),
          text_(text),
          failed_(scratch.failed),
          succeeded_(scratch.succeeded),
          paths_(scratch.paths) {
        // Sized for this text on first use, without giving back what earlier searches took.
        failed_.resize(program.subs.size());
        succeeded_.resize(program.subs.size());
        for (size_t sub = 0; sub < program.subs.size(); ++sub) {
            failed_[sub].clear();
            succeeded_[sub].clear();
        }
    }

    SearchResult Run() {
        const size_t last = program_.anchoredStart ? 0 : text_.size();
        const auto* first = program_.firstBytes ? &*program_.firstBytes : nullptr;
        for (size_t start = 0; start <= last; ++start) {
            if (first != nullptr &&
                (start == text_.size() || !(*first)[static_cast<uint8_t>(text_[start])])) {
                continue;
            }
            if (Explore(0, start, program_.anchoredEnd)) {
                return SearchResult::Match;
            }
            if (overBudget_) {
                return SearchResult::BudgetExceeded;
            }
        }
        return SearchResult::NoMatch;
    }

  private:
    static bool Test(const std::vector<uint64_t>& bits, size_t index) {
        return (bits[index >> 6] >> (index & 63)) & 1;
    }
    static void Mark(std::vector<uint64_t>& bits, size_t index) {
        bits[index >> 6] |= uint64_t(1) << (index & 63);
    }
    std::vector<uint64_t>& Bits(std::vector<std::vector<uint64_t>>& table, int sub, size_t width) {
        auto& bits = table[static_cast<size_t>(sub)];
        if (bits.empty()) {
            bits.assign((width * (text_.size() + 1) + 63) / 64, 0);
        }
        return bits;
    }

    using Frame = SearchFrame;

    // The successors of a pair, at most two, in order of preference.
    int Successors(const Code& code, const Frame& f, bool mustEndAtEnd, Frame out[2], bool& match) {
        const Inst& inst = code[static_cast<size_t>(f.pc)];
        const size_t n = text_.size();
        const auto step = [&](bool ok) {
            out[0] = {f.pc + 1, f.pos + 1, 0};
            return ok ? 1 : 0;
        };
        switch (inst.op) {
            case Op::Char:
                return step(f.pos < n && FoldCase(static_cast<uint8_t>(text_[f.pos])) == inst.ch);
            case Op::Any:
                return step(f.pos < n);
            case Op::Class:
                return step(f.pos < n && program_.accepts[static_cast<size_t>(inst.x)]
                                                         [static_cast<uint8_t>(text_[f.pos])]);
            case Op::Split:
                out[0] = {inst.x, f.pos, 0};
                out[1] = {inst.y, f.pos, 0};
                return 2;
            case Op::Jmp:
                out[0] = {inst.x, f.pos, 0};
                return 1;
            case Op::Save:
            case Op::Backref:  // never in a program searched this way
                out[0] = {f.pc + 1, f.pos, 0};
                return 1;
            case Op::NotAhead:
                out[0] = {f.pc + 1, f.pos, 0};
                return Explore(inst.x, f.pos, false) ? 0 : 1;
            case Op::Match:
                match = !mustEndAtEnd || f.pos == n;
                return 0;
        }
        return 0;
    }

    // Whether sub-program `sub` matches from `start` (to the end of the text when asked).
    bool Explore(int sub, size_t start, bool mustEndAtEnd) {
        const Code& code = program_.subs[static_cast<size_t>(sub)];
        const size_t width = code.size();
        auto& failed = Bits(failed_, sub, width);
        auto& succeeded = Bits(succeeded_, sub, width);
        if (paths_.size() <= depth_) {
            paths_.resize(depth_ + 1);
        }
        std::vector<Frame>& path = paths_[depth_];
        path.assign(1, Frame{0, start, 0});
        ++depth_;
        struct Leave {
            size_t& depth;
            ~Leave() { --depth; }
        } leave{depth_};
        while (!path.empty()) {
            Frame& top = path.back();
            const size_t index = top.pos * width + static_cast<size_t>(top.pc);
            if (top.explored == 0) {
                if (Test(succeeded, index)) {
                    break;
                }
                if (Test(failed, index)) {
                    path.pop_back();
                    continue;
                }
            }
            Frame next[2];
            bool match = false;
            const int count = Successors(code, top, mustEndAtEnd, next, match);
            if (match) {
                break;
            }
            Frame& current = path.back();  // Successors may have run a look-ahead
            if (overBudget_) {
                return false;
            }
            if (current.explored < count) {
                if (path.size() >= kMaxFrames) {
                    overBudget_ = true;
                    return false;
                }
                path.push_back(next[current.explored++]);
            } else {
                Mark(failed, index);
                path.pop_back();
            }
        }
        if (path.empty()) {
            return false;
        }
        for (const Frame& frame : path) {
            Mark(succeeded, frame.pos * width + static_cast<size_t>(frame.pc));
        }
        return true;
    }

    const Program& program_;
    std::string_view text_;
    std::vector<std::vector<uint64_t>>& failed_;
    std::vector<std::vector<uint64_t>>& succeeded_;
    std::deque<std::vector<SearchFrame>>& paths_;
    size_t depth_ = 0;
    bool overBudget_ = false;
};

// Backtracking search for patterns with back-references, within a step budget.
class BacktrackSearch {
  public:
    BacktrackSearch(const Program& program, std::string_view text)
        : program_(program), text_(text), budget_(Matcher::StepBudget(text.size())) {}

    SearchResult Run() {
        std::vector<size_t> captures(2 * static_cast<size_t>(program_.groupCount), kUnset);
        const size_t last = program_.anchoredStart ? 0 : text_.size();
        for (size_t start = 0; start <= last; ++start) {
            const SearchResult result = Explore(0, start, program_.anchoredEnd, captures);
            if (result != SearchResult::NoMatch) {
                return result;
            }
        }
        return SearchResult::NoMatch;
    }

  private:
    struct Frame {
        int pc;
        size_t pos;
        int slot;  // >= 0: restore this capture slot to `pos` instead
    };

    SearchResult Explore(int sub, size_t start, bool mustEndAtEnd, std::vector<size_t>& captures) {
        const Code& code = program_.subs[static_cast<size_t>(sub)];
        const size_t n = text_.size();
        std::vector<Frame> stack = {{0, start, -1}};
        while (!stack.empty()) {
            Frame frame = stack.back();
            stack.pop_back();
            if (frame.slot >= 0) {
                captures[static_cast<size_t>(frame.slot)] = frame.pos;
                continue;
            }
            int pc = frame.pc;
            size_t pos = frame.pos;
            while (true) {
                if (++steps_ > budget_) {
                    return SearchResult::BudgetExceeded;
                }
                const Inst& inst = code[static_cast<size_t>(pc)];
                bool go = true;
                switch (inst.op) {
                    case Op::Char:
                        go = pos < n && FoldCase(static_cast<uint8_t>(text_[pos])) == inst.ch;
                        ++pc, ++pos;
                        break;
                    case Op::Any:
                        go = pos < n;
                        ++pc, ++pos;
                        break;
                    case Op::Class:
                        go = pos < n && program_.accepts[static_cast<size_t>(inst.x)]
                                                        [static_cast<uint8_t>(text_[pos])];
                        ++pc, ++pos;
                        break;
                    case Op::Split:
                        if (stack.size() >= kMaxFrames) {
                            return SearchResult::BudgetExceeded;
                        }
                        stack.push_back({inst.y, pos, -1});
                        pc = inst.x;
                        break;
                    case Op::Jmp:
                        pc = inst.x;
                        break;
                    case Op::Save:
                        stack.push_back({0, captures[static_cast<size_t>(inst.x)], inst.x});
                        captures[static_cast<size_t>(inst.x)] = pos;
                        ++pc;
                        break;
                    case Op::Backref: {
                        const size_t from = captures[2 * static_cast<size_t>(inst.x)];
                        const size_t to = captures[2 * static_cast<size_t>(inst.x) + 1];
                        // A group that has not matched (yet) stands for the empty text.
                        const size_t length =
                            (from == kUnset || to == kUnset || to < from) ? 0 : to - from;
                        go = pos + length <= n;
                        for (size_t k = 0; go && k < length; ++k) {
                            go = FoldCase(static_cast<uint8_t>(text_[from + k])) ==
                                 FoldCase(static_cast<uint8_t>(text_[pos + k]));
                        }
                        pos += length;
                        ++pc;
                        break;
                    }
                    case Op::NotAhead: {
                        std::vector<size_t> inner = captures;  // groups set inside stay inside
                        const SearchResult ahead = Explore(inst.x, pos, false, inner);
                        if (ahead == SearchResult::BudgetExceeded) {
                            return ahead;
                        }
                        go = ahead == SearchResult::NoMatch;
                        ++pc;
                        break;
                    }
                    case Op::Match:
                        if (!mustEndAtEnd || pos == n) {
                            return SearchResult::Match;
                        }
                        go = false;
                        break;
                }
                if (!go) {
                    break;
                }
            }
        }
        return SearchResult::NoMatch;
    }

    const Program& program_;
    std::string_view text_;
    uint64_t budget_;
    uint64_t steps_ = 0;
};

}  // namespace

namespace {

// The bytes the first consumed character of a match can be: none known when a match can be
// empty or starts with a look-ahead or a back-reference.
std::optional<std::bitset<256>> FirstBytes(const Program& program) {
    const Code& code = program.subs[0];
    std::bitset<256> bytes;
    std::vector<bool> seen(code.size(), false);
    std::vector<int> work = {0};
    while (!work.empty()) {
        const int pc = work.back();
        work.pop_back();
        if (seen[static_cast<size_t>(pc)]) {
            continue;
        }
        seen[static_cast<size_t>(pc)] = true;
        const Inst& inst = code[static_cast<size_t>(pc)];
        switch (inst.op) {
            case Op::Char:
                bytes.set(inst.ch);
                if (inst.ch >= 'a' && inst.ch <= 'z') {
                    bytes.set(inst.ch - 32u);
                }
                break;
            case Op::Any:
                return std::nullopt;
            case Op::Class:
                bytes |= program.accepts[static_cast<size_t>(inst.x)];
                break;
            case Op::Split:
                work.push_back(inst.x);
                work.push_back(inst.y);
                break;
            case Op::Jmp:
                work.push_back(inst.x);
                break;
            case Op::Save:
                work.push_back(pc + 1);
                break;
            case Op::Backref:
            case Op::NotAhead:
            case Op::Match:
                return std::nullopt;
        }
    }
    return bytes;
}

}  // namespace

Program CompileProgram(const Pattern& pattern) {
    Program program;
    program.anchoredStart = pattern.anchoredStart;
    program.anchoredEnd = pattern.anchoredEnd;
    program.backrefs = pattern.hasBackrefs;
    program.groupCount = pattern.groupCount;
    program.subs.emplace_back();
    Emitter(pattern, program).EmitSub(pattern.root, 0);
    if (!program.anchoredStart && !program.backrefs) {
        program.firstBytes = FirstBytes(program);
    }
    return program;
}

namespace {

// The pattern's text when it is one plain literal of at least two characters.
std::optional<std::string> PlainLiteral(const Pattern& pattern) {
    const Node& root = pattern.nodes[static_cast<size_t>(pattern.root)];
    if (root.kind != NodeKind::Concat || root.children.size() < 2) {
        return std::nullopt;
    }
    std::string text;
    for (const int child : root.children) {
        const Node& node = pattern.nodes[static_cast<size_t>(child)];
        if (node.kind != NodeKind::Char) {
            return std::nullopt;
        }
        text += static_cast<char>(node.ch);
    }
    return text;
}

}  // namespace

Matcher::Matcher(const Pattern& pattern)
    : program_(std::make_unique<Program>(CompileProgram(pattern))) {
    if (std::optional<std::string> text = PlainLiteral(pattern)) {
        literal_ = std::make_unique<Literal>();
        literal_->folded = std::move(*text);
        literal_->anchoredStart = pattern.anchoredStart;
        literal_->anchoredEnd = pattern.anchoredEnd;
        // Knuth, Morris and Pratt's borders: the search never reads a byte of the text twice.
        const std::string& p = literal_->folded;
        literal_->border.assign(p.size(), 0);
        for (size_t i = 1, k = 0; i < p.size(); ++i) {
            while (k > 0 && p[i] != p[k]) {
                k = literal_->border[k - 1];
            }
            k += p[i] == p[k] ? 1 : 0;
            literal_->border[i] = static_cast<uint32_t>(k);
        }
    }
}

bool Matcher::Literal::FoundIn(std::string_view text) const {
    const size_t m = folded.size();
    const auto same = [&](size_t at) {
        for (size_t i = 0; i < m; ++i) {
            if (FoldCase(static_cast<uint8_t>(text[at + i])) != static_cast<uint8_t>(folded[i])) {
                return false;
            }
        }
        return true;
    };
    if (anchoredStart || anchoredEnd) {
        if (text.size() < m || (anchoredStart && anchoredEnd && text.size() != m)) {
            return false;
        }
        return same(anchoredStart ? 0 : text.size() - m);
    }
    size_t k = 0;
    for (const char c : text) {
        const auto b = static_cast<char>(FoldCase(static_cast<uint8_t>(c)));
        while (k > 0 && b != folded[k]) {
            k = border[k - 1];
        }
        if (b == folded[k] && ++k == m) {
            return true;
        }
    }
    return false;
}

Matcher::~Matcher() = default;
Matcher::Matcher(Matcher&&) noexcept = default;
Matcher& Matcher::operator=(Matcher&&) noexcept = default;

SearchResult Matcher::Search(std::string_view text) const {
    try {
        if (literal_) {
            return literal_->FoundIn(text) ? SearchResult::Match : SearchResult::NoMatch;
        }
        if (!scratch_) {  // made on the first search: most lines of a long list never get one
            scratch_ = std::make_unique<Scratch>();
        }
        if (program_->backrefs) {
            return BacktrackSearch(*program_, text).Run();
        }
        if (program_->subs.size() > 1) {  // a look-ahead
            if (MemoTablesFit(*program_, text.size())) {
                const SearchResult result = MemoSearch(*program_, text, *scratch_).Run();
                ReleaseLargeTables(*scratch_);
                return result;
            }
            return BacktrackSearch(*program_, text).Run();
        }
        if (!scratch_->dfa) {
            scratch_->dfa = std::make_unique<LazyDfa>(*program_);
        }
        return scratch_->dfa->Search(text) ? SearchResult::Match : SearchResult::NoMatch;
    } catch (const std::bad_alloc&) {
        return SearchResult::OutOfMemory;
    }
}

}  // namespace lumbrel::filter
