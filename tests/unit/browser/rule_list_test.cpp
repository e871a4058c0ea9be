// Evaluating a rule file: which line decides, and why.
#include <gtest/gtest.h>

#include "browser/filter/rule_list.h"

namespace lumbrel::filter {
namespace {

bool Allowed(const std::vector<std::string>& lines, std::string_view text) {
    return RuleList(lines).Evaluate(text).allowed;
}

TEST(RuleList, AllLinesAndTheirAbsence) {
    EXPECT_TRUE(Allowed({"+all"}, "http://anything/"));
    EXPECT_TRUE(Allowed({"+ALL"}, "http://anything/"));
    EXPECT_FALSE(Allowed({"-all"}, "http://anything/"));
    EXPECT_FALSE(Allowed({"xall"}, "http://anything/"));  // every sign but "+" refuses
    EXPECT_FALSE(Allowed({}, "http://anything/"));
    EXPECT_FALSE(Allowed({"", "   ", "; +all"}, "http://anything/"));
    // The last "all" line read decides.
    EXPECT_TRUE(Allowed({"-all", "+all"}, "http://x/"));
    EXPECT_FALSE(Allowed({"+all", "-all"}, "http://x/"));
    const Verdict verdict = RuleList({"-all", "+all"}).Evaluate("http://x/");
    EXPECT_EQ(verdict.reason, Reason::DefaultAll);
    EXPECT_EQ(verdict.line, 1u);
}

TEST(RuleList, FirstMatchingPatternDecides) {
    const std::vector<std::string> rules = {"+example", "-all"};
    EXPECT_TRUE(Allowed(rules, "http://www.EXAMPLE.org/"));
    EXPECT_TRUE(Allowed(rules, "http://other.org/?q=example"));
    EXPECT_FALSE(Allowed(rules, "http://other.org/"));
    // An "all" line never stops the search for a matching pattern.
    EXPECT_FALSE(Allowed({"+all", "-casino", "+casino"}, "http://casino.com"));
    const Verdict verdict = RuleList({"+all", "-casino", "+casino"}).Evaluate("casino");
    EXPECT_EQ(verdict.reason, Reason::PatternMatched);
    EXPECT_EQ(verdict.line, 1u);
}

TEST(RuleList, ARuleCopiedWithANoBreakSpaceStillRefuses) {
    const std::vector<std::string> rules = {"\xA0-casino\xA0", "+all"};
    EXPECT_FALSE(Allowed(rules, "http://casino.example/"));
    EXPECT_TRUE(Allowed(rules, "http://library.example/"));
    // Inside a pattern it is an ordinary character.
    EXPECT_FALSE(Allowed({"-a\xA0"
                          "b",
                          "+all"},
                         "a\xA0"
                         "b"));
    EXPECT_TRUE(Allowed({"-a\xA0"
                         "b",
                         "+all"},
                        "a b"));
}

TEST(RuleList, AWideWordListDecidesOnAPageOfMegabytes) {
    // A hundred words in one line, as administrators write them, on a 3 MB page.
    std::string words;
    for (int w = 0; w < 100; ++w) {
        words += (w > 0 ? "|" : "") + std::string("word") + std::to_string(w * 7919 % 100003);
    }
    const RuleList list({"-(" + words + ")", "+all"});
    std::string page;
    while (page.size() < (3u << 20)) {
        page += "<p class=\"text\">Lorem ipsum dolor sit amet, word consectetur 12345</p>\n";
    }
    EXPECT_TRUE(list.Evaluate(page).allowed);
    page.replace(page.size() - 200, 9, "WORD7919 ");  // the second word, in capitals
    const Verdict hit = list.Evaluate(page);
    EXPECT_FALSE(hit.allowed);
    EXPECT_EQ(hit.reason, Reason::PatternMatched);
    EXPECT_EQ(hit.line, 0u);
}

// The scan ends once the deciding line is known, never before: a later line found first waits
// for the earlier lines' literals, wherever in the page they come, and a line whose literal
// needs its pattern confirmed does not end it.
TEST(RuleList, TheScanEndsOnlyOnceTheDecidingLineIsKnown) {
    std::vector<std::string> lines = {"-zebra", "+apple"};
    for (int k = 0; k < 40; ++k) {  // a set wide enough for every scan
        lines.push_back("-filler" + std::to_string(k));
    }
    lines.push_back("+all");
    const RuleList list(lines);
    const std::string filler(5000, '.');
    const Verdict later = list.Evaluate("apple" + filler + "zebra");
    EXPECT_FALSE(later.allowed);
    EXPECT_EQ(later.line, 0u);
    const Verdict only = list.Evaluate("apple" + filler + "zebr");
    EXPECT_TRUE(only.allowed);
    EXPECT_EQ(only.line, 1u);

    // "cat" found first decides nothing alone: its line must still see "catfish" refused.
    const RuleList confirmed({"-cat!(fish)", "+dog", "-all"});
    EXPECT_EQ(confirmed.Evaluate("dog catfish" + filler + "cat").line, 0u);
    EXPECT_EQ(confirmed.Evaluate("catfish dog" + filler + "catfish").line, 1u);
}

// A rule that is one long literal, on a page of its near-matches: decided right in any case and
// anchoring (and in time linear in the page: filter_bench LongLiteralNearMatches).
TEST(RuleList, ALongLiteralRuleOnAPageOfNearMatchesIsDecidedRight) {
    const std::string literal = std::string(1000, 'a') + "b";
    const std::string page = std::string(200000, 'a');
    EXPECT_TRUE(Allowed({"-" + literal, "+all"}, page));
    EXPECT_FALSE(Allowed({"-" + literal, "+all"}, page + "B" + page));
    EXPECT_FALSE(Allowed({"-^" + std::string(999, 'A') + "ab", "+all"}, literal + page));
    EXPECT_TRUE(Allowed({"-^" + literal, "+all"}, page + "b"));
    EXPECT_TRUE(Allowed({"-^" + literal, "+all"}, "x" + page + "b"));
    EXPECT_FALSE(Allowed({"-" + literal + "$", "+all"}, page + "b"));
    EXPECT_TRUE(Allowed({"-" + literal + "$", "+all"}, page + "bx"));
    EXPECT_FALSE(Allowed({"-^ab$", "+all"}, "AB"));
    EXPECT_TRUE(Allowed({"-^ab$", "+all"}, "abc"));
    // Borders inside the literal: "aab" after "aaab".
    EXPECT_FALSE(Allowed({"-aabaab", "+all"}, "aaabaabaab"));
}

TEST(RuleList, LinesAreTrimmedButTheBodyIsNot) {
    EXPECT_TRUE(Allowed({"  +example\t ", "-all"}, "example.com"));
    EXPECT_FALSE(Allowed({"+ example", "-all"}, "example.com"));
    EXPECT_TRUE(Allowed({"+ example", "-all"}, "an example.com"));
    EXPECT_TRUE(Allowed({"\r+EXAMPLE\r", "-all"}, "example"));
    const RuleLine line = ReadRuleLine("  -Casino  ");
    EXPECT_EQ(line.kind, LineKind::Pattern);
    EXPECT_FALSE(line.allow);
    EXPECT_EQ(line.body, "casino");
    EXPECT_EQ(ReadRuleLine("+").kind, LineKind::Ignored);
    EXPECT_EQ(ReadRuleLine(";+all").kind, LineKind::Ignored);
}

TEST(RuleList, PatternsAreLowerCasedBeforeTheyCompile) {
    // "\D" becomes the abbreviation "\d", "[A-Z]" stays a range of letters.
    EXPECT_TRUE(Allowed({"+id=\\D", "-all"}, "?id=4"));
    EXPECT_FALSE(Allowed({"+id=\\D", "-all"}, "?id=D"));
    EXPECT_TRUE(Allowed({"+^[A-Z]+$", "-all"}, "abc"));
}

TEST(RuleList, ALineThatDoesNotCompileRefusesWhenReached) {
    EXPECT_FALSE(Allowed({"+[abc", "+all"}, "http://a/"));
    const Verdict verdict = RuleList({"+example", "+[abc", "+all"}).Evaluate("http://x/");
    EXPECT_FALSE(verdict.allowed);
    EXPECT_EQ(verdict.reason, Reason::BadPattern);
    EXPECT_EQ(verdict.line, 1u);
    // A line before it that matches still decides.
    EXPECT_TRUE(Allowed({"+example", "+[abc", "-all"}, "http://example/"));
}

TEST(RuleList, EmptyTextSkipsEveryPatternLine) {
    EXPECT_TRUE(Allowed({"-a", "+[bad", "+all"}, ""));
    EXPECT_FALSE(Allowed({"+.*", "-all"}, ""));
}

TEST(RuleList, ContentRules) {
    const std::vector<std::string> rules = {"-casino", "+all"};
    EXPECT_FALSE(Allowed(rules, "<p>Best CaSiNo in town</p>"));
    EXPECT_TRUE(Allowed(rules, "<p>Library hours</p>"));
    EXPECT_FALSE(Allowed({"-casino"}, "<p>Library hours</p>"));
}

TEST(RuleList, RuleThatRunsOutOfStepsRefuses) {
    const std::vector<std::string> rules = {"+{(a|aa)+}\\0b", "+all"};
    const Verdict verdict = RuleList(rules).Evaluate(std::string(60, 'a'));
    EXPECT_FALSE(verdict.allowed);
    EXPECT_EQ(verdict.reason, Reason::BudgetExceeded);
    EXPECT_EQ(verdict.line, 0u);
}

TEST(RuleList, GarbageFilesLoadAndDecide) {
    std::vector<std::string> lines;
    for (int i = 0; i < 256; ++i) {
        lines.push_back(std::string(1, static_cast<char>(i)) +
                        std::string(3, static_cast<char>(255 - i)));
    }
    lines.push_back(std::string("+a\0b", 4));
    lines.push_back("\xEF\xBB\xBF+all");  // a byte order mark makes the sign a byte of it
    lines.push_back(std::string(1 << 20, 'x'));
    const RuleList list(lines);
    const Verdict verdict = list.Evaluate("http://example.com/");
    EXPECT_FALSE(verdict.allowed);
}

}  // namespace
}  // namespace lumbrel::filter
