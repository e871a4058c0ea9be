// Corvane-<version>-setup.exe under Wine, silently, as a fleet installs it: what it puts in
// place with and without its options, over an older install, and that its uninstaller leaves
// nothing of ours but the settings tree (and with /PURGE, not even that).
// Usage: installer_wine_tests SETUP_EXE
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "browser/filter/rule_file.h"
#include "browser/filter/rule_store.h"
#include "common/event_log.h"
#include "common/lumbrel_values.h"
#include "common/settings_store.h"
#include "platform/constants.h"
#include "platform/text.h"
#include "platform/win32/system.h"
#include "platform/win32/wide.h"
#include "platform/win32/windows_api.h"
#include "tests/wine/everyone_may_write.h"

namespace {

using platform::Hive;

std::string setupPath;
std::string browser64;  // lumbrel-browse of each build
std::string browser32;
// Whether this Wine runs 32-bit programs, as the project's Wine launcher found: where it does
// not, the i686 helper is installed but neither registered nor listed, and the install says so.
bool runs32 = true;

constexpr const char* kUninstallKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvane";
constexpr const char* kEventSourceKey =
    "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Corvane";
constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const kFiles[] = {
    "Corvane.exe",          "CorvaneExt.dll",      "Lumbrel.dll",           "x86\\Lumbrel.dll",
    "lumbrel-ruletest.exe", "corvane-cleanup.exe", "corvane-configure.exe", "Uninstall.exe"};
constexpr size_t kInventorySize = std::size(kFiles) + 6;
const std::string kListing =
    std::string(corvane::kBrowserHelperObjectsKey) + "\\" + corvane::kLumbrelClassId;
const std::string kServerKey =
    std::string("Software\\Classes\\CLSID\\") + corvane::kLumbrelClassId + "\\InprocServer32";

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
    bool KeyExists(const std::string& path, uint32_t view = 0) {
        platform::RegistryKeyPtr key;
        return sys.registry.OpenKey(Hive::LocalMachine, path, platform::reg::kRead | view, key) ==
               0;
    }
    // What of ours the machine holds: each file, the folder, the entry in the list of
    // installed programs, the event source, the helper's listing for 64-bit and 32-bit
    // browsers, and the start at logon.
    std::vector<bool> Inventory() {
        std::vector<bool> found;
        for (const char* file : kFiles) {
            found.push_back(Exists(Folder() + "\\" + file));
        }
        found.push_back(Exists(Folder()));
        found.push_back(KeyExists(kUninstallKey));
        found.push_back(KeyExists(kEventSourceKey));
        found.push_back(KeyExists(kListing));
        found.push_back(KeyExists(kListing, platform::reg::kWow64_32Key));
        found.push_back(corvane::ReadStringAt(sys.registry, Hive::LocalMachine, kRunKey, "Corvane")
                            .has_value());
        return found;
    }
    std::optional<uint32_t> Run(const std::string& commandLine) {
        auto process = sys.processes.StartProcess(commandLine);
        return process ? process->WaitForExit(60000) : std::nullopt;
    }
    // The uninstaller hands over to a copy of itself and ends: wait for what it does.
    void Uninstall(const std::vector<bool>& expected) {
        ASSERT_EQ(Run("\"" + Folder() + "\\Uninstall.exe\" /S"), 0u);
        for (int i = 0; i < 500 && Inventory() != expected; ++i) {
            sys.processes.Sleep(20);
        }
    }
    // Run in place (_?=), it ends only when all is done, but cannot remove itself.
    void UninstallInPlace(const std::string& options) {
        ASSERT_EQ(Run("\"" + Folder() + "\\Uninstall.exe\" /S" + options + " _?=" + Folder()), 0u);
        EXPECT_TRUE(DeleteFileW(platform::win32::Wide(Folder() + "\\Uninstall.exe").c_str()));
        EXPECT_TRUE(RemoveDirectoryW(platform::win32::Wide(Folder()).c_str()));
    }
    void SetSetting(const std::string& sub, const char* name, uint32_t value) {
        platform::RegistryKeyPtr key;
        ASSERT_EQ(corvane::OpenForWriting(sys.registry, Hive::LocalMachine,
                                          std::string(corvane::kSettingsRoot) + sub, key),
                  0);
        corvane::SetDWordValue(*key, name, value);
    }
    std::optional<uint32_t> Setting(const std::string& sub, const char* name) {
        return corvane::ReadDWordAt(sys.registry, Hive::LocalMachine,
                                    std::string(corvane::kSettingsRoot) + sub, name);
    }
    std::string ServerPath(uint32_t view) {
        platform::RegistryKeyPtr key;
        std::string path;
        uint32_t chars = 0;
        if (sys.registry.OpenKey(Hive::LocalMachine, kServerKey, platform::reg::kRead | view,
                                 key) == 0) {
            corvane::QueryStringValue(*key, "", path, 1024, chars);
        }
        return path;
    }
    // The machine a program is built for, from its PE header; 0 when it cannot be read.
    uint16_t MachineOf(const std::string& path) {
        std::string bytes;
        if (platform::ReadWholeFile(sys.files, path, bytes) != 0 || bytes.size() < 0x40) {
            return 0;
        }
        const auto at = [&bytes](size_t offset, size_t size) {
            uint32_t value = 0;
            for (size_t i = 0; i < size && offset + i < bytes.size(); ++i) {
                value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[offset + i])) << (8 * i);
            }
            return value;
        };
        const uint32_t header = at(0x3c, 4);
        return header + 6 <= bytes.size() && at(header, 4) == 0x4550 ? at(header + 4, 2) : 0;
    }
    std::string TempFile(const char* name) {
        wchar_t folder[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, folder);
        return platform::win32::Narrow(folder) + name;
    }

    platform::win32::Win32System system;
    platform::System& sys = system.Get();
};

