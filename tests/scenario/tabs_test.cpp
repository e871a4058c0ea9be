// Every tab of the configuration page round-trips: what the registry holds comes back unchanged
// after a save, and what the administrator types reaches the registry.
#include <map>
#include <sstream>

#include "app/password.h"
#include "common/settings_store.h"
#include "tests/scenario/corvane_world.h"

namespace corvane::scenario {
namespace {

using platform::Hive;

enum class Kind { Flag, Number, Text };

// The stored values of the tree, written out here independently of the program's tables.
struct StoredGroup {
    const char* key;
    Kind kind;
    const char* names;  // blank-separated
};

const StoredGroup kTree[] = {
    {"Software\\Vemtrix\\Corvane", Kind::Flag,
     "EnablePolicies EnableHideGUI EnableAutoLogon EnableAutoRestart EnableTimers EnableLumbrel "
     "UserModeLogon"},
    {"Software\\Vemtrix\\Corvane\\Policies", Kind::Flag,
     "SpecifyDefaultButtons NoBandCustomize NoToolbarCustomize Btn_Back Btn_Forward Btn_Stop "
     "Btn_Refresh Btn_Home Btn_Search Btn_Folders Btn_Favorites Btn_Media Btn_History "
     "Btn_Fullscreen Btn_Tools Btn_MailNews Btn_Size Btn_Print Btn_Edit Btn_Discussions Btn_Cut "
     "Btn_Copy Btn_Paste Btn_Encoding Btn_PrintPreview NoWindowsUpdate NoRun NoDesktop "
     "NoPrinting NoBrowserOptions AlwaysPromptWhenDownload NoBrowserBars NoBrowserClose "
     "NoBrowserContextMenu NoBrowserSaveAs NoFavorites NoFileNew NoFileOpen NoFindFiles "
     "NoNavButtons NoOpeninNewWnd NoSelectDownloadDir NoTheaterMode NoViewSource RestGoMenu"},
    {"Software\\Vemtrix\\Corvane\\HideGUI", Kind::Flag,
     "EnableOverrides HideDesktop HideTaskbar HideStartButton HideTaskTray HideTaskbarButtons "
     "CloseTaskTray CloseStartButton DisableRightClick DisableShiftLeftClick DisableWindowsKey "
     "DisableApplicationsKey DisableCtrlEsc DisableShiftEnter DisableTaskSwitching "
     "DisableAltSpace DisableCtrlKey DisableAltKey DisableBrowserBackKey "
     "DisableBrowserForwardKey DisableBrowserRefreshKey DisableBrowserStopKey "
     "DisableBrowserSearchKey DisableBrowserFavoritesKey DisableBrowserHomeKey "
     "DisableVolumeMuteKey DisableVolumeDownKey DisableVolumeUpKey DisableMediaNextKey "
     "DisableMediaPreviousKey DisableMediaStopKey DisableMediaPlayPauseKey DisableLaunchMailKey "
     "DisableLaunchMediaKey DisableLaunchApp1Key DisableLaunchApp2Key"},
    {"Software\\Vemtrix\\Corvane\\Lumbrel", Kind::Flag,
     "PolicyShow PolicyMoveable FilterURLs FilterShow FilterMoveable FilterOnlyHTTP "
     "FilterContent GUIAddressBar GUIFullScreen GUIMenuBar GUIStatusBar GUIToolBar"},
    {"Software\\Vemtrix\\Corvane\\Lumbrel", Kind::Number,
     "PolicyHeight PolicyWidth FilterHeight FilterWidth"},
    {"Software\\Vemtrix\\Corvane\\Lumbrel", Kind::Text,
     "PolicyURL PolicyTitle PolicyAcceptButton PolicyDeclineButton PolicyText FilterURLFile "
     "FilterURL FilterTitle FilterButton FilterText ContentURL ContentFile"},
    {"Software\\Vemtrix\\Corvane\\AutoLogon", Kind::Text,
     "DefaultName DefaultPassword DefaultDoamin"},
    {"Software\\Vemtrix\\Corvane\\AutoRestart", Kind::Number, "Time Wait"},
    {"Software\\Vemtrix\\Corvane\\Timers", Kind::Flag,
     "StartActivityOnOpen StartInactivityOnOpen ShowTimerDialog"},
    {"Software\\Vemtrix\\Corvane\\Timers", Kind::Number,
     "ActivityTime InactivityTime TimerDialogLeft TimerDialogTop TimerDialogHeight "
     "TimerDialogWidth ActivityTimeWarn1 ActivityTimeWarn2"},
    {"Software\\Vemtrix\\Corvane\\Timers", Kind::Text,
     "TimerDialogURL ActivityDialogURL InactivityDialogURL ActivityDialogWarn1URL "
     "ActivityDialogWarn2URL"},
};

// The page element of a stored value where its name differs.
const std::map<std::string, std::string> kElementOf = {
    {"DefaultName", "AutoLogonName"},     {"DefaultPassword", "AutoLogonPassword"},
    {"DefaultDoamin", "AutoLogonDomain"}, {"Time", "AutoRestartTime"},
    {"Wait", "AutoRestartTimeWait"},
};

struct StoredValue {
    std::string key;
    std::string name;
    Kind kind;
};

std::vector<StoredValue> TreeValues() {
    std::vector<StoredValue> values;
    for (const StoredGroup& group : kTree) {
        std::istringstream names(group.names);
        for (std::string name; names >> name;) {
            values.push_back({group.key, name, group.kind});
        }
    }
    return values;
}

std::string ElementOf(const std::string& name) {
    const auto it = kElementOf.find(name);
    return it == kElementOf.end() ? name : it->second;
}

class Tabs : public CorvaneWorld {
  protected:
    platform::RegistryKeyPtr Key(const std::string& path) {
        platform::RegistryKeyPtr key;
        EXPECT_EQ(OpenForWriting(sys.registry, Hive::LocalMachine, path, key), 0) << path;
        return key;
    }
    // Every stored value of the tree as raw type and bytes, by key and name.
    std::map<std::string, platform::RawValue> Snapshot() {
        std::map<std::string, platform::RawValue> values;
        auto add = [&](const std::string& path, const std::string& name) {
            platform::RawValue raw;
            EXPECT_EQ(Key(path)->QueryValue(name, 1 << 16, raw), 0) << path << "\\" << name;
            values[path + "\\" + name] = raw;
        };
        for (const StoredValue& value : TreeValues()) {
            add(value.key, value.name);
        }
        add("Software\\Vemtrix\\Corvane\\Policies", "NoDrives");
        add("Software\\Vemtrix\\Corvane\\HideGUI", "DisableSleepKey");
        add("Software\\Vemtrix\\Corvane\\AutoRestart", "Folder");
        add(kSettingsRoot, "AppPath");
        add(kSettingsRoot, kPasswordVerifierValue);
        return values;
    }
    uint32_t Number(const std::string& path, const std::string& name) {
        uint32_t value = 0xDEADBEEF;
        EXPECT_EQ(QueryDWordValue(*Key(path), name, value), 0) << path << "\\" << name;
        return value;
    }
    std::string Text(const std::string& path, const std::string& name) {
        std::string value = "<missing>";
        ReadText(*Key(path), name, value);
        return value;
    }
};

TEST_F(Tabs, AFullyPopulatedTreeIsSavedBackByteForByte) {
    // Every value set, flags against their defaults, texts with non-ASCII letters.
    int index = 0;
    for (const StoredValue& value : TreeValues()) {
        auto key = Key(value.key);
        switch (value.kind) {
            case Kind::Flag:
                SetDWordValue(*key, value.name, static_cast<uint32_t>(++index % 2));
                break;
            case Kind::Number:
                SetDWordValue(*key, value.name, 4000000000u + static_cast<uint32_t>(++index));
                break;
            case Kind::Text:
                SetStringValue(*key, value.name, "Wert " + value.name + " \xC3\xA4\xE2\x82\xAC");
                break;
        }
    }
    SetDWordValue(*Key("Software\\Vemtrix\\Corvane\\Policies"), "NoDrives", 0x2000005);
    SetDWordValue(*Key("Software\\Vemtrix\\Corvane\\HideGUI"), "DisableSleepKey", 1);
    SetStringValue(*Key("Software\\Vemtrix\\Corvane\\AutoRestart"), "Folder", "D:\\Kiosk Apps\\");
    SetStringValue(*Key(kSettingsRoot), "AppPath", kCorvanePath);
    ASSERT_EQ(WritePassword(sys, "kiosk"), 0);
    const auto before = Snapshot();

    auto admin = Start("");
    sim::SimHtmlHost* ask = PageOf(*admin, "Password:");
    ASSERT_NE(ask, nullptr);
    ask->SetValue("password", "kiosk");
    ask->Click("ButtonOK");
    sim::SimHtmlHost* page = PageOf(*admin);
    ASSERT_NE(page, nullptr);
    // What the page shows is what was stored.
    EXPECT_EQ(page->Value("PolicyTitle"), "Wert PolicyTitle \xC3\xA4\xE2\x82\xAC");
    EXPECT_EQ(page->Value("AutoLogonDomain"), "Wert DefaultDoamin \xC3\xA4\xE2\x82\xAC");
    EXPECT_EQ(page->CheckState("DA"), 1);
    EXPECT_EQ(page->CheckState("DB"), 0);
    EXPECT_EQ(page->CheckState("DZ"), 1);

    page->Click("ButtonApply");
    world.RunFor(50);
    const auto after = Snapshot();
    for (const auto& [name, raw] : before) {
        const platform::RawValue& saved = after.at(name);
        EXPECT_EQ(saved.type, raw.type) << name;
        EXPECT_EQ(saved.data, raw.data) << name;
    }
    // Only the warnings that the filters that are on name files that are not there.
    for (const auto& box : world.MessageBoxes()) {
        EXPECT_TRUE(box.text.find("filter file is not there") != std::string::npos) << box.text;
    }
    page->Click("ButtonOK");
    EXPECT_EQ(admin->WaitForExit(5000), 0u);
    EXPECT_EQ(world.Registry().OpenKeyCount(), 0);
}

TEST_F(Tabs, WhatIsTypedOnEveryTabReachesTheRegistry) {
    auto admin = Start("");
    sim::SimHtmlHost* page = PageOf(*admin);
    ASSERT_NE(page, nullptr);
    const auto values = TreeValues();
    int index = 0;
    for (const StoredValue& value : values) {
        if (value.key == std::string(kSettingsRoot)) {
            continue;  // the switches are buttons, not elements
        }
        const std::string element = ElementOf(value.name);
        ASSERT_TRUE(page->Has(element)) << element;
        ++index;
        switch (value.kind) {
            case Kind::Flag:
                page->SetCheckState(element, index % 2);
                break;
            case Kind::Number:
                page->SetValue(element, std::to_string(100 + index));
                break;
            case Kind::Text:
                page->SetValue(element, "typed " + element);
                break;
        }
    }
    for (const char* drive : {"DC", "DD"}) {
        page->SetCheckState(drive, 1);
    }
    page->SetValue("AutoRestartFolder", "D:\\Kiosk Apps");
    page->Click("ButtonApply");
    world.RunFor(50);
    EXPECT_TRUE(world.MessageBoxes().empty());

    index = 0;
    for (const StoredValue& value : values) {
        if (value.key == std::string(kSettingsRoot)) {
            continue;
        }
        ++index;
        switch (value.kind) {
            case Kind::Flag:
                EXPECT_EQ(Number(value.key, value.name), static_cast<uint32_t>(index % 2))
                    << value.name;
                break;
            case Kind::Number:
                EXPECT_EQ(Number(value.key, value.name), static_cast<uint32_t>(100 + index))
                    << value.name;
                break;
            case Kind::Text:
                EXPECT_EQ(Text(value.key, value.name), "typed " + ElementOf(value.name))
                    << value.name;
                break;
        }
    }
    EXPECT_EQ(Number("Software\\Vemtrix\\Corvane\\Policies", "NoDrives"), 0xCu);
    // A folder is kept with its trailing backslash, and the page shows it so after a save.
    EXPECT_EQ(Text("Software\\Vemtrix\\Corvane\\AutoRestart", "Folder"), "D:\\Kiosk Apps\\");
    // A value without an element on the page is still written, as loaded.
    EXPECT_EQ(Number("Software\\Vemtrix\\Corvane\\HideGUI", "DisableSleepKey"), 0u);
}

TEST_F(Tabs, FreshPageShowsTheDefaultsAndTheFirstApplyStoresThem) {
    auto admin = Start("");
    sim::SimHtmlHost* page = PageOf(*admin);
    ASSERT_NE(page, nullptr);
    for (const char* ticked : {"FilterMoveable", "GUIAddressBar", "GUIMenuBar", "GUIStatusBar",
                               "GUIToolBar", "ShowTimerDialog"}) {
        EXPECT_EQ(page->CheckState(ticked), 1) << ticked;
    }
    EXPECT_EQ(page->CheckState("FilterShow"), 0);
    EXPECT_EQ(page->Value("ActivityTime"), "0");
    page->Click("ButtonApply");
    world.RunFor(50);
    const std::string lumbrel = "Software\\Vemtrix\\Corvane\\Lumbrel";
    EXPECT_EQ(Number(lumbrel, "FilterMoveable"), 1u);
    EXPECT_EQ(Number(lumbrel, "GUIToolBar"), 1u);
    EXPECT_EQ(Number(lumbrel, "FilterShow"), 0u);
    EXPECT_EQ(Number("Software\\Vemtrix\\Corvane\\Timers", "ShowTimerDialog"), 1u);
    EXPECT_EQ(Text(lumbrel, "ContentFile"), "");
}

TEST_F(Tabs, HandSetValuesAreShownAsTheExtensionLibraryReadsThem) {
    // Any non-zero flag is on; a drive mask's bits 26 to 31 name no drive.
    SetDWordValue(*Key("Software\\Vemtrix\\Corvane\\HideGUI"), "DisableAltKey", 4);
    SetDWordValue(*Key("Software\\Vemtrix\\Corvane\\Policies"), "NoDrives", 0xFC000002u);
    SetStringValue(*Key("Software\\Vemtrix\\Corvane\\Timers"), "ActivityDialogURL",
                   std::string(1024, 'u'));
    SetStringValue(*Key("Software\\Vemtrix\\Corvane\\Lumbrel"), "FilterTitle",
                   std::string(1023, 't'));
    auto admin = Start("");
    sim::SimHtmlHost* page = PageOf(*admin);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->CheckState("DisableAltKey"), 1);
    EXPECT_EQ(page->CheckState("DB"), 1);
    // 1,023 characters fit the buffer; 1,024 do not and read as empty, never cut.
    EXPECT_EQ(page->Value("FilterTitle"), std::string(1023, 't'));
    EXPECT_EQ(page->Value("ActivityDialogURL"), "");

