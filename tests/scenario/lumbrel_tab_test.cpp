// The Lumbrel tab's own buttons: the feature switch that registers and lists the browser
// helper, and the rule files' browse and edit buttons.
#include <algorithm>

#include "app/remove_restrictions.h"
#include "browser/filter/rule_store.h"
#include "browser/helper/server_registration.h"
#include "common/event_log.h"
#include "common/lumbrel_values.h"
#include "common/settings_store.h"
#include "tests/scenario/corvane_world.h"

namespace corvane::scenario {
namespace {

using platform::Hive;

const std::string kListing = std::string(kBrowserHelperObjectsKey) + "\\" + kLumbrelClassId;
// The same as a 64-bit program sees the 32-bit view.
const std::string kListing32 = "Software\\WOW6432Node" + kListing.substr(8);
const std::string kClassKey = std::string("CLSID\\") + kLumbrelClassId;

class LumbrelTab : public CorvaneWorld {
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
    bool Exists(Hive hive, const std::string& path) {
        platform::RegistryKeyPtr key;
        return OpenForReading(sys.registry, hive, path, key) == 0;
    }
    std::string SwitchLabel() { return page->InnerText("ButtonEnableLumbrel").value_or("?"); }

    std::unique_ptr<platform::Process> admin;
    sim::SimHtmlHost* page = nullptr;
};

TEST_F(LumbrelTab, TheSwitchRegistersAndListsTheHelperThenRemovesBoth) {
    InstallLumbrel();
    Click("ButtonEnableLumbrel");
    EXPECT_EQ(registrations, 1);
    EXPECT_EQ(ReadDWordAt(sys.registry, Hive::LocalMachine, kListing, "NoExplorer"), 1u);
    EXPECT_TRUE(Exists(Hive::ClassesRoot, kClassKey + "\\InprocServer32"));
    EXPECT_EQ(SwitchLabel(), "Lumbrel Enabled");
    EXPECT_TRUE(world.MessageBoxes().empty());

    Click("ButtonEnableLumbrel");
    EXPECT_EQ(unregistrations, 1);
    EXPECT_FALSE(Exists(Hive::LocalMachine, kListing));
    EXPECT_TRUE(Exists(Hive::LocalMachine, kBrowserHelperObjectsKey));
    EXPECT_FALSE(Exists(Hive::ClassesRoot, kClassKey));
    EXPECT_EQ(SwitchLabel(), "Lumbrel Disabled");
    EXPECT_TRUE(world.MessageBoxes().empty());

    // Switching off once more: the listing is already gone, which is no failure to report.
    Click("ButtonEnableLumbrel");
    Click("ButtonEnableLumbrel");
    EXPECT_TRUE(world.MessageBoxes().empty());
    EXPECT_EQ(SwitchLabel(), "Lumbrel Disabled");

    // The switch itself is stored with the next Apply.
    EXPECT_EQ(ReadDWordAt(sys.registry, Hive::LocalMachine, kSettingsRoot, "EnableLumbrel"),
              std::nullopt);
    Click("ButtonEnableLumbrel");
    Click("ButtonApply");
    EXPECT_EQ(ReadDWordAt(sys.registry, Hive::LocalMachine, kSettingsRoot, "EnableLumbrel"), 1u);
}

TEST_F(LumbrelTab, EveryRecognisedFailureSaysSoAndLeavesTheSwitchOff) {
    // No Lumbrel.dll beside the program: both directions fail.
    Click("ButtonEnableLumbrel");
    ASSERT_NE(LastBox(), nullptr);
    EXPECT_EQ(LastBox()->text, "Error registering Lumbrel.");
    EXPECT_EQ(SwitchLabel(), "Lumbrel Disabled");
    EXPECT_FALSE(Exists(Hive::LocalMachine, kListing));

    InstallLumbrel(static_cast<long>(0x80070005));  // E_ACCESSDENIED
    Click("ButtonEnableLumbrel");
    EXPECT_EQ(world.MessageBoxes().size(), 2u);
    EXPECT_EQ(SwitchLabel(), "Lumbrel Disabled");
    EXPECT_FALSE(Exists(Hive::LocalMachine, kListing));

    // Unregistration fails while switching off: the message, and the switch off all the same.
    InstallLumbrel(0, static_cast<long>(0x80070005));
    Click("ButtonEnableLumbrel");
    EXPECT_EQ(SwitchLabel(), "Lumbrel Enabled");
    Click("ButtonEnableLumbrel");
    EXPECT_EQ(world.MessageBoxes().size(), 3u);
    EXPECT_EQ(SwitchLabel(), "Lumbrel Disabled");
    EXPECT_TRUE(Exists(Hive::LocalMachine, kListing));  // nothing was removed

    // A library without the entries still gets listed.
    world.InstallLibrary("Lumbrel.dll", {});
    world.Registry().DenyAccess(Hive::LocalMachine, kListing, platform::reg::kSetValue);
    Click("ButtonEnableLumbrel");
    EXPECT_EQ(world.MessageBoxes().size(), 4u);  // but not when the listing key is refused
    EXPECT_EQ(SwitchLabel(), "Lumbrel Disabled");
}

// Installed, the i686 build waits in x86 beside the program for 32-bit browsers: the system's
// 32-bit regsvr32 registers it, and it is listed in the 32-bit programs' view of the registry.
TEST_F(LumbrelTab, TheSwitchRegistersTheI686BuildForThirtyTwoBitBrowsersToo) {
    InstallLumbrel();
    world.Files().Put("C:\\Program Files\\Corvane\\x86\\Lumbrel.dll", "MZ");
    world.Files().Put("C:\\Windows\\SysWOW64\\regsvr32.exe", "MZ");
    std::vector<std::vector<std::string>> runs;
    uint32_t regsvr32Result = 0;
    world.RegisterProgram("C:\\Windows\\SysWOW64\\regsvr32.exe",
                          [&runs, &regsvr32Result](platform::System& system) {
                              runs.push_back(system.processes.CommandLineArguments());
                              return static_cast<int>(regsvr32Result);
                          });
    const auto listed32 = [this] {
        platform::RegistryKeyPtr key;
        return sys.registry.OpenKey(Hive::LocalMachine, kListing,
                                    platform::reg::kRead | platform::reg::kWow64_32Key, key) == 0;
    };
    const std::vector<std::string> expectedOn = {"C:\\Windows\\SysWOW64\\regsvr32.exe", "/s",
                                                 "C:\\Program Files\\Corvane\\x86\\Lumbrel.dll"};

    Click("ButtonEnableLumbrel");
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0], expectedOn);
    EXPECT_TRUE(listed32());
    EXPECT_TRUE(Exists(Hive::LocalMachine, kListing));
    EXPECT_TRUE(Exists(Hive::LocalMachine, kListing32));
    EXPECT_EQ(SwitchLabel(), "Lumbrel Enabled");

