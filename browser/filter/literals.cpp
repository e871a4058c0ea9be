#include "browser/filter/literals.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>
#include <new>

namespace lumbrel::filter {

namespace {

// Any part of a required literal is required too: a short part keeps the scanner small.
constexpr size_t kMaxLiteralLength = 16;

struct Requirement {
    bool known = false;  // false: no literal is required
    std::vector<std::string> anyOf;

    // A longer shortest literal filters better.
    size_t Strength() const {
        if (!known) {
            return 0;
        }
        size_t shortest = SIZE_MAX;
        for (const auto& s : anyOf) {
            shortest = std::min(shortest, s.size());
        }
        return shortest;
    }
};

class Finder {
  public:
    explicit Finder(const Pattern& pattern) : pattern_(pattern) {}

    Requirement Of(int index) const {
        const Node& node = pattern_.nodes[static_cast<size_t>(index)];
        switch (node.kind) {
            case NodeKind::Char:
                return {true, {std::string(1, static_cast<char>(node.ch))}};
            case NodeKind::Class:
                if (const auto single = SingleChar(node)) {
                    return {true, {std::string(1, static_cast<char>(*single))}};
                }
                return {};
            case NodeKind::Concat:
                return OfConcat(node);
            case NodeKind::Alternation: {
                Requirement all{true, {}};
                for (const int child : node.children) {
                    Requirement branch = Of(child);
                    if (!branch.known) {
                        return {};
                    }
                    all.anyOf.insert(all.anyOf.end(), branch.anyOf.begin(), branch.anyOf.end());
                }
                return all;
            }
            case NodeKind::Group:
                return Of(node.children[0]);
            case NodeKind::Repeat:
                return node.min >= 1 ? Of(node.children[0]) : Requirement{};
            default:
                return {};
        }
    }

    // The characters a class accepts, when it accepts exactly one folded character.
    std::optional<uint8_t> SingleChar(const Node& node) const {
        if (node.negated || node.set.count() != 1) {
            return std::nullopt;
        }
        for (int c = 0; c < 256; ++c) {
            if (node.set[c]) {
                return static_cast<uint8_t>(c);
            }
        }
        return std::nullopt;
    }

    // A run of single characters in a row is one literal; the strongest requirement wins.
    Requirement OfConcat(const Node& node) const {
        Requirement best;
        std::string run;
        const auto closeRun = [&] {
            if (run.size() > best.Strength()) {
                best = {true, {run}};
            }
            run.clear();
        };
        for (const int child : node.children) {
            const Node& c = pattern_.nodes[static_cast<size_t>(child)];
            std::optional<uint8_t> single;
            if (c.kind == NodeKind::Char) {
                single = c.ch;
            } else if (c.kind == NodeKind::Class) {
                single = SingleChar(c);
            }
            if (single) {
                run.push_back(static_cast<char>(*single));
                continue;
            }
            if (c.kind == NodeKind::Not) {
                continue;  // zero width: the characters around it are still adjacent
            }
            closeRun();
            Requirement inner = Of(child);
            if (inner.Strength() > best.Strength()) {
                best = std::move(inner);
            }
        }
        closeRun();
        return best;
    }

