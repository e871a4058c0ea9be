// The administrator's buttons that act at once: clean-up commands, Remove Auto Logon, and
// every way of confirming the set-password dialog.
#include "app/password.h"
#include "common/settings_store.h"
#include "tests/scenario/corvane_world.h"

namespace corvane::scenario {
namespace {

using platform::Hive;

constexpr const char* kExtensions = "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions";

class AdminCommands : public CorvaneWorld {
  protected:
    void SetUp() override {
        admin = Start("");
        page = PageOf(*admin);
        ASSERT_NE(page, nullptr);
    }
    void Click(const char* id) {
        page->Click(id);
        world.RunFor(50);
    }
    void MakeKey(Hive hive, const std::string& path) {
        platform::RegistryKeyPtr key;
        ASSERT_EQ(OpenForWriting(sys.registry, hive, path, key), 0) << path;
    }
    bool KeyExists(const std::string& path) {
        platform::RegistryKeyPtr key;
        return OpenForReading(sys.registry, Hive::LocalMachine, path, key) == 0;
    }

    std::unique_ptr<platform::Process> admin;
    sim::SimHtmlHost* page = nullptr;
};

TEST_F(AdminCommands, RemoveExtensionsRemovesWholeTreesAndCountsThem) {
    const std::string root = kExtensions;
    MakeKey(Hive::LocalMachine, root + "\\{A}");
    MakeKey(Hive::LocalMachine, root + "\\{B}\\Settings\\Deeper");
    MakeKey(Hive::LocalMachine, root + "\\{B}\\Other");
    MakeKey(Hive::LocalMachine, root + "\\{C}");
    Click("ButtonRemoveExtensions");
    ASSERT_NE(LastBox(), nullptr);
    EXPECT_EQ(LastBox()->text, "Successfully removed 3 Internet Explorer Extensions.");
    EXPECT_EQ(LastBox()->type, platform::mb::kIconInformation);
    EXPECT_EQ(LastBox()->caption, "Corvane");
    EXPECT_FALSE(KeyExists(root + "\\{B}"));
    EXPECT_TRUE(KeyExists(root));  // the key itself stays

    Click("ButtonRemoveExtensions");
    EXPECT_EQ(LastBox()->text, "Did not find any Internet Explorer Extensions to remove.");
    EXPECT_EQ(world.Registry().OpenKeyCount(), 0);
}

TEST_F(AdminCommands, AnExtensionThatCannotBeRemovedIsLeftAndCounted) {
    const std::string root = kExtensions;
    MakeKey(Hive::LocalMachine, root + "\\{A}");
    world.Registry().DenyAccess(Hive::LocalMachine, root + "\\{Locked}", platform::reg::kDelete);
    Click("ButtonRemoveExtensions");
    EXPECT_EQ(LastBox()->text, "Successfully removed 2 Internet Explorer Extensions.");
    EXPECT_FALSE(KeyExists(root + "\\{A}"));
    EXPECT_TRUE(KeyExists(root + "\\{Locked}"));
}

TEST_F(AdminCommands, RemoveExtensionsSaysNothingWithoutTheKey) {
    Click("ButtonRemoveExtensions");
    EXPECT_TRUE(world.MessageBoxes().empty());
}

TEST_F(AdminCommands, ShortcutsOpenTheToolsAndReportAFailure) {
    Click("ButtonInternetOptions");
    ASSERT_EQ(world.ShellExecutes().size(), 1u);
    EXPECT_EQ(world.ShellExecutes()[0].file, "inetcpl.cpl");
    EXPECT_EQ(world.ShellExecutes()[0].verb, "");
    EXPECT_EQ(world.ShellExecutes()[0].showCommand, platform::sw::kShowNormal);
    EXPECT_TRUE(world.MessageBoxes().empty());

    Click("ButtonGroupPolicies");
    EXPECT_EQ(world.ShellExecutes().back().file, "gpedit.msc");
    ASSERT_NE(LastBox(), nullptr);
    EXPECT_EQ(LastBox()->text, "Error opening requested application.");
    EXPECT_EQ(LastBox()->type, platform::mb::kOk);
}

TEST_F(AdminCommands, RemoveRestrictionsDeletesThePoliciesAndSaysSoEveryTime) {
    {
        platform::RegistryKeyPtr key;
        ASSERT_EQ(
            OpenForWriting(sys.registry, Hive::CurrentUser,
                           "Software\\Policies\\Microsoft\\Internet Explorer\\Restrictions", key),
            0);
        SetDWordValue(*key, "NoPrinting", 1);
    }
    for (int click = 0; click < 2; ++click) {
        Click("ButtonRemoveRestrictions");
        ASSERT_EQ(world.MessageBoxes().size(), static_cast<size_t>(click + 1));
        EXPECT_EQ(LastBox()->text,
                  "All restrictions have been removed.\n\nClicking the \"Apply\" or \"Ok\" button "
                  "will re-apply the restrictions.");
        EXPECT_EQ(LastBox()->type, platform::mb::kIconInformation);
    }
    platform::RegistryKeyPtr key;
    ASSERT_EQ(OpenForReading(sys.registry, Hive::CurrentUser,
                             "Software\\Policies\\Microsoft\\Internet Explorer\\Restrictions", key),
              0);
    platform::RawValue raw;
    EXPECT_EQ(key->QueryValue("NoPrinting", 4, raw), platform::error::kFileNotFound);
    // OK now asks whether to re-apply them.
    world.ScriptMessageBoxAnswer(platform::id::kCancel);
    Click("ButtonOK");
    EXPECT_EQ(LastBox()->text,
              "All the restrictions have been removed.\n\nDo you want to re-apply the "
              "restrictions before exiting?");
    EXPECT_TRUE(world.ProcessRunning(admin->Id()));
}

// The buttons that redraw the page read it first: what was typed on any tab since the last
// Apply stays. A number box holding text stops the button with its message.
TEST_F(AdminCommands, ButtonsThatRedrawThePageKeepWhatWasTyped) {
    const std::pair<const char*, const char*> typed[] = {
        {"PolicyTitle", "typed title"},
        {"AutoRestartTime", "42"},
        {"TimerDialogURL", "http://typed.example/"},
        {"AutoLogonName", "typed name"},
    };
    for (const auto& [id, text] : typed) {
        ASSERT_TRUE(page->SetValue(id, text)) << id;
    }
    world.ScriptOpenFileAnswer(std::nullopt);
    Click("ButtonFilterFileBrowse");
    world.ScriptOpenFileAnswer("C:\\Kiosk\\content.txt");
    Click("ButtonContentFileBrowse");
    world.ScriptFolderAnswer("D:\\Kiosk Apps");
    Click("ButtonAutoRestartFolder");
    Click("ButtonRemoveAutoLogon");
    for (const auto& [id, text] : typed) {
        EXPECT_EQ(page->Value(id), text) << id;
    }
    EXPECT_EQ(page->Value("ContentFile"), "C:\\Kiosk\\content.txt");
    EXPECT_EQ(page->Value("AutoRestartFolder"), "D:\\Kiosk Apps");

    ASSERT_TRUE(page->SetValue("AutoLogonPassword", "open sesame"));
    ASSERT_TRUE(page->SetValue("AutoRestartTime", "soon"));
    const size_t boxes = world.MessageBoxes().size();
    Click("ButtonRemoveAutoLogon");
    ASSERT_EQ(world.MessageBoxes().size(), boxes + 1);
    EXPECT_EQ(world.MessageBoxes().back().text, "Please enter a positive integer.");
    EXPECT_EQ(page->Value("AutoLogonPassword"), "open sesame");
    EXPECT_EQ(page->Value("AutoRestartTime"), "soon");
}

TEST_F(AdminCommands, RemoveAutoLogonForgetsOnlyThePassword) {
    page->SetValue("AutoLogonName", "kiosk");
    page->SetValue("AutoLogonPassword", "open sesame");
    page->SetValue("AutoLogonDomain", "LIBRARY");
    Click("ButtonEnableAutoLogon");
    Click("ButtonApply");
    Click("ButtonRemoveAutoLogon");
    EXPECT_EQ(page->Value("AutoLogonPassword"), "");
    EXPECT_EQ(page->Value("AutoLogonName"), "kiosk");
    EXPECT_EQ(page->OuterHtml("ButtonEnableAutoLogon"),
              "<button style=\"width:200px\" id=\"ButtonEnableAutoLogon\">Auto Logon "
              "Disabled</button>");
    Click("ButtonApply");
    platform::RegistryKeyPtr key;
    ASSERT_EQ(OpenForReading(sys.registry, Hive::LocalMachine,
                             "Software\\Vemtrix\\Corvane\\AutoLogon", key),
              0);
    std::string name, password = "<missing>", domain;
    ReadText(*key, "DefaultName", name);
    ReadText(*key, "DefaultPassword", password);
    ReadText(*key, "DefaultDoamin", domain);
    EXPECT_EQ(name, "kiosk");
    EXPECT_EQ(password, "");
    EXPECT_EQ(domain, "LIBRARY");
}

class SetPasswordByEnter : public AdminCommands {
  protected:
    // Opens the set-password dialog and types the two texts.
    void Open(const std::string& password, const std::string& verify) {
        page->Click("ButtonSetPassword");
        set = PageOf(*admin, "Set Password:");
        ASSERT_NE(set, nullptr);
        set->SetValue("password", password);
        set->SetValue("verify", verify);
    }
    // What the dialog manager sends for Enter (IDOK) or Esc (IDCANCEL).
    void Press(int command) {
        const auto window = WindowOf(*admin, "Set Password:");
        ASSERT_TRUE(window.has_value());
        sys.windows.PostMessage(window->handle, platform::wm::kCommand,
                                static_cast<std::uintptr_t>(command), 0);
        world.RunFor(50);
    }
    bool StillOpen() const { return WindowOf(*admin, "Set Password:").has_value(); }

    sim::SimHtmlHost* set = nullptr;
};

TEST_F(SetPasswordByEnter, StoresOrStaysOpen) {
    Open("one", "two");
    Press(platform::id::kOk);
    EXPECT_TRUE(StillOpen());
    EXPECT_FALSE(HasPassword(sys.registry));
    EXPECT_EQ(LastBox()->text, "The password you have entered does not match the verify password.");

    set->SetValue("verify", "one");
    Press(platform::id::kOk);
    EXPECT_FALSE(StillOpen());
    EXPECT_TRUE(CheckPassword(sys, "one"));
}

TEST_F(SetPasswordByEnter, WithoutRightsNeverMarksAPasswordAsSet) {
    world.Registry().DenyAccess(Hive::LocalMachine, kSettingsRoot, platform::reg::kSetValue);
    Open("one", "one");
    Press(platform::id::kOk);
    EXPECT_TRUE(StillOpen());
    Press(platform::id::kCancel);
    EXPECT_EQ(page->OuterHtml("ButtonSetPassword"),
              "<button class=\"bt1\" style=\"width:200px\" id=\"ButtonSetPassword\">Set Corvane "
              "Password</button>");
}

}  // namespace
}  // namespace corvane::scenario
