#include "browser/filter/rule_list.h"

#include <algorithm>
#include <new>
#include <stdexcept>

namespace lumbrel::filter {

bool IsRuleWhiteSpace(char c) {
    switch (static_cast<uint8_t>(c)) {
        case ' ':
        case '\t':
        case '\n':
        case '\v':
        case '\f':
        case '\r':
        case 0xA0:  // the no-break space
            return true;
        default:
            return false;
    }
}

std::string_view TrimRuleLine(std::string_view line) {
    while (!line.empty() && IsRuleWhiteSpace(line.front())) {
        line.remove_prefix(1);
    }
    while (!line.empty() && IsRuleWhiteSpace(line.back())) {
        line.remove_suffix(1);
    }
    return line;
}

RuleLine ReadRuleLine(std::string_view line, ParseResult* parsedOut) {
    line = TrimRuleLine(line);
    RuleLine rule;
    if (line.empty() || line.front() == ';') {
        return rule;
    }
    rule.allow = line.front() == '+';
    rule.body = FoldText(line.substr(1));
    if (rule.body == "all") {
        rule.kind = rule.allow ? LineKind::AllowAll : LineKind::RefuseAll;
    } else if (!rule.body.empty()) {
        ParseResult parsed = ParsePattern(rule.body);
        rule.kind = parsed.pattern ? LineKind::Pattern : LineKind::BadPattern;
        rule.error = parsed.error;
        if (parsedOut != nullptr) {
            *parsedOut = std::move(parsed);
        }
    }
    return rule;
}

RuleList::RuleList(const RuleLines& lines, const SourceId& source) {
    LiteralScannerBuilder literals;
    std::vector<ImageEntry> entries;
    std::vector<uint32_t> alwaysChecked;
    std::vector<std::pair<uint32_t, uint32_t>> needs;  // (literal, entry)
    ImageContents c;
    for (size_t i = 0; i < lines.size(); ++i) {
        ParseResult parsed;
        const RuleLine rule = ReadRuleLine(lines[i], &parsed);
        const auto line = static_cast<uint32_t>(i);
        const auto index = static_cast<uint32_t>(entries.size());
        if (rule.kind == LineKind::AllowAll || rule.kind == LineKind::RefuseAll) {
            c.lastAll = line;
            c.lastAllAllows = rule.kind == LineKind::AllowAll;
        } else if (rule.kind == LineKind::BadPattern) {
            alwaysChecked.push_back(index);
            entries.push_back({line, kEntryBad});
        } else if (rule.kind == LineKind::Pattern) {
            const RequiredLiterals required = FindRequiredLiterals(*parsed.pattern);
            for (const std::string& literal : required.anyOf) {
                needs.emplace_back(literals.Add(literal), index);
            }
            if (required.anyOf.empty()) {
                alwaysChecked.push_back(index);
            }
            entries.push_back({line, (rule.allow ? kEntryAllows : 0) |
                                         (required.isWholePattern ? 0 : kEntryNeedsMatcher)});
        }
    }
    literals.Build();
    // The entries that require each literal, as one run per literal.
    std::vector<uint32_t> firstRequirer(literals.Count() + 1, 0);
    for (const auto& need : needs) {
        ++firstRequirer[need.first + 1];
    }
    for (size_t id = 0; id < literals.Count(); ++id) {
        firstRequirer[id + 1] += firstRequirer[id];
    }
    std::vector<uint32_t> requirers(needs.size());
    std::vector<uint32_t> fill(firstRequirer.begin(), firstRequirer.end() - 1);
    for (const auto& [literal, entry] : needs) {
        requirers[fill[literal]++] = entry;
    }
    needs = {};

    static constexpr uint32_t kNoLines[] = {0};
    c.source = source;
    c.lineText = lines.Text();
    c.lineStarts = lines.empty() ? std::span<const uint32_t>(kNoLines) : lines.Starts();
    c.entries = entries;
    c.alwaysChecked = alwaysChecked;
    c.firstRequirer = firstRequirer;
    c.requirers = requirers;
    c.scanner = literals.Tables();
    auto words = std::make_shared<std::vector<uint64_t>>(WriteImage(c));
    const std::string_view image = ImageBytes(*words);
    ImageProblem problem;
    const std::optional<ImageContents> written = ReadImage(image, problem);
    if (!written) {  // what was just laid out reads back: anything else is a fault here
        throw std::logic_error(std::string("compiled rule image is ") +
                               DescribeImageProblem(problem));
    }
    *this = RuleList(image, std::move(words), *written);
}

RuleList::RuleList(std::string_view image, std::shared_ptr<const void> keep, const ImageContents& c)
    : keep_(std::move(keep)),
      image_(image),
      contents_(c),
      lines_(c.lineText, c.lineStarts, keep_),
      scanner_(c.scanner) {}

RuleList::RuleList(RuleList&&) noexcept = default;
RuleList& RuleList::operator=(RuleList&&) noexcept = default;
RuleList::~RuleList() = default;

std::optional<RuleList> RuleList::Attach(std::string_view image, std::shared_ptr<const void> keep,
                                         ImageProblem& problem) {
    const std::optional<ImageContents> contents = ReadImage(image, problem);
    if (!contents) {
        return std::nullopt;
    }
    return RuleList(image, std::move(keep), *contents);
}

const Matcher* RuleList::MatcherOf(uint32_t entry) const {
    if (matcherPages_.empty()) {
        matcherPages_.resize(contents_.entries.size() / MatcherPage::kSize + 1);
    }
    std::unique_ptr<MatcherPage>& page = matcherPages_[entry / MatcherPage::kSize];
    if (!page) {
        page = std::make_unique<MatcherPage>();
    }
    const uint32_t slot = entry % MatcherPage::kSize;
    if (!page->tried[slot]) {
        ParseResult parsed;
        const RuleLine rule = ReadRuleLine(lines_[contents_.entries[entry].line], &parsed);
        if (rule.kind == LineKind::Pattern) {
            page->matchers[slot] = std::make_unique<Matcher>(*parsed.pattern);
        }
        page->tried[slot] = true;
    }
    return page->matchers[slot].get();
}

Verdict RuleList::Evaluate(std::string_view text) const {
    try {
        return Decide(text);
    } catch (const std::bad_alloc&) {
        return {false, Reason::OutOfMemory, std::nullopt};
    }
}

namespace {

// Ends a scan once the line that will decide is known: the earliest line that a found literal
// decides alone (as its first requirer: a literal many lines need is not walked each time),
// when every literal that an earlier line requires has been found too (the earlier lines it
// could bring are then all candidates already; lines without literals always are). Those
// literals are counted when the line is found, a pass over the literals each time: a page that
// finds ever earlier lines gets a few such passes, then is simply scanned to its end.
class DecidingLineWatch final : public ScanWatch {
  public:
    DecidingLineWatch(const ImageContents& c, const std::vector<uint32_t>& found)
        : c_(c), found_(found) {}