TEST_F(Installer, ASilentInstallPutsInWhatItPromisesAndItsUninstallTakesItAllAway) {
    SetSetting("", "EnablePolicies", 1);  // an administrator's setting
    const std::vector<bool> before = Inventory();
    ASSERT_EQ(before, std::vector<bool>(kInventorySize, false)) << "installed already";

    EXPECT_EQ(Run("\"" + setupPath + "\" /S"), 0u);
    std::vector<bool> installed(kInventorySize, true);
    installed[kInventorySize - 3] = installed[kInventorySize - 2] = false;  // the helper is off
    installed[kInventorySize - 1] = false;                                  // no start at logon
    EXPECT_EQ(Inventory(), installed);
    EXPECT_EQ(
        corvane::ReadStringAt(sys.registry, Hive::LocalMachine, kUninstallKey, "DisplayVersion"),
        "1.0.0.5");
    EXPECT_EQ(corvane::ReadStringAt(sys.registry, Hive::LocalMachine, kUninstallKey,
                                    "QuietUninstallString"),
              "\"" + Folder() + "\\Uninstall.exe\" /S");
    EXPECT_GT(corvane::ReadDWordAt(sys.registry, Hive::LocalMachine, kUninstallKey, "EstimatedSize")
                  .value_or(0),
              1000u);  // kilobytes
    EXPECT_EQ(corvane::ReadStringAt(sys.registry, Hive::LocalMachine, kEventSourceKey,
                                    "EventMessageFile"),
              Folder() + "\\Corvane.exe");
    EXPECT_EQ(MachineOf(Folder() + "\\Uninstall.exe"), 0x8664);  // x86-64, as the setup is

    Uninstall(before);
    EXPECT_EQ(Inventory(), before);
    EXPECT_EQ(Setting("", "EnablePolicies"), 1u);  // the settings tree stays
}

