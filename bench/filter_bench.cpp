// Our filter beside std::regex, PCRE2 (JIT), RE2 and Hyperscan on the same rule lists, each judging
// a text the way the rules say: the first pattern that matches decides, else the "all" line.
#include <benchmark/benchmark.h>

#include "bench/engines.h"
#include "bench/heap_peak.h"

namespace lumbrel::bench {
namespace {

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

// One rule that is a long literal, on a 2 MB page of its near-matches: the most a page author
// can make one rule cost.
void LongLiteralNearMatches(benchmark::State& state) {
    const auto length = static_cast<size_t>(state.range(0));
    std::string rule = "-";  // piece by piece: GCC 12 at -O3 warns of a false overlap in a chain
    rule.append(length, 'a');
    rule += 'b';
    Ours engine({rule, "+all"});
    const std::string page(size_t(2) << 20, 'a');
    const size_t start = StartPeak();
    for (auto _ : state) {
        if (!engine.Allowed(page)) {
            state.SkipWithError("a page meant to pass was refused");
            break;
        }
    }
    state.counters["peak_MB"] = PeakMegabytes(start);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(page.size()));
    state.SetLabel("per 2 MB page");
}
BENCHMARK(LongLiteralNearMatches)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

#define URL_BENCH(E)                   \
    BENCHMARK_TEMPLATE(UrlDecision, E) \
        ->Arg(100)                     \
        ->Arg(1000)                    \
        ->Arg(10000)                   \
        ->Unit(benchmark::kMicrosecond)
#define CONTENT_BENCH(E) \
    BENCHMARK_TEMPLATE(ContentPage, E)->Arg(20)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)

URL_BENCH(Ours)->Arg(100000);
URL_BENCH(Hyperscan);
URL_BENCH(Re2Set)->Arg(100000);
URL_BENCH(Re2Loop);
URL_BENCH(Pcre2Jit);
URL_BENCH(StdRegex)->MinTime(0.2);
CONTENT_BENCH(Ours);
CONTENT_BENCH(Hyperscan);
CONTENT_BENCH(Re2Set);
CONTENT_BENCH(Re2Loop);
CONTENT_BENCH(Pcre2Jit);
CONTENT_BENCH(StdRegex)->Iterations(1);

}  // namespace
}  // namespace lumbrel::bench

BENCHMARK_MAIN();
