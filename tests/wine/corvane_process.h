// Starting the real Corvane.exe under Wine and looking at it from outside.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/settings_store.h"
#include "platform/win32/system.h"
#include "tests/wine/wait_for_window.h"

namespace corvane::wine {

// The program under test, as a Windows path; set by main from its first argument.
std::string& CorvaneExe();

class CorvaneProcesses : public testing::Test {
  protected:
    std::unique_ptr<platform::Process> Start(const std::string& switches) {
        auto process = sys.processes.StartProcess("\"" + CorvaneExe() + "\" " + switches);
        EXPECT_NE(process, nullptr) << "cannot start " << CorvaneExe();
        return process;
    }

    // Waits until the process shows its top-level window with this caption (hidden or not).
    platform::WindowHandle WaitForWindow(const platform::Process& process,
                                         const std::string& caption = "Corvane") {
        return wine::WaitForWindow(sys, "#32770", caption, &process,
                                   [this] { sys.processes.Sleep(20); });
    }

    // A dialog is made hidden and shown after its initialisation: give it that time.
    bool BecomesVisible(platform::WindowHandle window) {
        for (int i = 0; i < 250 && !sys.windows.IsWindowVisible(window); ++i) {
            sys.processes.Sleep(20);
        }
        return sys.windows.IsWindowVisible(window);
    }

    // The kiosk settings of these tests: no shell lockdown, which needs a shell.
    void SetUp() override {
        platform::RegistryKeyPtr root;
        ASSERT_EQ(OpenForWriting(sys.registry, platform::Hive::LocalMachine, kSettingsRoot, root),
                  0);
        SetDWordValue(*root, "EnableHideGUI", 0);
        SetDWordValue(*root, "EnableTimers", 0);
        SetDWordValue(*root, "EnableAutoRestart", 0);
    }

    // Ends what a failed test left behind, so the next one starts alone.
    void TearDown() override {
        for (auto* process : {&first}) {
            if (*process && !(*process)->WaitForExit(0)) {
                (*process)->Terminate(99);
                (*process)->WaitForExit(5000);
            }
        }
    }

    platform::win32::Win32System system;
    platform::System& sys = system.Get();
    std::unique_ptr<platform::Process> first;
};

}  // namespace corvane::wine
