// Auto restart against a scripted system: what is started at the start, what a check starts
// again, and which programs the hang test ends.
#include <gtest/gtest.h>

#include <map>

#include "platform/constants.h"
#include "platform/sim/world.h"
#include "session/auto_restart.h"

namespace corvane {
namespace {

// Shortcuts by path; each start gives the next process id, or fails for a command line that is
// listed as failing.
class ScriptedStarter final : public ProgramStarter {
  public:
    std::vector<std::string> files;
    std::map<std::string, ShortcutTarget> shortcuts;
    std::vector<std::string> failing;
    std::vector<std::string> started;  // command lines
    std::vector<uint32_t> terminated;
    std::string searched;
    uint32_t nextId = 100;

    std::vector<std::string> FindFiles(const std::string& pattern) override {
        searched = pattern;
        return files;
    }
    std::optional<ShortcutTarget> ResolveShortcut(const std::string& path) override {
        const auto it = shortcuts.find(path);
        return it == shortcuts.end() ? std::nullopt : std::optional<ShortcutTarget>(it->second);
    }
    std::optional<uint32_t> StartProgram(const std::string& commandLine) override {
        if (commandLine.empty() ||
            std::find(failing.begin(), failing.end(), commandLine) != failing.end()) {
            return std::nullopt;
        }
        started.push_back(commandLine);
        return nextId++;
    }
    void TerminateProcess(uint32_t processId) override { terminated.push_back(processId); }
};

TEST(AutoRestart, CommandLinesQuoteAPathWithBlanks) {
    EXPECT_EQ(ShortcutCommandLine({"D:\\Kiosk Apps\\app.exe", "/x"}),
              "\"D:\\Kiosk Apps\\app.exe\" /x");
    EXPECT_EQ(ShortcutCommandLine({"C:\\Apps\\app.exe", "/x \"a b\""}),
              "C:\\Apps\\app.exe /x \"a b\"");
    EXPECT_EQ(ShortcutCommandLine({"C:\\Apps\\app.exe", ""}), "C:\\Apps\\app.exe ");
    EXPECT_EQ(ShortcutCommandLine({"\"D:\\Kiosk Apps\\app.exe\"", ""}),
              "\"D:\\Kiosk Apps\\app.exe\" ");
    EXPECT_EQ(ShortcutCommandLine({"", ""}), " ");
}

class AutoRestartTest : public testing::Test {
  protected:
    AutoRestartTest() {
        settings.folder = "C:\\Kiosk\\";
        settings.time = 3;
        starter.files = {"browser.lnk", "broken.lnk", "player.lnk"};
        starter.shortcuts["C:\\Kiosk\\browser.lnk"] = {"C:\\Apps\\browser.exe", "-k"};
        starter.shortcuts["C:\\Kiosk\\player.lnk"] = {"C:\\Apps\\player.exe", ""};
    }
    // A visible top-level window of the sim's driver process stands for a program's window;
    // the check finds it under that process's id.
    void Tick() { AutoRestartStep(settings, state, starter, world.Driver().windows); }