    page->Click("ButtonApply");
    world.RunFor(50);
    EXPECT_EQ(Number("Software\\Vemtrix\\Corvane\\HideGUI", "DisableAltKey"), 1u);
    EXPECT_EQ(Number("Software\\Vemtrix\\Corvane\\Policies", "NoDrives"), 0x2u);
    // The text the page could not show is not lost by saving the empty field in its place;
    // one typed over it replaces it.
    platform::RawValue raw;
    ASSERT_EQ(Key("Software\\Vemtrix\\Corvane\\Timers")->QueryValue("ActivityDialogURL", 8192, raw),
              0);
    EXPECT_EQ(raw.size, 1025u * 2);
    page->SetValue("ActivityDialogURL", "http://kiosk/end.htm");
    page->Click("ButtonApply");
    world.RunFor(50);
    EXPECT_EQ(Text("Software\\Vemtrix\\Corvane\\Timers", "ActivityDialogURL"),
              "http://kiosk/end.htm");
}

TEST_F(Tabs, ANumberBoxHoldingTextIsRefusedOnceAndTheRestIsSaved) {
    auto admin = Start("");
    sim::SimHtmlHost* page = PageOf(*admin);
    ASSERT_NE(page, nullptr);
    page->SetValue("PolicyHeight", "300");
    page->SetValue("FilterWidth", "wide");
    page->SetValue("FilterTitle", "Refused");
    page->SetValue("InactivityTime", "120");
    page->Click("ButtonApply");
    world.RunFor(50);
    ASSERT_EQ(world.MessageBoxes().size(), 1u);
    EXPECT_EQ(LastBox()->text, "Please enter a positive integer.");
    const std::string lumbrel = "Software\\Vemtrix\\Corvane\\Lumbrel";
    // Before the faulty box its value is taken; after it the fields keep their values.
    EXPECT_EQ(Number(lumbrel, "PolicyHeight"), 300u);
    EXPECT_EQ(Number(lumbrel, "FilterWidth"), 0u);
    EXPECT_EQ(Text(lumbrel, "FilterTitle"), "");
    // Other tabs are saved as typed.
    EXPECT_EQ(Number("Software\\Vemtrix\\Corvane\\Timers", "InactivityTime"), 120u);
}

}  // namespace
}  // namespace corvane::scenario
