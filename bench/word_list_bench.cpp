// The filter at the scale administrators and page authors produce: word lists of 20, 100 and
// 1,000 words (in one line, and one word a line) over pages of 2 MB and 10 MB, the worst single
// rules over a 10 MB page, and loading lists of 10,000 and 100,000 lines. Beside each time, the
// heap's peak growth ("peak_MB": compiling and deciding; "decide_peak_MB": one decision alone).
// Our filter runs beside RE2, RE2::Set, PCRE2 (JIT) and Hyperscan, which only this program uses.
#include <benchmark/benchmark.h>
#define PCRE2_CODE_UNIT_WIDTH 8
#include <hs/hs.h>
#include <pcre2.h>
#include <re2/re2.h>
#include <re2/set.h>

#include <memory>
#include <random>

#include "bench/heap_peak.h"
#include "bench/workloads.h"
#include "browser/filter/rule_list.h"

LUMBREL_COUNT_HEAP()

namespace lumbrel::bench {
namespace {

// Words of 5 to 10 letters, as a list of forbidden words looks to the matcher.
std::vector<std::string> Words(int count, uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> length(5, 10);
    std::uniform_int_distribution<int> letter(0, 25);
    std::vector<std::string> words;
    while (static_cast<int>(words.size()) < count) {
        std::string word;
        for (int n = length(random); n > 0; --n) {
            word += static_cast<char>('a' + letter(random));
        }
        words.push_back(word);
    }
    return words;
}

// Page markup of words of the same kind, none of them a listed word.
std::string Page(size_t bytes) {
    const std::vector<std::string> vocabulary = Words(5000, 99);
    std::mt19937 random(7);
    std::uniform_int_distribution<size_t> pick(0, vocabulary.size() - 1);
    std::string page;
    page.reserve(bytes + 128);
    while (page.size() < bytes) {
        page += "<p class=\"story\"><a href=\"/catalog/item";
        page += std::to_string(pick(random));
        page += ".html\">";
        for (int w = 0; w < 14; ++w) {
            page += vocabulary[pick(random)];
            page += w % 5 == 4 ? ", " : " ";
        }
        page += "</a></p>\n";
    }
    page.resize(bytes);
    return page;
}

const std::string& PageOf(int megabytes) {
    static const std::string two = Page(size_t(2) << 20);
    static const std::string ten = Page(size_t(10) << 20);
    return megabytes == 10 ? ten : two;
}

enum Shape { kOneLine = 0, kLinePerWord = 1 };

// The rule file: the words in one alternation, or one word a line; then "+all".
std::vector<std::string> WordRules(int count, Shape shape) {
    const std::vector<std::string> words = Words(count, 1234);
    std::vector<std::string> lines;
    if (shape == kOneLine) {
        std::string line = "-(";
        for (size_t w = 0; w < words.size(); ++w) {
            line += (w > 0 ? "|" : "") + words[w];
        }
        lines.push_back(line + ")");
    } else {
        for (const auto& word : words) {
            lines.push_back("-" + word);
        }
    }
    lines.push_back("+all");
    return lines;
}

class Engine {
  public:
    virtual ~Engine() = default;
    virtual bool Allowed(const std::string& text) = 0;
};

class Ours final : public Engine {
  public:
    explicit Ours(const std::vector<std::string>& lines) : rules_(lines) {}
    bool Allowed(const std::string& text) override { return rules_.Evaluate(text).allowed; }

  private:
    filter::RuleList rules_;
};

RE2::Options CaseInsensitive() {
    RE2::Options options;
    options.set_case_sensitive(false);
    options.set_log_errors(false);
    options.set_max_mem(256 << 20);
    return options;
}

class Re2Loop final : public Engine {
  public:
    explicit Re2Loop(const std::vector<std::string>& lines) : plain_(Plain(lines)) {
        for (const auto& p : plain_.patterns) {
            res_.push_back(std::make_unique<RE2>(p, CaseInsensitive()));
        }
    }
    bool Allowed(const std::string& text) override {
        for (size_t i = 0; i < res_.size(); ++i) {
            if (RE2::PartialMatch(text, *res_[i])) {
                return plain_.allow[i];
            }
        }
        return plain_.defaultAllow;
    }

