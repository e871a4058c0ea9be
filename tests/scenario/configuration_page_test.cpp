// The configuration page and the password on the sim: a scripted administrator types, ticks
// and clicks on the real pages.
#include "app/password.h"
#include "common/hide_gui_values.h"
#include "common/settings_store.h"
#include "platform/sim/html_host.h"
#include "tests/scenario/corvane_world.h"

namespace corvane::scenario {
namespace {

namespace mb = platform::mb;

class ConfigurationPage : public CorvaneWorld {
  protected:
    void SetPassword(sim::SimHtmlHost& page, const platform::Process& process,
                     const std::string& password, const std::string& verify) {
        page.Click("ButtonSetPassword");
        sim::SimHtmlHost* set = PageOf(process, "Set Password:");
        ASSERT_NE(set, nullptr);
        set->SetValue("password", password);
        set->SetValue("verify", verify);
        set->Click("ButtonOK");
        world.RunFor(50);
    }
};

TEST_F(ConfigurationPage, FirstStartShowsThePageWithoutAPasswordPrompt) {
    auto admin = Start("");
    sim::SimHtmlHost* page = PageOf(*admin);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->Title(), "CORVANE");
    EXPECT_EQ(page->OuterHtml("ButtonSetPassword"),
              "<button class=\"bt1\" style=\"width:200px\" id=\"ButtonSetPassword\">Set Corvane "
              "Password</button>");
    EXPECT_EQ(page->OuterHtml("ButtonExitUserMode"),
              "<button style=\"width:200px\" id=\"ButtonExitUserMode\" disabled=\"disabled\">Exit "
              "User Mode</button>");
    EXPECT_EQ(page->OuterHtml("ButtonActivityTimer"),
              "<button style=\"width:200px\" id=\"ButtonActivityTimer\">Timers Disabled</button>");
    EXPECT_EQ(page->InnerText("currentversions"),
              "Windows Version:    \nInternet Explorer Version:    ");
    EXPECT_TRUE(world.MessageBoxes().empty());
    EXPECT_FALSE(WindowOf(*admin, "Password:").has_value());

