// User mode on the sim: the policy values, the automatic logon, the notification-area icon,
// the logon entry, and the ways out.
#include <algorithm>

#include "app/password.h"
#include "common/command_ids.h"
#include "common/event_log.h"
#include "common/settings_store.h"
#include "policies/policies.h"
#include "tests/scenario/corvane_world.h"

namespace corvane::scenario {
namespace {

using platform::Hive;

constexpr const char* kExplorerPolicies =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
constexpr const char* kBrowserPolicies =
    "Software\\Policies\\Microsoft\\Internet Explorer\\Restrictions";
constexpr const char* kWinlogon = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

const char* const kExplorerValues[] = {"SpecifyDefaultButtons",
                                       "NoBandCustomize",
                                       "NoToolbarCustomize",
                                       "Btn_Back",
                                       "Btn_Forward",
                                       "Btn_Stop",
                                       "Btn_Refresh",
                                       "Btn_Home",
                                       "Btn_Search",
                                       "Btn_Folders",
                                       "Btn_Favorites",
                                       "Btn_Media",
                                       "Btn_History",
                                       "Btn_Fullscreen",
                                       "Btn_Tools",
                                       "Btn_MailNews",
                                       "Btn_Size",
                                       "Btn_Print",
                                       "Btn_Edit",
                                       "Btn_Discussions",
                                       "Btn_Cut",
                                       "Btn_Copy",
                                       "Btn_Paste",
                                       "Btn_Encoding",
                                       "Btn_PrintPreview",
                                       "NoWindowsUpdate",
                                       "NoRun",
                                       "NoDesktop",
                                       "NoDrives",
                                       "NoLogoff"};
const char* const kBrowserValues[] = {
    "NoPrinting",      "NoBrowserOptions",    "AlwaysPromptWhenDownload",
    "NoBrowserBars",   "NoBrowserClose",      "NoBrowserContextMenu",
    "NoBrowserSaveAs", "NoFavorites",         "NoFileNew",
    "NoFileOpen",      "NoFindFiles",         "NoNavButtons",
    "NoOpeninNewWnd",  "NoSelectDownloadDir", "NoTheaterMode",
    "NoViewSource",    "RestGoMenu"};
const char* const kSystemValues[] = {"DisableTaskMgr", "DisableLockWorkstation",
                                     "DisableChangePassword"};
constexpr const char* kSystemPolicies =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
constexpr const char* kDevToolsPolicies =
    "Software\\Policies\\Microsoft\\Internet Explorer\\IEDevTools";

class UserMode : public CorvaneWorld {
  protected:
    void SetUp() override {
        SetNumber(kSettingsRoot, "EnablePolicies", 1);
        // Windows has these keys; the program opens them but never creates them.
        platform::RegistryKeyPtr key;
        OpenForWriting(sys.registry, Hive::LocalMachine, kWinlogon, key);
        OpenForWriting(sys.registry, Hive::LocalMachine, kRun, key);
    }
    void SetNumber(const char* path, const char* name, uint32_t value) {
        platform::RegistryKeyPtr key;
        ASSERT_EQ(OpenForWriting(sys.registry, Hive::LocalMachine, path, key), 0);
        SetDWordValue(*key, name, value);
    }
    void SetText(Hive hive, const char* path, const char* name, const std::string& value) {
        platform::RegistryKeyPtr key;
        ASSERT_EQ(OpenForWriting(sys.registry, hive, path, key), 0);
        SetStringValue(*key, name, value);
    }
    // A value of a key, or no value when the key or the value is missing.
    std::optional<platform::RawValue> Value(Hive hive, const char* path, const char* name) {
        platform::RegistryKeyPtr key;
        platform::RawValue raw;
        if (OpenForReading(sys.registry, hive, path, key) != 0 ||
            key->QueryValue(name, 4096, raw) != 0) {
            return std::nullopt;
        }
        return raw;
    }
    std::optional<uint32_t> UserNumber(const char* path, const char* name) {
        return ReadDWordAt(sys.registry, Hive::CurrentUser, path, name);
    }
    // The hand-over's quit, which keeps the policies, and the kiosk's end with it.
    void QuitUserMode(platform::Process& kiosk) {
        auto quit = Start("/q");
        EXPECT_EQ(kiosk.WaitForExit(5000), 1u);
    }
    std::optional<std::string> MachineText(const char* path, const char* name) {
        return ReadStringAt(sys.registry, Hive::LocalMachine, path, name);
    }
    bool KeyExists(Hive hive, const char* path) {
        platform::RegistryKeyPtr key;
        return OpenForReading(sys.registry, hive, path, key) == 0;
    }
    // What `look` sees while user mode runs; it then ends by the exit button.
    template <class Look>
    auto WhileUserModeRuns(Look look) {
        auto kiosk = Start("/user");
        const auto seen = look();
        const auto window = WindowOf(*kiosk);
        EXPECT_TRUE(window.has_value());
        if (window) {
            world.Page(window->handle)->Click("ButtonExitUserMode");
            EXPECT_EQ(kiosk->WaitForExit(5000), 1u);
        }
        return seen;
    }
    int PolicyValueCount() {
        int count = 0;
        for (const char* name : kExplorerValues) {
            count += UserNumber(kExplorerPolicies, name).has_value();
        }
        for (const char* name : kBrowserValues) {
            count += UserNumber(kBrowserPolicies, name).has_value();
        }
        for (const char* name : kSystemValues) {
            count += UserNumber(kSystemPolicies, name).has_value();
        }
        return count;
    }
};

// The 46 values the tab always had are written ticked or not; the Ctrl+Alt+Del ones only when
// ticked, so what another tool set stays.
TEST_F(UserMode, WritesEveryPolicyValueEvenWithNothingTicked) {
    auto kiosk = Start("/user");
    ASSERT_TRUE(WindowOf(*kiosk).has_value());
    for (const char* name : kExplorerValues) {
        const bool button = std::string(name).starts_with("Btn_");
        const bool added = std::string(name) == "NoLogoff";
        EXPECT_EQ(UserNumber(kExplorerPolicies, name),
                  added ? std::nullopt : std::optional<uint32_t>(button ? 2u : 0u))
            << name;
    }
    for (const char* name : kBrowserValues) {
        EXPECT_EQ(UserNumber(kBrowserPolicies, name), 0u) << name;
    }
    for (const char* name : kSystemValues) {
        EXPECT_EQ(UserNumber(kSystemPolicies, name), std::nullopt) << name;
    }
    EXPECT_EQ(world.Registry().OpenKeyCount(), 0);
}

// Another tool's (Group Policy's) Ctrl+Alt+Del values survive user mode with the boxes unticked
// and ticked: Corvane takes away only what it wrote and puts back what was there.
TEST_F(UserMode, TheCtrlAltDelValuesOfAnotherToolSurviveUserMode) {
    SetNumber(kSettingsRoot, "EnablePolicies", 1);
    platform::RegistryKeyPtr key;
    ASSERT_EQ(OpenForWriting(sys.registry, Hive::CurrentUser, kSystemPolicies, key), 0);
    SetDWordValue(*key, "DisableTaskMgr", 1);
    SetDWordValue(*key, "DisableChangePassword", 0);
    key.reset();
    const auto runUserMode = [&] {
        return WhileUserModeRuns([&] {
            EXPECT_EQ(UserNumber(kSystemPolicies, "DisableTaskMgr"), 1u);
            return std::make_pair(UserNumber(kSystemPolicies, "DisableChangePassword"),
                                  UserNumber(kSystemPolicies, "DisableLockWorkstation"));
        });
    };
    EXPECT_EQ(runUserMode(),
              std::make_pair(std::optional<uint32_t>(0u), std::optional<uint32_t>()));
    EXPECT_EQ(UserNumber(kSystemPolicies, "DisableTaskMgr"), 1u);
    EXPECT_EQ(UserNumber(kSystemPolicies, "DisableChangePassword"), 0u);

    SetNumber("Software\\Vemtrix\\Corvane\\Policies", "DisableChangePassword", 1);
    SetNumber("Software\\Vemtrix\\Corvane\\Policies", "DisableLockWorkstation", 1);
    EXPECT_EQ(runUserMode(),
              std::make_pair(std::optional<uint32_t>(1u), std::optional<uint32_t>(1u)));
    EXPECT_EQ(UserNumber(kSystemPolicies, "DisableTaskMgr"), 1u);
    EXPECT_EQ(UserNumber(kSystemPolicies, "DisableChangePassword"), 0u);  // as it was
    EXPECT_EQ(UserNumber(kSystemPolicies, "DisableLockWorkstation"), std::nullopt);
    EXPECT_FALSE(KeyExists(Hive::CurrentUser, kPoliciesBeforeKey));
}

// The browser's developer tools policy: in place while user mode runs with its box ticked, and
// afterwards as another tool left it; unticked, never touched.
TEST_F(UserMode, TheDeveloperToolsPolicyIsTheKiosksOnlyWhileTicked) {
    SetNumber(kSettingsRoot, "EnablePolicies", 1);
    platform::RegistryKeyPtr key;
    ASSERT_EQ(OpenForWriting(sys.registry, Hive::CurrentUser, kDevToolsPolicies, key), 0);
    SetDWordValue(*key, "Disabled", 0);  // another tool's: the tools allowed
    key.reset();
    const auto duringUserMode = [&] {
        return WhileUserModeRuns([&] { return UserNumber(kDevToolsPolicies, "Disabled"); });
    };
    EXPECT_EQ(duringUserMode(), 0u);
    EXPECT_EQ(UserNumber(kDevToolsPolicies, "Disabled"), 0u);

    SetNumber("Software\\Vemtrix\\Corvane\\Policies", "DisableDevTools", 1);
    EXPECT_EQ(duringUserMode(), 1u);
    EXPECT_EQ(UserNumber(kDevToolsPolicies, "Disabled"), 0u);  // as it was
    EXPECT_EQ(UserNumber(kDevToolsPolicies, "DisableDevTools"), std::nullopt);
    EXPECT_FALSE(KeyExists(Hive::CurrentUser, kPoliciesBeforeKey));
}

TEST_F(UserMode, WritesTheTickedPoliciesAndTheDriveMask) {
    const char* policies = "Software\\Vemtrix\\Corvane\\Policies";
    SetNumber(policies, "Btn_Back", 1);
    SetNumber(policies, "NoRun", 7);  // on, however stored
    SetNumber(policies, "RestGoMenu", 1);
    SetNumber(policies, "NoDrives", 0x0C);
    SetNumber(policies, "DisableTaskMgr", 1);
    SetNumber(policies, "NoLogoff", 1);
    auto kiosk = Start("/user");
    EXPECT_EQ(UserNumber(kSystemPolicies, "DisableTaskMgr"), 1u);
    EXPECT_EQ(UserNumber(kSystemPolicies, "DisableLockWorkstation"), std::nullopt);  // unticked
    EXPECT_EQ(UserNumber(kExplorerPolicies, "NoLogoff"), 1u);
    EXPECT_EQ(UserNumber(kExplorerPolicies, "Btn_Back"), 1u);
    EXPECT_EQ(UserNumber(kExplorerPolicies, "Btn_Forward"), 2u);
    EXPECT_EQ(UserNumber(kExplorerPolicies, "NoRun"), 1u);
    EXPECT_EQ(UserNumber(kExplorerPolicies, "NoDrives"), 0x0Cu);
    EXPECT_EQ(UserNumber(kBrowserPolicies, "RestGoMenu"), 1u);
    EXPECT_EQ(UserNumber(kBrowserPolicies, "NoPrinting"), 0u);
}

TEST_F(UserMode, WithPoliciesOffNothingIsWrittenForTheUser) {
    SetNumber(kSettingsRoot, "EnablePolicies", 0);
    auto kiosk = Start("/user");
    ASSERT_TRUE(WindowOf(*kiosk).has_value());
    EXPECT_FALSE(KeyExists(Hive::CurrentUser, kExplorerPolicies));
    EXPECT_FALSE(KeyExists(Hive::CurrentUser, kBrowserPolicies));
}

TEST_F(UserMode, APolicyKeyThatCannotBeOpenedIsSkipped) {
    world.Registry().DenyAccess(Hive::CurrentUser, kExplorerPolicies, platform::reg::kSetValue);
    auto kiosk = Start("/user");
    ASSERT_TRUE(WindowOf(*kiosk).has_value());
    EXPECT_EQ(UserNumber(kExplorerPolicies, "Btn_Back"), std::nullopt);
    EXPECT_EQ(UserNumber(kBrowserPolicies, "NoPrinting"), 0u);
}

TEST_F(UserMode, QLeavesThePoliciesAndTheExitButtonRemovesThem) {
    auto kiosk = Start("/user");
    EXPECT_EQ(PolicyValueCount(), 46);  // the Ctrl+Alt+Del ones only when ticked
    // A value of another tool in the same key stays.
    SetText(Hive::CurrentUser, kExplorerPolicies, "NoControlPanel", "mine");
    QuitUserMode(*kiosk);
    EXPECT_EQ(PolicyValueCount(), 46);
    EXPECT_TRUE(world.NotifyIcons().empty());

    kiosk = Start("/user");
    const auto window = WindowOf(*kiosk);
    ASSERT_TRUE(window.has_value());
    sim::SimHtmlHost* page = world.Page(window->handle);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->OuterHtml("ButtonExitUserMode"),
              "<button class=\"bt2\" style=\"width:200px\" id=\"ButtonExitUserMode\">Exit User "
              "Mode</button>");
    page->Click("ButtonExitUserMode");
    EXPECT_EQ(kiosk->WaitForExit(5000), 1u);
    EXPECT_EQ(PolicyValueCount(), 0);
    EXPECT_TRUE(Value(Hive::CurrentUser, kExplorerPolicies, "NoControlPanel").has_value());
    EXPECT_TRUE(world.NotifyIcons().empty());
    EXPECT_TRUE(world.MessageBoxes().empty());
}

// Remove Restrictions in an unlocked kiosk, then Apply: the values are back at once, as the
// page's message promises, not only at the next start of user mode.
TEST_F(UserMode, ApplyAfterRemoveRestrictionsPutsThePoliciesBackInTheRunningKiosk) {
    auto kiosk = Start("/user");
    const auto window = WindowOf(*kiosk);
    ASSERT_TRUE(window.has_value());
    sim::SimHtmlHost* page = world.Page(window->handle);
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(PolicyValueCount(), 46);
    const auto click = [&](const char* button) {
        page->Click(button);
        world.RunFor(50);
    };
    click("ButtonRemoveRestrictions");
    EXPECT_EQ(PolicyValueCount(), 0);
    click("ButtonApply");
    EXPECT_EQ(PolicyValueCount(), 46);
    click("ButtonRemoveRestrictions");
    EXPECT_EQ(PolicyValueCount(), 0);
    click("ButtonOK");  // asks whether to re-apply them; the first answer is Yes
    EXPECT_EQ(PolicyValueCount(), 46);
    QuitUserMode(*kiosk);
}

// Any program of the session can post commands to the hidden window: none of them ends user
// mode or takes the policies away. Only the page (behind the password) and /q end it.
TEST_F(UserMode, NoCommandPostedToTheHiddenWindowEndsUserMode) {
    auto kiosk = Start("/user");
    const auto window = WindowOf(*kiosk);
    ASSERT_TRUE(window.has_value());
    // The dialog's own controls and buttons, and the menu commands' range.
    for (const auto& [first, last] : {std::pair(1u, 2000u), std::pair(32768u, 32800u)}) {
        for (uint32_t command = first; command < last; ++command) {
            if (command != ID_SWITCH_Q) {  // the hand-over's own quit, which keeps the policies
                sys.windows.PostMessage(window->handle, platform::wm::kCommand, command, 0);
            }
        }
    }
    world.RunFor(200);
    EXPECT_EQ(kiosk->WaitForExit(0), std::nullopt);
    EXPECT_EQ(PolicyValueCount(), 46);
    EXPECT_EQ(world.NotifyIcons().size(), 1u);
    QuitUserMode(*kiosk);
}

TEST_F(UserMode, TheIconIsAddedAndADoubleClickShowsThePageWithoutAPassword) {
    auto kiosk = Start("/user");
    const auto window = WindowOf(*kiosk);
    ASSERT_TRUE(window.has_value());
    ASSERT_EQ(world.NotifyIcons().size(), 1u);
    const platform::NotifyIconData icon = world.NotifyIcons().front();
    EXPECT_EQ(icon.window, window->handle);
    EXPECT_EQ(icon.id, 10011u);
    EXPECT_EQ(icon.callbackMessage, 10012u);
    EXPECT_EQ(icon.flags, 7u);
    EXPECT_EQ(icon.iconId, 128u);
    EXPECT_EQ(icon.tip, "");

    // Only a left double click opens it.
    for (uint32_t mouse : {platform::mouse::kLButtonDown, platform::mouse::kRButtonDown}) {
        sys.windows.PostMessage(icon.window, icon.callbackMessage, icon.id, mouse);
        world.RunFor(50);
        EXPECT_FALSE(WindowOf(*kiosk)->visible);
    }
    sys.windows.PostMessage(icon.window, icon.callbackMessage, icon.id,
                            platform::mouse::kLButtonDblClk);
    world.RunFor(50);
    EXPECT_TRUE(WindowOf(*kiosk)->visible);

    QuitUserMode(*kiosk);
    EXPECT_TRUE(world.NotifyIcons().empty());
    const auto& calls = world.NotifyIconCalls();
    EXPECT_TRUE(std::any_of(calls.begin(), calls.end(), [](const sim::NotifyIconRecord& call) {
        return call.action == platform::nim::kDelete && call.accepted;
    }));
}

TEST_F(UserMode, ADoubleClickWithAPasswordAsksForIt) {
    ASSERT_EQ(WritePassword(sys, "kiosk"), 0);
    auto kiosk = Start("/user");
    const auto window = WindowOf(*kiosk);
    ASSERT_TRUE(window.has_value());
    for (const char* typed : {"Kiosk", "kiosk"}) {
        sys.windows.PostMessage(window->handle, WM_TRAY_NOTIFY, TRAY_ICON_ID,
                                platform::mouse::kLButtonDblClk);
        sim::SimHtmlHost* ask = PageOf(*kiosk, "Password:");
        ASSERT_NE(ask, nullptr) << typed;
        ask->SetValue("password", typed);
        ask->Click("ButtonOK");
        world.RunFor(50);
        EXPECT_EQ(WindowOf(*kiosk)->visible, std::string(typed) == "kiosk") << typed;
    }
    EXPECT_TRUE(world.MessageBoxes().empty());
}

// Three wrong passwords cost nothing; after them the prompt comes back only 1, 2, 4 ... up to
// 60 seconds after the last wrong one (it says so meanwhile), each wrong one is in the event
// log, and the right one starts the count again.
TEST_F(UserMode, WrongPasswordsAtTheUnlockPromptWaitLongerEachTime) {
    ASSERT_EQ(WritePassword(sys, "kiosk"), 0);
    auto kiosk = Start("/user");
    const auto window = WindowOf(*kiosk);
    ASSERT_TRUE(window.has_value());
    // The prompt when it comes, answered with `typed`; false when a message came instead.
    const auto tryPassword = [&](const char* typed) {
        const size_t boxes = world.MessageBoxes().size();
        sys.windows.PostMessage(window->handle, WM_TRAY_NOTIFY, TRAY_ICON_ID,
                                platform::mouse::kLButtonDblClk);
        world.RunFor(50);
        if (world.MessageBoxes().size() > boxes) {
            EXPECT_EQ(world.MessageBoxes().back().text,
                      "Too many wrong passwords.\n\nWait a moment before you try again.");
            return false;
        }
        sim::SimHtmlHost* ask = PageOf(*kiosk, "Password:");
        EXPECT_NE(ask, nullptr) << typed;
        if (ask == nullptr) {
            return false;
        }
        ask->SetValue("password", typed);
        ask->Click("ButtonOK");
        world.RunFor(50);
        return true;
    };
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(tryPassword("guess")) << i;
    }
    for (const uint32_t waitMs : {1000u, 2000u, 4000u, 8000u, 16000u, 32000u, 60000u, 60000u}) {
        EXPECT_FALSE(tryPassword("guess")) << waitMs;
        world.RunFor(waitMs - 300);
        EXPECT_FALSE(tryPassword("guess")) << waitMs;  // not yet
        world.RunFor(300);
        EXPECT_TRUE(tryPassword("guess")) << waitMs;
    }
    EXPECT_FALSE(WindowOf(*kiosk)->visible);
    size_t logged = 0;
    for (const std::string& line : ReadEventLines(sys, 100)) {
        logged +=
            line.find("a wrong password was entered at the unlock prompt") != std::string::npos;
        EXPECT_EQ(line.find("guess"), std::string::npos);  // never the password
    }
    EXPECT_EQ(logged, 11u);