    Click("ButtonEnableLumbrel");
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[1][2], "/u");
    EXPECT_FALSE(listed32());
    EXPECT_FALSE(Exists(Hive::LocalMachine, kListing));
    EXPECT_TRUE(world.MessageBoxes().empty());

    // The 32-bit registration refused: the message, the switch off, neither browser listed.
    regsvr32Result = 5;
    Click("ButtonEnableLumbrel");
    EXPECT_EQ(runs.size(), 3u);
    EXPECT_EQ(world.MessageBoxes().size(), 1u);
    EXPECT_EQ(SwitchLabel(), "Lumbrel Disabled");
    EXPECT_FALSE(Exists(Hive::LocalMachine, kListing));
    EXPECT_FALSE(listed32());

    // Without the 32-bit view's listing key it is all or nothing too.
    regsvr32Result = 0;
    world.Registry().DenyAccess(Hive::LocalMachine, kListing32, platform::reg::kSetValue);
    Click("ButtonEnableLumbrel");
    EXPECT_EQ(world.MessageBoxes().size(), 2u);
    EXPECT_FALSE(Exists(Hive::LocalMachine, kListing));
}

// Without a 32-bit subsystem (64-bit Wine alone, a server install without WoW64) the SysWOW64
// folder holds no regsvr32: the switch serves 64-bit browsers and says, in the event log, that
// the i686 build was left alone, instead of failing for a browser that cannot run there.
TEST_F(LumbrelTab, WithoutThirtyTwoBitSubsystemTheSwitchSkipsTheI686BuildAndSaysSo) {
    InstallLumbrel();
    world.Files().Put("C:\\Program Files\\Corvane\\x86\\Lumbrel.dll", "MZ");
    int runs = 0;
    world.RegisterProgram("C:\\Windows\\SysWOW64\\regsvr32.exe", [&runs](platform::System&) {
        ++runs;  // a program the file system does not hold: never to be started
        return 0;
    });
    const auto saidSkipped = [this] {
        size_t count = 0;
        for (const std::string& line : ReadEventLines(sys, 100)) {
            count += line.find(
                         "Lumbrel: the browser helper for 32-bit browsers (C:\\Program "
                         "Files\\Corvane\\x86\\Lumbrel.dll) was") != std::string::npos &&
                     line.find(
                         "this system runs no 32-bit programs (there is no "
                         "C:\\Windows\\SysWOW64\\regsvr32.exe)") != std::string::npos;
        }
        return count;
    };

    Click("ButtonEnableLumbrel");
    EXPECT_EQ(SwitchLabel(), "Lumbrel Enabled");
    EXPECT_TRUE(world.MessageBoxes().empty());
    EXPECT_EQ(runs, 0);
    EXPECT_TRUE(Exists(Hive::LocalMachine, kListing));
    EXPECT_FALSE(Exists(Hive::LocalMachine, kListing32));
    EXPECT_EQ(saidSkipped(), 1u);

    // The cleanup says it too, and an old 32-bit listing (the subsystem removed since) goes.
    platform::RegistryKeyPtr stale;
    ASSERT_EQ(
        sys.registry.CreateKey(Hive::LocalMachine, kListing,
                               platform::reg::kReadWrite | platform::reg::kWow64_32Key, stale),
        0);
    stale.reset();
    std::vector<std::string> said;
    world.RegisterProgram("C:\\Program Files\\Corvane\\corvane-cleanup.exe",
                          [&said](platform::System& system) {
                              EventLog log(system);
                              said = RemoveCorvaneRestrictions(system, log);
                              return 0;
                          });
    const auto cleanup =
        sys.processes.StartProcess("\"C:\\Program Files\\Corvane\\corvane-cleanup.exe\"");
    ASSERT_NE(cleanup, nullptr);
    EXPECT_EQ(cleanup->WaitForExit(10000), 0u);
    EXPECT_NE(std::find_if(said.begin(), said.end(),
                           [](const std::string& line) {
                               return line.starts_with("the browser helper for 32-bit browsers") &&
                                      line.find("was left alone") != std::string::npos;
                           }),
              said.end());
    EXPECT_FALSE(Exists(Hive::LocalMachine, kListing));
    EXPECT_FALSE(Exists(Hive::LocalMachine, kListing32));
    EXPECT_EQ(runs, 0);
}

