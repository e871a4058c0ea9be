// The recommended lockdown: the Hide GUI tab's button ticks its boxes after a confirmation that
// lists them, keeping what was typed and every other choice; the installer's option stores it.
#include <set>
#include <string>

#include "app/install_options.h"
#include "app/recommended_lockdown.h"
#include "common/settings_store.h"
#include "tests/scenario/corvane_world.h"

namespace corvane::scenario {
namespace {

using platform::Hive;

class RecommendedLockdownTest : public CorvaneWorld {
  protected:
    std::optional<uint32_t> Stored(const char* path, const char* name) {
        return ReadDWordAt(sys.registry, Hive::LocalMachine, path, name);
    }
    static const char* KeyOf(LockdownTab tab) {
        return tab == LockdownTab::HideGui    ? "Software\\Vemtrix\\Corvane\\HideGUI"
               : tab == LockdownTab::Policies ? "Software\\Vemtrix\\Corvane\\Policies"
                                              : "Software\\Vemtrix\\Corvane\\Lumbrel";
    }
};

// Every item names a box the tables know, once; the confirmation lists each.
TEST_F(RecommendedLockdownTest, EveryItemIsATickableBoxListedInTheConfirmation) {
    HideGuiSettings hideGui;
    PolicySettings policies;
    LumbrelSettings lumbrel;
    int hide = 0;
    int policy = 0;
    const auto items = RecommendedLockdown();
    EXPECT_EQ(ApplyRecommendedLockdown({hideGui, policies, lumbrel, hide, policy}),
              static_cast<int>(items.size()));
    EXPECT_EQ(hide, 1);
    EXPECT_EQ(policy, 1);
    std::set<std::string> names;
    const std::string summary = RecommendedLockdownSummary();
    for (const LockdownItem& item : items) {
        EXPECT_TRUE(names.insert(item.value).second) << item.value;
        EXPECT_NE(summary.find(item.label), std::string::npos) << item.label;
    }
    EXPECT_EQ(lumbrel.guiAddressBar, 1);     // the bars are the administrator's
    EXPECT_EQ(hideGui.closeStartButton, 0);  // closing is not undone: not recommended
}

TEST_F(RecommendedLockdownTest, TheButtonTicksItsBoxesAfterYesAndKeepsWhatWasTyped) {
    auto admin = Start("");
    sim::SimHtmlHost* page = PageOf(*admin);
    ASSERT_NE(page, nullptr);
    page->SetValue("InactivityTime", "321");  // typed, not yet applied
    page->SetCheckState("CloseStartButton", 1);

    world.ScriptMessageBoxAnswer(platform::id::kNo);
    page->Click("ButtonRecommendedLockdown");
    world.RunFor(50);
    ASSERT_FALSE(world.MessageBoxes().empty());
    EXPECT_NE(world.MessageBoxes().back().text.find("Apply the recommended lockdown?"),
              std::string::npos);
    EXPECT_EQ(page->CheckState("DisableTaskMgr"), 0);

    world.ScriptMessageBoxAnswer(platform::id::kYes);
    page->Click("ButtonRecommendedLockdown");
    world.RunFor(50);
    for (const LockdownItem& item : RecommendedLockdown()) {
        if (page->Has(item.value)) {
            EXPECT_EQ(page->CheckState(item.value), 1) << item.value;
        }
    }
    EXPECT_EQ(page->Value("InactivityTime"), "321");
    EXPECT_EQ(page->CheckState("CloseStartButton"), 1);
    EXPECT_EQ(page->CheckState("GUIAddressBar"), 1);
    EXPECT_EQ(Stored("Software\\Vemtrix\\Corvane\\HideGUI", "DisableWindowsKey"), std::nullopt);

    page->Click("ButtonOK");  // stored only now
    EXPECT_EQ(admin->WaitForExit(5000), 0u);
    for (const LockdownItem& item : RecommendedLockdown()) {
        EXPECT_EQ(Stored(KeyOf(item.tab), item.value), 1u) << item.value;
    }
    EXPECT_EQ(Stored(kSettingsRoot, "EnableHideGUI"), 1u);
    EXPECT_EQ(Stored(kSettingsRoot, "EnablePolicies"), 1u);
    EXPECT_EQ(Stored("Software\\Vemtrix\\Corvane\\Timers", "InactivityTime"), 321u);
}

// /RECOMMENDED on the installer: the lockdown's values and switches stored, and nothing else of
// the tree touched (an imported timer, the other boxes as they were).
TEST_F(RecommendedLockdownTest, TheInstallersOptionStoresTheLockdownOverTheStoredTree) {
    platform::RegistryKeyPtr key;
    ASSERT_EQ(
        OpenForWriting(sys.registry, Hive::LocalMachine, "Software\\Vemtrix\\Corvane\\Timers", key),
        0);
    SetDWordValue(*key, "InactivityTime", 90);
    ASSERT_EQ(OpenForWriting(sys.registry, Hive::LocalMachine,
                             "Software\\Vemtrix\\Corvane\\Lumbrel", key),
              0);
    SetDWordValue(*key, "GUIAddressBar", 0);
    key.reset();
    EventLog log(sys);
    InstallOptions options;
    options.programPath = "C:\\Corvane\\Corvane.exe";
    options.recommended = true;
    const InstallReport report = ApplyInstallOptions(sys, log, options);
    EXPECT_TRUE(report.ok);
    EXPECT_EQ(report.lines.front(), "the recommended lockdown is stored");
    for (const LockdownItem& item : RecommendedLockdown()) {
        EXPECT_EQ(Stored(KeyOf(item.tab), item.value), 1u) << item.value;
    }
    EXPECT_EQ(Stored(kSettingsRoot, "EnableHideGUI"), 1u);
    EXPECT_EQ(Stored("Software\\Vemtrix\\Corvane\\Timers", "InactivityTime"), 90u);
    EXPECT_EQ(Stored("Software\\Vemtrix\\Corvane\\Lumbrel", "GUIAddressBar"), 0u);
    EXPECT_EQ(Stored("Software\\Vemtrix\\Corvane\\HideGUI", "CloseStartButton"), std::nullopt);
}

}  // namespace
}  // namespace corvane::scenario