  private:
    const Pattern& pattern_;
};

// Whether the node matches exactly the texts of a list of literals: a literal, or
// alternatives (grouped or not) each of which is one.
bool IsLiteralList(const Pattern& pattern, int index) {
    const Node& node = pattern.nodes[static_cast<size_t>(index)];
    const auto isChar = [&](int child) {
        return pattern.nodes[static_cast<size_t>(child)].kind == NodeKind::Char;
    };
    switch (node.kind) {
        case NodeKind::Char:
            return true;
        case NodeKind::Concat:
            return std::all_of(node.children.begin(), node.children.end(), isChar);
        case NodeKind::Group:
            return IsLiteralList(pattern, node.children[0]);
        case NodeKind::Alternation:
            return std::all_of(node.children.begin(), node.children.end(),
                               [&](int child) { return IsLiteralList(pattern, child); });
        default:
            return false;
    }
}

}  // namespace

RequiredLiterals FindRequiredLiterals(const Pattern& pattern) {
    const Requirement requirement = Finder(pattern).Of(pattern.root);
    RequiredLiterals out;
    if (!requirement.known || requirement.Strength() == 0) {
        return out;
    }
    // Unanchored, a list of literals matches exactly where one of them occurs, as long as none
    // was cut to fit the scanner.
    out.isWholePattern =
        !pattern.anchoredStart && !pattern.anchoredEnd && IsLiteralList(pattern, pattern.root) &&
        std::all_of(requirement.anyOf.begin(), requirement.anyOf.end(),
                    [](const std::string& literal) { return literal.size() <= kMaxLiteralLength; });
    for (const std::string& literal : requirement.anyOf) {
        out.anyOf.push_back(literal.substr(0, kMaxLiteralLength));
    }
    std::sort(out.anyOf.begin(), out.anyOf.end());
    out.anyOf.erase(std::unique(out.anyOf.begin(), out.anyOf.end()), out.anyOf.end());
    return out;
}

namespace {

// FNV-1a over the folded bytes.
size_t HashLiteral(std::string_view literal) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (const char c : literal) {
        hash = (hash ^ static_cast<uint8_t>(c)) * 0x100000001b3ull;
    }
    return static_cast<size_t>(hash ^ (hash >> 29));
}

}  // namespace

void LiteralScannerBuilder::GrowSlots() {
    slots_.assign(std::max<size_t>(64, slots_.size() * 2), 0);
    const size_t mask = slots_.size() - 1;
    for (uint32_t id = 0; id < count_; ++id) {
        size_t at = HashLiteral(Literal(id)) & mask;
        while (slots_[at] != 0) {
            at = (at + 1) & mask;
        }
        slots_[at] = id + 1;
    }
}

uint32_t LiteralScannerBuilder::Add(std::string_view literal) {
    const size_t offset = arena_.size();
    if (literal.size() > UINT32_MAX - offset || count_ == UINT32_MAX - 1) {
        throw std::bad_alloc();  // past what the places can say
    }
    for (const char c : literal) {
        arena_.push_back(static_cast<char>(FoldCase(static_cast<uint8_t>(c))));
    }
    const std::string_view folded(arena_.data() + offset, literal.size());
    if ((size_t(count_) + 1) * 2 > slots_.size()) {
        GrowSlots();
    }
    const size_t mask = slots_.size() - 1;
    size_t at = HashLiteral(folded) & mask;
    for (; slots_[at] != 0; at = (at + 1) & mask) {
        if (Literal(slots_[at] - 1) == folded) {
            arena_.resize(offset);
            return slots_[at] - 1;
        }
    }
    places_.push_back({static_cast<uint32_t>(offset), static_cast<uint32_t>(literal.size())});
    slots_[at] = count_ + 1;
    return count_++;
}

