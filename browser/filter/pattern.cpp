#include "browser/filter/pattern.h"

namespace lumbrel::filter {

namespace {

// Deeper nesting than this is refused: the parser and the matchers must not exhaust the stack
// on a line of a million brackets.
constexpr int kMaxDepth = 500;

struct Failure {
    CompileError error;
};

class Parser {
  public:
    Parser(std::string_view text, Pattern& out) : text_(text), out_(out) {}

    int ParseAll() {
        const int root = Alternation(0);
        if (pos_ < text_.size()) {
            Fail(text_[pos_] == ')' || text_[pos_] == '}' ? "closing bracket without an opening one"
                                                          : "unexpected character");
        }
        if (out_.hasBackrefs) {
            CheckReferencesToSkippedGroups();
        }
        return root;
    }

  private:
    [[noreturn]] void Fail(const char* message) { throw Failure{{pos_, message}}; }

    int Add(Node node) {
        out_.nodes.push_back(std::move(node));
        return static_cast<int>(out_.nodes.size()) - 1;
    }
    int AddWith(NodeKind kind, std::vector<int> children, int group = -1) {
        Node node;
        node.kind = kind;
        node.children = std::move(children);
        node.group = group;
        return Add(std::move(node));
    }
    int CharNode(uint8_t c) {
        Node node;
        node.kind = NodeKind::Char;
        node.ch = FoldCase(c);
        return Add(std::move(node));
    }
    int ClassNode(std::bitset<256> set, bool negated) {
        Node node;
        node.kind = NodeKind::Class;
        node.set = set;
        node.negated = negated;
        return Add(std::move(node));
    }
    static std::bitset<256> Range(uint8_t from, uint8_t to) {
        std::bitset<256> set;
        for (int c = from; c <= to; ++c) {
            set.set(FoldCase(static_cast<uint8_t>(c)));
        }
        return set;
    }
    int RepeatNode(int child, int min, int max) {
        Node node;
        node.kind = NodeKind::Repeat;
        node.children = {child};
        node.min = min;
        node.max = max;
        return Add(std::move(node));
    }
    int Literal(std::string_view s) {
        std::vector<int> chars;
        for (const char c : s) {
            chars.push_back(CharNode(static_cast<uint8_t>(c)));
        }
        return AddWith(NodeKind::Concat, std::move(chars));
    }

    // A group that a match can pass by (an optional one, one alternative of several, one inside
    // a look-ahead) is unset when a reference after it is reached, and an unset group stands
    // for the empty text: such a reference can match empty, and no quantifier may repeat it.
    void CheckReferencesToSkippedGroups() {
        std::vector<int> parent(out_.nodes.size(), -1);
        for (size_t n = 0; n < out_.nodes.size(); ++n) {
            for (const int child : out_.nodes[n].children) {
                parent[static_cast<size_t>(child)] = static_cast<int>(n);
            }
        }
        for (Node& reference : out_.nodes) {
            if (reference.kind != NodeKind::Backref || reference.min == 0) {
                continue;
            }
            const int referenceNode = static_cast<int>(&reference - out_.nodes.data());
            std::vector<bool> aboveReference(out_.nodes.size(), false);
            for (int n = referenceNode; n >= 0; n = parent[static_cast<size_t>(n)]) {
                aboveReference[static_cast<size_t>(n)] = true;
            }
            int n = groupNodes_[static_cast<size_t>(reference.group)];
            bool skippable = false;
            for (; n >= 0 && !aboveReference[static_cast<size_t>(n)];
                 n = parent[static_cast<size_t>(n)]) {
                const Node& node = out_.nodes[static_cast<size_t>(n)];
                skippable = skippable || node.kind == NodeKind::Alternation ||
                            node.kind == NodeKind::Not ||
                            (node.kind == NodeKind::Repeat && node.min == 0);
            }
            // Under a common alternation the two are in different alternatives.
            skippable = skippable || (n >= 0 && out_.nodes[static_cast<size_t>(n)].kind ==
                                                    NodeKind::Alternation);
            if (skippable) {
                reference.min = 0;
            }
        }
        for (const auto& [repeat, at] : quantifiers_) {
            if (CanMatchEmpty(out_, out_.nodes[static_cast<size_t>(repeat)].children[0])) {
                pos_ = at;
                Fail("quantifier on an element that can match the empty text");
            }
        }
    }

    bool AtEnd() const { return pos_ >= text_.size(); }
    char Peek() const { return text_[pos_]; }

    int Alternation(int depth) {
        if (depth > kMaxDepth) {
            Fail("nested too deeply");
        }
        std::vector<int> branches = {Concat(depth)};
        while (!AtEnd() && Peek() == '|') {
            ++pos_;
            branches.push_back(Concat(depth));
        }
        return branches.size() == 1 ? branches[0]
                                    : AddWith(NodeKind::Alternation, std::move(branches));
    }