  private:
    PlainRules plain_;
    std::vector<std::unique_ptr<RE2>> res_;
};

class Re2Set final : public Engine {
  public:
    explicit Re2Set(const std::vector<std::string>& lines)
        : plain_(Plain(lines)), set_(CaseInsensitive(), RE2::UNANCHORED) {
        for (const auto& p : plain_.patterns) {
            set_.Add(p, nullptr);
        }
        set_.Compile();
    }
    bool Allowed(const std::string& text) override {
        std::vector<int> hits;
        if (!set_.Match(text, &hits) || hits.empty()) {
            return plain_.defaultAllow;
        }
        return plain_.allow[static_cast<size_t>(*std::min_element(hits.begin(), hits.end()))];
    }

  private:
    PlainRules plain_;
    RE2::Set set_;
};

class Pcre2Jit final : public Engine {
  public:
    explicit Pcre2Jit(const std::vector<std::string>& lines) : plain_(Plain(lines)) {
        general_.reset(
            pcre2_general_context_create([](PCRE2_SIZE size, void*) { return CountedMalloc(size); },
                                         [](void* p, void*) { CountedFree(p); }, nullptr));
        compile_.reset(pcre2_compile_context_create(general_.get()));
        for (const auto& p : plain_.patterns) {
            int error = 0;
            PCRE2_SIZE offset = 0;
            pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(p.c_str()), p.size(),
                                             PCRE2_CASELESS, &error, &offset, compile_.get());
            pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);
            codes_.emplace_back(code, pcre2_code_free);
        }
        data_.reset(pcre2_match_data_create(16, general_.get()));
    }
    bool Allowed(const std::string& text) override {
        for (size_t i = 0; i < codes_.size(); ++i) {
            if (pcre2_jit_match(codes_[i].get(), reinterpret_cast<PCRE2_SPTR>(text.data()),
                                text.size(), 0, 0, data_.get(), nullptr) >= 0) {
                return plain_.allow[i];
            }
        }
        return plain_.defaultAllow;
    }

  private:
    PlainRules plain_;
    std::unique_ptr<pcre2_general_context, decltype(&pcre2_general_context_free)> general_{
        nullptr, pcre2_general_context_free};
    std::unique_ptr<pcre2_compile_context, decltype(&pcre2_compile_context_free)> compile_{
        nullptr, pcre2_compile_context_free};
    std::vector<std::unique_ptr<pcre2_code, decltype(&pcre2_code_free)>> codes_;
    std::unique_ptr<pcre2_match_data, decltype(&pcre2_match_data_free)> data_{
        nullptr, pcre2_match_data_free};
};

// Hyperscan's one pass over all patterns; the lowest line that matched decides.
class Hyperscan final : public Engine {
  public:
    explicit Hyperscan(const std::vector<std::string>& lines) : plain_(Plain(lines)) {
        std::vector<const char*> expressions;
        std::vector<unsigned> flags(plain_.patterns.size(),
                                    HS_FLAG_CASELESS | HS_FLAG_SINGLEMATCH | HS_FLAG_DOTALL);
        std::vector<unsigned> ids;
        for (size_t i = 0; i < plain_.patterns.size(); ++i) {
            expressions.push_back(plain_.patterns[i].c_str());
            ids.push_back(static_cast<unsigned>(i));
        }
        hs_compile_error_t* error = nullptr;
        if (hs_compile_multi(expressions.data(), flags.data(), ids.data(),
                             static_cast<unsigned>(expressions.size()), HS_MODE_BLOCK, nullptr,
                             &database_, &error) != HS_SUCCESS) {
            hs_free_compile_error(error);
            return;
        }
        hs_alloc_scratch(database_, &scratch_);
    }
    ~Hyperscan() override {
        hs_free_scratch(scratch_);
        hs_free_database(database_);
    }
    bool Allowed(const std::string& text) override {
        unsigned lowest = UINT32_MAX;
        hs_scan(
            database_, text.data(), static_cast<unsigned>(text.size()), 0, scratch_,
            [](unsigned id, unsigned long long, unsigned long long, unsigned, void* context) {
                unsigned& best = *static_cast<unsigned*>(context);
                best = std::min(best, id);
                return 0;
            },
            &lowest);
        return lowest == UINT32_MAX ? plain_.defaultAllow : plain_.allow[lowest];
    }
    bool Ok() const { return database_ != nullptr; }

