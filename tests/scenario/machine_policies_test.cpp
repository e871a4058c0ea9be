// The policy values the system offers for the whole machine only (Switch user, edge swipes) and
// the per-user ones that close the power options and the toasts: the page of an administrator
// writes the machine's, user mode never does, and each goes back to what another tool left.
#include <algorithm>

#include "app/install_options.h"
#include "app/remove_restrictions.h"
#include "common/event_log.h"
#include "common/settings_store.h"
#include "policies/policies.h"
#include "tests/scenario/corvane_world.h"

namespace corvane::scenario {
namespace {

using platform::Hive;

constexpr const char* kPolicies = "Software\\Vemtrix\\Corvane\\Policies";
constexpr const char* kMachineSystem =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
constexpr const char* kEdgeUi = "Software\\Policies\\Microsoft\\Windows\\EdgeUI";
constexpr const char* kExplorer =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
constexpr const char* kToasts =
    "Software\\Policies\\Microsoft\\Windows\\CurrentVersion\\PushNotifications";

class MachinePolicies : public CorvaneWorld {
  protected:
    void Set(Hive hive, const char* path, const char* name, uint32_t value) {
        platform::RegistryKeyPtr key;
        ASSERT_EQ(OpenForWriting(sys.registry, hive, path, key), 0) << path;
        SetDWordValue(*key, name, value);
    }
    std::optional<uint32_t> Get(Hive hive, const char* path, const char* name) {
        return ReadDWordAt(sys.registry, hive, path, name);
    }
    bool KeyExists(Hive hive, const char* path) {
        platform::RegistryKeyPtr key;
        return OpenForReading(sys.registry, hive, path, key) == 0;
    }
    // The page of an administrator, the boxes set as given, saved with Apply.
    void SaveOnThePage(std::initializer_list<std::pair<const char*, int>> boxes) {
        auto admin = Start("");
        sim::SimHtmlHost* page = PageOf(*admin);
        ASSERT_NE(page, nullptr);
        for (const auto& [box, state] : boxes) {
            page->SetCheckState(box, state);
        }
        page->Click("ButtonOK");
        EXPECT_EQ(admin->WaitForExit(5000), 0u);
    }
};

TEST_F(MachinePolicies, ThePageWritesTheMachinesValuesAndPutsBackWhatAnotherToolLeft) {
    Set(Hive::LocalMachine, kSettingsRoot, "EnablePolicies", 1);
    Set(Hive::LocalMachine, kMachineSystem, "HideFastUserSwitching", 0);  // another tool's
    SaveOnThePage({{"HideFastUserSwitching", 1}, {"DisableEdgeSwipe", 1}});
    EXPECT_TRUE(world.MessageBoxes().empty());
    EXPECT_EQ(Get(Hive::LocalMachine, kMachineSystem, "HideFastUserSwitching"), 1u);
    EXPECT_EQ(Get(Hive::LocalMachine, kEdgeUi, "AllowEdgeSwipe"), 0u);
    EXPECT_EQ(Get(Hive::LocalMachine, kPolicies, "DisableEdgeSwipe"), 1u);

    // Unticked and saved: each is as it was before Corvane wrote it.
    SaveOnThePage({{"HideFastUserSwitching", 0}, {"DisableEdgeSwipe", 0}});
    EXPECT_EQ(Get(Hive::LocalMachine, kMachineSystem, "HideFastUserSwitching"), 0u);
    EXPECT_EQ(Get(Hive::LocalMachine, kEdgeUi, "AllowEdgeSwipe"), std::nullopt);
    EXPECT_FALSE(KeyExists(Hive::LocalMachine, kEdgeUi));
    EXPECT_FALSE(KeyExists(Hive::LocalMachine, kMachinePoliciesBeforeKey));

    // Ticked again, then the Policies switch off: put back too.
    SaveOnThePage({{"HideFastUserSwitching", 1}});
    EXPECT_EQ(Get(Hive::LocalMachine, kMachineSystem, "HideFastUserSwitching"), 1u);
    Set(Hive::LocalMachine, kSettingsRoot, "EnablePolicies", 0);
    SaveOnThePage({});
    EXPECT_EQ(Get(Hive::LocalMachine, kMachineSystem, "HideFastUserSwitching"), 0u);

    // And the uninstall's cleanup, which says so: both, the stored Switch user box being ticked.
    Set(Hive::LocalMachine, kSettingsRoot, "EnablePolicies", 1);
    SaveOnThePage({{"DisableEdgeSwipe", 1}});
    ASSERT_EQ(Get(Hive::LocalMachine, kEdgeUi, "AllowEdgeSwipe"), 0u);
    EventLog log(sys);
    const auto said = RemoveCorvaneRestrictions(sys, log);
    EXPECT_NE(
        std::find(said.begin(), said.end(), "the machine's policy values are as they were (2)"),
        said.end());
    EXPECT_FALSE(KeyExists(Hive::LocalMachine, kEdgeUi));
    EXPECT_EQ(Get(Hive::LocalMachine, kMachineSystem, "HideFastUserSwitching"), 0u);
    EXPECT_EQ(Get(Hive::LocalMachine, kPolicies, "DisableEdgeSwipe"), 1u);  // the settings stay
}

// The installer is an administrator's program too: imported settings that tick a machine value
// get it written at install.
TEST_F(MachinePolicies, TheInstallerWritesTheMachinesValuesTheStoredSettingsTick) {
    Set(Hive::LocalMachine, kSettingsRoot, "EnablePolicies", 1);
    EventLog log(sys);
    EXPECT_TRUE(ApplyInstallOptions(sys, log, {false, false, "C:\\Corvane\\Corvane.exe"}).ok);
    EXPECT_EQ(Get(Hive::LocalMachine, kMachineSystem, "HideFastUserSwitching"), std::nullopt);

    Set(Hive::LocalMachine, kPolicies, "HideFastUserSwitching", 1);
    const InstallReport report =
        ApplyInstallOptions(sys, log, {false, false, "C:\\Corvane\\Corvane.exe"});
    EXPECT_TRUE(report.ok);
    EXPECT_EQ(report.lines, std::vector<std::string>{"the machine's policy values are written"});
    EXPECT_EQ(Get(Hive::LocalMachine, kMachineSystem, "HideFastUserSwitching"), 1u);
}

// A machine key the page may not write: the settings are saved and the page says what was not.
TEST_F(MachinePolicies, AMachineValueThatCannotBeWrittenIsSaidAndTheSettingsStay) {
    Set(Hive::LocalMachine, kSettingsRoot, "EnablePolicies", 1);
    world.Registry().DenyAccess(Hive::LocalMachine, kEdgeUi, platform::reg::kReadWrite);
    SaveOnThePage({{"DisableEdgeSwipe", 1}});
    ASSERT_FALSE(world.MessageBoxes().empty());
    EXPECT_NE(world.MessageBoxes().front().text.find("could not be written"), std::string::npos);
    EXPECT_EQ(Get(Hive::LocalMachine, kPolicies, "DisableEdgeSwipe"), 1u);
}

// User mode writes the user's power and toast values when ticked, puts them back when it ends,
// and never touches the machine's, ticked or not.
TEST_F(MachinePolicies, UserModeWritesTheUsersValuesOnlyAndNeverTheMachines) {
    Set(Hive::LocalMachine, kSettingsRoot, "EnablePolicies", 1);
    for (const char* name : {"NoClose", "NoToastApplicationNotification", "HideFastUserSwitching",
                             "DisableEdgeSwipe"}) {
        Set(Hive::LocalMachine, kPolicies, name, 1);
    }
    auto kiosk = Start("/user");
    EXPECT_EQ(Get(Hive::CurrentUser, kExplorer, "NoClose"), 1u);
    EXPECT_EQ(Get(Hive::CurrentUser, kToasts, "NoToastApplicationNotification"), 1u);
    EXPECT_EQ(Get(Hive::LocalMachine, kMachineSystem, "HideFastUserSwitching"), std::nullopt);
    EXPECT_FALSE(KeyExists(Hive::LocalMachine, kEdgeUi));
    EXPECT_EQ(Get(Hive::CurrentUser, kMachineSystem, "HideFastUserSwitching"), std::nullopt);
    const auto window = WindowOf(*kiosk);
    ASSERT_TRUE(window.has_value());
    world.Page(window->handle)->Click("ButtonExitUserMode");
    EXPECT_EQ(kiosk->WaitForExit(5000), 1u);
    EXPECT_EQ(Get(Hive::CurrentUser, kExplorer, "NoClose"), std::nullopt);
    EXPECT_FALSE(KeyExists(Hive::CurrentUser, kToasts));
}

}  // namespace
}  // namespace corvane::scenario
