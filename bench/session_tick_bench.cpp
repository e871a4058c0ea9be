// One auto-restart check of the one-second tick on the sim, with 200 top-level windows of 20
// running programs, ten of them the folder's: microseconds per check, with the hang test off
// (no time-out: only the windows are listed) and on (every window is sent WM_NULL and its
// program's thread answers). The sim runs each program on a thread of its own, so the figure
// with the hang test includes two thread switches per window.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/heap_peak.h"
#include "platform/constants.h"
#include "platform/sim/world.h"
#include "session/auto_restart.h"

LUMBREL_COUNT_HEAP()

namespace corvane::bench {
namespace {

using lumbrel::bench::PeakMegabytes;
using lumbrel::bench::StartPeak;

constexpr int kPrograms = 20;
constexpr int kWindowsEach = 10;

// A program with ten shown windows that answers its messages until it is ended.
int WindowedProgram(platform::System& system) {
    class Quiet final : public platform::WindowHandler {
        std::optional<std::intptr_t> OnWindowMessage(platform::WindowHandle, uint32_t,
                                                     std::uintptr_t, std::intptr_t) override {
            return std::nullopt;
        }
    } quiet;
    for (int i = 0; i < kWindowsEach; ++i) {
        system.windows.CreateWindow(
            {"BenchApp", "Window " + std::to_string(i), platform::ws::kVisible, {}}, &quiet);
    }
    platform::Message message;
    while (system.windows.GetMessage(message) > 0) {
        system.windows.DispatchMessage(message);
    }
    return 0;
}

// Every program is running: nothing is started or ended during the measurement.
class RunningPrograms final : public ProgramStarter {
  public:
    std::vector<std::string> FindFiles(const std::string&) override { return {}; }
    std::optional<ShortcutTarget> ResolveShortcut(const std::string&) override {
        return std::nullopt;
    }
    std::optional<uint32_t> StartProgram(const std::string&) override { return std::nullopt; }
    void TerminateProcess(uint32_t) override {}
};

void AutoRestartCheck(benchmark::State& state) {
    sim::World world;
    world.RegisterProgram("C:\\Apps\\app.exe", WindowedProgram);
    platform::System& sys = world.Driver();
    std::vector<std::unique_ptr<platform::Process>> programs;
    AutoRestartState restart;
    for (int i = 0; i < kPrograms; ++i) {
        programs.push_back(sys.processes.StartProcess("C:\\Apps\\app.exe"));
        if (i % 2 == 0) {
            restart.launchedShortcuts.push_back("app" + std::to_string(i) + ".lnk");
            restart.launchedProcessIds.push_back(programs.back()->Id());
        }
    }
    world.RunFor(100);
    AutoRestartSettings settings;
    settings.time = 1;  // a check at every tick
    settings.wait = static_cast<uint32_t>(state.range(0));
    PrepareAutoRestart(settings, restart);
    RunningPrograms starter;
    if (sys.windows.EnumTopLevelWindows().size() < kPrograms * kWindowsEach) {
        state.SkipWithError("the programs' windows are not there");
        return;
    }
    const size_t start = StartPeak();
    for (auto _ : state) {
        AutoRestartStep(settings, restart, starter, sys.windows);
    }
    state.counters["peak_MB"] = PeakMegabytes(start);
    state.counters["windows"] = static_cast<double>(sys.windows.EnumTopLevelWindows().size());
    for (auto& program : programs) {
        program->Terminate(0);
    }
}
BENCHMARK(AutoRestartCheck)->Arg(0)->Arg(500)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace corvane::bench

BENCHMARK_MAIN();
