// Corvane-<version>-setup.exe under Wine, silently, as a fleet installs it: what it puts in
// place, and that its uninstaller leaves nothing of ours but the settings tree.
// Usage: installer_wine_tests SETUP_EXE
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "common/settings_store.h"
#include "platform/win32/system.h"
#include "platform/win32/wide.h"
#include "platform/win32/windows_api.h"

namespace {

using platform::Hive;

std::string setupPath;

constexpr const char* kUninstallKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvane";
const char* const kFiles[] = {"Corvane.exe",          "CorvaneExt.dll",      "Lumbrel.dll",
                              "lumbrel-ruletest.exe", "corvane-cleanup.exe", "Uninstall.exe"};

class Installer : public testing::Test {
  protected:
    std::string Folder() {
        wchar_t path[MAX_PATH] = {};
        ExpandEnvironmentStringsW(L"%ProgramW6432%\\Corvane", path, MAX_PATH);
        return platform::win32::Narrow(path);
    }
    static bool Exists(const std::string& path) {
        return GetFileAttributesW(platform::win32::Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    bool KeyExists(const char* path) {
        platform::RegistryKeyPtr key;
        return corvane::OpenForReading(sys.registry, Hive::LocalMachine, path, key) == 0;
    }
    // What of ours the machine holds: each file, the folder, the entry in the list of
    // installed programs.
    std::vector<bool> Inventory() {
        std::vector<bool> found;
        for (const char* file : kFiles) {
            found.push_back(Exists(Folder() + "\\" + file));
        }
        found.push_back(Exists(Folder()));
        found.push_back(KeyExists(kUninstallKey));
        return found;
    }
    std::optional<uint32_t> Run(const std::string& commandLine) {
        auto process = sys.processes.StartProcess(commandLine);
        return process ? process->WaitForExit(60000) : std::nullopt;
    }

    platform::win32::Win32System system;
    platform::System& sys = system.Get();
};

TEST_F(Installer, ASilentInstallPutsInWhatItPromisesAndItsUninstallTakesItAllAway) {
    platform::RegistryKeyPtr key;
    ASSERT_EQ(
        corvane::OpenForWriting(sys.registry, Hive::LocalMachine, corvane::kSettingsRoot, key), 0);
    corvane::SetDWordValue(*key, "EnablePolicies", 1);  // an administrator's setting
    key.reset();
    const std::vector<bool> before = Inventory();
    ASSERT_EQ(before, std::vector<bool>(std::size(kFiles) + 2, false)) << "installed already";

    EXPECT_EQ(Run("\"" + setupPath + "\" /S"), 0u);
    EXPECT_EQ(Inventory(), std::vector<bool>(std::size(kFiles) + 2, true));
    EXPECT_EQ(
        corvane::ReadStringAt(sys.registry, Hive::LocalMachine, kUninstallKey, "DisplayVersion"),
        "1.0.0.5");
    EXPECT_EQ(corvane::ReadStringAt(sys.registry, Hive::LocalMachine, kUninstallKey,
                                    "QuietUninstallString"),
              "\"" + Folder() + "\\Uninstall.exe\" /S");
    EXPECT_GT(corvane::ReadDWordAt(sys.registry, Hive::LocalMachine, kUninstallKey, "EstimatedSize")
                  .value_or(0),
              1000u);  // kilobytes

    // The uninstaller hands over to a copy of itself and ends: wait for what it does.
    EXPECT_EQ(Run("\"" + Folder() + "\\Uninstall.exe\" /S"), 0u);
    for (int i = 0; i < 500 && Inventory() != before; ++i) {
        sys.processes.Sleep(20);
    }
    EXPECT_EQ(Inventory(), before);
    EXPECT_EQ(corvane::ReadDWordAt(sys.registry, Hive::LocalMachine, corvane::kSettingsRoot,
                                   "EnablePolicies"),
              1u);  // the settings tree stays
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: installer_wine_tests SETUP_EXE\n");
        return 2;
    }
    // CTest hands over a Unix path: Wine sees the root as drive Z.
    setupPath = argv[1];
    if (!setupPath.empty() && setupPath[0] == '/') {
        setupPath = "Z:" + setupPath;
        for (char& c : setupPath) {
            c = c == '/' ? '\\' : c;
        }
    }
    return RUN_ALL_TESTS();
}