    world.RunFor(60000);
    EXPECT_TRUE(tryPassword("kiosk"));
    EXPECT_TRUE(WindowOf(*kiosk)->visible);
    QuitUserMode(*kiosk);
}

TEST_F(UserMode, AutoLogonOnWritesTheSixWinlogonValues) {
    SetNumber(kSettingsRoot, "EnableAutoLogon", 1);
    SetText(Hive::LocalMachine, "Software\\Vemtrix\\Corvane\\AutoLogon", "DefaultName", "kiosk");
    SetText(Hive::LocalMachine, "Software\\Vemtrix\\Corvane\\AutoLogon", "DefaultPassword",
            "open sesame");
    SetText(Hive::LocalMachine, "Software\\Vemtrix\\Corvane\\AutoLogon", "DefaultDoamin",
            "LIBRARY");
    SetText(Hive::LocalMachine, kWinlogon, "DialogDelay", "5");
    auto kiosk = Start("/user");
    EXPECT_EQ(MachineText(kWinlogon, "DefaultUserName"), "kiosk");
    EXPECT_EQ(MachineText(kWinlogon, "DefaultPassword"), "open sesame");
    EXPECT_EQ(MachineText(kWinlogon, "DefaultDomain"), "LIBRARY");
    EXPECT_EQ(MachineText(kWinlogon, "AutoAdminLogon"), "1");
    EXPECT_EQ(MachineText(kWinlogon, "ForceAutoLogon"), "1");
    EXPECT_EQ(MachineText(kWinlogon, "DontDisplayLastUserName"), "0");
    EXPECT_EQ(MachineText(kWinlogon, "DialogDelay"), "5");  // written by nobody, left alone
    // Strings carry their terminator: (characters + 1) x 2 bytes.
    EXPECT_EQ(Value(Hive::LocalMachine, kWinlogon, "AutoAdminLogon")->size, 4u);
}