    sim::World world;
    AutoRestartSettings settings;
    AutoRestartState state;
    ScriptedStarter starter;
};

TEST_F(AutoRestartTest, TheFoldersProgramsStartOnceAndAnUnreadableShortcutIsSkippedForGood) {
    PrepareAutoRestart(settings, state);
    EXPECT_EQ(LaunchAutoRestartPrograms(settings, state, starter), 2);
    EXPECT_EQ(starter.searched, "C:\\Kiosk\\*.lnk");
    EXPECT_EQ(starter.started,
              (std::vector<std::string>{"C:\\Apps\\browser.exe -k", "C:\\Apps\\player.exe "}));
    EXPECT_EQ(state.launchedShortcuts, (std::vector<std::string>{"browser.lnk", "player.lnk"}));
    EXPECT_EQ(state.launchedProcessIds, (std::vector<uint32_t>{100, 101}));
}

TEST_F(AutoRestartTest, EachCheckStartsAgainWhatHasNoWindowAndKeepsTheOldIdOnFailure) {
    PrepareAutoRestart(settings, state);
    LaunchAutoRestartPrograms(settings, state, starter);
    // The browser's process has a visible window; the player's has none.
    state.launchedProcessIds[0] = world.Driver().processes.CurrentProcessId();
    platform::WindowSystem& windows = world.Driver().windows;
    class Quiet final : public platform::WindowHandler {
        std::optional<std::intptr_t> OnWindowMessage(platform::WindowHandle, uint32_t,
                                                     std::uintptr_t, std::intptr_t) override {
            return std::nullopt;
        }
    } quiet;
    const auto browserWindow =
        windows.CreateWindow({"Browser", "Kiosk browser", platform::ws::kVisible, {}}, &quiet);
    starter.started.clear();

    Tick();
    Tick();
    EXPECT_TRUE(starter.started.empty());  // the first check comes after three seconds
    Tick();
    EXPECT_EQ(starter.started, std::vector<std::string>{"C:\\Apps\\player.exe "});
    EXPECT_EQ(state.launchedProcessIds[1], 102u);

    // A restart that fails leaves the old id, so the next check tries again.
    starter.failing = {"C:\\Apps\\player.exe "};
    Tick();
    Tick();
    Tick();
    EXPECT_EQ(state.launchedProcessIds[1], 102u);
    starter.failing.clear();
    Tick();
    Tick();
    Tick();
    EXPECT_EQ(state.launchedProcessIds[1], 103u);

    // Hidden, the browser's last window no longer counts; the player, whose process never
    // shows a window (a launcher's way), is started again at every check.
    windows.ShowWindow(browserWindow, platform::sw::kHide);
    starter.started.clear();
    Tick();
    Tick();
    Tick();
    EXPECT_EQ(starter.started,
              (std::vector<std::string>{"C:\\Apps\\browser.exe -k", "C:\\Apps\\player.exe "}));
    EXPECT_TRUE(starter.terminated.empty());  // no wait set: nothing is ever ended
}

// A time of 0 or 1 checks at every tick; a countdown that wrapped would never check again.
TEST_F(AutoRestartTest, ATimeOfZeroOrOneChecksAtEveryTick) {
    for (const uint32_t time : {0u, 1u}) {
        settings.time = time;
        state = {};
        starter.started.clear();
        PrepareAutoRestart(settings, state);
        LaunchAutoRestartPrograms(settings, state, starter);
        for (int tick = 1; tick <= 3; ++tick) {
            Tick();
            EXPECT_EQ(starter.started.size(), 2u + 2u * tick) << "time " << time;
        }
    }
}

TEST_F(AutoRestartTest, AWindowThatDoesNotAnswerInTimeHasItsProgramEnded) {
    settings.time = 1;
    settings.wait = 200;
    PrepareAutoRestart(settings, state);
    // A program whose only thread never looks at its messages.
    uint32_t hungId = 0;
    world.RegisterProgram("C:\\Apps\\hung.exe", [&hungId](platform::System& system) {
        class Quiet final : public platform::WindowHandler {
            std::optional<std::intptr_t> OnWindowMessage(platform::WindowHandle, uint32_t,
                                                         std::uintptr_t, std::intptr_t) override {
                return std::nullopt;
            }
        } quiet;
        hungId = system.processes.CurrentProcessId();
        system.windows.CreateWindow({"Hung", "Hung program", platform::ws::kVisible, {}}, &quiet);
        system.processes.Sleep(600000);
        return 0;
    });
    auto hung = world.Driver().processes.StartProcess("C:\\Apps\\hung.exe");
    ASSERT_NE(hung, nullptr);
    world.RunFor(10);
    state.launchedShortcuts = {"hung.lnk"};
    state.launchedProcessIds = {hungId};
    starter.shortcuts["C:\\Kiosk\\hung.lnk"] = {"C:\\Apps\\hung.exe", ""};

    Tick();
    EXPECT_EQ(starter.terminated, std::vector<uint32_t>{hungId});
    EXPECT_TRUE(starter.started.empty());  // counted as running in this check
    hung->Terminate(0xFFFFFFFF);
    hung->WaitForExit(1000);
    Tick();
    EXPECT_EQ(starter.started, std::vector<std::string>{"C:\\Apps\\hung.exe "});
}

}  // namespace
}  // namespace corvane
