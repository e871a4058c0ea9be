#include "app/corvane_dlg.h"
#include "common/settings_store.h"

namespace corvane {

namespace {

// A buffer of 100 bytes: 49 characters and the terminator.
constexpr uint32_t kVersionChars = 50;

std::string ReadMachineText(platform::Registry& registry, const char* path, const char* name) {
    platform::RegistryKeyPtr key;
    std::string text;
    if (OpenForReading(registry, platform::Hive::LocalMachine, path, key) == 0) {
        ReadText(*key, name, text, kVersionChars);
    }
    return text;
}

}  // namespace

std::string ReadWindowsVersion(platform::Registry& registry) {
    return ReadMachineText(registry, "Software\\Microsoft\\Windows NT\\CurrentVersion",
                           "ProductName");
}

std::string ReadBrowserVersion(platform::Registry& registry) {
    return ReadMachineText(registry, "SOFTWARE\\Microsoft\\Internet Explorer", "Version");
}

}  // namespace corvane