    int Concat(int depth) {
        std::vector<int> items;
        while (!AtEnd() && Peek() != '|' && Peek() != ')' && Peek() != '}') {
            items.push_back(Quantified(depth));
        }
        if (items.empty()) {
            return AddWith(NodeKind::Empty, {});
        }
        return items.size() == 1 ? items[0] : AddWith(NodeKind::Concat, std::move(items));
    }

    static bool IsQuantifier(char c) { return c == '*' || c == '+' || c == '?'; }

    int Quantified(int depth) {
        if (IsQuantifier(Peek())) {
            Fail("quantifier without an element before it");
        }
        int element = Element(depth);
        if (AtEnd() || !IsQuantifier(Peek())) {
            return element;
        }
        const char q = Peek();
        if (CanMatchEmpty(out_, element)) {
            Fail("quantifier on an element that can match the empty text");
        }
        quantifiers_.emplace_back(RepeatNode(element, q == '+' ? 1 : 0, q == '?' ? 1 : -1), pos_);
        element = quantifiers_.back().first;
        ++pos_;
        if (!AtEnd() && Peek() == '?') {
            out_.nodes[element].lazy = true;
            ++pos_;
        }
        if (!AtEnd() && IsQuantifier(Peek())) {
            Fail("quantifier after a quantifier");
        }
        return element;
    }

    int Element(int depth) {
        if (depth > kMaxDepth) {
            Fail("nested too deeply");
        }
        if (Peek() == '!') {
            ++pos_;
            if (AtEnd() || Peek() == '|' || Peek() == ')' || Peek() == '}') {
                Fail("\"!\" without an element after it");
            }
            if (IsQuantifier(Peek())) {
                Fail("quantifier without an element before it");
            }
            return AddWith(NodeKind::Not, {Element(depth + 1)});
        }
        const size_t start = pos_;
        const char c = text_[pos_++];
        switch (c) {
            case '(':
            case '{': {
                const bool capture = c == '{';
                const int group = capture ? out_.groupCount++ : -1;
                const int node = AddWith(NodeKind::Group, {}, group);
                if (capture) {
                    groupNodes_.push_back(node);
                }
                const int inner = Alternation(depth + 1);
                if (AtEnd() || Peek() != (capture ? '}' : ')')) {
                    pos_ = start;
                    Fail(capture ? "\"{\" without its \"}\"" : "\"(\" without its \")\"");
                }
                ++pos_;
                out_.nodes[node].children = {inner};
                if (capture) {
                    closedGroups_.push_back(group);
                }
                return node;
            }
            case '[':
                return Class(start);
            case '.':
                return AddWith(NodeKind::Any, {});
            case '\\':
                return Escape(start);
            default:
                return CharNode(static_cast<uint8_t>(c));
        }
    }

    int Class(size_t start) {
        bool negated = false;
        if (!AtEnd() && Peek() == '^') {
            negated = true;
            ++pos_;
        }
        std::bitset<256> set;
        while (true) {
            if (AtEnd()) {
                pos_ = start;
                Fail("\"[\" without its \"]\"");
            }
            if (Peek() == ']') {
                ++pos_;
                return ClassNode(set, negated);
            }
            const uint8_t from = ClassChar(start);
            if (pos_ + 1 < text_.size() && Peek() == '-' && text_[pos_ + 1] != ']') {
                ++pos_;
                const uint8_t to = ClassChar(start);
                if (to < from) {
                    Fail("range whose end is below its start");
                }
                set |= Range(from, to);
            } else {
                set.set(FoldCase(from));
            }
        }
    }

    uint8_t ClassChar(size_t start) {
        uint8_t c = static_cast<uint8_t>(text_[pos_++]);
        if (c == '\\') {
            if (AtEnd()) {
                pos_ = start;
                Fail("\"[\" without its \"]\"");
            }
            c = static_cast<uint8_t>(text_[pos_++]);
            if (c == 't') {
                c = '\t';
            }
        }
        return c;
    }

