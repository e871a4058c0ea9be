#include "browser/helper/helper_settings.h"

#include "common/settings_store.h"

namespace lumbrel {

corvane::LumbrelSettings HelperDefaults() {
    corvane::LumbrelSettings settings;
    settings.filterShow = 1;
    return settings;
}

int ReadSettings(platform::Registry& registry, corvane::LumbrelSettings& settings) {
    platform::RegistryKeyPtr key;
    if (corvane::OpenForReading(registry, platform::Hive::LocalMachine, corvane::kLumbrelKey,
                                key) != platform::error::kSuccess) {
        return 0;
    }
    corvane::LoadSettings<corvane::LumbrelSettings>(*key, settings, corvane::kLumbrelValues);
    return 1;
}

}  // namespace lumbrel