// Kept as a system secret, the auto logon password is in no registry value anyone at the
// kiosk can read: not the settings tree, not Winlogon, not an exported settings file.
TEST_F(UserMode, TheAutoLogonPasswordKeptAsASystemSecretIsInNoRegistryValue) {
    constexpr const char* kTab = "Software\\Vemtrix\\Corvane\\AutoLogon";
    SetNumber(kSettingsRoot, "EnableAutoLogon", 1);
    SetText(Hive::LocalMachine, kTab, "DefaultPassword", "open sesame");
    SetText(Hive::LocalMachine, kWinlogon, "DefaultPassword", "open sesame");
    const auto save = [&](int keepSecret, const std::string& password) {
        auto admin = Start("");
        sim::SimHtmlHost* page = PageOf(*admin);
        EXPECT_NE(page, nullptr);
        if (page == nullptr) {
            return std::string();
        }
        const std::string shown = page->Value("AutoLogonPassword").value_or("<none>");
        page->SetValue("AutoLogonName", "kiosk");
        page->SetValue("AutoLogonPassword", password);
        page->SetCheckState("KeepPasswordSecret", keepSecret);
        page->Click("ButtonOK");
        EXPECT_EQ(admin->WaitForExit(5000), 0u);
        return shown;
    };
    std::map<std::string, std::string>& secrets = world.Secrets().values;

    EXPECT_EQ(save(1, "open sesame"), "open sesame");
    EXPECT_EQ(secrets["DefaultPassword"], "open sesame");
    EXPECT_EQ(MachineText(kTab, "DefaultPassword"), std::nullopt);
    EXPECT_EQ(MachineText(kWinlogon, "DefaultPassword"), std::nullopt);
    EXPECT_EQ(MachineText(kTab, "DefaultName"), "kiosk");
    // The page shows the secret back; user mode writes the logon without a plain copy.
    EXPECT_EQ(save(1, "new sesame"), "open sesame");
    EXPECT_EQ(secrets["DefaultPassword"], "new sesame");
    auto kiosk = Start("/user");
    EXPECT_EQ(MachineText(kWinlogon, "DefaultUserName"), "kiosk");
    EXPECT_EQ(MachineText(kWinlogon, "AutoAdminLogon"), "1");
    EXPECT_EQ(MachineText(kWinlogon, "DefaultPassword"), std::nullopt);
    QuitUserMode(*kiosk);

    // Switched off: plain again, and the secret Corvane stored is gone.
    EXPECT_EQ(save(0, "new sesame"), "new sesame");
    EXPECT_EQ(MachineText(kTab, "DefaultPassword"), "new sesame");
    EXPECT_EQ(secrets.count("DefaultPassword"), 0u);

    // Where the system keeps no secrets (as under Wine), nothing falls back to plain text
    // unasked and nothing is lost: the tab stays as it was and the page says why.
    world.Secrets().refusal = platform::error::kFileNotFound;
    EXPECT_EQ(save(1, "third sesame"), "new sesame");
    EXPECT_EQ(MachineText(kTab, "DefaultPassword"), "new sesame");
    EXPECT_EQ(ReadDWordAt(sys.registry, Hive::LocalMachine, kTab, "KeepPasswordSecret"), 0u);
    ASSERT_FALSE(world.MessageBoxes().empty());
    EXPECT_NE(world.MessageBoxes().back().text.find(
                  "The Auto Logon password could not be kept as a system secret"),
              std::string::npos);
}

