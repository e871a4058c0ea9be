// The Lumbrel tab's buttons: the feature switch, which registers the browser helper and lists
// it for the browser, and the two rule files' browse and edit buttons.
#include <string>

#include "app/corvane_app.h"
#include "app/corvane_dlg.h"
#include "app/res/resource.h"
#include "common/lumbrel_values.h"
#include "common/settings_store.h"
#include "platform/constants.h"

namespace corvane {

namespace {

constexpr const char* kLumbrelLibrary = "Lumbrel.dll";

std::string HelperListingKey() {
    return std::string(kBrowserHelperObjectsKey) + "\\" + kLumbrelClassId;
}

}  // namespace

int RegisterBrowserHelper(platform::System& system, int enable) {
    const platform::LibraryCall call = system.processes.CallLibraryEntry(
        kLumbrelLibrary, enable ? "DllRegisterServer" : "DllUnregisterServer");
    if (!call.loaded || (call.found && call.result != 0)) {
        return 1;
    }
    platform::RegistryKeyPtr key;
    if (enable) {
        if (OpenForWriting(system.registry, platform::Hive::LocalMachine, HelperListingKey(),
                           key) != platform::error::kSuccess) {
            return 1;
        }
        return static_cast<int>(SetDWordValue(*key, "NoExplorer", 1));
    }
    if (system.registry.OpenKey(platform::Hive::LocalMachine, kBrowserHelperObjectsKey,
                                platform::reg::kReadWrite, key) != platform::error::kSuccess) {
        return 1;
    }
    // The registry's own status, not-found included; the switch does not count it as failure.
    return static_cast<int>(key->DeleteSubKey(kLumbrelClassId));
}

void CCorvaneDlg::OnEnableLumbrel() {
    enableLumbrel = enableLumbrel == 0 ? 1 : 0;
    if (RegisterBrowserHelper(system, enableLumbrel) == 1) {
        MessageBox(IDS_LUMBREL_REGISTER_FAILED, platform::mb::kOk);
        enableLumbrel = 0;
    }
    settingsChanged = 1;
    RenderToggleButtons();
}

void CCorvaneDlg::BrowseForRuleFile(std::string& field) {
    platform::OpenFileRequest request;
    request.defaultExtension = "TXT";
    request.initialFile = field;
    request.filter = "Text Files (*.TXT)|*.TXT|All Files (*.*)|*.*||";
    request.flags = platform::ofn::kHideReadOnly | platform::ofn::kNoChangeDir |
                    platform::ofn::kFileMustExist | platform::ofn::kLongNames;
    if (const auto chosen = system.windows.GetOpenFileName(Handle(), request)) {
        field = *chosen;
    }
    settingsChanged = 1;
    RenderToggleButtons();
    UpdateData(false);
}

// The field as the last exchange left it, not what was typed since.
void CCorvaneDlg::EditRuleFile(const std::string& path) {
    system.processes.ShellExecute("open", path, "", "", platform::sw::kShowNormal);
}

}  // namespace corvane
