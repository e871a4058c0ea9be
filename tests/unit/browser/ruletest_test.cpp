// The rule tester and its lint, as an administrator runs them.
#include <gtest/gtest.h>

#include <sstream>

#include "browser/filter/lint.h"
#include "platform/sim/sim_files.h"
#include "tools/ruletest/ruletest.h"

namespace lumbrel {
namespace {

std::vector<std::string> Findings(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (const auto& finding : filter::LintRules(lines)) {
        out.push_back(std::to_string(finding.line + 1) + " " + finding.text);
    }
    return out;
}

TEST(Lint, FindsWhatCanNeverDecide) {
    EXPECT_EQ(Findings({"+example", "-all", "; +EXAMPLE", " +EXAMPLE "}),
              (std::vector<std::string>{"4 duplicates line 1"}));
    EXPECT_EQ(
        Findings({"-all", "+all"}),
        (std::vector<std::string>{"1 never decides: the \"all\" line at line 2 replaces it"}));
    const auto bad = Findings({"+[abc", "+example"});
    ASSERT_EQ(bad.size(), 2u);
    EXPECT_EQ(bad[0].rfind("1 does not compile: \"[\" without its \"]\" (column 2)", 0), 0u);
    EXPECT_EQ(bad[1], "2 never decides: line 1 decides every text before it");
    EXPECT_EQ(Findings({"-x*", "+example"}),
              (std::vector<std::string>{"2 never decides: line 1 decides every text before it"}));
    EXPECT_EQ(Findings({"-casino", "+^https://casino"}).size(), 1u);
    EXPECT_EQ(Findings({"+example.org", "-www.example.org/x"}).size(), 1u);
    // Not shadowed: the earlier line is anchored, or the later line need not contain it.
    EXPECT_TRUE(Findings({"+^example", "-www.example"}).empty());
    EXPECT_TRUE(Findings({"+example", "-exam"}).empty());
    EXPECT_TRUE(Findings({"+ex.mple", "-exa"}).empty());
    // A line that can match empty decides every text only when nothing can stop it: a
    // look-ahead at an anchored start fails wherever a character follows.
    EXPECT_TRUE(Findings({"+^!.", "-casino", "+all"}).empty());
    EXPECT_EQ(Findings({"+!.", "-casino"}),
              (std::vector<std::string>{"2 never decides: line 1 decides every text before it"}));
    EXPECT_EQ(Findings({"+x*$", "-casino"}).size(), 1u);
    EXPECT_TRUE(Findings({"+^x*$", "-casino"}).empty());
    // A word list shadows the lines that need one of its words.
    EXPECT_EQ(Findings({"-(poker|casino|slots)", "+online casino"}),
              (std::vector<std::string>{"2 never decides: every text it matches contains one of "
                                        "its words, such as \"casino\", which line 1 matches "
                                        "first"}));
}

TEST(Lint, WarnsOfWhatTheEyeDoesNotSee) {
    EXPECT_EQ(Findings({"\xEF\xBB\xBF+example", "-all"}),
              (std::vector<std::string>{
                  "1 starts with a byte-order mark (the file was saved as UTF-8 with one): its "
                  "first character is taken as the sign, so this line refuses; save the file "
                  "without it"}));
    EXPECT_EQ(Findings({"-casino\xA0", "+all"}),
              (std::vector<std::string>{"1 has a no-break space (0xA0) at an end, trimmed as white "
                                        "space like a blank"}));
    EXPECT_TRUE(Findings({"-caf\xE9", "+all"}).empty());  // a letter at the end stays
}

class RuleTester : public testing::Test {
  protected:
    int Run(std::vector<std::string> args, const std::string& input = "") {
        std::istringstream in(input);
        out.str("");
        err.str("");
        return tools::RunRuleTester(args, files, in, out, err);
    }
    sim::SimFiles files;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(RuleTester, JudgesAddressesAndTellsWhichLineDecided) {
    files.Put("rules.txt", "; kiosk\n+example\n-all\n");
    EXPECT_EQ(Run({"rules.txt", "http://www.EXAMPLE.com/"}), 0);
    EXPECT_EQ(out.str(), "ALLOW  http://www.EXAMPLE.com/: matched by line 2 \"+example\"\n");
    EXPECT_EQ(Run({"rules.txt"}, "http://a/\r\n\nhttp://example/\n"), 1);
    EXPECT_EQ(out.str(),
              "REFUSE http://a/: no pattern matched; the last \"all\" line decides: line 3 "
              "\"-all\"\nALLOW  http://example/: matched by line 2 \"+example\"\n");
    files.Put("none.txt", "+example\n");
    EXPECT_EQ(Run({"none.txt", "x"}), 1);
    EXPECT_EQ(out.str(), "REFUSE x: no pattern matched and there is no \"all\" line\n");
}

TEST_F(RuleTester, JudgesAPageAndLints) {
    files.Put("content.txt", "-casino\n+all\n-casino\n");
    files.Put("page.html", "<p>CASINO</p>");
    EXPECT_EQ(Run({"content.txt", "--content", "page.html"}), 1);
    EXPECT_EQ(out.str(), "REFUSE page.html: matched by line 1 \"-casino\"\n");
    EXPECT_EQ(Run({"--lint", "content.txt"}), 1);
    EXPECT_EQ(out.str(), "content.txt:3: \"-casino\" duplicates line 1\n");
    files.Put("clean.txt", "+a\n-all\n");
    EXPECT_EQ(Run({"--lint", "clean.txt"}), 0);
}

TEST_F(RuleTester, PrintsTheBrowsersListsOrTheLinesThatPreventThem) {
    files.Put("kiosk.txt",
              "-^https://([a-z0-9-]+\\.)*ads\\.example\\.com/\n"
              "+^https?://([a-z0-9-]+\\.)*example\\.com/\n-all\n");
    EXPECT_EQ(Run({"--browsers", "kiosk.txt"}), 0);
    EXPECT_EQ(out.str(),
              "URLBlocklist (2)\n  *\n  https://ads.example.com\n"
              "URLAllowlist (2)\n  http://example.com:80\n  https://example.com:443\n");
    files.Put("demo.txt", "-casino\n+^https://kiosk\\.example/\n-all\n");
    EXPECT_EQ(Run({"--browsers", "demo.txt"}), 1);
    EXPECT_EQ(out.str().rfind("demo.txt: Edge and Chrome get no list; 1 line prevents it:\n"
                              "demo.txt:1: \"-casino\" it is not anchored",
                              0),
              0u);
    EXPECT_EQ(Run({"--browsers", "missing.txt"}), 2);
}

TEST_F(RuleTester, UsageAndFileErrorsExitWith2) {
    EXPECT_EQ(Run({}), 2);
    EXPECT_NE(err.str().find("no rule file given"), std::string::npos);
    EXPECT_EQ(Run({"--bogus", "x"}), 2);
    EXPECT_EQ(Run({"rules.txt", "--content"}), 2);
    EXPECT_EQ(Run({"missing.txt", "x"}), 2);
    EXPECT_EQ(
        err.str(),
        "lumbrel-ruletest: cannot open missing.txt: The system cannot find the file specified.\n");
    files.Put("rules.txt", "+all\n");
    EXPECT_EQ(Run({"rules.txt", "--content", "nopage.html"}), 2);
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_EQ(out.str().rfind("Usage: lumbrel-ruletest", 0), 0u);
}

}  // namespace
}  // namespace lumbrel
