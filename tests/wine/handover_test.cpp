// Two starts of the real program under Wine: the single-instance rule and the hand-over.
#include "common/settings_store.h"
#include "platform/constants.h"
#include "tests/wine/corvane_process.h"

namespace corvane::wine {
namespace {

using Handover = CorvaneProcesses;

TEST_F(Handover, UserModeRunsHiddenAndEndsWithExitCode1OnQ) {
    first = Start("/user");
    ASSERT_NE(first, nullptr);
    const platform::WindowHandle window = WaitForWindow(*first);
    ASSERT_NE(window, platform::WindowHandle::Null) << "user mode made no window";
    // Past the moment a visible template would have been shown, it is still hidden.
    sys.processes.Sleep(500);
    EXPECT_FALSE(sys.windows.IsWindowVisible(window));

    // Its load created the settings root.
    platform::RegistryKeyPtr root;
    EXPECT_EQ(OpenForReading(sys.registry, platform::Hive::LocalMachine, kSettingsRoot, root), 0);

    // Without switches, and with a command that has no action, a second start leaves it running.
    for (const char* switches : {"", "/h", "/user"}) {
        auto second = Start(switches);
        ASSERT_NE(second, nullptr);
        EXPECT_EQ(second->WaitForExit(20000), 0u) << switches;
        EXPECT_EQ(first->WaitForExit(300), std::nullopt) << switches;
        EXPECT_TRUE(sys.windows.IsWindow(window));
        EXPECT_FALSE(sys.windows.IsWindowVisible(window));
    }

    auto quit = Start("/q");
    ASSERT_NE(quit, nullptr);
    EXPECT_EQ(quit->WaitForExit(20000), 0u);
    EXPECT_EQ(first->WaitForExit(20000), 1u);
    EXPECT_FALSE(sys.windows.IsWindow(window));
}

TEST_F(Handover, AdministratorModeShowsItsDialogAndClosesOnQ) {
    first = Start("");
    ASSERT_NE(first, nullptr);
    const platform::WindowHandle window = WaitForWindow(*first);
    ASSERT_NE(window, platform::WindowHandle::Null);
    EXPECT_TRUE(BecomesVisible(window));

    auto quit = Start("-Q");
    ASSERT_NE(quit, nullptr);
    EXPECT_EQ(quit->WaitForExit(20000), 0u);
    EXPECT_EQ(first->WaitForExit(20000), 1u);
}

TEST_F(Handover, AdministratorModeEndsWithItsCloseBox) {
    first = Start("");
    ASSERT_NE(first, nullptr);
    const platform::WindowHandle window = WaitForWindow(*first);
    ASSERT_NE(window, platform::WindowHandle::Null);
    sys.windows.PostMessage(window, platform::wm::kClose, 0, 0);
    EXPECT_EQ(first->WaitForExit(20000), 0u);
}

TEST_F(Handover, UserModeEndsAtLogoff) {
    first = Start("/user");
    ASSERT_NE(first, nullptr);
    const platform::WindowHandle window = WaitForWindow(*first);
    ASSERT_NE(window, platform::WindowHandle::Null);
    EXPECT_EQ(sys.windows.SendMessageTimeout(window, platform::wm::kQueryEndSession, 0, 0, 5000),
              1);
    EXPECT_EQ(first->WaitForExit(20000), 1u);
}

}  // namespace
}  // namespace corvane::wine