// A fleet's install: the settings of another kiosk, the helper on and user mode at logon; the
// helper's two builds each registered for its own browser. /PURGE takes even the settings.
TEST_F(Installer, OptionsImportSettingsSwitchTheHelperOnAndStartAtLogonAndPurgeTakesAll) {
    SetSetting("\\Timers", "ActivityTime", 77);
    const std::string rules = TempFile("corvane-refuse-all.txt");
    FILE* out = _wfopen(platform::win32::Wide(rules).c_str(), L"wb");
    ASSERT_NE(out, nullptr);
    std::fputs("-all\r\n", out);
    std::fclose(out);
    SetSetting("\\Lumbrel", "FilterURLs", 1);
    SetSetting("\\Lumbrel", "FilterShow", 0);  // no message to answer
    {
        platform::RegistryKeyPtr key;
        ASSERT_EQ(
            corvane::OpenForWriting(sys.registry, Hive::LocalMachine, corvane::kLumbrelKey, key),
            0);
        corvane::SetStringValue(*key, "FilterURLFile", rules);
    }
    const std::string exported = TempFile("corvane-kiosk.reg");
    ASSERT_EQ(Run("reg export HKLM\\Software\\Vemtrix\\Corvane \"" + exported + "\" /y /reg:64"),
              0u);
    platform::RegistryKeyPtr parent;
    ASSERT_EQ(sys.registry.OpenKey(Hive::LocalMachine, "Software\\Vemtrix\\Corvane",
                                   platform::reg::kReadWrite, parent),
              0);
    ASSERT_EQ(parent->DeleteSubKey("Timers"), 0);
    parent.reset();
    const std::vector<bool> before = Inventory();

    EXPECT_EQ(Run("\"" + setupPath + "\" /S /LUMBREL /STARTATLOGON /SETTINGS=" + exported), 0u);
    std::vector<bool> installed(kInventorySize, true);
    installed[kInventorySize - 2] = runs32;  // the listing for 32-bit browsers
    EXPECT_EQ(Inventory(), installed);
    EXPECT_EQ(Setting("\\Timers", "ActivityTime"), 77u);
    EXPECT_EQ(Setting("", "EnableLumbrel"), 1u);
    EXPECT_EQ(Setting("", "UserModeLogon"), 1u);
    EXPECT_EQ(corvane::ReadStringAt(sys.registry, Hive::LocalMachine, kRunKey, "Corvane"),
              "\"" + Folder() + "\\Corvane.exe\" /user");
    EXPECT_EQ(platform::AsciiLower(ServerPath(0)),
              platform::AsciiLower(Folder() + "\\Lumbrel.dll"));
    EXPECT_EQ(platform::AsciiLower(ServerPath(platform::reg::kWow64_32Key)),
              runs32 ? platform::AsciiLower(Folder() + "\\x86\\Lumbrel.dll") : "");
    size_t saidSkipped = 0;
    for (const std::string& line : corvane::ReadEventLines(sys, 40)) {
        saidSkipped +=
            line.find("install: the browser helper for 32-bit browsers") != std::string::npos &&
            line.find("was not registered: this system runs no 32-bit programs") !=
                std::string::npos;
    }
    EXPECT_EQ(saidSkipped, runs32 ? 0u : 1u);
    // The imported list was compiled beside the programs for the browsers to map.
    EXPECT_EQ(sys.files.FindFiles(Folder() + "\\Rules\\*.lri").size(), 1u);
    EXPECT_TRUE(lumbrel::filter::LoadRuleList(sys.files, rules, Folder() + "\\Rules").fromImage);
    // Each browser's own helper reads the one settings tree: both refuse what the list refuses.
    std::vector<std::string> browsers = {browser64};
    if (runs32) {
        browsers.push_back(browser32);
    }
    const auto browse = [&](const std::string& browser) {
        const std::string output = TempFile("corvane-browse.txt");
        EXPECT_EQ(
            Run("cmd /c \"\"" + browser + "\" http://refused.example/ > \"" + output + "\"\""), 0u);
        std::string said;
        platform::ReadWholeFile(sys.files, output, said);
        DeleteFileW(platform::win32::Wide(output).c_str());
        return said;
    };
    for (const std::string& browser : browsers) {
        const std::string said = browse(browser);
        EXPECT_NE(said.find("REFUSED"), std::string::npos) << browser << ": " << said;
    }
    // An image of "+all" planted under this list's name and identity where users may change
    // it is not used: the browser still refuses.
    const std::optional<lumbrel::filter::SourceId> source =
        lumbrel::filter::HashRuleFile(sys.files, rules);
    ASSERT_TRUE(source);
    const std::string image = lumbrel::filter::ImagePathFor(Folder() + "\\Rules", *source);
    const lumbrel::filter::RuleList everything(lumbrel::filter::RuleLines({"+all"}), *source);
    ASSERT_EQ(sys.files.WriteWholeFile(image, everything.Image()), 0);
    ASSERT_EQ(corvane::testing::LetEveryoneWrite(image), 0u);
    EXPECT_EQ(lumbrel::filter::LoadRuleList(sys.files, rules, Folder() + "\\Rules").imageProblem,
              lumbrel::filter::ImageProblem::OpenToOthers);
    const std::string said = browse(browser64);
    EXPECT_NE(said.find("REFUSED"), std::string::npos) << said;

    UninstallInPlace(" /PURGE");
    EXPECT_EQ(Inventory(), before);
    EXPECT_FALSE(Exists(Folder() + "\\Rules"));
    EXPECT_EQ(ServerPath(0), "");
    EXPECT_EQ(ServerPath(platform::reg::kWow64_32Key), "");
    EXPECT_FALSE(KeyExists(corvane::kSettingsRoot));
    DeleteFileW(platform::win32::Wide(exported).c_str());
    DeleteFileW(platform::win32::Wide(rules).c_str());
}