TEST_F(UserMode, AutoLogonOffRemovesWhatAnotherToolSet) {
    for (const char* name : {"DefaultUserName", "DefaultPassword", "DefaultDomain",
                             "AutoAdminLogon", "ForceAutoLogon", "DialogDelay"}) {
        SetText(Hive::LocalMachine, kWinlogon, name, "other tool");
    }
    SetText(Hive::LocalMachine, kWinlogon, "Shell", "explorer.exe");
    auto kiosk = Start("/user");
    for (const char* name : {"DefaultUserName", "DefaultPassword", "DefaultDomain",
                             "AutoAdminLogon", "ForceAutoLogon", "DialogDelay"}) {
        EXPECT_EQ(MachineText(kWinlogon, name), std::nullopt) << name;
    }
    EXPECT_EQ(MachineText(kWinlogon, "DontDisplayLastUserName"), "1");
    EXPECT_EQ(MachineText(kWinlogon, "Shell"), "explorer.exe");
}

TEST_F(UserMode, AWinlogonKeyThatCannotBeOpenedIsLeftAlone) {
    world.Registry().DenyAccess(Hive::LocalMachine, kWinlogon, platform::reg::kSetValue);
    SetNumber(kSettingsRoot, "EnableAutoLogon", 1);
    auto kiosk = Start("/user");
    ASSERT_TRUE(WindowOf(*kiosk).has_value());
    EXPECT_EQ(MachineText(kWinlogon, "AutoAdminLogon"), std::nullopt);
    EXPECT_EQ(PolicyValueCount(), 46);  // the rest of the start goes on
}

