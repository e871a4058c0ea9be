// Settings an organisation manages through Group Policy or MDM, under
// HKLM\Software\Policies\Vemtrix\Corvane: every reader takes them over the local tree, a
// malformed one is ignored and logged, the page shows them and never saves over them.
#include "common/managed_settings.h"
#include "browser/helper/helper_settings.h"
#include "common/event_log.h"
#include "common/hide_gui_values.h"
#include "common/lumbrel_values.h"
#include "common/settings_store.h"
#include "platform/constants.h"
#include "policies/policy_values.h"
#include "session/session_values.h"
#include "tests/scenario/corvane_world.h"

namespace corvane::scenario {
namespace {

using platform::Hive;

constexpr const char* kExplorer =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";

class ManagedSettings : public CorvaneWorld {
  protected:
    void SetLocal(const char* path, const char* name, uint32_t value) {
        platform::RegistryKeyPtr key;
        ASSERT_EQ(OpenForWriting(sys.registry, Hive::LocalMachine, path, key), 0);
        SetDWordValue(*key, name, value);
    }
    void SetManaged(const char* path, const char* name, uint32_t value) {
        platform::RegistryKeyPtr key;
        ASSERT_EQ(OpenForWriting(sys.registry, Hive::LocalMachine, *ManagedPathOf(path), key), 0);
        SetDWordValue(*key, name, value);
    }
    // The local tree's own value, nothing laid over it.
    std::optional<uint32_t> Stored(const char* path, const char* name) {
        platform::RegistryKeyPtr key;
        uint32_t value = 0;
        if (OpenStoredForReading(sys.registry, Hive::LocalMachine, path, key) != 0 ||
            QueryDWordValue(*key, name, value) != 0) {
            return std::nullopt;
        }
        return value;
    }
    bool Logged(const std::string& piece) {
        for (const std::string& line : ReadEventLines(sys, 50)) {
            if (line.find(piece) != std::string::npos) {
                return true;
            }
        }
        return false;
    }
};

TEST_F(ManagedSettings, EveryReaderTakesTheManagedValueOverTheLocalOne) {
    // The browser helper, which reads the Lumbrel sub-key (the key need not exist locally).
    SetManaged(kLumbrelKey, "FilterURLs", 1);
    corvane::LumbrelSettings lumbrel;
    ASSERT_EQ(lumbrel::ReadSettings(sys.registry, lumbrel), 1);
    EXPECT_EQ(lumbrel.filterURLs, 1);

    // User mode: the switch and a policy value, both managed over local zeros.
    SetLocal(kSettingsRoot, "EnablePolicies", 0);
    SetLocal(kPoliciesKey, "NoRun", 0);
    SetManaged(kSettingsRoot, "EnablePolicies", 1);
    SetManaged(kPoliciesKey, "NoRun", 1);
    auto kiosk = Start("/user");
    EXPECT_EQ(ReadDWordAt(sys.registry, Hive::CurrentUser, kExplorer, "NoRun"), 1u);
    Start("/q");
    EXPECT_EQ(kiosk->WaitForExit(5000), 1u);
}

TEST_F(ManagedSettings, AMalformedManagedValueIsIgnoredAndLoggedAndTheLocalOneHolds) {
    SetLocal(kSettingsRoot, "EnablePolicies", 1);
    SetLocal(kPoliciesKey, "NoRun", 1);
    platform::RegistryKeyPtr key;
    ASSERT_EQ(OpenForWriting(sys.registry, Hive::LocalMachine, *ManagedPathOf(kPoliciesKey), key),
              0);
    SetStringValue(*key, "NoRun", "0");  // a text where a REG_DWORD belongs
    const uint8_t shortNumber[2] = {0, 0};
    key->SetValue("NoDrives", platform::reg::kDword, shortNumber);
    key.reset();
    auto kiosk = Start("/user");
    EXPECT_EQ(ReadDWordAt(sys.registry, Hive::CurrentUser, kExplorer, "NoRun"), 1u);
    EXPECT_TRUE(
        Logged("the managed value HKLM\\Software\\Policies\\Vemtrix\\Corvane\\Policies\\NoRun "
               "is malformed (wrong type or size) and was ignored; the local value holds"));
    EXPECT_TRUE(Logged("Corvane\\Policies\\NoDrives is malformed"));
    Start("/q");
    EXPECT_EQ(kiosk->WaitForExit(5000), 1u);
}

TEST_F(ManagedSettings, ThePageShowsAndDisablesWhatIsManagedAndSavesNothingOverIt) {
    SetLocal(kTimersKey, "ActivityTime", 100);
    SetManaged(kTimersKey, "ActivityTime", 600);
    SetLocal(kHideGuiKey, "HideTaskbar", 0);
    SetManaged(kHideGuiKey, "HideTaskbar", 1);
    SetManaged(kSettingsRoot, "EnableTimers", 1);
    auto admin = Start("");
    sim::SimHtmlHost* page = PageOf(*admin);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->Value("ActivityTime"), "600");
    EXPECT_EQ(page->CheckState("HideTaskbar"), 1);
    EXPECT_NE(page->OuterHtml("ActivityTime")->find("disabled"), std::string::npos);
    EXPECT_NE(page->OuterHtml("HideTaskbar")->find("disabled"), std::string::npos);
    EXPECT_NE(page->OuterHtml("ButtonActivityTimer")->find("disabled"), std::string::npos);
    EXPECT_EQ(page->OuterHtml("InactivityTime")->find("disabled"), std::string::npos);
    EXPECT_EQ(page->InnerText("ManagedTimers"),
              "Set by your organisation: the greyed settings of this tab cannot be changed here.");
    EXPECT_EQ(page->InnerText("ManagedPolicies"), "");
    // A click on a managed switch does nothing; a save writes the rest and none of the managed.
    page->Click("ButtonActivityTimer");
    page->SetValue("InactivityTime", "30");
    page->Click("ButtonOK");
    EXPECT_EQ(admin->WaitForExit(5000), 0u);
    EXPECT_EQ(Stored(kTimersKey, "ActivityTime"), 100u);
    EXPECT_EQ(Stored(kTimersKey, "InactivityTime"), 30u);
    EXPECT_EQ(Stored(kHideGuiKey, "HideTaskbar"), 0u);
    EXPECT_EQ(Stored(kSettingsRoot, "EnableTimers"), std::nullopt);  // never written here
    EXPECT_EQ(ReadDWordAt(sys.registry, Hive::LocalMachine, kTimersKey, "ActivityTime"), 600u);
}

}  // namespace
}  // namespace corvane::scenario
