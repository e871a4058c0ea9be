// Owners and access lists of files, in the portable form the decisions read.
#include "platform/win32/file_system.h"
#include "platform/win32/wide.h"
#include "platform/win32/windows_api.h"
// after windows.h, which they need
#include <aclapi.h>
#include <lm.h>
#include <sddl.h>

#include <memory>

namespace platform::win32 {

namespace {

struct LocalFreer {
    void operator()(void* memory) const { LocalFree(memory); }
};
template <typename T>
using LocalMemory = std::unique_ptr<T, LocalFreer>;

std::string SidText(PSID sid) {
    LPWSTR text = nullptr;
    if (sid == nullptr || !ConvertSidToStringSidW(sid, &text)) {
        return {};
    }
    const LocalMemory<wchar_t> owned(text);
    return Narrow(text);
}

AccessEntry EntryOf(const ACE_HEADER* header) {
    AccessEntry entry;
    entry.inheritOnly = (header->AceFlags & INHERIT_ONLY_ACE) != 0;
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE && header->AceType != ACCESS_DENIED_ACE_TYPE) {
        entry.kind = AccessEntry::kOther;
        return entry;
    }
    // Allow and deny entries share one layout.
    const auto* ace = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header);
    entry.kind =
        header->AceType == ACCESS_ALLOWED_ACE_TYPE ? AccessEntry::kAllow : AccessEntry::kDeny;
    entry.mask = ace->Mask;
    entry.sid = SidText(const_cast<DWORD*>(&ace->SidStart));
    return entry;
}

struct NetBufferFreer {
    void operator()(void* buffer) const { NetApiBufferFree(buffer); }
};

// The account's SID as text; empty when the name is not known.
std::string SidOfAccount(const wchar_t* name) {
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof sid;
    wchar_t domain[256];
    DWORD domainSize = 256;
    SID_NAME_USE use;
    if (!LookupAccountNameW(nullptr, name, sid, &sidSize, domain, &domainSize, &use)) {
        return {};
    }
    return SidText(sid);
}

}  // namespace

std::vector<std::string> Win32FileSystem::AdministratorAccounts() {
    // The group is named in the system's language: ask for its name by its SID.
    PSID group = nullptr;
    if (!ConvertStringSidToSidW(Wide(kAdministratorsSid).c_str(), &group)) {
        return {};
    }
    const LocalMemory<void> ownedGroup(group);
    wchar_t name[256];
    DWORD nameSize = 256;
    wchar_t domain[256];
    DWORD domainSize = 256;
    SID_NAME_USE use;
    if (!LookupAccountSidW(nullptr, group, name, &nameSize, domain, &domainSize, &use)) {
        return {};
    }
    LOCALGROUP_MEMBERS_INFO_3* members = nullptr;
    DWORD read = 0;
    DWORD total = 0;
    const NET_API_STATUS status =
        NetLocalGroupGetMembers(nullptr, name, 3, reinterpret_cast<BYTE**>(&members),
                                MAX_PREFERRED_LENGTH, &read, &total, nullptr);
    const std::unique_ptr<void, NetBufferFreer> ownedMembers(members);
    std::vector<std::string> sids;
    if (status != NERR_Success || members == nullptr) {
        return sids;
    }
    for (DWORD i = 0; i < read; ++i) {
        if (std::string sid = SidOfAccount(members[i].lgrmi3_domainandname); !sid.empty()) {
            sids.push_back(std::move(sid));
        }
    }
    return sids;
}

long Win32FileSystem::ReadCustody(std::string_view path, Custody& out) {
    PSID owner = nullptr;
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD error = GetNamedSecurityInfoW(
        Wide(path).c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
        &owner, nullptr, &list, nullptr, &descriptor);
    if (error != ERROR_SUCCESS) {
        return static_cast<long>(error);
    }
    const LocalMemory<void> owned(descriptor);
    out = Custody();
    out.owner = SidText(owner);
    out.hasList = list != nullptr;
    for (DWORD i = 0; list != nullptr && i < list->AceCount; ++i) {
        void* ace = nullptr;
        if (!GetAce(list, i, &ace)) {
            return static_cast<long>(GetLastError());
        }
        out.entries.push_back(EntryOf(static_cast<const ACE_HEADER*>(ace)));
    }
    return 0;
}

long Win32FileSystem::RestrictToAdministrators(std::string_view path) {
    const std::wstring wide = Wide(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return static_cast<long>(GetLastError());
    }
    const BYTE inherit = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0
                             ? OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE
                             : 0;
    const Custody custody = AdministratorsOnly();
    std::vector<LocalMemory<void>> sids;
    DWORD listSize = sizeof(ACL);
    for (const AccessEntry& entry : custody.entries) {
        PSID sid = nullptr;
        if (!ConvertStringSidToSidW(Wide(entry.sid).c_str(), &sid)) {
            return static_cast<long>(GetLastError());
        }
        sids.emplace_back(sid);
        listSize += sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(sid);
    }
    PSID owner = nullptr;
    if (!ConvertStringSidToSidW(Wide(custody.owner).c_str(), &owner)) {
        return static_cast<long>(GetLastError());
    }
    const LocalMemory<void> ownedOwner(owner);
    std::vector<DWORD> listWords((listSize + sizeof(DWORD) - 1) / sizeof(DWORD));
    auto* list = reinterpret_cast<PACL>(listWords.data());
    if (!InitializeAcl(list, static_cast<DWORD>(listWords.size() * sizeof(DWORD)), ACL_REVISION)) {
        return static_cast<long>(GetLastError());
    }
    for (size_t i = 0; i < custody.entries.size(); ++i) {
        if (!AddAccessAllowedAceEx(list, ACL_REVISION, inherit, custody.entries[i].mask,
                                   sids[i].get())) {
            return static_cast<long>(GetLastError());
        }
    }
    return static_cast<long>(
        SetNamedSecurityInfoW(const_cast<wchar_t*>(wide.c_str()), SE_FILE_OBJECT,
                              OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                                  PROTECTED_DACL_SECURITY_INFORMATION,
                              owner, nullptr, list, nullptr));
}

}  // namespace platform::win32
