// The pattern language: each element, the anchors, case, and what does not compile.
#include <gtest/gtest.h>

#include "browser/filter/lazy_dfa.h"
#include "browser/filter/matcher.h"
#include "browser/filter/pattern.h"

namespace lumbrel::filter {
namespace {

SearchResult Search(std::string_view pattern, std::string_view text) {
    const ParseResult parsed = ParsePattern(pattern);
    EXPECT_TRUE(parsed.pattern.has_value()) << pattern << ": " << parsed.error->message;
    if (!parsed.pattern) {
        return SearchResult::NoMatch;
    }
    return Matcher(*parsed.pattern).Search(text);
}

bool Finds(std::string_view pattern, std::string_view text) {
    return Search(pattern, text) == SearchResult::Match;
}

std::string ErrorOf(std::string_view pattern) {
    const ParseResult parsed = ParsePattern(pattern);
    return parsed.error ? parsed.error->message : "";
}

TEST(Pattern, OrdinaryCharactersAnyAndCase) {
    EXPECT_TRUE(Finds("example", "http://www.EXAMPLE.com/"));
    EXPECT_TRUE(Finds("EXAMPLE", "www.example.com"));
    EXPECT_FALSE(Finds("exampel", "www.example.com"));
    EXPECT_TRUE(Finds("a.c", "xxabcxx"));
    EXPECT_FALSE(Finds("a.c", "ac"));
    EXPECT_TRUE(Finds("a.c", "a\nc"));
    // Only A to Z fold: other bytes are compared as they are.
    EXPECT_FALSE(Finds("\xC3\xA9", "\xC3\x89"));
    EXPECT_TRUE(Finds("caf\xC3\xA9", "CAF\xC3\xA9"));
}

TEST(Pattern, Classes) {
    EXPECT_TRUE(Finds("[abc]x", "Bx"));
    EXPECT_FALSE(Finds("[^abc]x", "Bx"));
    EXPECT_TRUE(Finds("[^abc]x", "dx"));
    EXPECT_TRUE(Finds("^[a-f0-3]+$", "Fa03"));
    EXPECT_FALSE(Finds("^[a-f0-3]+$", "fa04"));
    EXPECT_TRUE(Finds("[\\t]", "a\tb"));
    EXPECT_FALSE(Finds("[\\t]", "t"));
    EXPECT_TRUE(Finds("[\\]]", "]"));
    EXPECT_TRUE(Finds("[a\\-z]", "-"));
    EXPECT_FALSE(Finds("[a\\-z]", "m"));
    EXPECT_TRUE(Finds("[-a]", "-"));
    EXPECT_TRUE(Finds("[a-]", "-"));
    EXPECT_FALSE(Finds("x[]", "x"));  // an empty set matches nothing
    EXPECT_EQ(ErrorOf("[z-a]"), "range whose end is below its start");
    EXPECT_EQ(ErrorOf("[abc"), "\"[\" without its \"]\"");
    EXPECT_EQ(ErrorOf("[abc\\"), "\"[\" without its \"]\"");
}

TEST(Pattern, EscapesAndAbbreviations) {
    EXPECT_TRUE(Finds("a\\.b", "a.b"));
    EXPECT_FALSE(Finds("a\\.b", "axb"));
    EXPECT_TRUE(Finds("\\t", "t"));  // outside brackets \t is a plain t
    EXPECT_TRUE(Finds("^\\a\\a$", "z9"));
    EXPECT_FALSE(Finds("^\\a$", "_"));
    EXPECT_TRUE(Finds("x\\by", "x\ty"));
    EXPECT_TRUE(Finds("^\\c$", "Q"));
    EXPECT_FALSE(Finds("^\\c$", "1"));
    EXPECT_TRUE(Finds("^\\d$", "7"));
    EXPECT_TRUE(Finds("^\\h+$", "DeadBeef09"));
    EXPECT_FALSE(Finds("^\\h+$", "g"));
    for (const char* lineBreak : {"a\r\nb", "a\rb", "a\nb"}) {
        EXPECT_TRUE(Finds("^a\\nb$", lineBreak));
    }
    EXPECT_FALSE(Finds("^a\\nb$", "a\n\rb"));
    EXPECT_TRUE(Finds("=\\q;", "x=\"a b\";"));
    EXPECT_TRUE(Finds("=\\q;", "x='';"));
    EXPECT_FALSE(Finds("=\\q;", "x=\"a';"));
    EXPECT_TRUE(Finds("^\\w$", "Hello"));
    EXPECT_FALSE(Finds("^\\w$", "Hel1o"));
    EXPECT_TRUE(Finds("id=\\z&", "?id=123&"));
    EXPECT_FALSE(Finds("id=\\z&", "?id=&"));
    EXPECT_EQ(ErrorOf("abc\\"), "\"\\\" at the end of the pattern");
}

TEST(Pattern, GroupsAlternationAndQuantifiers) {
    EXPECT_TRUE(Finds("^(ab)+$", "ababab"));
    EXPECT_FALSE(Finds("^(ab)+$", "abba"));
    EXPECT_TRUE(Finds("^colou?r$", "color"));
    EXPECT_TRUE(Finds("^colou?r$", "colour"));
    EXPECT_TRUE(Finds("^go*gle$", "ggle"));
    EXPECT_TRUE(Finds("^(cat|dog)s?$", "dogs"));
    EXPECT_FALSE(Finds("^(cat|dog)s?$", "cow"));
    EXPECT_TRUE(Finds("a|", "zzz"));  // an empty alternative matches anywhere
    // Lazy quantifiers find the same matches; only the order of trying differs.
    EXPECT_TRUE(Finds("^a+?b$", "aaab"));
    EXPECT_TRUE(Finds("^a*?$", "aaa"));
    EXPECT_TRUE(Finds("^x??y$", "xy"));
}

TEST(Pattern, MatchGroupsAndBackReferences) {
    EXPECT_TRUE(Finds("{ab}-\\0", "ab-AB"));
    EXPECT_FALSE(Finds("{ab}-\\0", "ab-ba"));
    EXPECT_TRUE(Finds("^{\\w}={\\d}\\1\\0$", "x=11x"));
    EXPECT_TRUE(Finds("{a}?b\\0", "b"));  // a group that took no part stands for nothing
    EXPECT_TRUE(Finds("{a\\0}", "a"));    // nor does one not yet closed
    EXPECT_EQ(ErrorOf("\\0{a}"), "reference to a match group not yet opened");
    EXPECT_EQ(ErrorOf("{a}\\1"), "reference to a match group not yet opened");
    EXPECT_EQ(ErrorOf("(a)\\0"), "reference to a match group not yet opened");
}

TEST(Pattern, Negation) {
    EXPECT_TRUE(Finds("^!ab", "bb"));
    EXPECT_FALSE(Finds("^!ab", "ab"));
    EXPECT_TRUE(Finds("^http!s", "http://"));
    EXPECT_FALSE(Finds("^http!s:", "https:"));
    EXPECT_TRUE(Finds("^!(abc)", "abd"));
    EXPECT_TRUE(Finds("x!$y", "xy"));  // `$` not last is an ordinary character
    EXPECT_FALSE(Finds("x!$y", "x$y"));
    EXPECT_TRUE(Finds("a!b$", "a"));  // negation holds at the end of the text
    EXPECT_EQ(ErrorOf("a!"), "\"!\" without an element after it");
    EXPECT_EQ(ErrorOf("!a*"), "quantifier on an element that can match the empty text");
}

TEST(Pattern, Anchors) {
    EXPECT_TRUE(Finds("^https://", "https://bank"));
    EXPECT_FALSE(Finds("^https://", "http://x/?u=https://bank"));
    EXPECT_TRUE(Finds(".com$", "www.x.com"));
    EXPECT_FALSE(Finds(".com$", "www.x.com/"));
    EXPECT_TRUE(Finds("a\\$", "a$"));  // an escaped `$` stays a character
    EXPECT_TRUE(Finds("a^b", "a^b"));  // `^` not first is an ordinary character
    EXPECT_TRUE(Finds("^", "anything"));
    // The anchors hold for the whole pattern, not for one alternative.
    EXPECT_TRUE(Finds("^a|b$", "b"));
    EXPECT_FALSE(Finds("^a|b$", "ab"));
    EXPECT_FALSE(Finds("^a|b$", "xb"));
}

TEST(Pattern, CompileErrors) {
    EXPECT_EQ(ErrorOf("*a"), "quantifier without an element before it");
    EXPECT_EQ(ErrorOf("a|+b"), "quantifier without an element before it");
    EXPECT_EQ(ErrorOf("a**"), "quantifier after a quantifier");
    EXPECT_EQ(ErrorOf("a+?+"), "quantifier after a quantifier");
    EXPECT_EQ(ErrorOf("(a*)*"), "quantifier on an element that can match the empty text");
    EXPECT_EQ(ErrorOf("(a|)+"), "quantifier on an element that can match the empty text");
    EXPECT_EQ(ErrorOf("{}?"), "quantifier on an element that can match the empty text");
    EXPECT_EQ(ErrorOf("(ab"), "\"(\" without its \")\"");
    EXPECT_EQ(ErrorOf("{ab"), "\"{\" without its \"}\"");
    EXPECT_EQ(ErrorOf("ab)"), "closing bracket without an opening one");
    EXPECT_EQ(ErrorOf("ab}"), "closing bracket without an opening one");
    EXPECT_EQ(ErrorOf("(a}"), "\"(\" without its \")\"");
    EXPECT_EQ(ErrorOf(std::string(100000, '(')), "nested too deeply");
    EXPECT_EQ(ErrorOf("a]"), "");  // a lone closing square bracket is a character
    // A reference to a group that a match can pass by stands for the empty text then.
    EXPECT_EQ(ErrorOf("{a}?(\\0)+b"), "quantifier on an element that can match the empty text");
    EXPECT_EQ(ParsePattern("{a}?(\\0)+b").error->position, 8u);
    EXPECT_EQ(ErrorOf("({a}|c)\\0+"), "quantifier on an element that can match the empty text");
    EXPECT_EQ(ErrorOf("!{a}b\\0*"), "quantifier on an element that can match the empty text");
    EXPECT_EQ(ErrorOf("{a}(\\0)+b"), "");
    EXPECT_EQ(ErrorOf("({a}\\0+|c)"), "");  // the group always stands before it
    EXPECT_EQ(ParsePattern("[ab").error->position, 0u);
    EXPECT_EQ(ParsePattern("^ab)").error->position, 3u);
}

TEST(Pattern, NoBacktrackingExplosionWithoutBackReferences) {
    const std::string as(200000, 'a');
    EXPECT_EQ(Search("(a|aa)*c", as), SearchResult::NoMatch);
    EXPECT_EQ(Search("(x+x+)+y", std::string(100000, 'x')), SearchResult::NoMatch);
    EXPECT_EQ(Search("^(a|a)*$", as + "b"), SearchResult::NoMatch);
    EXPECT_EQ(Search(".*!a", as), SearchResult::Match);
}

TEST(Pattern, AnAutomatonWithAFullCacheStillFindsTheMatch) {
    // The twelfth character from the end is an a: 2^12 states, far more than the cache holds.
    const ParseResult parsed = ParsePattern("a[ab][ab][ab][ab][ab][ab][ab][ab][ab][ab][ab]c");
    ASSERT_TRUE(parsed.pattern.has_value());
    const Program program = CompileProgram(*parsed.pattern);
    constexpr size_t kCache = 64 << 10;
    LazyDfa dfa(program, kCache);
    std::string text;
    uint32_t bits = 12345;
    for (int i = 0; i < 400000; ++i) {
        bits = bits * 1103515245 + 12345;
        text += (bits >> 16) & 1 ? 'a' : 'b';
    }
    EXPECT_FALSE(dfa.Search(text));
    EXPECT_GT(dfa.CacheResets(), 0);
    text.replace(text.size() - 13, 13, "abababababbbc");
    EXPECT_TRUE(dfa.Search(text));
    // The cache stays within its bound, give or take one state being added.
    EXPECT_LE(dfa.CacheBytes(), 2 * kCache);
}

TEST(Pattern, BackReferencesRunWithinABudget) {
    // Splitting 60 a's every possible way takes far more than any budget.
    EXPECT_EQ(Search("{(a|aa)+}\\0b", std::string(60, 'a')), SearchResult::BudgetExceeded);
    EXPECT_EQ(Search("{(a|aa)+}\\0b", "ab"), SearchResult::NoMatch);
    EXPECT_EQ(Search("{(a|aa)+}\\0b", "aaaab"), SearchResult::Match);
}

}  // namespace
}  // namespace lumbrel::filter
