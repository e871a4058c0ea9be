#include "tests/unit/browser/reference_evaluator.h"

#include <functional>

namespace lumbrel::filter::reference {

namespace {

using Captures = std::vector<std::pair<size_t, size_t>>;
constexpr size_t kUnset = static_cast<size_t>(-1);

struct OutOfSteps {};

class Backtracker {
  public:
    Backtracker(const Pattern& pattern, std::string_view text, uint64_t maxSteps)
        : p_(pattern), text_(text), maxSteps_(maxSteps) {}

    using Next = std::function<bool(size_t, Captures&)>;

    bool Match(int index, size_t pos, Captures& caps, const Next& next) {
        if (++steps_ > maxSteps_) {
            throw OutOfSteps{};
        }
        const Node& node = p_.nodes[static_cast<size_t>(index)];
        const auto one = [&](bool ok) { return ok && next(pos + 1, caps); };
        const auto folded = [&](size_t at) { return FoldCase(static_cast<uint8_t>(text_[at])); };
        switch (node.kind) {
            case NodeKind::Empty:
                return next(pos, caps);
            case NodeKind::Char:
                return one(pos < text_.size() && folded(pos) == node.ch);
            case NodeKind::Any:
                return one(pos < text_.size());
            case NodeKind::Class:
                return one(pos < text_.size() && node.set[folded(pos)] != node.negated);
            case NodeKind::Concat:
                return Sequence(node.children, 0, pos, caps, next);
            case NodeKind::Alternation:
                for (const int child : node.children) {
                    if (Match(child, pos, caps, next)) {
                        return true;
                    }
                }
                return false;
            case NodeKind::Group: {
                if (node.group < 0) {
                    return Match(node.children[0], pos, caps, next);
                }
                const auto saved = caps[static_cast<size_t>(node.group)];
                caps[static_cast<size_t>(node.group)] = {pos, kUnset};
                const bool ok = Match(node.children[0], pos, caps, [&](size_t end, Captures& c) {
                    const auto inner = c[static_cast<size_t>(node.group)];
                    c[static_cast<size_t>(node.group)] = {pos, end};
                    if (next(end, c)) {
                        return true;
                    }
                    c[static_cast<size_t>(node.group)] = inner;
                    return false;
                });
                if (!ok) {
                    caps[static_cast<size_t>(node.group)] = saved;
                }
                return ok;
            }
            case NodeKind::Repeat:
                return Repeat(node, 0, pos, caps, next);
            case NodeKind::Not: {
                Captures copy = caps;
                const bool inner =
                    Match(node.children[0], pos, copy, [](size_t, Captures&) { return true; });
                return !inner && next(pos, caps);
            }
            case NodeKind::Backref: {
                const auto [from, to] = caps[static_cast<size_t>(node.group)];
                const size_t length = (from == kUnset || to == kUnset || to < from) ? 0 : to - from;
                if (pos + length > text_.size()) {
                    return false;
                }
                for (size_t k = 0; k < length; ++k) {
                    if (folded(from + k) != folded(pos + k)) {
                        return false;
                    }
                }
                return next(pos + length, caps);
            }
        }
        return false;
    }

  private:
    bool Sequence(const std::vector<int>& items, size_t k, size_t pos, Captures& caps,
                  const Next& next) {
        if (k == items.size()) {
            return next(pos, caps);
        }
        return Match(items[k], pos, caps,
                     [&](size_t at, Captures& c) { return Sequence(items, k + 1, at, c, next); });
    }

    bool Repeat(const Node& node, int count, size_t pos, Captures& caps, const Next& next) {
        const bool mayStop = count >= node.min;
        const bool mayGo = node.max < 0 || count < node.max;
        const auto again = [&] {
            return mayGo && Match(node.children[0], pos, caps, [&](size_t at, Captures& c) {
                       return Repeat(node, count + 1, at, c, next);
                   });
        };
        if (node.lazy) {
            return (mayStop && next(pos, caps)) || again();
        }
        return again() || (mayStop && next(pos, caps));
    }

    const Pattern& p_;
    std::string_view text_;
    uint64_t maxSteps_;
    uint64_t steps_ = 0;
};

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == '\xA0';
}

std::string ToLower(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c + 32);
        }
    }
    return s;
}

}  // namespace

std::optional<bool> Matches(const Pattern& pattern, std::string_view text, uint64_t maxSteps) {
    Backtracker backtracker(pattern, text, maxSteps);
    const size_t last = pattern.anchoredStart ? 0 : text.size();
    try {
        for (size_t start = 0; start <= last; ++start) {
            Captures caps(static_cast<size_t>(pattern.groupCount), {kUnset, kUnset});
            const bool found = backtracker.Match(
                pattern.root, start, caps,
                [&](size_t end, Captures&) { return !pattern.anchoredEnd || end == text.size(); });
            if (found) {
                return true;
            }
        }
    } catch (const OutOfSteps&) {
        return std::nullopt;
    }
    return false;
}

Outcome Evaluate(const std::vector<std::string>& lines, std::string_view text, uint64_t maxSteps) {
    bool defaultAllow = false;
    std::optional<size_t> defaultLine;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string line = lines[i];
        while (!line.empty() && IsSpace(line.back())) {
            line.pop_back();
        }
        size_t first = 0;
        while (first < line.size() && IsSpace(line[first])) {
            ++first;
        }
        line = line.substr(first);
        const std::string sign = line.substr(0, line.empty() ? 0 : 1);
        if (sign == ";") {
            continue;
        }
        const std::string body = ToLower(line.empty() ? "" : line.substr(1));
        if (body == "all") {
            defaultAllow = sign == "+";
            defaultLine = i;
            continue;
        }
        if (text.empty() || body.empty()) {
            continue;
        }
        const ParseResult parsed = ParsePattern(body);
        if (!parsed.pattern) {
            return {false, i};
        }
        const std::optional<bool> found = Matches(*parsed.pattern, text, maxSteps);
        if (!found) {
            return {false, i, true};
        }
        if (*found) {
            return {sign == "+", i};
        }
    }
    return {defaultAllow, defaultLine};
}

}  // namespace lumbrel::filter::reference
