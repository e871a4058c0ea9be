#include "app/corvane_dlg.h"
#include "app/setting_bindings.h"

namespace corvane {

int CCorvaneDlg::ExchangeHideGUISettings(int save) {
    return ExchangeSubKey<HideGuiSettings>(*this, system.registry, save, kHideGuiKey, hideGui,
                                           kHideGuiValues);
}

void CCorvaneDlg::BindHideGui(Exchange& exchange) {
    BindSettings<HideGuiSettings>(exchange, hideGui, kHideGuiValues);
}

}  // namespace corvane
