// The system's LSA secrets, such as the password the logon screen reads first.
#include "platform/win32/process_system.h"
#include "platform/win32/wide.h"
#include "platform/win32/windows_api.h"
// after windows.h, which they need
#include <ntsecapi.h>

#include <memory>

namespace platform::win32 {

namespace {

constexpr NTSTATUS kObjectNameNotFound = static_cast<NTSTATUS>(0xC0000034);

struct PolicyCloser {
    void operator()(void* policy) const { LsaClose(policy); }
};
using Policy = std::unique_ptr<void, PolicyCloser>;

long OpenPolicy(ACCESS_MASK access, Policy& out) {
    LSA_OBJECT_ATTRIBUTES attributes{};
    LSA_HANDLE policy = nullptr;
    const NTSTATUS status = LsaOpenPolicy(nullptr, &attributes, access, &policy);
    if (status != 0) {
        return static_cast<long>(LsaNtStatusToWinError(status));
    }
    out.reset(policy);
    return 0;
}

// A counted string over the text, which must outlive it; the calls only read it.
LSA_UNICODE_STRING Counted(const std::wstring& text) {
    LSA_UNICODE_STRING counted;
    counted.Buffer = const_cast<wchar_t*>(text.c_str());
    counted.Length = static_cast<USHORT>(text.size() * sizeof(wchar_t));
    counted.MaximumLength = counted.Length;
    return counted;
}

}  // namespace

long Win32ProcessSystem::StoreSecret(std::string_view name,
                                     const std::optional<std::string>& text) {
    Policy policy;
    if (const long error = OpenPolicy(POLICY_CREATE_SECRET, policy)) {
        return error;
    }
    const std::wstring wideName = Wide(name);
    std::wstring wideText = text ? Wide(*text) : std::wstring();
    if (wideText.size() > 0x7FFF || wideName.size() > 0x7FFF) {
        return ERROR_INVALID_PARAMETER;  // a counted string holds no more
    }
    LSA_UNICODE_STRING key = Counted(wideName);
    LSA_UNICODE_STRING data = Counted(wideText);
    const NTSTATUS status = LsaStorePrivateData(policy.get(), &key, text ? &data : nullptr);
    SecureZeroMemory(wideText.data(), wideText.size() * sizeof(wchar_t));
    return status == 0 ? 0 : static_cast<long>(LsaNtStatusToWinError(status));
}

long Win32ProcessSystem::ReadSecret(std::string_view name, std::string& text) {
    Policy policy;
    if (const long error = OpenPolicy(POLICY_GET_PRIVATE_INFORMATION, policy)) {
        return error;
    }
    const std::wstring wideName = Wide(name);
    LSA_UNICODE_STRING key = Counted(wideName);
    PLSA_UNICODE_STRING data = nullptr;
    const NTSTATUS status = LsaRetrievePrivateData(policy.get(), &key, &data);
    if (status != 0) {
        return status == kObjectNameNotFound ? ERROR_FILE_NOT_FOUND
                                             : static_cast<long>(LsaNtStatusToWinError(status));
    }
    const std::unique_ptr<LSA_UNICODE_STRING, decltype(&LsaFreeMemory)> owned(data, &LsaFreeMemory);
    text.clear();
    if (data != nullptr && data->Buffer != nullptr) {
        text = Narrow(std::wstring_view(data->Buffer, data->Length / sizeof(wchar_t)));
        SecureZeroMemory(data->Buffer, data->Length);
    }
    return 0;
}

}  // namespace platform::win32
