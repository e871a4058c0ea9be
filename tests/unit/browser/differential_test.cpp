// The fast filter against the plain evaluation over many generated rule files and texts.
#include <gtest/gtest.h>

#include <pthread.h>

#include <algorithm>
#include <functional>
#include <random>

#include "browser/filter/lint.h"
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

    // Mostly short texts, now and then one over 32 bytes; long ones are over 4,096 bytes, so
    // that every path of the literal scanner is taken.
    std::string Text(bool longOne = false) {
        static const std::string alphabet = "abcABC12 \t\r\n\"'./:-?=%";
        std::string out;
        const int length = longOne ? Pick(4097, 5000) : Chance(5) ? Pick(33, 200) : Pick(0, 24);
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
                line = " \t" + line + (Chance(30) ? "\xA0" : " ");
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
        if (choice == 3 && Chance(30)) {  // a word list, wider than any fixed limit
            std::string list = "(";
            const int words = Pick(17, 40);
            for (int w = 0; w < words; ++w) {
                list += w > 0 ? "|" : "";
                for (int c = Pick(1, 4); c > 0; --c) {
                    list += "abcAB12/."[Pick(0, 8)];
                }
            }
            return list + ")";
        }
        return simple[Pick(0, static_cast<int>(std::size(simple)) - 1)];
    }

    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    bool Chance(int percent) { return Pick(1, 100) <= percent; }

    std::mt19937 random_;
    int groups_ = 0;
};

// The plain evaluator recurses once or more per character: long texts need a deep stack.
void OnDeepStack(const std::function<void()>& work) {
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    // A 32-bit process has room for less.
    pthread_attr_setstacksize(&attributes,
                              sizeof(void*) == 4 ? size_t(256) << 20 : size_t(1) << 30);
    pthread_t thread;
    auto* call = new std::function<void()>(work);
    ASSERT_EQ(pthread_create(
                  &thread, &attributes,
                  [](void* argument) -> void* {
                      auto* fn = static_cast<std::function<void()>*>(argument);
                      (*fn)();
                      delete fn;
                      return nullptr;
                  },
                  call),
              0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
}

// Runs `texts` texts against each of `files` generated rule files; counts what was compared
// and what one side gave up on, and fails at the first verdict that differs.
struct Tally {
    int compared = 0;
    int skipped = 0;
    int matchedByPattern = 0;
};

void Compare(int files, int texts, bool longTexts, uint32_t seed, Tally& tally) {
    OnDeepStack([&] {
        Generator generator(seed);
        for (int f = 0; f < files; ++f) {
            const std::vector<std::string> lines = generator.RuleFile();
            const RuleList list(lines);
            // What lint calls dead must never decide.
            std::vector<size_t> dead;
            for (const LintFinding& finding : LintRules(lines)) {
                if (finding.text.rfind("never decides", 0) == 0) {
                    dead.push_back(finding.line);
                }
            }
            for (int t = 0; t < texts; ++t) {
                const std::string text = generator.Text(longTexts);
                const Verdict fast = list.Evaluate(text);
                const reference::Outcome plain = reference::Evaluate(lines, text, 2000000);
                if (plain.gaveUp || fast.reason == Reason::BudgetExceeded) {
                    ++tally.skipped;
                    continue;
                }
                ++tally.compared;
                tally.matchedByPattern += fast.reason == Reason::PatternMatched;
                std::string file;
                for (const auto& line : lines) {
                    file += "  [" + line + "]\n";
                }
                ASSERT_EQ(fast.allowed, plain.allowed) << file << "text [" << text << "]";
                ASSERT_EQ(fast.line, plain.line) << file << "text [" << text << "]";
                ASSERT_TRUE(!fast.line ||
                            std::find(dead.begin(), dead.end(), *fast.line) == dead.end())
                    << file << "text [" << text << "] decided by a line lint calls dead";
            }
        }
    });
}

// Under the sanitizers, which look for faults of memory rather than of verdicts, a quarter.
#ifdef CORVANE_SANITIZED
constexpr int kShare = 4;
#else
constexpr int kShare = 1;
#endif

TEST(Differential, FastFilterGivesThePlainVerdict) {
    Tally tally;
    Compare(20000 / kShare, 6, false, 20261207, tally);
    EXPECT_GE(tally.compared, 100000 / kShare);
    EXPECT_LT(tally.skipped, tally.compared / 500);
    EXPECT_GT(tally.matchedByPattern, tally.compared / 10);  // real matches are exercised
}

TEST(Differential, LongTextsGiveThePlainVerdict) {
    Tally tally;
    Compare(1200 / kShare, 1, true, 20261208, tally);
    // The plain backtracker gives up more often on long texts; most still compare.
    EXPECT_GE(tally.compared, 1000 / kShare);
    EXPECT_GT(tally.matchedByPattern, tally.compared / 10);
}

}  // namespace
}  // namespace lumbrel::filter