// Saving a filter that is on but names a file that is not there says so, while the
// administrator can still put it there; a file that is there, or a filter that is off, says
// nothing.
TEST_F(LumbrelTab, SavingAFilterWhoseFileIsNotThereWarns) {
    world.Files().Put("C:\\Kiosk\\urls.txt", "+all\n");
    ASSERT_TRUE(page->SetValue("FilterURLFile", "C:\\Kiosk\\urls.txt"));
    ASSERT_TRUE(page->SetValue("ContentFile", "C:\\Kiosk\\gone.txt"));
    ASSERT_TRUE(page->SetCheckState("FilterURLs", 1));
    ASSERT_TRUE(page->SetCheckState("FilterContent", 0));
    Click("ButtonApply");
    EXPECT_TRUE(world.MessageBoxes().empty());

    ASSERT_TRUE(page->SetCheckState("FilterContent", 1));
    Click("ButtonApply");
    ASSERT_EQ(world.MessageBoxes().size(), 1u);
    EXPECT_EQ(world.MessageBoxes()[0].text,
              "The content filter file is not there:\nC:\\Kiosk\\gone.txt\n\nUntil it is, the "
              "browser does not use the content filter.");
    EXPECT_EQ(ReadStringAt(sys.registry, Hive::LocalMachine, kLumbrelKey, "ContentFile"),
              "C:\\Kiosk\\gone.txt");  // saved all the same
}

