#include "browser/helper/helper_settings.h"

#include "common/root_values.h"
#include "common/settings_store.h"
#include "platform/constants.h"

namespace lumbrel {

corvane::LumbrelSettings HelperDefaults() {
    corvane::LumbrelSettings settings;
    settings.filterShow = 1;
    return settings;
}

int ReadSettings(platform::Registry& registry, corvane::LumbrelSettings& settings) {
    platform::RegistryKeyPtr key;
    // The settings live in the 64-bit view, which a 32-bit browser's helper must ask for.
    if (corvane::OpenForReading(registry, platform::Hive::LocalMachine, corvane::kLumbrelKey, key,
                                platform::reg::kWow64_64Key) != platform::error::kSuccess) {
        return 0;
    }
    corvane::LoadSettings<corvane::LumbrelSettings>(*key, settings, corvane::kLumbrelValues);
    return 1;
}

std::string ReadProgramPath(platform::Registry& registry) {
    platform::RegistryKeyPtr key;
    std::string path;
    if (corvane::OpenForReading(registry, platform::Hive::LocalMachine, corvane::kSettingsRoot, key,
                                platform::reg::kWow64_64Key) == platform::error::kSuccess) {
        corvane::ReadText(*key, corvane::root_value::kAppPath, path);
    }
    return path;
}

}  // namespace lumbrel
