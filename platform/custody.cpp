#include "platform/custody.h"

#include <algorithm>

namespace platform {

namespace {

bool IsWellKnownAdministration(std::string_view sid) {
    return sid == kAdministratorsSid || sid == kSystemSid || sid == kTrustedInstallerSid;
}

constexpr uint32_t kChangingRights = rights::kWriteData | rights::kAppendData | rights::kDelete |
                                     rights::kWriteDac | rights::kWriteOwner | rights::kGenericAll |
                                     rights::kGenericWrite;

}  // namespace

Custody AdministratorsOnly() {
    Custody custody;
    custody.owner = kAdministratorsSid;
    custody.entries = {
        {AccessEntry::kAllow, std::string(kAdministratorsSid), rights::kFullControl, false},
        {AccessEntry::kAllow, std::string(kSystemSid), rights::kFullControl, false},
        {AccessEntry::kAllow, std::string(kUsersSid), rights::kReadAndExecute, false},
    };
    return custody;
}

bool OnlyAdministratorsMayChange(const Custody& custody, const IsAdministrator& isAdministrator) {
    const auto administration = [&](std::string_view sid) {
        return IsWellKnownAdministration(sid) || (!sid.empty() && isAdministrator(sid));
    };
    if (!custody.hasList || !administration(custody.owner)) {
        return false;
    }
    return std::none_of(custody.entries.begin(), custody.entries.end(), [&](const AccessEntry& e) {
        if (e.inheritOnly || e.kind == AccessEntry::kDeny) {
            return false;
        }
        return e.kind == AccessEntry::kOther ||
               ((e.mask & kChangingRights) != 0 && !administration(e.sid));
    });
}

}  // namespace platform
