// Our filter beside std::regex, PCRE2 (JIT) and RE2 on the same rule lists, each judging a text
// the way the rules say: the first pattern that matches decides, else the "all" line.
#include <benchmark/benchmark.h>
#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>
#include <re2/re2.h>
#include <re2/set.h>

#include <memory>
#include <regex>

#include "bench/workloads.h"
#include "browser/filter/rule_list.h"

namespace lumbrel::bench {
namespace {

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

class StdRegex final : public Engine {
  public:
    explicit StdRegex(const std::vector<std::string>& lines) : plain_(Plain(lines)) {
        for (const auto& p : plain_.patterns) {
            regexes_.emplace_back(
                p, std::regex::ECMAScript | std::regex::icase | std::regex::optimize);
        }
    }
    bool Allowed(const std::string& text) override {
        for (size_t i = 0; i < regexes_.size(); ++i) {
            if (std::regex_search(text, regexes_[i])) {
                return plain_.allow[i];
            }
        }
        return plain_.defaultAllow;
    }

  private:
    PlainRules plain_;
    std::vector<std::regex> regexes_;
};

class Pcre2Jit final : public Engine {
  public:
    explicit Pcre2Jit(const std::vector<std::string>& lines) : plain_(Plain(lines)) {
        for (const auto& p : plain_.patterns) {
            int error = 0;
            PCRE2_SIZE offset = 0;
            pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(p.c_str()), p.size(),
                                             PCRE2_CASELESS, &error, &offset, nullptr);
            pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);
            codes_.emplace_back(code, pcre2_code_free);
        }
        data_.reset(pcre2_match_data_create(16, nullptr));
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
    std::vector<std::unique_ptr<pcre2_code, decltype(&pcre2_code_free)>> codes_;
    std::unique_ptr<pcre2_match_data, decltype(&pcre2_match_data_free)> data_{
        nullptr, pcre2_match_data_free};
};

RE2::Options CaseInsensitive() {
    RE2::Options options;
    options.set_case_sensitive(false);
    options.set_log_errors(false);
    options.set_max_mem(64 << 20);
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

// RE2's multi-pattern set: one pass, then the first matching line in file order.
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
    state.SetLabel("per decision");
}

template <typename E>
void ContentPage(benchmark::State& state) {
    const auto rules = ContentRules(static_cast<int>(state.range(0)));
    const std::string body = PageBody();
    E engine(rules);
    for (auto _ : state) {
        if (!engine.Allowed(body)) {
            state.SkipWithError("a page meant to pass was refused");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(body.size()));
    state.SetLabel("per 2 MB page");
}

#define URL_BENCH(E)                   \
    BENCHMARK_TEMPLATE(UrlDecision, E) \
        ->Arg(100)                     \
        ->Arg(1000)                    \
        ->Arg(10000)                   \
        ->Unit(benchmark::kMicrosecond)
#define CONTENT_BENCH(E) \
    BENCHMARK_TEMPLATE(ContentPage, E)->Arg(20)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)

URL_BENCH(Ours);
URL_BENCH(Re2Set);
URL_BENCH(Re2Loop);
URL_BENCH(Pcre2Jit);
URL_BENCH(StdRegex)->MinTime(0.2);
CONTENT_BENCH(Ours);
CONTENT_BENCH(Re2Set);
CONTENT_BENCH(Re2Loop);
CONTENT_BENCH(Pcre2Jit);
CONTENT_BENCH(StdRegex)->Iterations(1);

}  // namespace
}  // namespace lumbrel::bench

BENCHMARK_MAIN();
