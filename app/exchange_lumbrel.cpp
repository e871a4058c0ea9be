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
    const std::pair<const char*, std::pair<int, const std::string*>> filters[] = {
        {"URL filter", {lumbrel.filterURLs, &lumbrel.filterURLFile}},
        {"content filter", {lumbrel.filterContent, &lumbrel.contentFile}},
    };
    for (const auto& [what, setting] : filters) {
        const auto& [on, path] = setting;
        if (on == 0 || path->empty() || system.files.FileSize(*path)) {
            continue;
        }
        system.windows.MessageBox(Handle(),
                                  "The " + std::string(what) + " file is not there:\n" + *path +
                                      "\n\nUntil it is, the browser does not use the " +
                                      std::string(what) + ".",
                                  "Corvane", platform::mb::kOk | platform::mb::kIconExclamation);
    }
}

void CCorvaneDlg::BindLumbrel(Exchange& exchange) {
    BindSettings<LumbrelSettings>(exchange, lumbrel, kLumbrelValues);
}

}  // namespace corvane
