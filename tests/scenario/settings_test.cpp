// Loading and saving the settings root through the configuration dialog.
#include "app/corvane_dlg.h"
#include "common/settings_store.h"
#include "tests/scenario/corvane_world.h"

namespace corvane::scenario {
namespace {

using platform::Hive;
namespace reg = platform::reg;

const char* const kRegistryMessage =
    "Failed to open Corvane Registry settings.\n\nCorvane must be ran as an Administrator for "
    "this computer.";

class Settings : public CorvaneWorld {
  protected:
    platform::RegistryKeyPtr Root() {
        platform::RegistryKeyPtr key;
        EXPECT_EQ(OpenForWriting(sys.registry, Hive::LocalMachine, kSettingsRoot, key), 0);
        return key;
    }
    uint32_t Number(const char* name) {
        uint32_t value = 0xDEAD;
        EXPECT_EQ(QueryDWordValue(*Root(), name, value), 0) << name;
        return value;
    }
    std::string Text(const char* name) {
        std::string value = "<missing>";
        ReadText(*Root(), name, value);
        return value;
    }
    void MachineText(const char* path, const char* name, const std::string& value) {
        platform::RegistryKeyPtr key;
        ASSERT_EQ(OpenForWriting(sys.registry, Hive::LocalMachine, path, key), 0);
        ASSERT_EQ(SetStringValue(*key, name, value), 0);
    }

    // Runs what the driver's queue holds: the page's events among them.
    void PumpMessages() {
        platform::Message message;
        while (sys.windows.PeekMessage(message, true)) {
            if (!app.PreTranslateMessage(message)) {
                sys.windows.DispatchMessage(message);
            }
        }
    }

