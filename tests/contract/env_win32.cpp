// The contract tests on Windows: the peer is this program started again with --peer.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

#include "platform/win32/ole_scope.h"
#include "platform/win32/system.h"
#include "platform/win32/wide.h"
#include "platform/win32/windows_api.h"
#include "tests/contract/contract_env.h"
#include "tests/wine/everyone_may_write.h"
#include "tests/wine/make_shortcut.h"
// after windows.h, which it needs
#include <shlobj.h>

namespace contract {

namespace {

struct DialogSearch {
    const std::wstring& text;
    HWND found = nullptr;
};

// The window calling convention, which a lambda cannot carry on i686.
BOOL CALLBACK CheckDialog(HWND window, LPARAM parameter) {
    auto& s = *reinterpret_cast<DialogSearch*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (process == GetCurrentProcessId() && std::wstring(className) == L"#32770" &&
        FindWindowExW(window, nullptr, nullptr, s.text.c_str()) != nullptr) {
        s.found = window;
        return FALSE;
    }
    return TRUE;
}

// A dialog of this process with a child window that shows `text`.
HWND DialogShowing(const std::wstring& text) {
    DialogSearch search{text};
    EnumWindows(CheckDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Reads a (sz_Or_Ord) field of a dialog template: none, an ordinal, or a text.
const WORD* SkipNameOrOrdinal(const WORD* p, std::wstring* text = nullptr) {
    if (*p == 0x0000) {
        return p + 1;
    }
    if (*p == 0xFFFF) {
        return p + 2;
    }
    const WORD* start = p;
    while (*p != 0) {
        ++p;
    }
    if (text != nullptr) {
        text->assign(reinterpret_cast<const wchar_t*>(start), static_cast<size_t>(p - start));
    }
    return p + 1;
}

// A compiled module's resources, loaded as data.
class ModuleResources final : public ProgramResources {
  public:
    explicit ModuleResources(const std::string& path)
        : module_(LoadLibraryExW(platform::win32::Wide(path).c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE)),
          strings_(module_) {
        EXPECT_NE(module_, nullptr) << path;
    }
    ~ModuleResources() override {
        if (module_ != nullptr) {
            FreeLibrary(module_);
        }
    }
    ModuleResources(const ModuleResources&) = delete;
    ModuleResources& operator=(const ModuleResources&) = delete;

    std::string String(uint32_t id) const override { return strings_.LoadString(id); }

    std::optional<DialogHeader> Dialog(uint32_t id) const override {
        HRSRC found = FindResourceW(module_, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));
        HGLOBAL loaded = found ? LoadResource(module_, found) : nullptr;
        const auto* p = loaded ? static_cast<const WORD*>(LockResource(loaded)) : nullptr;
        if (p == nullptr) {
            return std::nullopt;
        }
        DialogHeader header;
        const bool extended = p[1] == 0xFFFF;
        DWORD style = 0;
        const short* box = nullptr;
        if (extended) {  // DLGTEMPLATEEX: version, signature, help id, extended style, style
            std::memcpy(&style, p + 6, sizeof style);
            box = reinterpret_cast<const short*>(p + 9);  // after the item count
        } else {  // DLGTEMPLATE: style, extended style, item count
            std::memcpy(&style, p, sizeof style);
            box = reinterpret_cast<const short*>(p + 5);
        }
        header.style = style;
        header.width = box[2];
        header.height = box[3];
        const WORD* rest = reinterpret_cast<const WORD*>(box + 4);
        rest = SkipNameOrOrdinal(rest);  // menu
        rest = SkipNameOrOrdinal(rest);  // class
        std::wstring caption;
        SkipNameOrOrdinal(rest, &caption);
        header.caption = platform::win32::Narrow(caption);
        return header;
    }

  private:
    HMODULE module_;
    platform::win32::Win32Resources strings_;
};

class Win32Env final : public Env {
  public:
    platform::System& Self() override { return system_.Get(); }

    std::unique_ptr<platform::Process> StartPeer(const std::string& role,
                                                 const std::string& argument) override {
        const std::string self = Self().processes.ModulePath();
        return Self().processes.StartProcess("\"" + self + "\" --peer " + role + " " + argument);
    }

    std::unique_ptr<ProgramResources> Resources(const std::string&,
                                                const std::string& module) override {
        std::string path = Self().processes.ModulePath();
        path = path.substr(0, path.find_last_of('\\') + 1) + module;
        return std::make_unique<ModuleResources>(path);
    }

    std::shared_ptr<void> AnswerMessageBoxWhen(const std::string& caption, int button,
                                               std::function<bool()> ready) override {
        auto user = std::make_shared<std::thread>([caption, button, ready] {
            HWND box = nullptr;
            for (int i = 0; i < 500 && box == nullptr; ++i) {
                box = FindWindowW(L"#32770", platform::win32::Wide(caption).c_str());
                if (box == nullptr) {
                    Sleep(20);
                }
            }
            for (int i = 0; i < 500 && box != nullptr && !ready(); ++i) {
                Sleep(20);
            }
            if (box != nullptr) {
                PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(button), 0);
            }
        });
        return std::shared_ptr<void>(user.get(), [user](void*) { user->join(); });
    }

    std::shared_ptr<void> AnswerFolderBrowser(const std::string& title,
                                              std::optional<std::string> folder) override {
        auto user = std::make_shared<std::thread>([title, folder] {
            HWND browser = nullptr;
            for (int i = 0; i < 500 && browser == nullptr; ++i) {
                browser = DialogShowing(platform::win32::Wide(title));
                if (browser == nullptr) {
                    Sleep(20);
                }
            }
            if (browser == nullptr) {
                return;
            }
            if (folder) {
                const std::wstring path = platform::win32::Wide(*folder);
                SendMessageW(browser, BFFM_SETSELECTIONW, TRUE,
                             reinterpret_cast<LPARAM>(path.c_str()));
            }
            PostMessageW(browser, WM_COMMAND, folder ? IDOK : IDCANCEL, 0);
        });
        return std::shared_ptr<void>(user.get(), [user](void*) { user->join(); });
    }

    std::string PeerProgram() override { return Self().processes.ModulePath(); }

    void DenyAccess(platform::Hive hive, const std::string& path, uint32_t rights) override {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(reinterpret_cast<HKEY>(static_cast<uintptr_t>(hive)),
                                  platform::win32::Wide(path).c_str(), 0, nullptr, 0,
                                  KEY_READ | WRITE_DAC, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        // Everyone: these rights denied, then everything else allowed.
        SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
        PSID everyone = nullptr;
        ASSERT_TRUE(AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0,
                                             &everyone));
        std::vector<BYTE> buffer(sizeof(ACL) +
                                 2 * (sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(everyone)));
        auto* acl = reinterpret_cast<PACL>(buffer.data());
        SECURITY_DESCRIPTOR descriptor;
        const bool built =
            InitializeAcl(acl, static_cast<DWORD>(buffer.size()), ACL_REVISION) &&
            AddAccessDeniedAce(acl, ACL_REVISION, rights, everyone) &&
            AddAccessAllowedAce(acl, ACL_REVISION, KEY_ALL_ACCESS, everyone) &&
            InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
            SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE);
        const LONG set = built ? RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor)
                               : ERROR_INVALID_PARAMETER;
        FreeSid(everyone);
        RegCloseKey(key);
        ASSERT_EQ(set, ERROR_SUCCESS);
    }

