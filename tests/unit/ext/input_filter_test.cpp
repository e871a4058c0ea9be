// Every row of the key and mouse tables, and how the rules meet the activity and override posts.
#include <gtest/gtest.h>

#include <cstring>

#include "ext/input_filter.h"
#include "platform/constants.h"

namespace corvane::ext {
namespace {

namespace vk = platform::vk;
namespace mouse = platform::mouse;
constexpr uint32_t kExt = platform::llkhf::kExtended;

ExtSettings With(const char* setting) {
    ExtSettings settings;
    for (const HideGuiValue& value : kHideGuiValues) {
        if (std::strcmp(value.value, setting) == 0) {
            settings.hideGui.*value.flag = 1;
        }
    }
    return settings;
}

struct Row {
    const char* setting;
    uint32_t key;
    uint32_t flags;
    Modifiers modifiers;
    uint32_t otherKey;  // the same modifiers but this key passes
    Modifiers without;  // the key without what makes the rule hold: it passes
};

constexpr Modifiers kNone{};
constexpr Modifiers kCtrl{true, false, false};
constexpr Modifiers kAlt{false, true, false};
constexpr Modifiers kShift{false, false, true};
constexpr Modifiers kCtrlShift{true, false, true};

const Row kRows[] = {
    {"DisableCtrlKey", 'C', 0, kCtrl, 'C', kNone},
    {"DisableAltKey", vk::kF12, 0, kAlt, 'X', kShift},
    {"DisableCtrlEsc", vk::kEscape, 0, kCtrl, 'C', kNone},
    {"DisableWindowsKey", vk::kLWin, kExt, kNone, vk::kApps, kNone},
    {"DisableWindowsKey", vk::kRWin, 0, kNone, vk::kApps, kNone},
    {"DisableApplicationsKey", vk::kApps, kExt, kNone, vk::kLWin, kNone},
    {"DisableShiftEnter", vk::kReturn, 0, kShift, 'A', kNone},
    {"DisableTaskSwitching", vk::kTab, 0, kAlt, vk::kSpace, kNone},
    {"DisableTaskSwitching", vk::kEscape, 0, kAlt, vk::kSpace, kNone},
    {"DisableAltSpace", vk::kSpace, 0, kAlt, vk::kTab, kNone},
    {"DisableSleepKey", 0x5F, kExt, kNone, 0xA6, kNone},
    {"DisableBrowserBackKey", 0xA6, kExt, kNone, 0xA7, kNone},
    {"DisableBrowserForwardKey", 0xA7, kExt, kNone, 0xA6, kNone},
    {"DisableBrowserRefreshKey", 0xA8, kExt, kNone, 0xA6, kNone},
    {"DisableBrowserStopKey", 0xA9, kExt, kNone, 0xA6, kNone},
    {"DisableBrowserSearchKey", 0xAA, kExt, kNone, 0xA6, kNone},
    {"DisableBrowserFavoritesKey", 0xAB, kExt, kNone, 0xA6, kNone},
    {"DisableBrowserHomeKey", 0xAC, kExt, kNone, 0xA6, kNone},
    {"DisableVolumeMuteKey", 0xAD, kExt, kNone, 0xA6, kNone},
    {"DisableVolumeDownKey", 0xAE, kExt, kNone, 0xA6, kNone},
    {"DisableVolumeUpKey", 0xAF, kExt, kNone, 0xA6, kNone},
    {"DisableMediaNextKey", 0xB0, kExt, kNone, 0xA6, kNone},
    {"DisableMediaPreviousKey", 0xB1, kExt, kNone, 0xA6, kNone},
    {"DisableMediaStopKey", 0xB2, kExt, kNone, 0xA6, kNone},
    {"DisableMediaPlayPauseKey", 0xB3, kExt, kNone, 0xA6, kNone},
    {"DisableLaunchMailKey", 0xB4, kExt, kNone, 0xA6, kNone},
    {"DisableLaunchMediaKey", 0xB5, kExt, kNone, 0xA6, kNone},
    {"DisableLaunchApp1Key", 0xB6, kExt, kNone, 0xA6, kNone},
    {"DisableLaunchApp2Key", 0xB7, kExt, kNone, 0xA6, kNone},
    {"DisableHelpKey", vk::kF1, 0, kNone, vk::kF5, kNone},
    {"DisableMenuKeys", vk::kF10, 0, kNone, vk::kF5, kNone},
    {"DisableShiftF10", vk::kF10, 0, kShift, 'A', kNone},
    {"DisableFullScreenKey", vk::kF11, 0, kNone, vk::kF5, kNone},
    {"DisableDevToolsKey", vk::kF12, 0, kNone, vk::kF5, kNone},
    {"DisableDevToolsKey", 'I', 0, kCtrlShift, 'J', kCtrl},
    {"DisableBrowserShortcuts", 'O', 0, kCtrl, 'C', kNone},
    {"DisableBrowserShortcuts", 'N', 0, kCtrl, 'V', kNone},
    {"DisableBrowserShortcuts", 'P', 0, kCtrl, 'X', kNone},
    {"DisableBrowserShortcuts", 'S', 0, kCtrl, 'A', kNone},
    {"DisableBrowserShortcuts", 'L', 0, kCtrl, 'Z', kNone},
    {"DisableBrowserShortcuts", 'W', 0, kCtrl, 'C', kNone},
    {"DisableBrowserShortcuts", vk::kF4, 0, kAlt, vk::kF5, kNone},
    {"DisableBrowserShortcuts", vk::kF4, 0, kCtrl, vk::kF5, kNone},
};

TEST(KeyFilter, EveryRowSwallowsItsKeyAndOnlyItsKey) {
    for (const Row& row : kRows) {
        const ExtSettings on = With(row.setting);
        SCOPED_TRACE(row.setting);
        EXPECT_TRUE(FilterKey(row.key, row.flags, row.modifiers, on).swallow);
        EXPECT_FALSE(FilterKey(row.key, row.flags, row.modifiers, ExtSettings{}).swallow);
        EXPECT_FALSE(FilterKey(row.otherKey, row.flags, row.without, on).swallow);
        if (row.flags == 0 && (row.modifiers.ctrl || row.modifiers.alt || row.modifiers.shift)) {
            EXPECT_FALSE(FilterKey(row.key, row.flags, row.without, on).swallow);
        }
        // A release always passes, also of a key whose press was swallowed.
        EXPECT_FALSE(
            FilterKey(row.key, row.flags | platform::llkhf::kUp, row.modifiers, on).swallow);
    }
}

TEST(KeyFilter, SpecialKeysOnlyAsTheKeyboardSendsThem) {
    const ExtSettings on = With("DisableVolumeUpKey");
    EXPECT_TRUE(FilterKey(vk::kVolumeUp, 0x01, kNone, on).swallow);
    EXPECT_FALSE(FilterKey(vk::kVolumeUp, 0x00, kNone, on).swallow);
    EXPECT_FALSE(FilterKey(vk::kVolumeUp, 0x11, kNone, on).swallow);  // injected by a program
    EXPECT_FALSE(FilterKey(vk::kVolumeUp, 0x21, kNone, on).swallow);
}

TEST(KeyFilter, EscAloneAndOrdinaryKeysPass) {
    ExtSettings all;
    for (const HideGuiValue& value : kHideGuiValues) {
        all.hideGui.*value.flag = 1;
    }
    EXPECT_FALSE(FilterKey(vk::kEscape, 0, kNone, all).swallow);
    EXPECT_FALSE(FilterKey('A', 0, kShift, all).swallow);
    EXPECT_FALSE(FilterKey(vk::kF5, 0, kNone, all).swallow);
}

TEST(KeyFilter, ActivityComesFirstAndOverrideLast) {
    ExtSettings s = With("DisableWindowsKey");
    s.enableTimers = 1;
    s.hideGui.enableOverrides = 1;
    // A swallowed press still counts as activity; a release never does.
    const FilterActions win = FilterKey(vk::kLWin, kExt, kNone, s);
    EXPECT_TRUE(win.swallow);
    EXPECT_TRUE(win.postActivity);
    EXPECT_FALSE(FilterKey('A', platform::llkhf::kUp, kNone, s).postActivity);
    // Shift+F12 asks for the page and still passes.
    const FilterActions f12 = FilterKey(vk::kF12, 0, kShift, s);
    EXPECT_TRUE(f12.postOverride);
    EXPECT_FALSE(f12.swallow);
    EXPECT_FALSE(FilterKey(vk::kF12, 0, kNone, s).postOverride);
    EXPECT_FALSE(FilterKey(vk::kF12, platform::llkhf::kUp, kShift, s).postOverride);
    // Alt+Shift+F12 with the Alt rule on: swallowed by it, and no request.
    s.hideGui.disableAltKey = 1;
    const FilterActions altShiftF12 = FilterKey(vk::kF12, 0, {false, true, true}, s);
    EXPECT_TRUE(altShiftF12.swallow);
    EXPECT_FALSE(altShiftF12.postOverride);
    // The developer tools rule leaves Shift+F12 to the administrator.
    s.hideGui.disableAltKey = 0;
    s.hideGui.disableDevToolsKey = 1;
    EXPECT_TRUE(FilterKey(vk::kF12, 0, kNone, s).swallow);
    const FilterActions shiftF12 = FilterKey(vk::kF12, 0, kShift, s);
    EXPECT_FALSE(shiftF12.swallow);
    EXPECT_TRUE(shiftF12.postOverride);
    s.hideGui.enableOverrides = 0;
    EXPECT_FALSE(FilterKey(vk::kF12, 0, kShift, s).postOverride);
    s.enableTimers = 0;
    EXPECT_FALSE(FilterKey('A', 0, kNone, s).postActivity);
}

// PrintScreen copies the screen on its release, and an Alt released right after its own press
// opens the menu bar: those releases are held back too; every other release passes.
TEST(KeyFilter, PrintScreenAndAnAltAloneAreStoppedOnTheirRelease) {
    constexpr uint32_t kUp = platform::llkhf::kUp;
    const ExtSettings print = With("DisablePrintScreenKey");
    EXPECT_TRUE(FilterKey(vk::kSnapshot, 0, kNone, print).swallow);
    EXPECT_TRUE(FilterKey(vk::kSnapshot, 0, kAlt, print).swallow);
    EXPECT_TRUE(FilterKey(vk::kSnapshot, kUp, kNone, print).swallow);
    EXPECT_FALSE(FilterKey(vk::kSnapshot, kUp, kNone, ExtSettings{}).swallow);

    const ExtSettings menu = With("DisableMenuKeys");
    for (const uint32_t alt : {vk::kLMenu, vk::kRMenu, vk::kMenu}) {
        const FilterActions alone = FilterKey(alt, kUp, kNone, menu, alt);
        EXPECT_TRUE(alone.swallow);
        EXPECT_TRUE(alone.maskMenu);
        EXPECT_FALSE(FilterKey(alt, 0, kNone, menu, alt).swallow);  // its presses pass
    }
    // After Alt+Tab, or after the masking key itself, the release passes.
    EXPECT_FALSE(FilterKey(vk::kLMenu, kUp, kNone, menu, vk::kTab).maskMenu);
    EXPECT_FALSE(FilterKey(vk::kLMenu, kUp, kNone, menu, kMenuMaskKey).swallow);
    EXPECT_FALSE(FilterKey(vk::kLMenu, kUp, kNone, ExtSettings{}, vk::kLMenu).swallow);
    EXPECT_FALSE(FilterKey(vk::kF10, kUp, kNone, menu, vk::kF10).swallow);
}

TEST(MouseFilter, MiddleClicksAndCtrlClicksWhenAsked) {
    ExtSettings s;
    s.enableTimers = 1;
    s.hideGui.disableMiddleClick = 1;
    for (const uint32_t message : {mouse::kMButtonDown, mouse::kMButtonUp, mouse::kMButtonDblClk}) {
        EXPECT_TRUE(FilterMouse(message, false, s).swallow);
        EXPECT_FALSE(FilterMouse(message, false, ExtSettings{}).swallow);
    }
    s.hideGui.disableCtrlClick = 1;
    EXPECT_TRUE(FilterMouse(mouse::kLButtonDown, false, s, true).swallow);
    EXPECT_TRUE(FilterMouse(mouse::kLButtonDown, false, s, true).postActivity);
    EXPECT_TRUE(FilterMouse(mouse::kLButtonUp, false, s, true).swallow);
    EXPECT_FALSE(FilterMouse(mouse::kLButtonDown, false, s, false).swallow);
    EXPECT_FALSE(FilterMouse(mouse::kRButtonDown, false, s, true).swallow);
}

TEST(MouseFilter, TheMouseTable) {
    ExtSettings s;
    s.enableTimers = 1;
    s.hideGui.disableRightClick = 1;
    s.hideGui.disableShiftLeftClick = 1;
    struct MouseRow {
        uint32_t message;
        bool activity;
        bool swallowedWithShift;
        bool swallowedWithout;
    };
    const MouseRow rows[] = {
        {mouse::kMove, true, false, false},          {mouse::kLButtonDown, true, true, false},
        {mouse::kLButtonUp, false, true, false},     {mouse::kLButtonDblClk, true, false, false},
        {mouse::kRButtonDown, true, true, true},     {mouse::kRButtonUp, false, true, true},
        {mouse::kRButtonDblClk, true, false, false}, {mouse::kMButtonDown, false, false, false},
        {mouse::kWheel, false, false, false},
    };
    for (const MouseRow& row : rows) {
        SCOPED_TRACE(row.message);
        EXPECT_EQ(FilterMouse(row.message, true, s).postActivity, row.activity);
        EXPECT_EQ(FilterMouse(row.message, true, s).swallow, row.swallowedWithShift);
        EXPECT_EQ(FilterMouse(row.message, false, s).swallow, row.swallowedWithout);
        EXPECT_FALSE(FilterMouse(row.message, true, ExtSettings{}).swallow);
        EXPECT_FALSE(FilterMouse(row.message, true, ExtSettings{}).postActivity);
    }
}

}  // namespace
}  // namespace corvane::ext