    bool Found(uint32_t id) override {
        const uint32_t entry = FirstRequirer(id);
        if (entry < bound_ && (c_.entries[entry].flags & kEntryNeedsMatcher) == 0) {
            if (++bounds_ > kMostBounds) {
                return false;
            }
            bound_ = entry;
            foundBefore_ = 0;
            for (const uint32_t seen : found_) {  // includes this one
                foundBefore_ += FirstRequirer(seen) < bound_ ? 1 : 0;
            }
            literalsBefore_ = 0;
            for (uint32_t k = 0; bound_ > 0 && k < c_.scanner.count; ++k) {
                literalsBefore_ += FirstRequirer(k) < bound_ ? 1 : 0;
            }
        } else if (entry < bound_) {
            ++foundBefore_;
        }
        return bound_ != kNoLine && foundBefore_ == literalsBefore_;
    }

  private:
    // The earliest line that requires the literal (its run of requirers rises).
    uint32_t FirstRequirer(uint32_t id) const {
        return c_.firstRequirer[id] == c_.firstRequirer[id + 1]
                   ? kNoLine
                   : c_.requirers[c_.firstRequirer[id]];
    }

    static constexpr int kMostBounds = 8;

    const ImageContents& c_;
    const std::vector<uint32_t>& found_;
    int bounds_ = 0;
    uint32_t bound_ = kNoLine;
    uint32_t foundBefore_ = 0;
    uint32_t literalsBefore_ = 0;
};

}  // namespace

Verdict RuleList::Decide(std::string_view text) const {
    const ImageContents& c = contents_;
    if (!text.empty()) {
        std::vector<uint32_t>& found = found_;
        std::vector<uint32_t>& candidates = candidates_;
        // A short text (an address) is scanned whole: ending early would save next to nothing.
        DecidingLineWatch watch(c, found);
        scanner_.Scan(text, seen_, found, text.size() < kMinVectorText ? nullptr : &watch);
        candidates.assign(c.alwaysChecked.begin(), c.alwaysChecked.end());
        for (const uint32_t id : found) {
            candidates.insert(candidates.end(), c.requirers.begin() + c.firstRequirer[id],
                              c.requirers.begin() + c.firstRequirer[id + 1]);
        }
        if (!found.empty()) {
            std::sort(candidates.begin(), candidates.end());
            candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
        }
        for (const uint32_t index : candidates) {
            const ImageEntry& entry = c.entries[index];
            const size_t line = entry.line;
            const bool allow = (entry.flags & kEntryAllows) != 0;
            if ((entry.flags & kEntryBad) != 0) {
                return {false, Reason::BadPattern, line};
            }
            if ((entry.flags & kEntryNeedsMatcher) == 0) {  // a literal of it was found
                return {allow, Reason::PatternMatched, line};
            }
            const Matcher* matcher = MatcherOf(index);
            if (matcher == nullptr) {
                return {false, Reason::BadPattern, line};
            }
            switch (matcher->Search(text)) {
                case SearchResult::Match:
                    return {allow, Reason::PatternMatched, line};
                case SearchResult::BudgetExceeded:
                    return {false, Reason::BudgetExceeded, line};
                case SearchResult::OutOfMemory:
                    return {false, Reason::OutOfMemory, line};
                case SearchResult::NoMatch:
                    break;
            }
        }
    }
    if (c.lastAll != kNoLine) {
        return {c.lastAllAllows, Reason::DefaultAll, size_t(c.lastAll)};
    }
    return {false, Reason::NoAllLine, std::nullopt};
}

}  // namespace lumbrel::filter