// Over an older version: the settings stay, the programs are the new ones.
TEST_F(Installer, InstallingOverAnOlderVersionKeepsTheSettings) {
    SetSetting("", "EnableHideGUI", 1);
    const std::vector<bool> before = Inventory();
    ASSERT_EQ(Run("\"" + setupPath + "\" /S"), 0u);
    platform::RegistryKeyPtr entry;
    ASSERT_EQ(corvane::OpenForWriting(sys.registry, Hive::LocalMachine, kUninstallKey, entry), 0);
    corvane::SetStringValue(*entry, "DisplayVersion", "1.0.0.4");  // as the older one left it
    entry.reset();
    ASSERT_TRUE(DeleteFileW(platform::win32::Wide(Folder() + "\\x86\\Lumbrel.dll").c_str()));
    SetSetting("", "EnableTimers", 1);  // changed since

    EXPECT_EQ(Run("\"" + setupPath + "\" /S"), 0u);
    EXPECT_EQ(
        corvane::ReadStringAt(sys.registry, Hive::LocalMachine, kUninstallKey, "DisplayVersion"),
        "1.0.0.5");
    EXPECT_TRUE(Exists(Folder() + "\\x86\\Lumbrel.dll"));
    EXPECT_EQ(Setting("", "EnableHideGUI"), 1u);
    EXPECT_EQ(Setting("", "EnableTimers"), 1u);
    Uninstall(before);
    EXPECT_EQ(Inventory(), before);
}

// A settings file that would reach outside the tree is refused whole: the programs are
// installed, nothing of the file is written, the other options are carried out, and the exit
// code says so. A missing one stops the install before anything is put in.
TEST_F(Installer, ASettingsFileReachingOutsideTheTreeIsRefusedWhole) {
    const std::vector<bool> before = Inventory();
    const std::string file = TempFile("corvane-evil.reg");
    const std::string text =
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vemtrix\\Corvane]\r\n\"EnableTimers\"=dword:00000001\r\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"
        "\"Evil\"=\"C:\\\\evil.exe\"\r\n";
    FILE* out = _wfopen(platform::win32::Wide(file).c_str(), L"wb");
    ASSERT_NE(out, nullptr);
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);
    SetSetting("", "EnableTimers", 0);

    EXPECT_EQ(Run("\"" + setupPath + "\" /S /STARTATLOGON /SETTINGS=" + file), 3u);
    EXPECT_TRUE(Exists(Folder() + "\\Corvane.exe"));
    EXPECT_EQ(Setting("", "EnableTimers"), 0u);
    EXPECT_EQ(corvane::ReadStringAt(sys.registry, Hive::LocalMachine, kRunKey, "Evil"),
              std::nullopt);
    EXPECT_EQ(corvane::ReadStringAt(sys.registry, Hive::LocalMachine, kRunKey, "Corvane"),
              "\"" + Folder() + "\\Corvane.exe\" /user");
    SetSetting("", "UserModeLogon", 0);  // as it was

    // A backslash at the end of a comment does not hand the next key's values to the tree.
    {
        platform::RegistryKeyPtr key;
        ASSERT_EQ(
            corvane::OpenForWriting(sys.registry, Hive::LocalMachine, corvane::kSettingsRoot, key),
            0);
        corvane::SetStringValue(*key, "Password", "the administrator's");
    }
    const std::string continued =
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vemtrix\\Corvane]\r\n\"EnableTimers\"=dword:00000001\r\n"
        "; exported from kiosk 7 \\\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vemtrix\\Other]\r\n\"Password\"=-\r\n";
    out = _wfopen(platform::win32::Wide(file).c_str(), L"wb");
    ASSERT_NE(out, nullptr);
    std::fwrite(continued.data(), 1, continued.size(), out);
    std::fclose(out);
    EXPECT_EQ(Run("\"" + setupPath + "\" /S /SETTINGS=" + file), 3u);
    EXPECT_EQ(
        corvane::ReadStringAt(sys.registry, Hive::LocalMachine, corvane::kSettingsRoot, "Password"),
        "the administrator's");
    EXPECT_EQ(Setting("", "EnableTimers"), 0u);
    {
        platform::RegistryKeyPtr key;
        ASSERT_EQ(
            corvane::OpenForWriting(sys.registry, Hive::LocalMachine, corvane::kSettingsRoot, key),
            0);
        key->DeleteValue("Password");
    }
    Uninstall(before);
    EXPECT_EQ(Inventory(), before);

    EXPECT_EQ(Run("\"" + setupPath + "\" /S /SETTINGS=" + TempFile("no-such-file.reg")), 3u);
    EXPECT_EQ(Inventory(), before);
    DeleteFileW(platform::win32::Wide(file).c_str());
}

