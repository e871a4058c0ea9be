#include "browser/filter/lint.h"

#include <algorithm>
#include <map>
#include <optional>

#include "browser/filter/literals.h"
#include "browser/filter/rule_list.h"

namespace lumbrel::filter {

namespace {

std::string LineName(size_t index) {
    return "line " + std::to_string(index + 1);
}

// Whether the node matches the empty text wherever it is tried, or (`atEnd`) at the end of
// the text. A reference proves nothing; a look-ahead succeeds at the end when what it looks
// for needs a character, and elsewhere proves nothing.
bool AlwaysMatchesEmpty(const Pattern& pattern, int index, bool atEnd) {
    const Node& node = pattern.nodes[static_cast<size_t>(index)];
    const auto always = [&](int child) { return AlwaysMatchesEmpty(pattern, child, atEnd); };
    switch (node.kind) {
        case NodeKind::Empty:
            return true;
        case NodeKind::Not:
            return atEnd && !CanMatchEmpty(pattern, node.children[0]);
        case NodeKind::Concat:
            return std::all_of(node.children.begin(), node.children.end(), always);
        case NodeKind::Alternation:
            return std::any_of(node.children.begin(), node.children.end(), always);
        case NodeKind::Group:
            return always(node.children[0]);
        case NodeKind::Repeat:
            return node.min == 0 || always(node.children[0]);
        default:
            return false;
    }
}

// A pattern proven to match every non-empty text: by an empty match at its start, where no
// end anchor forbids it, or at its end, where no start anchor does.
bool MatchesEveryText(const Pattern& pattern) {
    return (!pattern.anchoredEnd && AlwaysMatchesEmpty(pattern, pattern.root, false)) ||
           (!pattern.anchoredStart && AlwaysMatchesEmpty(pattern, pattern.root, true));
}

// A pattern made only of characters and `.`, as a sequence: -1 stands for `.`.
std::optional<std::vector<int>> SimpleSequence(const Pattern& pattern) {
    const auto element = [&](int index) -> std::optional<int> {
        const Node& node = pattern.nodes[static_cast<size_t>(index)];
        if (node.kind == NodeKind::Char) {
            return node.ch;
        }
        if (node.kind == NodeKind::Any) {
            return -1;
        }
        return std::nullopt;
    };
    const Node& root = pattern.nodes[static_cast<size_t>(pattern.root)];
    std::vector<int> sequence;
    const std::vector<int> items =
        root.kind == NodeKind::Concat ? root.children : std::vector<int>{pattern.root};
    for (const int item : items) {
        const auto value = element(item);
        if (!value) {
            return std::nullopt;
        }
        sequence.push_back(*value);
    }
    return sequence;
}

// Whether every text that `later` matches has a part that `earlier` (unanchored) matches.
bool Contains(const std::vector<int>& later, const std::vector<int>& earlier) {
    for (size_t offset = 0; offset + earlier.size() <= later.size(); ++offset) {
        bool fits = true;
        for (size_t k = 0; fits && k < earlier.size(); ++k) {
            fits = earlier[k] == -1 || earlier[k] == later[offset + k];
        }
        if (fits) {
            return true;
        }
    }
    return false;
}

std::string Describe(const std::vector<int>& sequence) {
    std::string text;
    for (const int c : sequence) {
        text.push_back(c < 0 ? '.' : static_cast<char>(c));
    }
    return text;
}

}  // namespace

std::vector<LintFinding> LintRules(const std::vector<std::string>& lines) {
    std::vector<LintFinding> findings;
    std::map<std::pair<bool, std::string>, size_t> seen;  // (allow, body) of earlier lines
    std::optional<size_t> lastAll;
    std::optional<size_t> stopper;  // a line that decides every text reaching it
    // Earlier lines that are a list of literals.
    std::vector<std::pair<size_t, std::vector<std::string>>> literalLines;
    std::vector<std::pair<size_t, std::vector<int>>> simple;  // earlier unanchored simple lines

    if (!lines.empty() && lines[0].starts_with("\xEF\xBB\xBF")) {
        findings.push_back({0,
                            "starts with a byte-order mark (the file was saved as UTF-8 with "
                            "one): its first character is taken as the sign, so this line "
                            "refuses; save the file without it"});
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string_view raw = lines[i];
        const std::string_view kept = TrimRuleLine(raw);
        const bool trimmedNonAscii =
            std::any_of(raw.begin(), raw.begin() + (kept.data() - raw.data()),
                        [](char c) { return static_cast<uint8_t>(c) >= 0x80; }) ||
            std::any_of(kept.data() + kept.size(), raw.data() + raw.size(),
                        [](char c) { return static_cast<uint8_t>(c) >= 0x80; });
        if (trimmedNonAscii) {
            findings.push_back({i,
                                "has a no-break space (0xA0) at an end, trimmed as white "
                                "space like a blank"});
        }
        ParseResult parsed;
        const RuleLine rule = ReadRuleLine(lines[i], &parsed);
        if (rule.kind == LineKind::Ignored) {
            continue;
        }
        if (rule.kind == LineKind::AllowAll || rule.kind == LineKind::RefuseAll) {
            if (lastAll) {
                findings.push_back({*lastAll, "never decides: the \"all\" line at " + LineName(i) +
                                                  " replaces it"});
            }
            lastAll = i;
            continue;
        }
        const auto key = std::make_pair(rule.allow, rule.body);
        if (const auto it = seen.find(key); it != seen.end()) {
            findings.push_back({i, "duplicates " + LineName(it->second)});
            continue;
        }
        seen.emplace(key, i);
        if (rule.kind == LineKind::BadPattern) {
            findings.push_back({i, "does not compile: " + rule.error->message + " (column " +
                                       std::to_string(rule.error->position + 2) +
                                       "); it refuses every text that reaches it"});
        }
        if (stopper) {
            findings.push_back(
                {i, "never decides: " + LineName(*stopper) + " decides every text before it"});
            continue;
        }
        if (rule.kind == LineKind::BadPattern) {
            stopper = i;
            continue;
        }
        const Pattern& pattern = *parsed.pattern;
        if (MatchesEveryText(pattern)) {
            stopper = i;
            continue;
        }
        // Every match of this line contains an earlier line's literal: that line wins first.
        const RequiredLiterals required = FindRequiredLiterals(pattern);
        bool shadowed = false;
        for (const auto& [earlier, literals] : literalLines) {
            // Every literal this line needs holds one of the earlier line's.
            std::string witness;
            bool all = !required.anyOf.empty();
            for (const std::string& needed : required.anyOf) {
                const auto inside =
                    std::find_if(literals.begin(), literals.end(), [&](const std::string& literal) {
                        return needed.find(literal) != std::string::npos;
                    });
                all = all && inside != literals.end();
                if (all && witness.empty()) {
                    witness = *inside;
                }
            }
            if (all) {
                const std::string what =
                    literals.size() == 1 ? "contains \"" + witness + "\""
                                         : "contains one of its words, such as \"" + witness + "\"";
                findings.push_back({i, "never decides: every text it matches " + what + ", which " +
                                           LineName(earlier) + " matches first"});
                shadowed = true;
                break;
            }
        }
        const auto sequence = SimpleSequence(pattern);
        for (size_t k = 0; !shadowed && sequence && k < simple.size(); ++k) {
            if (Contains(*sequence, simple[k].second)) {
                findings.push_back({i, "never decides: every text it matches has a part that " +
                                           LineName(simple[k].first) + " (" +
                                           Describe(simple[k].second) + ") matches first"});
                shadowed = true;
            }
        }
        if (shadowed) {
            continue;
        }
        if (required.isWholePattern) {
            literalLines.emplace_back(i, required.anyOf);
        }
        if (sequence && !pattern.anchoredStart && !pattern.anchoredEnd) {
            simple.emplace_back(i, *sequence);
        }
    }
    std::stable_sort(findings.begin(), findings.end(),
                     [](const LintFinding& a, const LintFinding& b) { return a.line < b.line; });
    return findings;
}

}  // namespace lumbrel::filter
