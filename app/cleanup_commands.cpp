// The administrator's one-shot commands at the foot of the Policies tab.
#include <string>

#include "app/corvane_app.h"
#include "app/corvane_dlg.h"
#include "app/res/resource.h"
#include "platform/constants.h"
#include "policies/policies.h"

namespace corvane {

namespace {

void OpenForAdministrator(platform::System& system, CCorvaneApp& app, const char* file) {
    const std::intptr_t result =
        system.processes.ShellExecute("", file, "", "", platform::sw::kShowNormal);
    if (result <= platform::kShellExecuteErrorLimit) {
        app.MessageBox(IDS_OPEN_APPLICATION_FAILED, platform::mb::kOk,
                       platform::WindowHandle::Null);
    }
}

}  // namespace

void CCorvaneDlg::OnRemoveExtensions() {
    const std::optional<int> found = RemoveBrowserExtensions(system.registry);
    if (!found) {
        return;  // no extensions key, or no right to change it
    }
    const std::string text =
        *found > 0
            ? "Successfully removed " + std::to_string(*found) + " Internet Explorer Extensions."
            : std::string("Did not find any Internet Explorer Extensions to remove.");
    system.windows.MessageBox(Handle(), text, app.name, platform::mb::kIconInformation);
}

void CCorvaneDlg::OnGroupPolicies() {
    OpenForAdministrator(system, theApp_, "gpedit.msc");
}

void CCorvaneDlg::OnInternetOptions() {
    OpenForAdministrator(system, theApp_, "inetcpl.cpl");
}

void CCorvaneDlg::OnRemoveRestrictions() {
    settingsChanged = 1;
    restrictionsRemoved = 1;
    RenderToggleButtons();
    RemovePolicies();
    MessageBox(IDS_RESTRICTIONS_REMOVED_INFO, platform::mb::kOk | platform::mb::kIconInformation);
}

}  // namespace corvane