// The kiosk's account wrote its policies into its own hive; an administrator uninstalls. The
// cleanup reaches the account's hive whether it is logged on (the hive under HKEY_USERS) or off
// (its profile's file, loaded for the while). This Wine keeps a loaded hive in memory only and
// never writes it back to its file, so the logged-off case is shown by the load succeeding
// and the cleanup's word for it; what becomes of the file is proven on the sim.
TEST_F(Installer, TheUninstallReachesTheKioskAccountsHiveLoggedOnOrOff) {
    const std::string profile = "C:\\users\\corvane-kiosk-test";
    const std::string hive = profile + "\\NTUSER.DAT";
    const std::string profileKey =
        "Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\S-1-5-21-9-9-9-1001";
    CreateDirectoryW(platform::win32::Wide(profile).c_str(), nullptr);
    DeleteFileW(platform::win32::Wide(hive).c_str());
    {  // The account's hive, as its file holds it: a kiosk session's policies in it.
        HANDLE token = nullptr;
        ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token));
        TOKEN_PRIVILEGES backup{};
        backup.PrivilegeCount = 1;
        backup.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        LookupPrivilegeValueW(nullptr, SE_BACKUP_NAME, &backup.Privileges[0].Luid);
        AdjustTokenPrivileges(token, FALSE, &backup, 0, nullptr, nullptr);
        CloseHandle(token);
        HKEY seed = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\CorvaneHiveSeed", 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &seed, nullptr),
                  ERROR_SUCCESS);
        HKEY policy = nullptr;
        ASSERT_EQ(
            RegCreateKeyExW(seed, L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System",
                            0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &policy, nullptr),
            ERROR_SUCCESS);
        const DWORD one = 1;
        RegSetValueExW(policy, L"DisableTaskMgr", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one),
                       sizeof one);
        RegCloseKey(policy);
        // As user mode leaves it: the value was not there before it wrote it.
        HKEY before = nullptr;
        ASSERT_EQ(RegCreateKeyExW(seed, L"Software\\Vemtrix\\Corvane\\Policies Before", 0, nullptr,
                                  0, KEY_ALL_ACCESS, nullptr, &before, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(before, L"DisableTaskMgr", 0, REG_NONE, nullptr, 0);
        RegCloseKey(before);
        ASSERT_EQ(RegSaveKeyW(seed, platform::win32::Wide(hive).c_str(), nullptr), ERROR_SUCCESS);
        RegCloseKey(seed);
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\CorvaneHiveSeed");
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\CorvaneHiveSeed");
    }
    platform::RegistryKeyPtr key;
    ASSERT_EQ(corvane::OpenForWriting(sys.registry, Hive::LocalMachine, profileKey, key), 0);
    corvane::SetStringValue(*key, "ProfileImagePath", profile);
    key.reset();
    ASSERT_EQ(Run("\"" + setupPath + "\" /S"), 0u);

    // Logged off: the cleanup loads the file.
    const std::string said = TempFile("cleanup-said.txt");
    EXPECT_EQ(Run("cmd /c \"\"" + Folder() + "\\corvane-cleanup.exe\" > \"" + said + "\"\""), 0u);
    std::string text;
    platform::ReadWholeFile(sys.files, said, text);
    EXPECT_NE(text.find("the policy values of the profile " + profile + " were deleted"),
              std::string::npos)
        << text;
    DeleteFileW(platform::win32::Wide(said).c_str());

    // Logged on: its hive is under HKEY_USERS by its SID while the uninstaller runs.
    ASSERT_EQ(sys.registry.LoadUserHive("S-1-5-21-9-9-9-1001", hive), 0);
    const std::string systemPolicies =
        "S-1-5-21-9-9-9-1001\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
    ASSERT_EQ(corvane::ReadDWordAt(sys.registry, Hive::Users, systemPolicies, "DisableTaskMgr"),
              1u);
    UninstallInPlace("");
    EXPECT_EQ(corvane::ReadDWordAt(sys.registry, Hive::Users, systemPolicies, "DisableTaskMgr"),
              std::nullopt);
    EXPECT_EQ(sys.registry.UnloadUserHive("S-1-5-21-9-9-9-1001"), 0);

    platform::RegistryKeyPtr list;
    ASSERT_EQ(sys.registry.OpenKey(Hive::LocalMachine,
                                   "Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList",
                                   platform::reg::kReadWrite, list),
              0);
    list->DeleteSubKey("S-1-5-21-9-9-9-1001");
    DeleteFileW(platform::win32::Wide(hive).c_str());
    RemoveDirectoryW(platform::win32::Wide(profile).c_str());
}

