// The hooks' verdict over a realistic event mix: nanoseconds per event, and the allocations
// made while judging (there must be none).
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "bench/event_mix.h"
#include "ext/input_filter.h"

namespace {

std::atomic<uint64_t> allocations{0};

}  // namespace

// Counting replacements of the global allocation functions; the warning pairs malloc with
// delete, which is exactly what a replacement does.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace corvane::bench {
namespace {

ext::ExtSettings KioskSettings() {
    ext::ExtSettings s;
    s.enableHideGUI = 1;
    s.enableTimers = 1;
    for (const HideGuiValue& value : kHideGuiValues) {
        s.hideGui.*value.flag = 1;
    }
    s.hideGui.disableCtrlKey = 0;  // a kiosk that still lets Ctrl+C through
    s.hideGui.disableAltKey = 0;
    return s;
}

void Verdict(benchmark::State& state) {
    const auto events = EventMix(1 << 16);
    const ext::ExtSettings settings = KioskSettings();
    size_t next = 0;
    uint64_t swallowed = 0;
    const uint64_t before = allocations.load();
    for (auto _ : state) {
        const InputEvent& e = events[next];
        next = (next + 1) & (events.size() - 1);
        const ext::FilterActions actions =
            e.keyboard ? ext::FilterKey(e.code, e.flags, {e.ctrl, e.alt, e.shift}, settings)
                       : ext::FilterMouse(e.code, e.shift, settings);
        swallowed += actions.swallow;
        benchmark::DoNotOptimize(actions);
    }
    const uint64_t made = allocations.load() - before;
    if (made != 0) {
        state.SkipWithError("the verdict allocated memory");
    }
    state.counters["allocations"] = static_cast<double>(made);
    state.counters["swallowed%"] =
        100.0 * static_cast<double>(swallowed) / static_cast<double>(state.iterations());
    state.SetLabel("per event");
}
BENCHMARK(Verdict);

}  // namespace
}  // namespace corvane::bench

BENCHMARK_MAIN();