  private:
    PlainRules plain_;
    hs_database_t* database_ = nullptr;
    hs_scratch_t* scratch_ = nullptr;
};

// Word list: range(0) words, range(1) shape, range(2) page megabytes; the page passes.
template <typename E>
void WordList(benchmark::State& state) {
    const auto rules = WordRules(static_cast<int>(state.range(0)), Shape(state.range(1)));
    const std::string& page = PageOf(static_cast<int>(state.range(2)));
    const size_t start = StartPeak();
    E engine(rules);
    const size_t beforeDecision = StartPeak();
    if (!engine.Allowed(page)) {
        state.SkipWithError("a page meant to pass was refused");
        return;
    }
    state.counters["decide_peak_MB"] = PeakMegabytes(beforeDecision);
    for (auto _ : state) {
        benchmark::DoNotOptimize(engine.Allowed(page));
    }
    state.counters["peak_MB"] = PeakMegabytes(start);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}

// The worst single rules an author can write over a 10 MB page that none of them matches:
// an automaton of 2^12 states, a look-ahead, a back-reference, a chain of wildcards.
const char* const kHardRules[] = {
    "-q[a-z][a-z][a-z][a-z][a-z][a-z][a-z][a-z][a-z][a-z][a-z]zz",
    "-<a!( href| class)",
    "-{<[a-z]+>}[^<]*</\\0x",
    "-casino.*jackpot.*bonus",
};

void HardRule(benchmark::State& state) {
    const std::vector<std::string> rules = {kHardRules[state.range(0)], "+all"};
    const std::string& page = PageOf(10);
    const size_t start = StartPeak();
    filter::RuleList list(rules);
    filter::Verdict verdict;
    for (auto _ : state) {
        verdict = list.Evaluate(page);
    }
    state.counters["peak_MB"] = PeakMegabytes(start);
    state.counters["allowed"] = verdict.allowed;
    state.SetLabel(rules[0] + (verdict.reason == filter::Reason::BudgetExceeded
                                   ? " (out of budget: refused)"
                                   : ""));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}

// Loading a URL list of range(0) lines: the compile a new browser window pays.
template <typename E>
void LoadList(benchmark::State& state) {
    const auto rules = UrlRules(static_cast<int>(state.range(0)));
    const size_t start = StartPeak();
    for (auto _ : state) {
        E engine(rules);
        benchmark::DoNotOptimize(&engine);
    }
    state.counters["peak_MB"] = PeakMegabytes(start);
}

template <typename E>
void UrlDecision(benchmark::State& state) {
    const int lines = static_cast<int>(state.range(0));
    const auto rules = UrlRules(lines);
    const auto addresses = Addresses(10000, lines);
    E engine(rules);
    size_t next = 0;
    size_t allowed = 0;
    for (auto _ : state) {
        allowed += engine.Allowed(addresses[next]);
        next = (next + 1) % addresses.size();
    }
    benchmark::DoNotOptimize(allowed);
}

#define WORDS(E, shape) \
    ->Args({20, shape, 2})->Args({100, shape, 2})->Args({1000, shape, 2})->Args({100, shape, 10})
#define WORD_BENCH(E)               \
    BENCHMARK_TEMPLATE(WordList, E) \
    WORDS(E, kOneLine) WORDS(E, kLinePerWord)->Unit(benchmark::kMillisecond)

WORD_BENCH(Ours);
WORD_BENCH(Hyperscan);
WORD_BENCH(Re2Set);
BENCHMARK_TEMPLATE(WordList, Re2Loop) WORDS(Re2Loop, kOneLine)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(WordList, Re2Loop)
    ->Args({20, kLinePerWord, 2})
    ->Args({100, kLinePerWord, 2})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(WordList, Pcre2Jit) WORDS(Pcre2Jit, kOneLine)->Unit(benchmark::kMillisecond);

BENCHMARK(HardRule)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_TEMPLATE(LoadList, Ours)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(LoadList, Re2Set)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(LoadList, Hyperscan)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_TEMPLATE(UrlDecision, Ours)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(UrlDecision, Re2Set)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace lumbrel::bench

int main(int argc, char** argv) {
    hs_set_allocator(lumbrel::bench::CountedMalloc, lumbrel::bench::CountedFree);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