    // Cancel without a change closes at once.
    page->Click("ButtonCancel");
    EXPECT_EQ(admin->WaitForExit(5000), 0u);
    EXPECT_TRUE(world.MessageBoxes().empty());
}

TEST_F(ConfigurationPage, TogglesRenderAndCancelAsksBeforeLosingThem) {
    auto admin = Start("");
    sim::SimHtmlHost* page = PageOf(*admin);
    ASSERT_NE(page, nullptr);
    page->Click("ButtonActivityTimer");
    page->Click("ButtonEnableHideGUI");
    world.RunFor(50);
    EXPECT_EQ(page->OuterHtml("ButtonActivityTimer"),
              "<button class=\"bt2\" style=\"width:200px\" id=\"ButtonActivityTimer\">Timers "
              "Enabled</button>");
    EXPECT_EQ(page->OuterHtml("ButtonEnableHideGUI"),
              "<button class=\"bt2\" style=\"width:200px\" id=\"ButtonEnableHideGUI\">Hide GUI "
              "Enabled</button>");
    world.ScriptMessageBoxAnswer(platform::id::kCancel);
    page->Click("ButtonCancel");
    world.RunFor(50);
    ASSERT_NE(LastBox(), nullptr);
    EXPECT_EQ(LastBox()->text,
              "The settings have changed.\n\nDo you want to apply the settings before closing?");
    EXPECT_TRUE(world.ProcessRunning(admin->Id()));

    // Apply writes the tree; then Cancel closes without asking.
    page->Click("ButtonDisableWindowsKey");  // not a button: nothing happens
    page->SetCheckState("DisableWindowsKey", 1);
    page->Click("ButtonApply");
    world.RunFor(50);
    platform::RegistryKeyPtr root;
    ASSERT_EQ(OpenForReading(sys.registry, platform::Hive::LocalMachine, kSettingsRoot, root), 0);
    uint32_t timers = 0;
    EXPECT_EQ(QueryDWordValue(*root, "EnableTimers", timers), 0);
    EXPECT_EQ(timers, 1u);
    platform::RegistryKeyPtr hideGui;
    ASSERT_EQ(OpenForReading(sys.registry, platform::Hive::LocalMachine, kHideGuiKey, hideGui), 0);
    uint32_t windowsKey = 0;
    EXPECT_EQ(QueryDWordValue(*hideGui, "DisableWindowsKey", windowsKey), 0);
    EXPECT_EQ(windowsKey, 1u);
    const size_t boxes = world.MessageBoxes().size();
    page->Click("ButtonCancel");
    EXPECT_EQ(admin->WaitForExit(5000), 0u);
    EXPECT_EQ(world.MessageBoxes().size(), boxes);
}

TEST_F(ConfigurationPage, PasswordIsSetThenAskedAtTheNextStart) {
    auto admin = Start("");
    sim::SimHtmlHost* page = PageOf(*admin);
    ASSERT_NE(page, nullptr);
    SetPassword(*page, *admin, "s3cret", "s3crex");
    ASSERT_NE(LastBox(), nullptr);
    EXPECT_EQ(LastBox()->text, "The password you have entered does not match the verify password.");
    sim::SimHtmlHost* set = PageOf(*admin, "Set Password:");
    ASSERT_NE(set, nullptr);  // it stays open
    set->SetValue("verify", "s3cret");
    set->Click("ButtonOK");
    world.RunFor(50);
    EXPECT_EQ(LastBox()->text, "The new password has been set.");
    EXPECT_EQ(LastBox()->type, mb::kOk | mb::kIconInformation);
    EXPECT_FALSE(WindowOf(*admin, "Set Password:").has_value());
    EXPECT_EQ(page->OuterHtml("ButtonSetPassword"),
              "<button class=\"bt2\" style=\"width:200px\" id=\"ButtonSetPassword\">Set Corvane "
              "Password</button>");
    EXPECT_TRUE(CheckPassword(sys, "s3cret"));
    world.ScriptMessageBoxAnswer(platform::id::kNo);  // setting a password counts as a change
    page->Click("ButtonCancel");
    EXPECT_EQ(admin->WaitForExit(5000), 0u);

    // The next start asks; a wrong answer (case counts) ends the program.
    auto again = Start("");
    sim::SimHtmlHost* ask = PageOf(*again, "Password:");
    ASSERT_NE(ask, nullptr);
    EXPECT_FALSE(WindowOf(*again, "Corvane").value().visible);
    ask->SetValue("password", "S3CRET");
    ask->Click("ButtonOK");
    EXPECT_EQ(again->WaitForExit(5000), 0u);
    EXPECT_EQ(LastBox()->text,
              "The password you have entered in incorrect.\n\nCorvane will not exit.");
    EXPECT_EQ(LastBox()->type, mb::kOk | mb::kIconStop);

    // The right one opens the page; Cancel in the prompt counts as a wrong one.
    auto third = Start("");
    ask = PageOf(*third, "Password:");
    ASSERT_NE(ask, nullptr);
    ask->SetValue("password", "s3cret");
    ask->Click("ButtonOK");
    EXPECT_NE(PageOf(*third), nullptr);
    EXPECT_TRUE(world.ProcessRunning(third->Id()));
    Start("/q");
    EXPECT_EQ(third->WaitForExit(5000), 1u);
    auto fourth = Start("");
    ask = PageOf(*fourth, "Password:");
    ASSERT_NE(ask, nullptr);
    ask->Click("ButtonCancel");
    EXPECT_EQ(fourth->WaitForExit(5000), 0u);
}

TEST_F(ConfigurationPage, KeyboardFilterKeepsPrintNewOpenAndReloadFromTheBrowser) {
    auto admin = Start("");
    sim::SimHtmlHost* page = PageOf(*admin);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->PressKey(platform::vk::kF5));
    EXPECT_FALSE(page->PressKey('P'));  // without Ctrl
    sys.windows.SendKey(platform::vk::kControl, false, false);
    EXPECT_TRUE(page->PressKey('P'));
    EXPECT_TRUE(page->PressKey('N'));
    EXPECT_TRUE(page->PressKey('O'));
    EXPECT_FALSE(page->PressKey('C'));
    sys.windows.SendKey(platform::vk::kControl, true, false);
    EXPECT_FALSE(page->PressKey('N'));
}

