// Gives everyone every right to a file, as a folder users may change hands down to what is put
// in it. For the Windows tests of what is trusted only when no one but an administrator could
// have written it.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/wide.h"
#include "platform/win32/windows_api.h"
// after windows.h, which it needs
#include <aclapi.h>

namespace corvane::testing {

inline unsigned long LetEveryoneWrite(const std::string& path) {
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone)) {
        return GetLastError();
    }
    std::vector<BYTE> buffer(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(everyone));
    auto* acl = reinterpret_cast<PACL>(buffer.data());
    const bool built = InitializeAcl(acl, static_cast<DWORD>(buffer.size()), ACL_REVISION) &&
                       AddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, everyone);
    const DWORD set =
        built ? SetNamedSecurityInfoW(platform::win32::Wide(path).data(), SE_FILE_OBJECT,
                                      DACL_SECURITY_INFORMATION, nullptr, nullptr, acl, nullptr)
              : GetLastError();
    FreeSid(everyone);
    return set;
}

}  // namespace corvane::testing
