#include "browser/filter/rule_list.h"

#include <algorithm>
#include <new>

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

RuleList::RuleList(const std::vector<std::string>& lines) {
    std::vector<std::pair<uint32_t, uint32_t>> needs;  // (literal, entry)
    for (size_t i = 0; i < lines.size(); ++i) {
        ParseResult parsed;
        const RuleLine rule = ReadRuleLine(lines[i], &parsed);
        if (rule.kind == LineKind::AllowAll || rule.kind == LineKind::RefuseAll) {
            lastAll_ = i;
            lastAllAllows_ = rule.kind == LineKind::AllowAll;
        } else if (rule.kind == LineKind::BadPattern) {
            alwaysChecked_.push_back(static_cast<uint32_t>(compiled_.size()));
            compiled_.push_back({i, false, true, std::nullopt});
        } else if (rule.kind == LineKind::Pattern) {
            const auto index = static_cast<uint32_t>(compiled_.size());
            Compiled entry{i, rule.allow, false, std::nullopt};
            const RequiredLiterals required = FindRequiredLiterals(*parsed.pattern);
            for (const std::string& literal : required.anyOf) {
                needs.emplace_back(scanner_.Add(literal), index);
            }
            if (required.anyOf.empty()) {
                alwaysChecked_.push_back(index);
            }
            if (!required.isWholePattern) {
                entry.matcher.emplace(*parsed.pattern);
            }
            compiled_.push_back(std::move(entry));
        }
    }
    scanner_.Build();
    // The entries that require each literal, as one run per literal.
    firstRequirer_.assign(scanner_.Count() + 1, 0);
    for (const auto& [literal, entry] : needs) {
        ++firstRequirer_[literal + 1];
    }
    for (size_t id = 0; id < scanner_.Count(); ++id) {
        firstRequirer_[id + 1] += firstRequirer_[id];
    }
    requirers_.resize(needs.size());
    std::vector<uint32_t> fill(firstRequirer_.begin(), firstRequirer_.end() - 1);
    for (const auto& [literal, entry] : needs) {
        requirers_[fill[literal]++] = entry;
    }
}

Verdict RuleList::Evaluate(std::string_view text) const {
    try {
        return Decide(text);
    } catch (const std::bad_alloc&) {
        return {false, Reason::OutOfMemory, std::nullopt};
    }
}

Verdict RuleList::Decide(std::string_view text) const {
    if (!text.empty()) {
        std::vector<uint32_t>& found = found_;
        std::vector<uint32_t>& candidates = candidates_;
        scanner_.Scan(text, seen_, found);
        candidates.assign(alwaysChecked_.begin(), alwaysChecked_.end());
        for (const uint32_t id : found) {
            candidates.insert(candidates.end(), requirers_.begin() + firstRequirer_[id],
                              requirers_.begin() + firstRequirer_[id + 1]);
        }
        if (!found.empty()) {
            std::sort(candidates.begin(), candidates.end());
            candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
        }
        for (const uint32_t index : candidates) {
            const Compiled& entry = compiled_[index];
            const bool allow = entry.allow;
            if (entry.bad) {
                return {false, Reason::BadPattern, entry.line};
            }
            if (!entry.matcher) {  // one of its literals was found: that is the match
                return {allow, Reason::PatternMatched, entry.line};
            }
            switch (entry.matcher->Search(text)) {
                case SearchResult::Match:
                    return {allow, Reason::PatternMatched, entry.line};
                case SearchResult::BudgetExceeded:
                    return {false, Reason::BudgetExceeded, entry.line};
                case SearchResult::OutOfMemory:
                    return {false, Reason::OutOfMemory, entry.line};
                case SearchResult::NoMatch:
                    break;
            }
        }
    }
    if (lastAll_) {
        return {lastAllAllows_, Reason::DefaultAll, lastAll_};
    }
    return {false, Reason::NoAllLine, std::nullopt};
}

}  // namespace lumbrel::filter