class LogonEntry : public UserMode {
  protected:
    sim::SimHtmlHost* AdminPage(std::unique_ptr<platform::Process>& admin) {
        admin = Start("");
        return PageOf(*admin);
    }
    void ClickLogonSwitch(sim::SimHtmlHost& page) {
        page.Click("ButtonUserModeLogon");
        world.RunFor(50);
    }
};

TEST_F(LogonEntry, UsesTheRunningProgramQuotedBeforeTheFirstSave) {
    std::unique_ptr<platform::Process> admin;
    sim::SimHtmlHost* page = AdminPage(admin);
    ASSERT_NE(page, nullptr);
    ClickLogonSwitch(*page);
    EXPECT_EQ(MachineText(kRun, "Corvane"), "\"C:\\Program Files\\Corvane\\Corvane.exe\" /user");
    EXPECT_EQ(page->OuterHtml("ButtonUserModeLogon"),
              "<button class=\"bt2\" style=\"width:200px\" id=\"ButtonUserModeLogon\">Disable "
              "User Mode on Logon</button>");
    ClickLogonSwitch(*page);
    EXPECT_EQ(MachineText(kRun, "Corvane"), std::nullopt);
    // Switching it is not a change of the settings: Cancel closes without asking.
    page->Click("ButtonCancel");
    EXPECT_EQ(admin->WaitForExit(5000), 0u);
    EXPECT_TRUE(world.MessageBoxes().empty());
}

