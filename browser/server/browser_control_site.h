// The site of a web browser control placed in one rectangle of a dialog: in place, with the
// page's context menu switched off.
#pragma once

#include "platform/win32/browser_site.h"
#include "platform/win32/com_object.h"

namespace lumbrel::server {

class BrowserControlSite final
    : public platform::win32::ComObject<BrowserControlSite, platform::win32::BrowserSiteBase> {
  public:
    BrowserControlSite(platform::win32::ModuleCount* module, HWND window, RECT position)
        : ComObject(module) {
        PlaceIn(window, position, kHostFlags);
    }

    static std::span<const platform::win32::InterfaceEntry<BrowserControlSite>> InterfaceTable() {
        using platform::win32::Entry;
        static const platform::win32::InterfaceEntry<BrowserControlSite> table[] = {
            Entry<BrowserControlSite, IOleClientSite>(IID_IOleClientSite),
            Entry<BrowserControlSite, IOleInPlaceSite>(IID_IOleWindow),
            Entry<BrowserControlSite, IOleInPlaceSite>(IID_IOleInPlaceSite),
            Entry<BrowserControlSite, IDocHostUIHandler>(IID_IDocHostUIHandler)};
        return table;
    }

  private:
    static constexpr DWORD kHostFlags = DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_DIALOG;
};

}  // namespace lumbrel::server
