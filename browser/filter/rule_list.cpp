#include "browser/filter/rule_list.h"

#include <algorithm>

namespace lumbrel::filter {

namespace {

bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

RuleLine ReadRuleLine(std::string_view line, ParseResult* parsedOut) {
    while (!line.empty() && IsWhiteSpace(line.front())) {
        line.remove_prefix(1);
    }
    while (!line.empty() && IsWhiteSpace(line.back())) {
        line.remove_suffix(1);
    }
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
            compiled_.push_back({i, std::nullopt, {}, false});
        } else if (rule.kind == LineKind::Pattern) {
            Compiled entry{i, Matcher(*parsed.pattern), {}, false};
            const RequiredLiterals required = FindRequiredLiterals(*parsed.pattern);
            for (const std::string& literal : required.anyOf) {
                entry.literals.push_back(scanner_.Add(literal));
            }
            entry.literalIsMatch = required.isWholePattern;
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
            if (!entry.matcher) {
                return {false, Reason::BadPattern, entry.line};
            }
            if (entry.literalIsMatch) {
                return {allow, Reason::PatternMatched, entry.line};
            }
            switch (entry.matcher->Search(text)) {
                case SearchResult::Match:
                    return {allow, Reason::PatternMatched, entry.line};
                case SearchResult::BudgetExceeded:
                    return {false, Reason::BudgetExceeded, entry.line};
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
