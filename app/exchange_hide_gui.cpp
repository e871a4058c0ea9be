// The Hide GUI tab: its store, its bindings and the recommended lockdown's button.
#include "app/corvane_dlg.h"
#include "app/recommended_lockdown.h"
#include "app/setting_bindings.h"
#include "platform/constants.h"

namespace corvane {

int CCorvaneDlg::ExchangeHideGUISettings(int save) {
    return ExchangeSubKey<HideGuiSettings>(*this, system.registry, save, kHideGuiKey, hideGui,
                                           kHideGuiValues);
}

void CCorvaneDlg::BindHideGui(Exchange& exchange) {
    BindSettings<HideGuiSettings>(exchange, hideGui, kHideGuiValues);
}

void CCorvaneDlg::OnRecommendedLockdown() {
    // What was typed on every tab is read first, so only the lockdown's boxes change.
    if (!UpdateData(true)) {
        return;
    }
    if (system.windows.MessageBox(Handle(), RecommendedLockdownSummary(), app.name,
                                  platform::mb::kYesNo | platform::mb::kIconQuestion) !=
        platform::id::kYes) {
        return;
    }
    ApplyRecommendedLockdown({hideGui, policies, lumbrel, enableHideGUI, enablePolicies});
    settingsChanged = 1;
    RenderToggleButtons();
    UpdateData(false);
}

}  // namespace corvane
