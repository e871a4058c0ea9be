#include "app/corvane_dlg.h"
#include "app/rule_images.h"
#include "app/setting_bindings.h"

namespace corvane {

int CCorvaneDlg::ExchangeLumbrelSettings(int save) {
    const int result = ExchangeSubKey<LumbrelSettings>(*this, system.registry, save, kLumbrelKey,
                                                       lumbrel, kLumbrelValues);
    if (save != 0) {
        // Saved by an administrator: the one moment the lists can be compiled where the
        // browser's windows may read them but the kiosk's user may not write them.
        EventLog log(system);
        CompileRuleImages(system, log, lumbrel, appPath);
    }
    return result;
}

void CCorvaneDlg::BindLumbrel(Exchange& exchange) {
    BindSettings<LumbrelSettings>(exchange, lumbrel, kLumbrelValues);
}

}  // namespace corvane