// The stored switch follows the Run entry at once: after a Cancel the next start of the page
// shows what is in place. An entry that cannot be taken away leaves the switch on.
TEST_F(LogonEntry, TheStoredSwitchAgreesWithTheRunEntryWhateverClosesThePage) {
    std::unique_ptr<platform::Process> admin;
    sim::SimHtmlHost* page = AdminPage(admin);
    ASSERT_NE(page, nullptr);
    ClickLogonSwitch(*page);
    page->Click("ButtonCancel");
    EXPECT_EQ(admin->WaitForExit(5000), 0u);
    EXPECT_TRUE(MachineText(kRun, "Corvane").has_value());
    EXPECT_EQ(ReadDWordAt(sys.registry, Hive::LocalMachine, kSettingsRoot, "UserModeLogon"), 1u);

    world.Registry().DenyAccess(Hive::LocalMachine, kRun, platform::reg::kSetValue);
    page = AdminPage(admin);
    ASSERT_NE(page, nullptr);
    EXPECT_NE(page->OuterHtml("ButtonUserModeLogon")->find("Disable User Mode on Logon"),
              std::string::npos);
    ClickLogonSwitch(*page);  // the entry cannot be deleted
    EXPECT_TRUE(MachineText(kRun, "Corvane").has_value());
    EXPECT_NE(page->OuterHtml("ButtonUserModeLogon")->find("Disable User Mode on Logon"),
              std::string::npos);
    EXPECT_EQ(ReadDWordAt(sys.registry, Hive::LocalMachine, kSettingsRoot, "UserModeLogon"), 1u);
}