TEST_F(LumbrelTab, BrowseSetsTheFieldOnlyWhenConfirmedAndAlwaysRedrawsThePage) {
    ASSERT_TRUE(page->SetValue("FilterURLFile", "typed but not applied"));
    world.ScriptOpenFileAnswer(std::nullopt);
    Click("ButtonFilterFileBrowse");
    ASSERT_EQ(world.OpenFileDialogs().size(), 1u);
    const platform::OpenFileRequest& asked = world.OpenFileDialogs()[0].request;
    EXPECT_EQ(asked.defaultExtension, "TXT");
    EXPECT_EQ(asked.initialFile, "typed but not applied");  // what the box holds
    EXPECT_EQ(asked.filter, "Text Files (*.TXT)|*.TXT|All Files (*.*)|*.*||");
    EXPECT_EQ(asked.flags, platform::ofn::kHideReadOnly | platform::ofn::kNoChangeDir |
                               platform::ofn::kFileMustExist | platform::ofn::kLongNames);
    EXPECT_EQ(page->Value("FilterURLFile"), "typed but not applied");  // nothing typed is lost

    world.ScriptOpenFileAnswer("C:\\Kiosk\\content rules.txt");
    Click("ButtonContentFileBrowse");
    EXPECT_EQ(page->Value("ContentFile"), "C:\\Kiosk\\content rules.txt");
    EXPECT_EQ(ReadStringAt(sys.registry, Hive::LocalMachine, kLumbrelKey, "ContentFile"),
              std::nullopt);  // written only by Apply
    Click("ButtonApply");
    EXPECT_EQ(ReadStringAt(sys.registry, Hive::LocalMachine, kLumbrelKey, "ContentFile"),
              "C:\\Kiosk\\content rules.txt");

    world.ScriptOpenFileAnswer(std::nullopt);
    Click("ButtonContentFileBrowse");
    EXPECT_EQ(world.OpenFileDialogs().back().request.initialFile, "C:\\Kiosk\\content rules.txt");
    EXPECT_EQ(page->Value("ContentFile"), "C:\\Kiosk\\content rules.txt");
}

// Applied by the administrator, the lists switched on are compiled beside the program for
// every browser window to map; a list switched off or replaced loses its image.
TEST_F(LumbrelTab, ApplyCompilesTheListsTheBrowserWillUse) {
    const std::string folder = "C:\\Program Files\\Corvane\\Rules";
    const auto images = [&] { return world.Files().FindFiles(folder + "\\*.lri"); };
    world.Files().MakeFolder("C:\\Program Files\\Corvane");
    world.Files().Put("C:\\Kiosk\\urls.txt", "+example\r\n-all\r\n");
    world.Files().Put("C:\\Kiosk\\content.txt", "-casino\r\n+all\r\n");
    ASSERT_TRUE(page->SetValue("FilterURLFile", "C:\\Kiosk\\urls.txt"));
    ASSERT_TRUE(page->SetValue("ContentFile", "C:\\Kiosk\\content.txt"));
    Click("ButtonApply");
    EXPECT_TRUE(images().empty());  // both filters are off

    ASSERT_TRUE(page->SetCheckState("FilterURLs", 1));
    ASSERT_TRUE(page->SetCheckState("FilterContent", 1));
    Click("ButtonApply");
    ASSERT_EQ(ReadDWordAt(sys.registry, Hive::LocalMachine, kLumbrelKey, "FilterURLs"), 1u);
    EXPECT_EQ(images().size(), 2u);
    const auto loaded = lumbrel::filter::LoadRuleList(sys.files, "C:\\Kiosk\\urls.txt", folder);
    EXPECT_TRUE(loaded.fromImage);
    EXPECT_TRUE(loaded.rules.Evaluate("http://example.org/").allowed);

    ASSERT_TRUE(page->SetCheckState("FilterContent", 0));
    Click("ButtonApply");
    EXPECT_EQ(images().size(), 1u);
    EXPECT_TRUE(lumbrel::filter::LoadRuleList(sys.files, "C:\\Kiosk\\urls.txt", folder).fromImage);
}

TEST_F(LumbrelTab, EditOpensTheFileTheFieldHeldAtTheLastExchange) {
    world.ScriptOpenFileAnswer("C:\\Kiosk\\urls.txt");
    Click("ButtonFilterFileBrowse");
    ASSERT_TRUE(page->SetValue("FilterURLFile", "C:\\typed\\since.txt"));
    Click("ButtonFilterFileEdit");
    ASSERT_EQ(world.ShellExecutes().size(), 1u);
    EXPECT_EQ(world.ShellExecutes()[0].verb, "open");
    EXPECT_EQ(world.ShellExecutes()[0].file, "C:\\Kiosk\\urls.txt");
    EXPECT_EQ(world.ShellExecutes()[0].showCommand, platform::sw::kShowNormal);
    Click("ButtonContentFileEdit");
    EXPECT_EQ(world.ShellExecutes().back().file, "");
}

}  // namespace
}  // namespace corvane::scenario