TEST_F(ConfigurationPage, AlternativePageBindsBySameIdsAndMissingOnesAreSkipped) {
    world.Files().Put(
        "C:\\Kiosk\\admin.htm",
        "<html><head><title>Kiosk admin</title></head><body>"
        "<input type=checkbox id=disablesleepkey><input type=checkbox id=HideDesktop>"
        "<button id=buttonActivityTimer>?</button><button id=ButtonApply>Apply</button>"
        "</body></html>");
    {
        platform::RegistryKeyPtr root;
        ASSERT_EQ(OpenForWriting(sys.registry, platform::Hive::LocalMachine, kSettingsRoot, root),
                  0);
        SetStringValue(*root, "CorvaneGUI", "C:\\Kiosk\\admin.htm");
        ASSERT_EQ(OpenForWriting(sys.registry, platform::Hive::LocalMachine, kHideGuiKey, root), 0);
        SetDWordValue(*root, "HideDesktop", 1);
        SetDWordValue(*root, "DisableWindowsKey", 1);
    }
    auto admin = Start("");
    sim::SimHtmlHost* page = PageOf(*admin, "Corvane (E)");
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->CheckState("HideDesktop"), 1);
    EXPECT_EQ(page->OuterHtml("ButtonActivityTimer"),
              "<button style=\"width:200px\" id=\"ButtonActivityTimer\">Timers Disabled</button>");
    page->SetCheckState("DisableSleepKey", 1);
    page->Click("ButtonApply");
    world.RunFor(50);
    platform::RegistryKeyPtr hideGui;
    ASSERT_EQ(OpenForReading(sys.registry, platform::Hive::LocalMachine, kHideGuiKey, hideGui), 0);
    uint32_t sleep = 0;
    uint32_t windowsKey = 0;
    QueryDWordValue(*hideGui, "DisableSleepKey", sleep);
    QueryDWordValue(*hideGui, "DisableWindowsKey", windowsKey);
    EXPECT_EQ(sleep, 1u);
    EXPECT_EQ(windowsKey, 1u);  // no box for it on this page: kept as loaded
}

TEST_F(ConfigurationPage, APageThatDoesNotLoadLeavesAWorkingDialog) {
    platform::RegistryKeyPtr root;
    ASSERT_EQ(OpenForWriting(sys.registry, platform::Hive::LocalMachine, kSettingsRoot, root), 0);
    SetStringValue(*root, "CorvaneGUI", "C:\\Kiosk\\missing.htm");
    auto admin = Start("");
    world.RunFor(50);
    const auto window = WindowOf(*admin, "Corvane (E)");
    ASSERT_TRUE(window.has_value());
    sys.windows.PostMessage(window->handle, platform::wm::kClose, 0, 0);
    EXPECT_EQ(admin->WaitForExit(5000), 0u);
}

TEST_F(ConfigurationPage, OverrideKeyAsksForThePasswordInUserMode) {
    ASSERT_EQ(WritePassword(sys, "pw"), 0);
    auto kiosk = Start("/user");
    const auto window = WindowOf(*kiosk);
    ASSERT_TRUE(window.has_value());
    sys.windows.PostThreadMessage(window->threadId, 0x800A, 0, 0);  // WM_APP_OVERRIDE
    sim::SimHtmlHost* ask = PageOf(*kiosk, "Password:");
    ASSERT_NE(ask, nullptr);
    ask->SetValue("password", "wrong");
    ask->Click("ButtonOK");
    world.RunFor(50);
    EXPECT_FALSE(WindowOf(*kiosk).value().visible);
    EXPECT_TRUE(world.MessageBoxes().empty());  // no word about it

    sys.windows.PostThreadMessage(window->threadId, 0x800A, 0, 0);
    ask = PageOf(*kiosk, "Password:");
    ASSERT_NE(ask, nullptr);
    ask->SetValue("password", "pw");
    ask->Click("ButtonOK");
    world.RunFor(50);
    EXPECT_TRUE(WindowOf(*kiosk).value().visible);
    sim::SimHtmlHost* page = PageOf(*kiosk);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->OuterHtml("ButtonExitUserMode"),
              "<button class=\"bt2\" style=\"width:200px\" id=\"ButtonExitUserMode\">Exit User "
              "Mode</button>");
    page->Click("ButtonOK");  // hides it again; the kiosk goes on
    world.RunFor(50);
    EXPECT_FALSE(WindowOf(*kiosk).value().visible);
    page->Click("ButtonExitUserMode");
    EXPECT_EQ(kiosk->WaitForExit(5000), 1u);
}

}  // namespace
}  // namespace corvane::scenario