TEST_F(LogonEntry, AStoredPathWithoutBlanksIsWrittenAsItIs) {
    SetText(Hive::LocalMachine, kSettingsRoot, "AppPath", "D:\\Kiosk\\Corvane.exe");
    std::unique_ptr<platform::Process> admin;
    sim::SimHtmlHost* page = AdminPage(admin);
    ASSERT_NE(page, nullptr);
    ClickLogonSwitch(*page);
    EXPECT_EQ(MachineText(kRun, "Corvane"), "D:\\Kiosk\\Corvane.exe /user");
}

TEST_F(LogonEntry, ARunKeyThatCannotBeOpenedTurnsTheButtonBackOff) {
    world.Registry().DenyAccess(Hive::LocalMachine, kRun, platform::reg::kSetValue);
    std::unique_ptr<platform::Process> admin;
    sim::SimHtmlHost* page = AdminPage(admin);
    ASSERT_NE(page, nullptr);
    ClickLogonSwitch(*page);
    EXPECT_EQ(page->OuterHtml("ButtonUserModeLogon"),
              "<button style=\"width:200px\" id=\"ButtonUserModeLogon\">Enable User Mode on "
              "Logon</button>");
    EXPECT_TRUE(world.MessageBoxes().empty());
}

// What user mode did is in the program's event log, in order, and the password never is.
TEST_F(UserMode, TheEventLogSaysWhatUserModeDidAndNeverThePassword) {
    SetNumber(kSettingsRoot, "EnableAutoLogon", 1);
    SetText(Hive::LocalMachine, "Software\\Vemtrix\\Corvane\\AutoLogon", "DefaultPassword",
            "open sesame");
    auto kiosk = Start("/user");
    ASSERT_TRUE(WindowOf(*kiosk).has_value());
    Start("/q");
    EXPECT_EQ(kiosk->WaitForExit(5000), 1u);

    std::vector<std::string> said;
    for (const std::string& line : ReadEventLines(sys, 100)) {
        EXPECT_EQ(line.find("sesame"), std::string::npos) << line;
        said.push_back(line.substr(line.find("  ") + 2));
    }
    EXPECT_EQ(said,
              (std::vector<std::string>{"information  user mode started",
                                        "information  the policies were written for this user",
                                        "information  the automatic logon was written",
                                        "information  user mode ended"}));
    EXPECT_EQ(world.ReportedEvents().size(), said.size());
    for (const sim::ReportedEvent& event : world.ReportedEvents()) {
        EXPECT_EQ(event.source, "Corvane");
        EXPECT_EQ(event.text.find("sesame"), std::string::npos);
    }
}