    CCorvaneApp app{sys, nullptr};
};

TEST_F(Settings, FirstStartCreatesTheRootAndTheFirstApplyWritesIt) {
    CCorvaneDlg dialog(app);
    ASSERT_TRUE(dialog.Create());
    platform::RegistryKeyPtr root;
    EXPECT_EQ(OpenForReading(sys.registry, Hive::LocalMachine, kSettingsRoot, root), 0);
    std::string none;
    EXPECT_EQ(root->EnumSubKey(0, none), platform::error::kNoMoreItems);
    platform::RawValue raw;
    EXPECT_EQ(root->QueryValue("EnablePolicies", 4, raw), platform::error::kFileNotFound);
    root.reset();
    EXPECT_EQ(dialog.enablePolicies, 0);
    EXPECT_EQ(dialog.noPassword, 1);
    EXPECT_EQ(dialog.showAllowed, 1);

    dialog.enableHideGUI = 1;
    dialog.enableTimers = 1;
    dialog.userModeLogon = 1;
    dialog.settingsChanged = 1;
    dialog.OnApply();
    EXPECT_EQ(dialog.settingsChanged, 0);
    EXPECT_EQ(Number("EnablePolicies"), 0u);
    EXPECT_EQ(Number("EnableHideGUI"), 1u);
    EXPECT_EQ(Number("EnableAutoLogon"), 0u);
    EXPECT_EQ(Number("EnableAutoRestart"), 0u);
    EXPECT_EQ(Number("EnableTimers"), 1u);
    EXPECT_EQ(Number("EnableLumbrel"), 0u);
    EXPECT_EQ(Number("UserModeLogon"), 1u);
    EXPECT_EQ(Text("AppPath"), sys.processes.ModulePath());
    EXPECT_EQ(Text("CorvaneGUI"), "<missing>");  // never written
    EXPECT_TRUE(world.MessageBoxes().empty());
    EXPECT_EQ(world.Registry().OpenKeyCount(), 0);
}

TEST_F(Settings, LoadReadsTheRootAndSaveRewritesAppPath) {
    {
        auto root = Root();
        SetDWordValue(*root, "EnablePolicies", 5);  // any non-zero is on
        SetDWordValue(*root, "EnableLumbrel", 1);
        SetStringValue(*root, "AppPath", "D:\\Old Place\\Corvane.exe");
        SetStringValue(*root, "CorvaneGUI", "http://intranet/kiosk.html");
    }
    CCorvaneDlg dialog(app);
    ASSERT_TRUE(dialog.Create());
    EXPECT_EQ(dialog.enablePolicies, 5);
    EXPECT_EQ(dialog.enableLumbrel, 1);
    EXPECT_EQ(dialog.appPath, "D:\\Old Place\\Corvane.exe");
    EXPECT_EQ(dialog.guiPage, "http://intranet/kiosk.html");
    EXPECT_EQ(sys.windows.GetWindowText(dialog.Handle()), "Corvane (E)");

    dialog.OnApply();
    EXPECT_EQ(Text("AppPath"), sys.processes.ModulePath());
    EXPECT_EQ(Number("EnablePolicies"), 1u);  // a flag is written as 0 or 1
    EXPECT_EQ(Text("CorvaneGUI"), "http://intranet/kiosk.html");
}

TEST_F(Settings, MalformedRootValuesKeepTheInitialValues) {
    {
        auto root = Root();
        const std::vector<uint8_t> odd = {'x', 0, 0};
        root->SetValue("AppPath", reg::kSz, odd);
        SetStringValue(*root, "EnableTimers", "1");
        const std::vector<uint8_t> shortNumber = {1};
        root->SetValue("EnableHideGUI", reg::kDword, shortNumber);
        SetStringValue(*root, "CorvaneGUI", std::string(260, 'g'));
    }
    CCorvaneDlg dialog(app);
    ASSERT_TRUE(dialog.Create());
    EXPECT_EQ(dialog.enableTimers, 0);
    EXPECT_EQ(dialog.enableHideGUI, 0);
    EXPECT_EQ(dialog.appPath, "");
    EXPECT_EQ(dialog.guiPage, "");  // 260 characters do not fit with the terminator
    EXPECT_EQ(sys.windows.GetWindowText(dialog.Handle()), "Corvane");
}

TEST_F(Settings, RootThatCannotBeCreatedIsReportedAtEveryExchange) {
    world.Registry().DenyAccess(Hive::LocalMachine, "Software\\Vemtrix", reg::kCreateSubKey);
    CCorvaneDlg dialog(app);
    ASSERT_TRUE(dialog.Create());
    ASSERT_EQ(world.MessageBoxes().size(), 1u);
    EXPECT_EQ(world.MessageBoxes()[0].text, kRegistryMessage);
    EXPECT_EQ(world.MessageBoxes()[0].caption, "Corvane");
    EXPECT_EQ(world.MessageBoxes()[0].type, platform::mb::kOk);

    dialog.OnApply();
    EXPECT_EQ(world.MessageBoxes().size(), 2u);
    platform::RegistryKeyPtr root;
    EXPECT_EQ(OpenForReading(sys.registry, Hive::LocalMachine, kSettingsRoot, root),
              platform::error::kFileNotFound);
    EXPECT_EQ(world.Registry().OpenKeyCount(), 0);
}

TEST_F(Settings, RootThatCannotBeWrittenIsSilentlyNotSaved) {
    Root()->SetValue("EnableTimers", reg::kDword, std::vector<uint8_t>{1, 0, 0, 0});
    world.Registry().DenyAccess(Hive::LocalMachine, kSettingsRoot, reg::kSetValue);
    CCorvaneDlg dialog(app);
    ASSERT_TRUE(dialog.Create());
    EXPECT_EQ(dialog.enableTimers, 1);
    dialog.enableTimers = 0;
    dialog.OnApply();
    EXPECT_TRUE(world.MessageBoxes().empty());
    platform::RegistryKeyPtr root;
    ASSERT_EQ(OpenForReading(sys.registry, Hive::LocalMachine, kSettingsRoot, root), 0);
    uint32_t value = 0;
    EXPECT_EQ(QueryDWordValue(*root, "EnableTimers", value), 0);
    EXPECT_EQ(value, 1u);
}

TEST_F(Settings, VersionTextFromTheSystemsOwnValues) {
    CCorvaneDlg before(app);
    ASSERT_TRUE(before.Create());
    EXPECT_EQ(before.versionText, "Windows Version:    \nInternet Explorer Version:    ");

    MachineText("Software\\Microsoft\\Windows NT\\CurrentVersion", "ProductName",
                "Microsoft Windows XP");
    MachineText("SOFTWARE\\Microsoft\\Internet Explorer", "Version", "7.0.5730.13");
    CCorvaneDlg after(app);
    ASSERT_TRUE(after.Create());
    EXPECT_EQ(
        after.versionText,
        "Windows Version:    Microsoft Windows XP\nInternet Explorer Version:    7.0.5730.13");

    // 49 characters fit the buffer of 100 bytes; 50 do not.
    MachineText("Software\\Microsoft\\Windows NT\\CurrentVersion", "ProductName",
                std::string(50, 'W'));
    MachineText("SOFTWARE\\Microsoft\\Internet Explorer", "Version", std::string(49, '7'));
    CCorvaneDlg longer(app);
    ASSERT_TRUE(longer.Create());
    EXPECT_EQ(longer.versionText,
              "Windows Version:    \nInternet Explorer Version:    " + std::string(49, '7'));
}

TEST_F(Settings, CancelAsksOnlyWhenSomethingChanged) {
    CCorvaneDlg dialog(app);
    ASSERT_TRUE(dialog.Create());
    dialog.OnCancel();
    EXPECT_TRUE(world.MessageBoxes().empty());
    EXPECT_FALSE(sys.windows.IsWindowVisible(dialog.Handle()));

    sys.windows.ShowWindow(dialog.Handle(), platform::sw::kShow);
    dialog.settingsChanged = 1;
    dialog.enableTimers = 1;
    world.ScriptMessageBoxAnswer(platform::id::kCancel);
    dialog.OnCancel();
    ASSERT_EQ(world.MessageBoxes().size(), 1u);
    EXPECT_EQ(world.MessageBoxes()[0].text,
              "The settings have changed.\n\nDo you want to apply the settings before closing?");
    EXPECT_EQ(world.MessageBoxes()[0].type, platform::mb::kYesNoCancel | platform::mb::kIconStop);
    EXPECT_TRUE(sys.windows.IsWindowVisible(dialog.Handle()));  // Cancel stays

    world.ScriptMessageBoxAnswer(platform::id::kYes);
    dialog.OnCancel();
    EXPECT_FALSE(sys.windows.IsWindowVisible(dialog.Handle()));
    EXPECT_EQ(Number("EnableTimers"), 1u);
    EXPECT_EQ(dialog.settingsChanged, 1);  // only Apply clears it
}

TEST_F(Settings, AfterRemovedRestrictionsBothOkAndCancelAsk) {
    CCorvaneDlg dialog(app);
    ASSERT_TRUE(dialog.Create());
    dialog.restrictionsRemoved = 1;
    dialog.settingsChanged = 1;
    world.ScriptMessageBoxAnswer(platform::id::kCancel);
    dialog.OnOK();
    world.ScriptMessageBoxAnswer(platform::id::kYes);
    dialog.OnCancel();
    ASSERT_EQ(world.MessageBoxes().size(), 2u);
    for (const auto& box : world.MessageBoxes()) {
        EXPECT_EQ(box.text,
                  "All the restrictions have been removed.\n\nDo you want to re-apply the "
                  "restrictions before exiting?");
    }
    EXPECT_EQ(dialog.settingsChanged, 0);  // Yes under Cancel clears it
    EXPECT_FALSE(sys.windows.IsWindowVisible(dialog.Handle()));
    EXPECT_EQ(Number("EnablePolicies"), 0u);  // and saved
}

}  // namespace
}  // namespace corvane::scenario

