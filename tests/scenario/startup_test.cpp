// Start-up, the two modes, and the hand-over between two starts of the program.
#include "common/command_ids.h"
#include "tests/scenario/corvane_world.h"

namespace corvane::scenario {
namespace {

namespace wm = platform::wm;

using Startup = CorvaneWorld;

TEST_F(Startup, UserModeRunsHiddenUntilASecondStartWithQ) {
    auto kiosk = Start("/user");
    const auto window = WindowOf(*kiosk);
    ASSERT_TRUE(window.has_value());
    EXPECT_FALSE(window->visible);
    EXPECT_EQ(window->className, "#32770");
    EXPECT_EQ(window->iconId, 128u);

    // Starts without a command, or with one that has no action, leave the kiosk running.
    for (const char* switches : {"", "/h", "/kd", "/lnk:C:\\Other.lnk", "/user"}) {
        auto second = Start(switches);
        EXPECT_EQ(second->WaitForExit(5000), 0u) << switches;
        EXPECT_TRUE(world.ProcessRunning(kiosk->Id())) << switches;
        EXPECT_FALSE(WindowOf(*second).has_value()) << switches;
    }

    auto quit = Start("/q");
    EXPECT_EQ(quit->WaitForExit(5000), 0u);
    EXPECT_EQ(kiosk->WaitForExit(5000), 1u);
    EXPECT_FALSE(WindowOf(*kiosk).has_value());
    EXPECT_TRUE(world.MessageBoxes().empty());
    EXPECT_TRUE(world.ShellExecutes().empty());  // a second start's shortcut is not opened
}

TEST_F(Startup, AdministratorModeDialogClosesOnQ) {
    auto admin = Start("");
    const auto window = WindowOf(*admin);
    ASSERT_TRUE(window.has_value());
    EXPECT_TRUE(window->visible);
    auto quit = Start("-Q");
    EXPECT_EQ(quit->WaitForExit(5000), 0u);
    EXPECT_EQ(admin->WaitForExit(5000), 1u);
}

TEST_F(Startup, AdministratorModeEndsWhenItsDialogCloses) {
    auto admin = Start("/lnk:C:\\Kiosk\\Start.lnk");
    const auto window = WindowOf(*admin);
    ASSERT_TRUE(window.has_value());
    sys.windows.PostMessage(window->handle, wm::kClose, 0, 0);
    EXPECT_EQ(admin->WaitForExit(5000), 0u);
    EXPECT_TRUE(world.ShellExecutes().empty());  // the shortcut is for user mode only
    // The mutex went with the process: the next start runs on its own.
    auto next = Start("/user");
    EXPECT_TRUE(WindowOf(*next).has_value());
}

TEST_F(Startup, UserModeOpensTheShortcutAfterStarting) {
    auto kiosk = Start("/user /lnk:C:\\Kiosk\\Start.lnk");
    ASSERT_EQ(world.ShellExecutes().size(), 1u);
    const sim::ShellExecuteRecord& open = world.ShellExecutes()[0];
    EXPECT_EQ(open.processId, kiosk->Id());
    EXPECT_EQ(open.verb, "open");
    EXPECT_EQ(open.file, "c:\\kiosk\\start.lnk");
    EXPECT_EQ(open.parameters, "");
    EXPECT_EQ(open.directory, "");
    EXPECT_EQ(open.showCommand, platform::sw::kShowNormal);
}

TEST_F(Startup, UserModeWindowRefusesToBeShown) {
    auto kiosk = Start("/user");
    const auto window = WindowOf(*kiosk);
    ASSERT_TRUE(window.has_value());
    sys.windows.ShowWindow(window->handle, platform::sw::kShow);
    sys.windows.SetWindowPos(window->handle, platform::WindowHandle::Null, 10, 10, 0, 0,
                             platform::swp::kShowWindow | platform::swp::kNoSize);
    EXPECT_FALSE(sys.windows.IsWindowVisible(window->handle));
}

TEST_F(Startup, LogoffEndsUserMode) {
    auto kiosk = Start("/user");
    const auto window = WindowOf(*kiosk);
    ASSERT_TRUE(window.has_value());
    EXPECT_EQ(sys.windows.SendMessageTimeout(window->handle, wm::kQueryEndSession, 0, 0, 5000), 1);
    EXPECT_EQ(kiosk->WaitForExit(5000), 1u);
}

TEST_F(Startup, HandOverMessageIsRecognisedOnAnyWindowAndOthersPassThrough) {
    auto kiosk = Start("/user");
    const uint32_t handover = sys.windows.RegisterWindowMessage("VtxCorvane");
    const auto window = WindowOf(*kiosk);
    ASSERT_TRUE(window.has_value());
    // Unknown ids and an unrelated registered message change nothing.
    sys.windows.PostMessage(window->handle, handover, 12345, 0);
    sys.windows.PostMessage(window->handle, sys.windows.RegisterWindowMessage("Other"), ID_SWITCH_Q,
                            0);
    world.RunFor(100);
    EXPECT_TRUE(world.ProcessRunning(kiosk->Id()));
    sys.windows.PostMessage(window->handle, handover, ID_SWITCH_Q, 0);
    EXPECT_EQ(kiosk->WaitForExit(5000), 1u);
}

TEST_F(Startup, AboutBoxFromTheSystemMenu) {
    auto kiosk = Start("/user");
    const auto window = WindowOf(*kiosk);
    ASSERT_TRUE(window.has_value());
    using Item = std::pair<uint32_t, std::string>;
    EXPECT_EQ(window->systemMenu, (std::vector<Item>{{0, ""}, {0x10, "&About Corvane..."}}));

    sys.windows.PostMessage(window->handle, wm::kSysCommand, 0x13, 0);  // low bits do not matter
    world.RunFor(50);
    const auto about = WindowOf(*kiosk, "About Corvane");
    ASSERT_TRUE(about.has_value());
    EXPECT_TRUE(about->visible);
    EXPECT_EQ(about->owner, window->handle);
    sys.windows.PostMessage(about->handle, wm::kCommand, platform::id::kOk, 0);
    world.RunFor(50);
    EXPECT_FALSE(WindowOf(*kiosk, "About Corvane").has_value());

    // Other system commands take the default way; the kiosk goes on.
    sys.windows.PostMessage(window->handle, wm::kSysCommand, 0x20, 0);
    world.RunFor(50);
    EXPECT_FALSE(WindowOf(*kiosk, "About Corvane").has_value());
    EXPECT_TRUE(world.ProcessRunning(kiosk->Id()));
}

}  // namespace
}  // namespace corvane::scenario