void LiteralScannerBuilder::Build() {
    if (count_ == 0) {
        return;
    }

    // The trie from the literals in sorted order: a literal shares the states of its common
    // beginning with the one before it, and each state's children arrive in byte order.
    std::vector<uint32_t> order(count_);
    for (uint32_t id = 0; id < order.size(); ++id) {
        order[id] = id;
    }
    std::sort(order.begin(), order.end(),
              [&](uint32_t a, uint32_t b) { return Literal(a) < Literal(b); });
    struct Edge {
        uint32_t parent;
        uint8_t byte;
        uint32_t child;
    };
    std::vector<Edge> edges;
    std::vector<uint32_t> path = {0};
    endsHere_.assign(1, ~0u);
    std::string_view previous;
    size_t shortest = SIZE_MAX;
    for (const uint32_t id : order) {
        const std::string_view literal = Literal(id);
        shortest = std::min(shortest, literal.size());
        size_t common = 0;
        const size_t limit = std::min(previous.size(), literal.size());
        while (common < limit && previous[common] == literal[common]) {
            ++common;
        }
        path.resize(common + 1);
        for (size_t d = common; d < literal.size(); ++d) {
            const auto state = static_cast<uint32_t>(endsHere_.size());
            endsHere_.push_back(~0u);
            edges.push_back({path[d], static_cast<uint8_t>(literal[d]), state});
            path.push_back(state);
        }
        endsHere_[path[literal.size()]] = id;
        previous = literal;
    }
    const auto states = static_cast<uint32_t>(endsHere_.size());
    rootChildren_.assign(256, 0);
    firstEdge_.assign(states + 1, 0);
    for (const Edge& edge : edges) {
        if (edge.parent == 0) {
            rootChildren_[edge.byte] = edge.child;
        } else {
            ++firstEdge_[edge.parent + 1];
        }
    }
    for (uint32_t state = 0; state < states; ++state) {
        firstEdge_[state + 1] += firstEdge_[state];
    }
    edgeBytes_.assign(firstEdge_[states], 0);
    edgeTargets_.assign(firstEdge_[states], 0);
    std::vector<uint32_t> fill(firstEdge_.begin(), firstEdge_.end() - 1);
    for (const Edge& edge : edges) {  // in byte order within each parent, as created
        if (edge.parent != 0) {
            const uint32_t at = fill[edge.parent]++;
            edgeBytes_[at] = edge.byte;
            edgeTargets_[at] = edge.child;
        }
    }

    // The beginnings: every literal's first `width_` bytes.
    width_ = static_cast<uint32_t>(std::clamp<size_t>(shortest, 1, 4));
    starts_.assign(ByteMarks::Count(width_), 0);
    startsAgain_.assign(width_ <= 2 ? 0 : ByteMarks::Count(width_), 0);
    stride_ = StrideFor(shortest, width_);
    gathered_.assign(GatheredTableWords(width_), 0);
    gatheredAgain_.assign(width_ <= 2 ? 0 : GatheredTableWords(width_), 0);
    const auto gather = [](std::vector<uint32_t>& table, uint32_t mark) {
        table[mark >> 5] |= 1u << (mark & 31);
    };
    for (uint32_t id = 0; id < count_; ++id) {
        const auto* literal = reinterpret_cast<const uint8_t*>(Literal(id).data());
        const uint32_t window = Window(literal, width_);
        starts_[ByteMarks::First(window, width_)] = 1;
        if (width_ > 2) {
            startsAgain_[ByteMarks::Second(window)] = 1;
            gather(gatheredAgain_, GatheredMarks::Second(window));
        }
        for (uint32_t offset = 0; offset < stride_; ++offset) {
            gather(gathered_, GatheredMarks::First(Window(literal + offset, width_), width_));
        }
    }
    if (count_ <= kMaxNibbleScanLiterals && shortest >= 1) {
        std::vector<std::string_view> sorted;
        for (const uint32_t id : order) {
            sorted.push_back(Literal(id));
        }
        nibbles_ = BuildNibbleTables(sorted, width_, NibbleGroupsFor(count_));
    }
    arena_ = {};
    places_ = {};
    slots_ = {};
}

ScannerTables LiteralScannerBuilder::Tables() const {
    if (count_ == 0) {
        return {};
    }
    return {count_,     width_,         stride_,   rootChildren_, firstEdge_,
            edgeBytes_, edgeTargets_,   endsHere_, starts_,       startsAgain_,
            gathered_,  gatheredAgain_, nibbles_};
}