namespace corvane::scenario {
namespace {

class HideGuiSettingsTest : public Settings {};

TEST_F(HideGuiSettingsTest, FirstSaveWritesAll37AndHandSetValuesSurvive) {
    CCorvaneDlg dialog(app);
    ASSERT_TRUE(dialog.Create());
    platform::RegistryKeyPtr key;
    EXPECT_EQ(OpenForReading(sys.registry, platform::Hive::LocalMachine, kHideGuiKey, key),
              platform::error::kFileNotFound);
    PumpMessages();  // the page completes through the message loop
    ASSERT_NE(dialog.Document(), nullptr);
    dialog.Document()->SetCheckState("DisableWindowsKey", 1);
    dialog.OnApply();
    EXPECT_EQ(dialog.hideGui.disableWindowsKey, 1);
    ASSERT_EQ(OpenForReading(sys.registry, platform::Hive::LocalMachine, kHideGuiKey, key), 0);
    for (const HideGuiValue& value : kHideGuiValues) {
        uint32_t stored = 7;
        EXPECT_EQ(QueryDWordValue(*key, value.value, stored), 0) << value.value;
        EXPECT_EQ(stored, std::string(value.value) == "DisableWindowsKey" ? 1u : 0u) << value.value;
    }

    // The Sleep key has no box on the page: set by hand, it survives every save.
    platform::RegistryKeyPtr writable;
    ASSERT_EQ(OpenForWriting(sys.registry, platform::Hive::LocalMachine, kHideGuiKey, writable), 0);
    SetDWordValue(*writable, "DisableSleepKey", 1);
    CCorvaneDlg next(app);
    ASSERT_TRUE(next.Create());
    PumpMessages();
    EXPECT_EQ(next.hideGui.disableSleepKey, 1);
    EXPECT_EQ(next.hideGui.disableWindowsKey, 1);
    EXPECT_EQ(next.Document()->CheckState("DisableWindowsKey"), 1);
    EXPECT_FALSE(next.Document()->Has("DisableSleepKey"));
    next.OnApply();
    next.OnApply();
    uint32_t sleep = 0;
    EXPECT_EQ(QueryDWordValue(*writable, "DisableSleepKey", sleep), 0);
    EXPECT_EQ(sleep, 1u);
}

TEST_F(HideGuiSettingsTest, MissingOrUnwritableKeyIsQuiet) {
    world.Registry().DenyAccess(platform::Hive::LocalMachine, kHideGuiKey,
                                platform::reg::kSetValue);
    CCorvaneDlg dialog(app);
    ASSERT_TRUE(dialog.Create());
    EXPECT_EQ(dialog.ExchangeHideGUISettings(1), 0);
    EXPECT_EQ(dialog.ExchangeHideGUISettings(0), 1);  // it exists now, and reads
    EXPECT_TRUE(world.MessageBoxes().empty());
}

}  // namespace
}  // namespace corvane::scenario
