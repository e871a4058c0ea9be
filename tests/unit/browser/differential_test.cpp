// The fast filter against the plain evaluation over many generated rule files and texts.
#include <gtest/gtest.h>

#include <random>

#include "browser/filter/rule_list.h"
#include "tests/unit/browser/reference_evaluator.h"

namespace lumbrel::filter {
namespace {

class Generator {
  public:
    explicit Generator(uint32_t seed) : random_(seed) {}

    std::string Pattern(int depth = 0) {
        std::string out;
        if (depth == 0 && Chance(10)) {
            out += '^';
        }
        const int items = Pick(1, 4);
        for (int i = 0; i < items; ++i) {
            if (i > 0 && Chance(8)) {
                out += '|';
            }
            if (Chance(10)) {
                out += '!';
            }
            out += Atom(depth);
            if (Chance(25)) {
                out += "*+?"[Pick(0, 2)];
                if (Chance(30)) {
                    out += '?';
                }
            }
        }
        if (depth == 0 && Chance(10)) {
            out += '$';
        }
        if (Chance(3)) {  // now and then something that does not compile
            out.insert(static_cast<size_t>(Pick(0, static_cast<int>(out.size()))), 1,
                       "([{)]}*\\"[Pick(0, 7)]);
        }
        return out;
    }

    std::string Text() {
        static const std::string alphabet = "abcABC12 \t\r\n\"'./:-?=%";
        std::string out;
        const int length = Pick(0, 24);
        for (int i = 0; i < length; ++i) {
            out += alphabet[static_cast<size_t>(Pick(0, static_cast<int>(alphabet.size()) - 1))];
        }
        return out;
    }

    std::vector<std::string> RuleFile() {
        std::vector<std::string> lines;
        const int count = Pick(1, 5);
        for (int i = 0; i < count; ++i) {
            std::string line;
            if (Chance(15)) {
                line = std::string(Chance(50) ? "+" : "-") + (Chance(50) ? "all" : "ALL");
            } else if (Chance(5)) {
                line = Chance(50) ? "" : ";" + Pattern();
            } else {
                line = std::string(1, "+-x"[Pick(0, 2)]) + Pattern();
            }
            if (Chance(10)) {
                line = " \t" + line + " ";
            }
            lines.push_back(line);
        }
        return lines;
    }

  private:
    std::string Atom(int depth) {
        static const char* const simple[] = {"a",    "b",    "c",     "A",      "1",   ".",
                                             "[ab]", "[^a]", "[a-c]", "[\\t ]", "\\.", "\\a",
                                             "\\b",  "\\c",  "\\d",   "\\h",    "\\n", "\\q",
                                             "\\w",  "\\z",  "/",     ":",      "\"",  "-"};
        const int choice = Pick(0, 12);
        if (depth < 2 && choice == 0) {
            return "(" + Pattern(depth + 1) + ")";
        }
        if (depth < 2 && choice == 1) {
            ++groups_;
            return "{" + Pattern(depth + 1) + "}";
        }
        if (choice == 2 && groups_ > 0) {
            return "\\" + std::to_string(Pick(0, groups_));  // sometimes one too far
        }
        return simple[Pick(0, static_cast<int>(std::size(simple)) - 1)];
    }

    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    bool Chance(int percent) { return Pick(1, 100) <= percent; }

    std::mt19937 random_;
    int groups_ = 0;
};

TEST(Differential, FastFilterGivesThePlainVerdict) {
    constexpr int kFiles = 20000;
    constexpr int kTextsPerFile = 6;
    int compared = 0;
    int skipped = 0;
    int matchedByPattern = 0;
    Generator generator(20261207);
    for (int f = 0; f < kFiles; ++f) {
        const std::vector<std::string> lines = generator.RuleFile();
        const RuleList list(lines);
        for (int t = 0; t < kTextsPerFile; ++t) {
            const std::string text = generator.Text();
            const Verdict fast = list.Evaluate(text);
            const reference::Outcome plain = reference::Evaluate(lines, text, 2000000);
            if (plain.gaveUp || fast.reason == Reason::BudgetExceeded) {
                ++skipped;
                continue;
            }
            ++compared;
            matchedByPattern += fast.reason == Reason::PatternMatched;
            std::string file;
            for (const auto& line : lines) {
                file += "  [" + line + "]\n";
            }
            ASSERT_EQ(fast.allowed, plain.allowed) << file << "text [" << text << "]";
            ASSERT_EQ(fast.line, plain.line) << file << "text [" << text << "]";
        }
    }
    EXPECT_GE(compared, 100000);
    EXPECT_LT(skipped, compared / 1000);
    EXPECT_GT(matchedByPattern, compared / 10);  // the generator exercises real matches
}

}  // namespace
}  // namespace lumbrel::filter
