// The rule files' pattern language, parsed into a tree.
//
// Case is ignored for A to Z; the matchers compare text folded to lower case with the tree.
// `^` as the first and `$` as the last character anchor the whole pattern; elsewhere both are
// ordinary characters. One byte is one character: a UTF-8 letter outside ASCII is several.
#pragma once

#include <bitset>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumbrel::filter {

enum class NodeKind : uint8_t {
    Empty,        // matches the empty text
    Char,         // `ch`, folded
    Any,          // `.`
    Class,        // `set`, holds folded characters; `negated` inverts it
    Concat,       // children in order
    Alternation,  // any one child
    Group,        // child 0; `group` >= 0 for a match group, -1 for plain grouping
    Repeat,       // child 0, `min` to `max` times (max -1: no limit), `lazy`
    Not,          // zero width: child 0 does not match here
    Backref,      // the text of match group `group`
};

struct Node {
    NodeKind kind = NodeKind::Empty;
    uint8_t ch = 0;
    bool negated = false;
    bool lazy = false;
    int group = -1;
    int min = 0;
    int max = 0;
    std::bitset<256> set;
    std::vector<int> children;
};

struct Pattern {
    std::vector<Node> nodes;
    int root = 0;
    bool anchoredStart = false;
    bool anchoredEnd = false;
    int groupCount = 0;
    bool hasBackrefs = false;
};

struct CompileError {
    size_t position;  // index into the pattern text
    std::string message;
};

struct ParseResult {
    std::optional<Pattern> pattern;
    std::optional<CompileError> error;
};

ParseResult ParsePattern(std::string_view text);

// A to Z to a to z; every other byte stays.
inline uint8_t FoldCase(uint8_t c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<uint8_t>(c + 32) : c;
}

// A text with A to Z folded, as the rules compare it.
inline std::string FoldText(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(FoldCase(static_cast<uint8_t>(c)));
    }
    return out;
}

// Whether the node can match the empty text (used by the parser's quantifier rule).
bool CanMatchEmpty(const Pattern& pattern, int node);

}  // namespace lumbrel::filter
