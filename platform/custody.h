// Who owns a file or folder and who may do what with it: its security descriptor, with the
// accounts as string SIDs. What decides whether a file only administrators may change, such
// as a compiled rule image, can be trusted.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

inline constexpr std::string_view kAdministratorsSid = "S-1-5-32-544";
inline constexpr std::string_view kSystemSid = "S-1-5-18";
inline constexpr std::string_view kUsersSid = "S-1-5-32-545";
inline constexpr std::string_view kTrustedInstallerSid =
    "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

// Access rights as Windows numbers them.
namespace rights {
inline constexpr uint32_t kWriteData = 0x0002;
inline constexpr uint32_t kAppendData = 0x0004;
inline constexpr uint32_t kDelete = 0x00010000;
inline constexpr uint32_t kWriteDac = 0x00040000;
inline constexpr uint32_t kWriteOwner = 0x00080000;
inline constexpr uint32_t kGenericAll = 0x10000000;
inline constexpr uint32_t kGenericWrite = 0x40000000;
inline constexpr uint32_t kFullControl = 0x001F01FF;  // FILE_ALL_ACCESS
inline constexpr uint32_t kReadAndExecute = 0x001200A9;
}  // namespace rights

struct AccessEntry {
    enum Kind : uint8_t { kAllow, kDeny, kOther };  // kOther: any other kind of entry
    Kind kind = kAllow;
    std::string sid;
    uint32_t mask = 0;
    bool inheritOnly = false;  // only for what is made inside, not for this one
};

struct Custody {
    std::string owner;
    bool hasList = true;  // false: no access list at all, so everyone may do anything
    std::vector<AccessEntry> entries;
};

// Owner Administrators; administrators and the system may do anything, users only read; its
// own list (nothing inherited), which what is made inside a folder inherits.
Custody AdministratorsOnly();

// Whether an account other than the Administrators group, the system and the installer
// service is an administrator (a member of the Administrators group).
using IsAdministrator = std::function<bool(std::string_view sid)>;

// Whether only administrators, the system and the installer service can change the contents
// or the permissions: the owner is one of them and no entry lets anyone else write. An entry
// of a kind this cannot read counts as letting anyone write.
bool OnlyAdministratorsMayChange(const Custody& custody, const IsAdministrator& isAdministrator);

}  // namespace platform
