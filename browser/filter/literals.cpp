#include "browser/filter/literals.h"

#include <algorithm>
#include <deque>
#include <map>

namespace lumbrel::filter {

namespace {

constexpr uint32_t kHasOutput = 0x80000000u;

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

uint32_t LiteralScanner::Add(std::string_view literal) {
    const auto [it, added] = ids_.emplace(std::string(literal), Count());
    if (added) {
        literals_.emplace_back(literal);
        longest_ = std::max(longest_, literal.size());
    }
    return it->second;
}

void LiteralScanner::Build() {
    // Bytes no literal uses share class 0; the others get one class each, folded.
    byteClass_.fill(0);
    classCount_ = 1;
    std::array<uint16_t, 256> folded{};
    for (const auto& literal : literals_) {
        for (const char c : literal) {
            auto& cls = folded[static_cast<uint8_t>(c)];
            if (cls == 0) {
                cls = static_cast<uint16_t>(classCount_++);
            }
        }
    }
    for (int b = 0; b < 256; ++b) {
        byteClass_[static_cast<size_t>(b)] = folded[FoldCase(static_cast<uint8_t>(b))];
    }

    // The trie, then failure links breadth first, filling every missing edge.
    const uint32_t k = classCount_;
    next_.assign(k, 0);
    std::vector<std::vector<uint32_t>> ends(1);
    for (uint32_t id = 0; id < literals_.size(); ++id) {
        uint32_t state = 0;
        for (const char c : literals_[id]) {
            const uint32_t cls = byteClass_[static_cast<uint8_t>(c)];
            if (next_[state * k + cls] == 0) {
                next_[state * k + cls] = static_cast<uint32_t>(ends.size());
                next_.resize(next_.size() + k, 0);
                ends.emplace_back();
            }
            state = next_[state * k + cls];
        }
        ends[state].push_back(id);
    }
    std::vector<uint32_t> fail(ends.size(), 0);
    std::deque<uint32_t> queue;
    for (uint32_t cls = 0; cls < k; ++cls) {
        if (const uint32_t child = next_[cls]) {
            queue.push_back(child);
        }
    }
    while (!queue.empty()) {
        const uint32_t state = queue.front();
        queue.pop_front();
        const auto& inherited = ends[fail[state]];
        ends[state].insert(ends[state].end(), inherited.begin(), inherited.end());
        for (uint32_t cls = 0; cls < k; ++cls) {
            uint32_t& child = next_[state * k + cls];
            if (child != 0) {
                fail[child] = next_[fail[state] * k + cls];
                queue.push_back(child);
            } else {
                child = next_[fail[state] * k + cls];
            }
        }
    }
    // Rows instead of state numbers, and the output flag, so the scan does one load a byte.
    for (uint32_t& target : next_) {
        target = target * k | (ends[target].empty() ? 0 : kHasOutput);
    }
    outputs_.assign(ends.size(), 0);
    outputList_.assign(1, ~0u);
    for (uint32_t state = 0; state < ends.size(); ++state) {
        if (!ends[state].empty()) {
            outputs_[state] = static_cast<uint32_t>(outputList_.size());
            outputList_.insert(outputList_.end(), ends[state].begin(), ends[state].end());
            outputList_.push_back(~0u);
        }
    }
}

void LiteralScanner::Report(uint32_t row, std::vector<uint64_t>& seen,
                            std::vector<uint32_t>& ids) const {
    for (uint32_t i = outputs_[row / classCount_]; outputList_[i] != ~0u; ++i) {
        const uint32_t id = outputList_[i];
        uint64_t& word = seen[id >> 6];
        const uint64_t bit = uint64_t(1) << (id & 63);
        if (!(word & bit)) {
            word |= bit;
            ids.push_back(id);
        }
    }
}

void LiteralScanner::Scan(std::string_view text, std::vector<uint64_t>& seen,
                          std::vector<uint32_t>& ids) const {
    ids.clear();
    if (literals_.empty()) {
        return;
    }
    seen.assign((literals_.size() + 63) / 64, 0);
    const uint32_t* next = next_.data();
    const uint16_t* classes = byteClass_.data();
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto step = [&](uint32_t& row, uint8_t c) {
        row = next[row + classes[c]];
        if (row & kHasOutput) [[unlikely]] {
            row &= ~kHasOutput;
            Report(row, seen, ids);
        }
    };

    // Each walk waits for the load of the one before: several walks over parts of the text keep
    // the processor busy. Each part but the first starts early by the longest literal, so a
    // literal across a border is still found.
    const size_t overlap = longest_ > 0 ? longest_ - 1 : 0;
    const size_t walks = text.size() >= 4096 ? 4 : text.size() >= 2 * overlap + 32 ? 2 : 1;
    if (walks == 1) {
        uint32_t row = 0;
        for (size_t i = 0; i < text.size(); ++i) {
            step(row, bytes[i]);
        }
        return;
    }
    const size_t part = text.size() / walks;
    size_t begin[4];
    size_t end[4];
    for (size_t w = 0; w < walks; ++w) {
        begin[w] = w == 0 ? 0 : w * part - overlap;
        end[w] = w + 1 == walks ? text.size() : (w + 1) * part;
    }
    size_t common = end[0] - begin[0];
    for (size_t w = 1; w < walks; ++w) {
        common = std::min(common, end[w] - begin[w]);
    }
    uint32_t rows[4] = {0, 0, 0, 0};
    if (walks == 4) {
        for (size_t i = 0; i < common; ++i) {
            step(rows[0], bytes[begin[0] + i]);
            step(rows[1], bytes[begin[1] + i]);
            step(rows[2], bytes[begin[2] + i]);
            step(rows[3], bytes[begin[3] + i]);
        }
    } else {
        for (size_t i = 0; i < common; ++i) {
            step(rows[0], bytes[begin[0] + i]);
            step(rows[1], bytes[begin[1] + i]);
        }
    }
    for (size_t w = 0; w < walks; ++w) {
        for (size_t i = begin[w] + common; i < end[w]; ++i) {
            step(rows[w], bytes[i]);
        }
    }
}

}  // namespace lumbrel::filter
