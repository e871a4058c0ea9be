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
    lines_.reserve(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        ParseResult parsed;
        lines_.push_back(ReadRuleLine(lines[i], &parsed));
        const RuleLine& rule = lines_.back();
        if (rule.kind == LineKind::AllowAll || rule.kind == LineKind::RefuseAll) {
            lastAll_ = i;
        } else if (rule.kind == LineKind::BadPattern) {
            compiled_.push_back({i, true, std::nullopt, {}});
        } else if (rule.kind == LineKind::Pattern) {
            Compiled entry{i, false, std::nullopt, {}};
            const RequiredLiterals required = FindRequiredLiterals(*parsed.pattern);
            for (const std::string& literal : required.anyOf) {
                entry.literals.push_back(scanner_.Add(literal));
            }
            if (!required.isWholePattern) {
                entry.matcher.emplace(*parsed.pattern);
            }
            compiled_.push_back(std::move(entry));
        }
    }
    scanner_.Build();
    byLiteral_.resize(scanner_.Count());
    for (uint32_t index = 0; index < compiled_.size(); ++index) {
        if (compiled_[index].literals.empty()) {
            alwaysChecked_.push_back(index);
        }
        for (const uint32_t id : compiled_[index].literals) {
            byLiteral_[id].push_back(index);
        }
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
            candidates.insert(candidates.end(), byLiteral_[id].begin(), byLiteral_[id].end());
        }
        if (!found.empty()) {
            std::sort(candidates.begin(), candidates.end());
            candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
        }
        for (const uint32_t index : candidates) {
            const Compiled& entry = compiled_[index];
            const bool allow = lines_[entry.line].allow;
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
        return {lines_[*lastAll_].kind == LineKind::AllowAll, Reason::DefaultAll, lastAll_};
    }
    return {false, Reason::NoAllLine, std::nullopt};
}

}  // namespace lumbrel::filter
