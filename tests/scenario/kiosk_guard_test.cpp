// A kiosk that comes back: with KeepUserModeRunning a guard process starts user mode again when
// it is ended from outside, and user mode starts the guard again; user mode's own end stops both.
#include <algorithm>

#include "common/event_log.h"
#include "common/settings_store.h"
#include "ext/shell_extension.h"
#include "session/kiosk_guard.h"
#include "tests/scenario/corvane_world.h"
#include "tools/fakeshell/fake_shell.h"

namespace corvane::scenario {
namespace {

class KioskGuardScenario : public CorvaneWorld {
  protected:
    KioskGuardScenario() {
        world.RegisterProgram(
            kCorvanePath,
            [this](platform::System& system) {
                ext::ShellExtension extension(system,
                                              world.Shared<ext::ExtSharedState>("CorvaneExt"));
                return CorvaneMain(system, &extension);
            },
            CorvaneResources());
        world.RegisterProgram("C:\\Windows\\explorer.exe", [](platform::System& system) {
            return tools::RunFakeShell(system, true);
        });
        platform::RegistryKeyPtr key;
        EXPECT_EQ(OpenForWriting(sys.registry, platform::Hive::LocalMachine, kSettingsRoot, key),
                  0);
        SetDWordValue(*key, "EnableHideGUI", 1);
        EXPECT_EQ(OpenForWriting(sys.registry, platform::Hive::LocalMachine, kHideGuiKey, key), 0);
        SetDWordValue(*key, "HideTaskbar", 1);
        shell = sys.processes.StartProcess("explorer.exe");
        world.RunFor(20);
    }
    void KeepRunning(uint32_t on) {
        platform::RegistryKeyPtr key;
        ASSERT_EQ(OpenForWriting(sys.registry, platform::Hive::LocalMachine, kHideGuiKey, key), 0);
        SetDWordValue(*key, "KeepUserModeRunning", on);
    }
    // The running processes of Corvane whose arguments hold `argument`.
    std::vector<uint32_t> Running(const std::string& argument) const {
        std::vector<uint32_t> ids;
        for (const auto& [id, args] : world.RunningProcesses()) {
            if (std::any_of(args.begin() + 1, args.end(),
                            [&](const std::string& a) { return a.starts_with(argument); })) {
                ids.push_back(id);
            }
        }
        return ids;
    }
    bool TaskbarShown() const {
        const auto taskbar = world.FindWindowInfo("Shell_TrayWnd", "");
        return taskbar && taskbar->visible;
    }
    bool Said(const std::string& text) {
        for (const std::string& line : ReadEventLines(sys, 50)) {
            if (line.find(text) != std::string::npos) {
                return true;
            }
        }
        return false;
    }

    std::unique_ptr<platform::Process> shell;
};

TEST_F(KioskGuardScenario, AUserModeEndedFromOutsideIsBackAndLockedWithinASecond) {
    KeepRunning(1);
    auto kiosk = Start("/user");
    ASSERT_EQ(Running("/guard:").size(), 1u);
    ASSERT_FALSE(TaskbarShown());

    kiosk->Terminate(1);  // as Task Manager or taskkill would
    world.RunFor(1000);
    const auto back = Running("/user");
    ASSERT_EQ(back.size(), 1u);
    EXPECT_NE(back[0], kiosk->Id());
    // Locked again: the new user mode's hooks and icon (the ended one's went with it), the
    // shell still hidden.
    EXPECT_EQ(world.HookCount(), 2);
    EXPECT_EQ(world.NotifyIcons().size(), 1u);
    EXPECT_FALSE(TaskbarShown());
    EXPECT_EQ(Running("/guard:").size(), 1u);  // the same guard, not a second one
    EXPECT_TRUE(Said("user mode was ended from outside: it was started again"));

    // Its own end (/q) ends the guard too, and nothing comes back.
    auto quit = Start("/q");
    world.RunFor(2000);
    EXPECT_TRUE(Running("/user").empty());
    EXPECT_TRUE(Running("/guard:").empty());
    EXPECT_TRUE(TaskbarShown());
}

TEST_F(KioskGuardScenario, AGuardEndedFromOutsideIsStartedAgainByUserMode) {
    KeepRunning(1);
    auto kiosk = Start("/user");
    const auto guards = Running("/guard:");
    ASSERT_EQ(guards.size(), 1u);
    ASSERT_TRUE(sys.processes.TerminateProcessById(guards[0], 1));
    world.RunFor(1500);
    const auto again = Running("/guard:");
    ASSERT_EQ(again.size(), 1u);
    EXPECT_NE(again[0], guards[0]);
    EXPECT_TRUE(Said("the guard was ended from outside: it was started again"));

    // And that guard brings user mode back in turn.
    kiosk->Terminate(1);
    world.RunFor(1000);
    EXPECT_EQ(Running("/user").size(), 1u);
    Start("/q");
    world.RunFor(2000);
    EXPECT_TRUE(Running("/guard:").empty());
}

// Without the setting there is no guard, and a killed user mode stays ended, as described.
TEST_F(KioskGuardScenario, WithoutTheSettingNothingComesBack) {
    auto kiosk = Start("/user");
    EXPECT_TRUE(Running("/guard:").empty());
    kiosk->Terminate(1);
    world.RunFor(2000);
    EXPECT_TRUE(Running("/user").empty());
}

// A user mode that ends again at once, time after time, is not started for ever: the guard
// gives up and says so.
TEST_F(KioskGuardScenario, AUserModeThatKeepsEndingIsGivenUpOn) {
    KeepRunning(1);
    auto kiosk = Start("/user");
    for (int round = 0; round <= kGuardMaxRestarts; ++round) {
        const auto running = Running("/user");
        ASSERT_EQ(running.size(), 1u) << round;
        ASSERT_TRUE(sys.processes.TerminateProcessById(running[0], 1));
        world.RunFor(500);
    }
    EXPECT_TRUE(Running("/user").empty());
    EXPECT_TRUE(Running("/guard:").empty());
    EXPECT_TRUE(Said("times within a minute: the guard stops starting it"));
}

}  // namespace
}  // namespace corvane::scenario
