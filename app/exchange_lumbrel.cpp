#include "app/corvane_dlg.h"
#include "app/rule_images.h"
#include "app/setting_bindings.h"
#include "platform/constants.h"

namespace corvane {

int CCorvaneDlg::ExchangeLumbrelSettings(int save) {
    const int result = ExchangeSubKey<LumbrelSettings>(*this, system.registry, save, kLumbrelKey,
                                                       lumbrel, kLumbrelValues);
    if (save != 0) {
        // Saved by an administrator: the one moment the lists can be compiled where the
        // browser's windows may read them but the kiosk's user may not write them.
        EventLog log(system);
        CompileRuleImages(system, log, lumbrel, appPath);
        WarnOfMissingRuleFiles();
    }
    return result;
}

// A filter that is on but names no file that is there filters nothing in the browser: said
// now, while the administrator can still put the file there.
void CCorvaneDlg::WarnOfMissingRuleFiles() {
    struct Filter {
        const char* what;
        int on;
        const std::string& path;
    };
    for (const Filter& filter :
         {Filter{"URL filter", lumbrel.filterURLs, lumbrel.filterURLFile},
          Filter{"content filter", lumbrel.filterContent, lumbrel.contentFile}}) {
        if (filter.on == 0 || filter.path.empty() || system.files.FileSize(filter.path)) {
            continue;
        }
        const std::string what = filter.what;
        system.windows.MessageBox(Handle(),
                                  "The " + what + " file is not there:\n" + filter.path +
                                      "\n\nUntil it is, the browser does not use the " + what + ".",
                                  "Corvane", platform::mb::kOk | platform::mb::kIconExclamation);
    }
}

void CCorvaneDlg::BindLumbrel(Exchange& exchange) {
    BindSettings<LumbrelSettings>(exchange, lumbrel, kLumbrelValues);
}

}  // namespace corvane