class AccessibilityKeys : public UserMode {
  protected:
    using Feature = platform::AccessibilityFeature;
    void SetUp() override {
        UserMode::SetUp();
        SetNumber(kSettingsRoot, "EnableHideGUI", 1);
        SetNumber("Software\\Vemtrix\\Corvane\\HideGUI", "DisableAccessibilityKeys", 1);
        // Sticky keys in use (0x1) with their hot key; toggle keys' hot key already off.
        world.SetAccessibilityFlags(Feature::StickyKeys, 0x1 | 0x2 | 0x4);
        world.SetAccessibilityFlags(Feature::ToggleKeys, 0x2);
    }
    std::vector<uint32_t> Flags() {
        std::vector<uint32_t> flags;
        for (const Feature feature : platform::kAccessibilityFeatures) {
            flags.push_back(world.AccessibilityFlags(feature));
        }
        return flags;
    }
    std::optional<uint32_t> Saved(const char* name) {
        return UserNumber("Software\\Vemtrix\\Corvane\\Saved Accessibility", name);
    }
    const std::vector<uint32_t> before = {0x7, 0x6, 0x2, 0x6, 0x6};
};

TEST_F(AccessibilityKeys, HotKeysAreOffInUserModeAndExactlyAsBeforeAfterIt) {
    ASSERT_EQ(Flags(), before);
    auto kiosk = Start("/user");
    EXPECT_EQ(Flags(), (std::vector<uint32_t>{0x3, 0x2, 0x2, 0x2, 0x2}));
    EXPECT_EQ(Saved("StickyKeys"), 0x7u);
    EXPECT_EQ(Saved("ToggleKeys"), std::nullopt);  // off already: nothing to put back
    Start("/q");
    EXPECT_EQ(kiosk->WaitForExit(5000), 1u);
    EXPECT_EQ(Flags(), before);
    EXPECT_EQ(Saved("StickyKeys"), std::nullopt);  // forgotten once put back
}

// A user mode that never ended by itself: the next start of the program puts the hot keys back
// first, whatever it is started for.
TEST_F(AccessibilityKeys, AfterACrashTheNextStartPutsThemBackFirst) {
    auto kiosk = Start("/user");
    ASSERT_EQ(world.AccessibilityFlags(Feature::StickyKeys), 0x3u);
    kiosk->Terminate(0xC0000005);
    kiosk->WaitForExit(5000);
    EXPECT_EQ(world.AccessibilityFlags(Feature::StickyKeys), 0x3u);  // still off
    // Meanwhile someone switched mouse keys on (0x1): that stays, the hot key comes back.
    world.SetAccessibilityFlags(Feature::MouseKeys, 0x3);
    auto admin = Start("");
    EXPECT_EQ(Flags(), (std::vector<uint32_t>{0x7, 0x6, 0x2, 0x7, 0x6}));
    EXPECT_EQ(Saved("MouseKeys"), std::nullopt);
}

TEST_F(AccessibilityKeys, ASystemThatRefusesIsLoggedAndNothingElseChanges) {
    world.RefuseAccessibilityCalls(true);
    auto kiosk = Start("/user");
    ASSERT_TRUE(WindowOf(*kiosk).has_value());
    EXPECT_EQ(PolicyValueCount(), 46);  // the rest of the start goes on
    const auto said = ReadEventLines(sys, 100);
    const auto refused = std::count_if(said.begin(), said.end(), [](const std::string& line) {
        return line.find("warning  the system refused to tell the") != std::string::npos;
    });
    EXPECT_EQ(refused, 5);
    world.RefuseAccessibilityCalls(false);
    EXPECT_EQ(Flags(), before);
    EXPECT_EQ(Saved("StickyKeys"), std::nullopt);
}

TEST_F(AccessibilityKeys, OffByDefault) {
    SetNumber("Software\\Vemtrix\\Corvane\\HideGUI", "DisableAccessibilityKeys", 0);
    auto kiosk = Start("/user");
    ASSERT_TRUE(WindowOf(*kiosk).has_value());
    EXPECT_EQ(Flags(), before);
}

}  // namespace
}  // namespace corvane::scenario
