#include "app/corvane_dlg.h"
#include "app/setting_bindings.h"

namespace corvane {

int CCorvaneDlg::ExchangeLumbrelSettings(int save) {
    return ExchangeSubKey<LumbrelSettings>(*this, system.registry, save, kLumbrelKey, lumbrel,
                                           kLumbrelValues);
}

void CCorvaneDlg::BindLumbrel(Exchange& exchange) {
    BindSettings<LumbrelSettings>(exchange, lumbrel, kLumbrelValues);
}

}  // namespace corvane
