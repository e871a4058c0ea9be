// A browser event sink that notes each BeforeNavigate2 with the cancel flag as it finds it:
// connected after the helper's, it sees what the helper decided.
#pragma once

// clang-format off
#include "platform/win32/windows_api.h"
#include <exdisp.h>
#include <exdispid.h>
// clang-format on

#include <string>
#include <utility>
#include <vector>

#include "platform/win32/com_object.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/event_dispatch.h"

namespace corvane::tools {

class NavigationWatcher final
    : public platform::win32::ComObject<NavigationWatcher, platform::win32::EventDispatch> {
  public:
    NavigationWatcher() : ComObject(nullptr) {}
    static std::span<const platform::win32::InterfaceEntry<NavigationWatcher>> InterfaceTable() {
        using platform::win32::Entry;
        static const platform::win32::InterfaceEntry<NavigationWatcher> table[] = {
            Entry<NavigationWatcher, platform::win32::EventDispatch>(IID_IDispatch),
            Entry<NavigationWatcher, platform::win32::EventDispatch>(DIID_DWebBrowserEvents2)};
        return table;
    }

    // Each navigation's address and whether it was cancelled, in order.
    std::vector<std::pair<std::string, bool>> seen;

    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                        UINT*) override {
        if (id != DISPID_BEFORENAVIGATE2 || params == nullptr || params->cArgs != 7) {
            return S_OK;
        }
        const std::string address = platform::win32::VariantText(params->rgvarg[5]);
        const VARIANT& cancel = params->rgvarg[0];
        const bool cancelled = cancel.vt == (VT_BOOL | VT_BYREF) && cancel.pboolVal != nullptr &&
                               *cancel.pboolVal == VARIANT_TRUE;
        seen.emplace_back(address, cancelled);
        return S_OK;
    }
};

}  // namespace corvane::tools