bool ScannerTablesAreSound(const ScannerTables& t) {
    if (t.count == 0) {
        return true;
    }
    const size_t states = t.endsHere.size();
    const size_t edges = t.edgeBytes.size();
    if (t.width < 1 || t.width > 4 || t.stride < 1 || t.stride > kMaxStride ||
        (t.stride > 1 && t.width < 4) || states == 0 || t.rootChildren.size() != 256 ||
        t.firstEdge.size() != states + 1 || t.edgeTargets.size() != edges ||
        t.starts.size() != ByteMarks::Count(t.width) ||
        t.startsAgain.size() != (t.width <= 2 ? 0 : ByteMarks::Count(t.width)) ||
        t.gathered.size() != GatheredTableWords(t.width) ||
        t.gatheredAgain.size() != (t.width <= 2 ? 0 : GatheredTableWords(t.width)) ||
        (!t.nibbles.empty() && !NibbleTablesFit(t.nibbles.size(), t.width))) {
        return false;
    }
    const auto isState = [&](uint32_t s) { return s < states; };
    if (!std::all_of(t.rootChildren.begin(), t.rootChildren.end(), isState) ||
        !std::all_of(t.edgeTargets.begin(), t.edgeTargets.end(), isState)) {
        return false;
    }
    for (const uint32_t id : t.endsHere) {
        if (id != ~0u && id >= t.count) {
            return false;
        }
    }
    if (t.firstEdge[0] != 0 || t.firstEdge[states] != edges || t.firstEdge[1] != 0) {
        return false;  // the root's children are in rootChildren, not in the edges
    }
    // Every run's bounds before any edge is read: with the last one at the table's end, runs
    // that never go back stay inside it.
    for (size_t s = 1; s < states; ++s) {
        if (t.firstEdge[s + 1] < t.firstEdge[s]) {
            return false;
        }
    }
    for (size_t s = 1; s < states; ++s) {
        for (uint32_t e = t.firstEdge[s] + 1; e < t.firstEdge[s + 1]; ++e) {
            if (t.edgeBytes[e] <= t.edgeBytes[e - 1]) {
                return false;
            }
        }
    }
    return true;
}

LiteralScanner::LiteralScanner(const ScannerTables& tables, VectorScan vectors) : tables_(tables) {
    if (!tables.nibbles.empty() &&
        (vectors == VectorScan::Ssse3 ||
         (tables.count <= kNibblesBeforeGathers && tables.stride <= 2))) {
        nibbleKernel_ = NibbleKernelFor(vectors, tables.nibbles, tables.width);
    }
    if (nibbleKernel_ == nullptr && tables.count > 0) {
        markedKernel_ = MarkedKernelFor(vectors, tables.gathered, tables.width, tables.stride);
    }
    for (int b = 0; b < 256; ++b) {
        fold_[static_cast<size_t>(b)] = FoldCase(static_cast<uint8_t>(b));
    }
}

uint32_t LiteralScanner::Child(uint32_t state, uint8_t folded) const {
    if (state == 0) {
        return tables_.rootChildren[folded];
    }
    for (uint32_t e = tables_.firstEdge[state]; e < tables_.firstEdge[state + 1]; ++e) {
        if (tables_.edgeBytes[e] >= folded) {
            return tables_.edgeBytes[e] == folded ? tables_.edgeTargets[e] : 0;
        }
    }
    return 0;
}

// Every literal that starts at `at` lies on one path down the trie.
bool LiteralScanner::VerifyFrom(size_t at, Pass& pass) const {
    const auto* bytes = reinterpret_cast<const uint8_t*>(pass.text.data());
    uint32_t state = 0;
    for (size_t j = at; j < pass.text.size(); ++j) {
        state = Child(state, fold_[bytes[j]]);
        if (state == 0) {
            return false;
        }
        if (const uint32_t id = tables_.endsHere[state]; id != ~0u && pass.Add(id)) {
            return true;
        }
    }
    return false;
}

bool LiteralScanner::Pass::Add(uint32_t id) {
    uint64_t& word = seen[id >> 6];
    const uint64_t bit = uint64_t(1) << (id & 63);
    if (word & bit) {
        return false;
    }
    word |= bit;
    ids.push_back(id);
    // Once every literal is found there is nothing left to look for.
    return ids.size() == count || (watch != nullptr && watch->Found(id));
}