    void LetEveryoneWrite(const std::string& path) override {
        ASSERT_EQ(corvane::testing::LetEveryoneWrite(path), 0u);
    }

    bool IsWine() const override {
        const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }

    std::string ScratchFolder() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        const std::wstring folder = std::wstring(temp) + L"corvane-contract-" +
                                    platform::win32::Wide(info->name()) + L"-" +
                                    std::to_wstring(GetCurrentProcessId());
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);  // what an earlier run left
        CreateDirectoryW(folder.c_str(), nullptr);
        return platform::win32::Narrow(folder);
    }
    void PutFile(const std::string& path, const std::string& bytes) override {
        HANDLE file = CreateFileW(platform::win32::Wide(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
        ASSERT_EQ(written, bytes.size());
    }
    void MakeFolder(const std::string& path) override {
        ASSERT_TRUE(CreateDirectoryW(platform::win32::Wide(path).c_str(), nullptr));
        madeFolders_.push_back(platform::win32::Wide(path));
    }
    void PutShortcut(const std::string& path, const std::string& target,
                     const std::string& arguments) override {
        using platform::win32::Wide;
        ASSERT_TRUE(corvane::testing::MakeShortcut(Wide(path), Wide(target), Wide(arguments)));
    }
    std::shared_ptr<void> HoldForWriting(const std::string& path) override {
        HANDLE file = CreateFileW(platform::win32::Wide(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE);
        return std::shared_ptr<void>(file, [](void* handle) {
            if (handle != INVALID_HANDLE_VALUE) {
                CloseHandle(handle);
            }
        });
    }

    ~Win32Env() override {
        // Newest first, so a folder made inside another goes before it; only empty ones go.
        for (auto it = madeFolders_.rbegin(); it != madeFolders_.rend(); ++it) {
            RemoveDirectoryW(it->c_str());
        }
    }

  private:
    platform::win32::OleScope ole_;  // the shell's link object is a COM object
    platform::win32::Win32System system_;
    std::vector<std::wstring> madeFolders_;
};

}  // namespace

std::unique_ptr<Env> MakeEnv() {
    return std::make_unique<Win32Env>();
}

}  // namespace contract