    int Escape(size_t start) {
        if (AtEnd()) {
            pos_ = start;
            Fail("\"\\\" at the end of the pattern");
        }
        const char c = text_[pos_];
        if (c >= '0' && c <= '9') {
            long number = 0;
            while (!AtEnd() && Peek() >= '0' && Peek() <= '9') {
                number = std::min<long>(number * 10 + (Peek() - '0'), 1L << 30);
                ++pos_;
            }
            if (number >= out_.groupCount) {
                pos_ = start;
                Fail("reference to a match group not yet opened");
            }
            Node node;
            node.kind = NodeKind::Backref;
            node.group = static_cast<int>(number);
            out_.hasBackrefs = true;
            // Only a closed group that cannot be empty makes the reference non-empty.
            node.min = GroupClosed(node.group) && !CanMatchEmpty(out_, groupNodes_[node.group]);
            return Add(std::move(node));
        }
        ++pos_;
        const auto group = [&](int inner) { return AddWith(NodeKind::Group, {inner}); };
        switch (c) {
            case 'a':
                return group(ClassNode(Range('a', 'z') | Range('0', '9'), false));
            case 'b': {
                std::bitset<256> blank;
                blank.set(' ');
                blank.set('\t');
                return group(ClassNode(blank, false));
            }
            case 'c':
                return group(ClassNode(Range('a', 'z'), false));
            case 'd':
                return group(ClassNode(Range('0', '9'), false));
            case 'h':
                return group(ClassNode(Range('0', '9') | Range('a', 'f'), false));
            case 'n':
                return group(AddWith(NodeKind::Alternation,
                                     {Literal("\r\n"), Literal("\r"), Literal("\n")}));
            case 'q': {
                std::bitset<256> dq, sq;
                dq.set('"');
                sq.set('\'');
                const int doubleQuoted =
                    AddWith(NodeKind::Concat,
                            {CharNode('"'), RepeatNode(ClassNode(dq, true), 0, -1), CharNode('"')});
                const int singleQuoted = AddWith(
                    NodeKind::Concat,
                    {CharNode('\''), RepeatNode(ClassNode(sq, true), 0, -1), CharNode('\'')});
                return group(AddWith(NodeKind::Alternation, {doubleQuoted, singleQuoted}));
            }
            case 'w':
                return group(RepeatNode(ClassNode(Range('a', 'z'), false), 1, -1));
            case 'z':
                return group(RepeatNode(ClassNode(Range('0', '9'), false), 1, -1));
            default:
                return CharNode(static_cast<uint8_t>(c));
        }
    }

    bool GroupClosed(int group) const {
        for (const int closed : closedGroups_) {
            if (closed == group) {
                return true;
            }
        }
        return false;
    }

    std::string_view text_;
    Pattern& out_;
    size_t pos_ = 0;
    std::vector<int> closedGroups_;
    std::vector<int> groupNodes_;
    std::vector<std::pair<int, size_t>> quantifiers_;  // each repeat and where its sign stands
};

// The position of a trailing `$` that is not escaped, or npos.
size_t TrailingAnchor(std::string_view text) {
    if (text.empty() || text.back() != '$') {
        return std::string_view::npos;
    }
    size_t backslashes = 0;
    for (size_t i = text.size() - 1; i > 0 && text[i - 1] == '\\'; --i) {
        ++backslashes;
    }
    return backslashes % 2 == 0 ? text.size() - 1 : std::string_view::npos;
}

}  // namespace

bool CanMatchEmpty(const Pattern& pattern, int index) {
    const Node& node = pattern.nodes[static_cast<size_t>(index)];
    switch (node.kind) {
        case NodeKind::Empty:
        case NodeKind::Not:
            return true;
        case NodeKind::Char:
        case NodeKind::Any:
        case NodeKind::Class:
            return false;
        case NodeKind::Backref:
            return node.min == 0;
        case NodeKind::Concat:
            for (const int child : node.children) {
                if (!CanMatchEmpty(pattern, child)) {
                    return false;
                }
            }
            return true;
        case NodeKind::Alternation:
            for (const int child : node.children) {
                if (CanMatchEmpty(pattern, child)) {
                    return true;
                }
            }
            return false;
        case NodeKind::Group:
            // A group still being parsed has no child yet: count it as possibly empty.
            return node.children.empty() || CanMatchEmpty(pattern, node.children[0]);
        case NodeKind::Repeat:
            return node.min == 0 || CanMatchEmpty(pattern, node.children[0]);
    }
    return true;
}

ParseResult ParsePattern(std::string_view text) {
    Pattern pattern;
    size_t offset = 0;
    if (!text.empty() && text.front() == '^') {
        pattern.anchoredStart = true;
        text.remove_prefix(1);
        offset = 1;
    }
    const size_t anchor = TrailingAnchor(text);
    if (anchor != std::string_view::npos) {
        pattern.anchoredEnd = true;
        text.remove_suffix(1);
    }
    // About a node a character: grown as it goes, the nodes would be moved several times.
    pattern.nodes.reserve(text.size() + 4);
    try {
        Parser parser(text, pattern);
        pattern.root = parser.ParseAll();
    } catch (const Failure& failure) {
        CompileError error = failure.error;
        error.position += offset;
        return {std::nullopt, error};
    }
    return {std::move(pattern), std::nullopt};
}

}  // namespace lumbrel::filter
