#include "app/accessibility_keys.h"

#include "common/registry_tree.h"
#include "common/settings_store.h"

namespace corvane {

namespace {

using platform::AccessibilityFeature;
constexpr platform::Hive kHive = platform::Hive::CurrentUser;

const char* FeatureName(AccessibilityFeature feature) {
    switch (feature) {
        case AccessibilityFeature::StickyKeys:
            return "StickyKeys";
        case AccessibilityFeature::FilterKeys:
            return "FilterKeys";
        case AccessibilityFeature::ToggleKeys:
            return "ToggleKeys";
        case AccessibilityFeature::MouseKeys:
            return "MouseKeys";
        case AccessibilityFeature::HighContrast:
            break;
    }
    return "HighContrast";
}

}  // namespace

void DisableAccessibilityHotKeys(platform::System& system, EventLog& log) {
    platform::RegistryKeyPtr saved;
    if (OpenForWriting(system.registry, kHive, kSavedAccessibilityKey, saved) != 0) {
        log.Warn("the accessibility hot keys stay on: their settings could not be saved");
        return;
    }
    for (const AccessibilityFeature feature : platform::kAccessibilityFeatures) {
        const char* name = FeatureName(feature);
        const auto flags = system.windows.GetAccessibilityFlags(feature);
        if (!flags) {
            log.Warn(std::string("the system refused to tell the ") + name + " settings");
            continue;
        }
        if ((*flags & platform::kHotKeyActive) == 0) {
            continue;  // off already: nothing to put back later
        }
        uint32_t already = 0;
        // A value saved by a user mode that never restored it is the original, not this.
        if (QueryDWordValue(*saved, name, already) != 0 &&
            SetDWordValue(*saved, name, *flags) != 0) {
            log.Warn(std::string("the ") + name + " hot key stays on: it could not be saved");
            continue;
        }
        if (!system.windows.SetAccessibilityFlags(feature, *flags & ~platform::kHotKeyActive)) {
            log.Warn(std::string("the system refused to switch the ") + name + " hot key off");
            continue;
        }
        log.Note(std::string("the ") + name + " hot key was switched off for this session");
    }
}

bool RestoreAccessibilityHotKeys(platform::System& system, EventLog& log) {
    platform::RegistryKeyPtr saved;
    if (OpenForReading(system.registry, kHive, kSavedAccessibilityKey, saved) != 0) {
        return true;  // nothing was saved
    }
    saved.reset();
    if (OpenForWriting(system.registry, kHive, kSavedAccessibilityKey, saved) != 0) {
        return false;
    }
    int left = 0;  // values still waiting for the next start
    for (const AccessibilityFeature feature : platform::kAccessibilityFeatures) {
        const char* name = FeatureName(feature);
        uint32_t original = 0;
        if (QueryDWordValue(*saved, name, original) != 0) {
            continue;
        }
        ++left;
        // Only the hot-key flag is user mode's; whatever else changed since stays.
        const uint32_t now = system.windows.GetAccessibilityFlags(feature).value_or(original);
        const uint32_t restored =
            (now & ~platform::kHotKeyActive) | (original & platform::kHotKeyActive);
        if (!system.windows.SetAccessibilityFlags(feature, restored)) {
            log.Warn(std::string("the system refused to put the ") + name +
                     " hot key back; the next start tries again");
            continue;
        }
        left -= saved->DeleteValue(name) == 0 ? 1 : 0;
        log.Note(std::string("the ") + name + " hot key was put back");
    }
    saved.reset();
    if (left == 0) {  // nothing of ours is left in the user's profile
        DeleteEmptyKeys(system.registry, kHive, kSavedAccessibilityKey, "Software");
    }
    return left == 0;
}

}  // namespace corvane