// Wine's user is an administrator; a token with the Administrators group for deny only is
// what a standard user's programs have. Started with one, the installer refuses.
TEST_F(Installer, WithoutAdministratorRightsTheInstallerRefuses) {
    const std::vector<bool> before = Inventory();
    HANDLE own = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(),
                                 TOKEN_DUPLICATE | TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY, &own));
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                         DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                         &administrators));
    SID_AND_ATTRIBUTES denied{administrators, 0};
    HANDLE standard = nullptr;
    const BOOL made = CreateRestrictedToken(own, 0, 1, &denied, 0, nullptr, 0, nullptr, &standard);
    FreeSid(administrators);
    CloseHandle(own);
    ASSERT_TRUE(made);
    std::wstring command = platform::win32::Wide("\"" + setupPath + "\" /S");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    const BOOL ran = CreateProcessAsUserW(standard, nullptr, command.data(), nullptr, nullptr,
                                          FALSE, 0, nullptr, nullptr, &startup, &started);
    CloseHandle(standard);
    ASSERT_TRUE(ran) << GetLastError();
    WaitForSingleObject(started.hProcess, 60000);
    DWORD code = 0;
    GetExitCodeProcess(started.hProcess, &code);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    EXPECT_EQ(code, 740u);
    EXPECT_EQ(Inventory(), before);
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: installer_wine_tests SETUP_EXE BROWSE64_EXE BROWSE32_EXE\n");
        return 2;
    }
    // CTest hands over Unix paths: Wine sees the root as drive Z.
    const auto windowsPath = [](std::string path) {
        if (!path.empty() && path[0] == '/') {
            path = "Z:" + path;
            for (char& c : path) {
                c = c == '/' ? '\\' : c;
            }
        }
        return path;
    };
    setupPath = windowsPath(argv[1]);
    browser64 = windowsPath(argv[2]);
    browser32 = windowsPath(argv[3]);
    wchar_t said[256] = {};
    const DWORD length = GetEnvironmentVariableW(L"CORVANE_WINE_32BIT", said, 256);
    runs32 = length == 0 || length >= 256 || std::wstring_view(said, 3) != L"no:";
    if (!runs32) {
        std::printf("This Wine runs no 32-bit programs (%s): the 32-bit browser is not tried.\n",
                    platform::win32::Narrow(said).c_str());
    }
    return RUN_ALL_TESTS();
}
