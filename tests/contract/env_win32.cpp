// The contract tests on Windows: the peer is this program started again with --peer.
#include <gtest/gtest.h>

#include <vector>

#include "platform/win32/system.h"
#include "platform/win32/wide.h"
#include "platform/win32/windows_api.h"
#include "tests/contract/contract_env.h"

namespace contract {

namespace {

class Win32Env final : public Env {
  public:
    platform::System& Self() override { return system_.Get(); }

    std::unique_ptr<platform::Process> StartPeer(const std::string& role,
                                                 const std::string& argument) override {
        const std::string self = Self().processes.ModulePath();
        return Self().processes.StartProcess("\"" + self + "\" --peer " + role + " " + argument);
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

  private:
    platform::win32::Win32System system_;
};

}  // namespace

std::unique_ptr<Env> MakeEnv() {
    return std::make_unique<Win32Env>();
}

}  // namespace contract