bool LiteralScanner::VerifyCandidates(std::span<const size_t> candidates, uint32_t reach,
                                      Pass& pass) const {
    const auto* bytes = reinterpret_cast<const uint8_t*>(pass.text.data());
    for (const size_t candidate : candidates) {
        for (size_t from = candidate >= reach - 1 ? candidate - (reach - 1) : 0;
             from <= candidate && from + tables_.width <= pass.text.size(); ++from) {
            const uint32_t window = Window(bytes + from, tables_.width);
            if (Gathered(window) && VerifyFrom(from, pass)) {
                return true;
            }
        }
    }
    return false;
}

template <typename Find>
size_t LiteralScanner::ScanByVectors(Find find, uint32_t reach, Pass& pass) const {
    size_t candidates[std::max(kCandidateRoom, kMarkedRoom)];
    size_t at = 0;
    for (;;) {
        const size_t before = at;
        const size_t found = find(at, candidates);
        if (VerifyCandidates({candidates, found}, reach, pass)) {
            pass.stopped = true;
            return at;
        }
        if (at == before) {
            return at;
        }
    }
}

void LiteralScanner::Scan(std::string_view text, std::vector<uint64_t>& seen,
                          std::vector<uint32_t>& ids, ScanWatch* watch) const {
    ids.clear();
    if (tables_.count == 0) {
        return;
    }
    seen.assign((tables_.count + 63) / 64, 0);
    Pass pass{text, seen, ids, watch, tables_.count};
    if (const uint32_t id = tables_.endsHere[0]; id != ~0u && pass.Add(id)) {
        return;  // the empty literal: everywhere
    }
    size_t i = 0;
    if (text.size() < kMinVectorText) {
        // the plain scan below
    } else if (nibbleKernel_ != nullptr) {
        i = ScanByVectors(
            [&](size_t& at, size_t* out) {
                return nibbleKernel_(tables_.nibbles.data(), text, at, out);
            },
            1, pass);
    } else if (markedKernel_ != nullptr) {
        i = ScanByVectors(
            [&](size_t& at, size_t* out) {
                return markedKernel_(tables_.gathered.data(), tables_.width, text, at, out);
            },
            tables_.stride, pass);
        // A literal that starts just before the vectors ended has its tested position after.
        i = i >= tables_.stride - 1 ? i - (tables_.stride - 1) : 0;
    }
    if (pass.stopped) {
        return;
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const size_t n = text.size();
    const uint32_t width = tables_.width;
    const uint32_t mask = WindowMask(width);
    // Kept in locals: the compiler cannot tell that the findings written below leave them be.
    const uint8_t* starts = tables_.starts.data();
    const uint8_t* startsAgain = tables_.startsAgain.data();
    const auto verify = [&](size_t at, uint32_t window) {
        return (width <= 2 || startsAgain[ByteMarks::Second(window)] != 0) && VerifyFrom(at, pass);
    };
    // Four positions from one load of eight bytes, tested together.
    for (; i + 8 <= n; i += 4) {
        uint64_t word;
        std::memcpy(&word, bytes + i, 8);
        if constexpr (std::endian::native == std::endian::big) {
            word = __builtin_bswap64(word);
        }
        uint32_t windows[4];
        uint32_t marks = 0;
        for (int p = 0; p < 4; ++p) {
            windows[p] = (static_cast<uint32_t>(word >> (8 * p)) | 0x20202020u) & mask;
            marks |= uint32_t(starts[ByteMarks::First(windows[p], width)]) << p;
        }
        if (marks != 0) [[unlikely]] {
            for (int p = 0; p < 4; ++p) {
                if ((marks & (1u << p)) && verify(i + static_cast<size_t>(p), windows[p])) {
                    return;
                }
            }
        }
    }
    for (; i + width <= n; ++i) {
        const uint32_t window = Window(bytes + i, width);
        if (starts[ByteMarks::First(window, width)] != 0 && verify(i, window)) {
            return;
        }
    }
}

}  // namespace lumbrel::filter
