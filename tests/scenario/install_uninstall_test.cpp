// What an install puts in place beside the programs, and what an uninstall takes away: a kiosk
// that ran user mode with every restriction and ended without its exit, then the removal the
// uninstaller runs. The settings tree stays.
#include "app/accessibility_keys.h"
#include "app/corvane_dlg.h"
#include "app/install_options.h"
#include "app/remove_restrictions.h"
#include "browser/helper/server_registration.h"
#include "common/lumbrel_values.h"
#include "common/settings_store.h"
#include "policies/policies.h"
#include "policies/policy_values.h"
#include "session/auto_logon.h"
#include "tests/scenario/corvane_world.h"

namespace corvane::scenario {
namespace {

using platform::Hive;

constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class Installation : public CorvaneWorld {
  protected:
    void SetNumber(Hive hive, const std::string& path, const char* name, uint32_t value) {
        platform::RegistryKeyPtr key;
        ASSERT_EQ(OpenForWriting(sys.registry, hive, path, key), 0);
        SetDWordValue(*key, name, value);
    }
    bool Exists(Hive hive, const std::string& path) {
        platform::RegistryKeyPtr key;
        return OpenForReading(sys.registry, hive, path, key) == 0;
    }
    std::optional<std::string> LogonEntry() {
        return ReadStringAt(sys.registry, Hive::LocalMachine, kRunKey, "Corvane");
    }
};

const std::string kListing = std::string(kBrowserHelperObjectsKey) + "\\" + kLumbrelClassId;
constexpr const char* kInstalled = "C:\\Program Files\\Corvane\\Corvane.exe";

// The installer's options, and switches that arrive stored (imported, or kept from an older
// install), are put in place with the installed program.
TEST_F(Installation, AnInstallPutsInPlaceWhatTheStoredSwitchesSay) {
    InstallLumbrel();
    platform::RegistryKeyPtr key;
    OpenForWriting(sys.registry, Hive::LocalMachine, kRunKey, key);
    EventLog log(sys);
    // Nothing asked and nothing stored: only the program's path is recorded.
    InstallReport report = ApplyInstallOptions(sys, log, {false, false, kInstalled});
    EXPECT_TRUE(report.ok);
    EXPECT_TRUE(report.lines.empty());
    EXPECT_EQ(registrations, 0);
    EXPECT_EQ(LogonEntry(), std::nullopt);
    EXPECT_EQ(ReadStringAt(sys.registry, Hive::LocalMachine, kSettingsRoot, "AppPath"), kInstalled);

    report = ApplyInstallOptions(sys, log, {true, true, kInstalled});
    EXPECT_TRUE(report.ok);
    EXPECT_EQ(report.lines.size(), 2u);
    EXPECT_EQ(registrations, 1);
    EXPECT_EQ(ReadDWordAt(sys.registry, Hive::LocalMachine, kListing, "NoExplorer"), 1u);
    EXPECT_EQ(ReadDWordAt(sys.registry, Hive::LocalMachine, kSettingsRoot, "EnableLumbrel"), 1u);
    EXPECT_EQ(ReadDWordAt(sys.registry, Hive::LocalMachine, kSettingsRoot, "UserModeLogon"), 1u);
    EXPECT_EQ(LogonEntry(), "\"C:\\Program Files\\Corvane\\Corvane.exe\" /user");

    // An install over it, without options: the stored switches are put in place again.
    SetLogonStart(sys.registry, "", 0);
    report = ApplyInstallOptions(sys, log, {false, false, kInstalled});
    EXPECT_EQ(registrations, 2);
    EXPECT_EQ(LogonEntry(), "\"C:\\Program Files\\Corvane\\Corvane.exe\" /user");

    // A helper that cannot be registered leaves its switch stored off, and says so.
    world.RemoveLibrary("Lumbrel.dll");
    report = ApplyInstallOptions(sys, log, {true, false, kInstalled});
    EXPECT_FALSE(report.ok);
    EXPECT_EQ(report.lines[0], "the browser helper could not be registered: Lumbrel is off");
    EXPECT_EQ(ReadDWordAt(sys.registry, Hive::LocalMachine, kSettingsRoot, "EnableLumbrel"), 0u);
}

TEST_F(Installation, EveryRestrictionGoesAndTheSettingsStay) {
    InstallLumbrel();
    const std::string root = kSettingsRoot;
    SetNumber(Hive::LocalMachine, root, "EnablePolicies", 1);
    SetNumber(Hive::LocalMachine, root, "EnableAutoLogon", 1);
    SetNumber(Hive::LocalMachine, root, "EnableHideGUI", 1);
    SetNumber(Hive::LocalMachine, root + "\\HideGUI", "DisableAccessibilityKeys", 1);
    SetNumber(Hive::LocalMachine, root + "\\Policies", "DisableTaskMgr", 1);
    platform::RegistryKeyPtr key;
    OpenForWriting(sys.registry, Hive::LocalMachine, kWinlogonKey, key);  // Windows has these
    OpenForWriting(sys.registry, Hive::ClassesRoot, "CLSID", key);
    OpenForWriting(sys.registry, Hive::LocalMachine,
                   "Software\\Microsoft\\Windows\\CurrentVersion\\Run", key);
    ASSERT_EQ(SetLogonStart(sys.registry, "C:\\Corvane\\Corvane.exe /user", 1), 0);
    ASSERT_EQ(RegisterBrowserHelper(sys, 1).status, 0);
    auto kiosk = Start("/user");
    ASSERT_EQ(ReadDWordAt(sys.registry, Hive::CurrentUser, kSystemPolicyKey, "DisableTaskMgr"), 1u);
    SetNumber(Hive::CurrentUser, kSystemPolicyKey, "Other", 5);  // another program's
    kiosk->Terminate(0xC0000005);  // ended without its exit: the hot keys stay off
    kiosk->WaitForExit(5000);
    ASSERT_EQ(world.AccessibilityFlags(platform::AccessibilityFeature::StickyKeys), 0x2u);

    EventLog log(sys);
    const auto said = RemoveCorvaneRestrictions(sys, log);
    EXPECT_EQ(said.size(), 5u);
    EXPECT_EQ(ReadDWordAt(sys.registry, Hive::CurrentUser, kSystemPolicyKey, "DisableTaskMgr"),
              std::nullopt);
    EXPECT_EQ(ReadDWordAt(sys.registry, Hive::CurrentUser, kExplorerPolicyKey, "Btn_Back"),
              std::nullopt);
    EXPECT_EQ(ReadStringAt(sys.registry, Hive::LocalMachine, kWinlogonKey, "AutoAdminLogon"),
              std::nullopt);
    EXPECT_EQ(ReadStringAt(sys.registry, Hive::LocalMachine,
                           "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Corvane"),
              std::nullopt);
    EXPECT_FALSE(
        Exists(Hive::LocalMachine, std::string(kBrowserHelperObjectsKey) + "\\" + kLumbrelClassId));
    EXPECT_FALSE(Exists(Hive::ClassesRoot, std::string("CLSID\\") + kLumbrelClassId));
    EXPECT_EQ(world.AccessibilityFlags(platform::AccessibilityFeature::StickyKeys), 0x6u);
    // The keys Corvane's values made are gone; one that holds another program's policy stays.
    EXPECT_FALSE(Exists(Hive::CurrentUser, kExplorerPolicyKey));
    EXPECT_FALSE(Exists(Hive::CurrentUser, "Software\\Policies"));
    EXPECT_FALSE(Exists(Hive::CurrentUser, "Software\\Vemtrix"));
    EXPECT_EQ(ReadDWordAt(sys.registry, Hive::CurrentUser, kSystemPolicyKey, "Other"), 5u);
    // The administrator's settings are kept for a later install.
    EXPECT_EQ(ReadDWordAt(sys.registry, Hive::LocalMachine, root + "\\Policies", "DisableTaskMgr"),
              1u);
    EXPECT_EQ(ReadDWordAt(sys.registry, Hive::LocalMachine, root, "EnableAutoLogon"), 1u);

    // Run again on a clean machine it changes nothing and says so.
    const auto again = RemoveCorvaneRestrictions(sys, log);
    EXPECT_EQ(again[2], "the start of user mode at logon was not there, or stays");
}

// The auto logon password Corvane kept as a system secret goes with the automatic logon; a
// secret of the same name another tool stored, while Corvane keeps none, stays.
TEST_F(Installation, TheCleanupDeletesTheLogonSecretCorvaneKept) {
    const std::string tab = std::string(kSettingsRoot) + "\\AutoLogon";
    platform::RegistryKeyPtr key;
    OpenForWriting(sys.registry, Hive::LocalMachine, kWinlogonKey, key);
    world.Secrets().values["DefaultPassword"] = "other tool";
    EventLog log(sys);
    RemoveCorvaneRestrictions(sys, log);
    EXPECT_EQ(world.Secrets().values.count("DefaultPassword"), 1u);

    SetNumber(Hive::LocalMachine, tab, "KeepPasswordSecret", 1);
    world.Secrets().values["DefaultPassword"] = "open sesame";
    const auto said = RemoveCorvaneRestrictions(sys, log);
    EXPECT_EQ(world.Secrets().values.count("DefaultPassword"), 0u);
    EXPECT_EQ(said[2], "the auto logon password kept as a system secret was deleted");
}

// The uninstaller runs as an administrator; the kiosk's account wrote its policies into its own
// hive. Every profile is cleaned: a logged-on user's hive where it is, a logged-off user's
// loaded from its file for the while.
TEST_F(Installation, ThePoliciesOfEveryProfileGoLoggedOnOrNot) {
    const std::string list = "Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
    const auto addProfile = [&](const std::string& sid, const std::string& image) {
        platform::RegistryKeyPtr key;
        ASSERT_EQ(OpenForWriting(sys.registry, Hive::LocalMachine, list + "\\" + sid, key), 0);
        SetStringValue(*key, "ProfileImagePath", image);
    };
    const auto writeUserValues = [&](const std::string& sid) {
        const std::string root = sid + "\\";
        SetNumber(Hive::Users, root + kSystemPolicyKey, "DisableTaskMgr", 1);
        platform::RegistryKeyPtr before;  // user mode wrote it where there was none
        ASSERT_EQ(OpenForWriting(sys.registry, Hive::Users, root + kPoliciesBeforeKey, before), 0);
        before->SetValue("DisableTaskMgr", platform::reg::kNone, {});
        SetNumber(Hive::Users, root + kExplorerPolicyKey, "NoRun", 1);
        SetNumber(Hive::Users, root + kExplorerPolicyKey, "NoDriveTypeAutoRun", 0x91);  // not ours
        SetNumber(Hive::Users, root + kSavedAccessibilityKey, "StickyKeys", 0x6);
    };
    addProfile("S-1-5-21-1-2-3-1001", "%SystemDrive%\\Users\\kiosk");
    writeUserValues("S-1-5-21-1-2-3-1001");
    world.Registry().LogOffUser("S-1-5-21-1-2-3-1001", "C:\\Users\\kiosk\\NTUSER.DAT");
    addProfile("S-1-5-21-1-2-3-1002", "C:\\Users\\clerk");  // logged on
    writeUserValues("S-1-5-21-1-2-3-1002");
    addProfile("S-1-5-21-1-2-3-1003", "C:\\Users\\gone");  // its hive file is missing
    addProfile("S-1-5-18", "%SystemRoot%\\system32\\config\\systemprofile");

    EventLog log(sys);
    const auto said = RemoveCorvaneRestrictions(sys, log);
    ASSERT_EQ(said.size(), 8u);
    EXPECT_EQ(said[5], "the policy values of the profile C:\\Users\\kiosk were deleted");
    EXPECT_EQ(said[6], "the policy values of the profile C:\\Users\\clerk were deleted");
    EXPECT_EQ(said[7], "the profile C:\\Users\\gone could not be opened (error 2)");

    // The logged-off user's hive went back into its file, cleaned.
    EXPECT_FALSE(Exists(Hive::Users, "Corvane uninstall S-1-5-21-1-2-3-1001"));
    ASSERT_EQ(sys.registry.LoadUserHive("probe", "C:\\Users\\kiosk\\NTUSER.DAT"), 0);
    for (const std::string root : {"probe\\", "S-1-5-21-1-2-3-1002\\"}) {
        EXPECT_EQ(ReadDWordAt(sys.registry, Hive::Users, root + kSystemPolicyKey, "DisableTaskMgr"),
                  std::nullopt)
            << root;
        EXPECT_FALSE(Exists(Hive::Users, root + kSystemPolicyKey)) << root;
        EXPECT_EQ(ReadDWordAt(sys.registry, Hive::Users, root + kExplorerPolicyKey, "NoRun"),
                  std::nullopt);
        EXPECT_EQ(
            ReadDWordAt(sys.registry, Hive::Users, root + kExplorerPolicyKey, "NoDriveTypeAutoRun"),
            0x91u);
        EXPECT_FALSE(Exists(Hive::Users, root + "Software\\Vemtrix")) << root;
    }
    EXPECT_EQ(sys.registry.UnloadUserHive("probe"), 0);
}

}  // namespace
}  // namespace corvane::scenario
