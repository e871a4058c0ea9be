#include "app/corvane_dlg.h"

#include <map>
#include <set>

#include "app/about_dlg.h"
#include "app/corvane_app.h"
#include "app/password.h"
#include "app/password_dlg.h"
#include "app/res/resource.h"
#include "app/setting_catalog.h"
#include "common/managed_settings.h"
#include "framework/page_accelerators.h"
#include "platform/constants.h"

namespace corvane {

namespace mb = platform::mb;

CCorvaneDlg::CCorvaneDlg(CCorvaneApp& app)
    : HtmlDialog(app, IDD_CORVANE_DIALOG, IDR_HTML_LOADING),
      mainIcon(IDR_MAINFRAME),
      timerWindow(app),
      theApp_(app) {
    MapClick("ButtonOK", [this] { OnOK(); });
    MapClick("ButtonCancel", [this] { OnCancel(); });
    MapClick("ButtonApply", [this] { OnApply(); });
    MapClick("ButtonSetPassword", [this] { OnSetPassword(); });
    MapClick("ButtonExitUserMode", [this] { OnExitUserMode(); });
    MapClick("ButtonUserModeLogon", [this] { OnUserModeLogon(); });
    MapClick("ButtonEnablePolicies", [this] { Toggle(enablePolicies); });
    MapClick("ButtonEnableHideGUI", [this] { Toggle(enableHideGUI); });
    MapClick("ButtonEnableAutoLogon", [this] { Toggle(enableAutoLogon); });
    MapClick("ButtonAutoRestart", [this] { Toggle(enableAutoRestart); });
    MapClick("ButtonActivityTimer", [this] { Toggle(enableTimers); });
    MapClick("ButtonRemoveExtensions", [this] { OnRemoveExtensions(); });
    MapClick("ButtonGroupPolicies", [this] { OnGroupPolicies(); });
    MapClick("ButtonInternetOptions", [this] { OnInternetOptions(); });
    MapClick("ButtonRemoveRestrictions", [this] { OnRemoveRestrictions(); });
    MapClick("ButtonRemoveAutoLogon", [this] { OnRemoveAutoLogon(); });
    MapClick("ButtonRecommendedLockdown", [this] { OnRecommendedLockdown(); });
    MapClick("ButtonEnableLumbrel", [this] { OnEnableLumbrel(); });
    MapClick("ButtonFilterFileBrowse", [this] { BrowseForRuleFile(lumbrel.filterURLFile); });
    MapClick("ButtonContentFileBrowse", [this] { BrowseForRuleFile(lumbrel.contentFile); });
    MapClick("ButtonAutoRestartFolder", [this] { OnBrowseAutoRestartFolder(); });
    MapClick("ButtonFilterFileEdit", [this] { EditRuleFile(lumbrel.filterURLFile); });
    MapClick("ButtonContentFileEdit", [this] { EditRuleFile(lumbrel.contentFile); });
}

CCorvaneDlg::~CCorvaneDlg() {
    // In user mode the window still exists: take it down while this object's handlers live.
    DestroyWindow();
}

int CCorvaneDlg::MessageBox(uint32_t stringId, uint32_t type) {
    return theApp_.MessageBox(stringId, type, Handle());
}

bool CCorvaneDlg::OnInitDialog() {
    HtmlDialog::OnInitDialog();
    const std::string aboutEntry = system.resources.LoadString(IDS_ABOUTBOX);
    if (!aboutEntry.empty()) {
        system.windows.AppendSystemMenuItem(Handle(), 0x10, aboutEntry);
    }
    system.windows.SetWindowIcon(Handle(), mainIcon);

    ExchangeSettings(0);

    if (!guiPage.empty()) {
        if (Host() != nullptr) {
            Host()->Navigate(guiPage);
        }
        system.windows.SetWindowText(Handle(), "Corvane (E)");
    } else if (Host() != nullptr) {
        Host()->LoadResource(IDR_HTML_CONFIGURATION);
    }
    versionText = "Windows Version:    " + ReadWindowsVersion(system.registry) +
                  "\nInternet Explorer Version:    " + ReadBrowserVersion(system.registry);
    if (HasPassword(system.registry)) {
        noPassword = 0;
    }

    if (theApp_.userMode == 1) {
        EnterUserMode();
    } else {
        CheckPasswordAtStart();
    }
    return true;
}

void CCorvaneDlg::CheckPasswordAtStart() {
    if (noPassword == 1) {
        return;
    }
    CPasswordDlg password(app);
    password.DoModal();  // after Cancel the text entered is empty
    if (!CheckPassword(system, password.enteredPassword)) {
        MessageBox(IDS_PASSWORD_INCORRECT, mb::kOk | mb::kIconStop);
        EndDialog(platform::id::kCancel);
    }
}

bool CCorvaneDlg::DoDataExchange(bool save) {
    Exchange exchange(*this, save);
    BindRoot(exchange);
    BindPolicies(exchange);
    BindHideGui(exchange);
    BindLumbrel(exchange);
    BindAutoLogon(exchange);
    BindAutoRestart(exchange);
    BindTimers(exchange);
    return exchange.Ok();
}

void CCorvaneDlg::OnDocumentComplete(const std::string& url, bool topLevel) {
    RenderToggleButtons();
    HtmlDialog::OnDocumentComplete(url, topLevel);
}

bool CCorvaneDlg::OnTranslateAccelerator(const platform::Message& message) {
    return framework::IsSwallowedAccelerator(system, message, true);
}

std::string ToggleButtonHtml(const std::string& id, const std::string& label, const char* cssClass,
                             bool disabled) {
    std::string html = "<button ";
    if (cssClass != nullptr) {
        html += "class=\"" + std::string(cssClass) + "\" ";
    }
    html += "style=\"width:200px\" id=\"" + id + "\"";
    if (disabled) {
        html += " disabled=\"disabled\"";
    }
    return html + ">" + label + "</button>";
}

void CCorvaneDlg::RenderToggleButtons() {
    platform::HtmlDocument* page = Document();
    if (page == nullptr) {
        return;
    }
    const auto render = [&](const char* id, bool on, const char* onLabel, const char* offLabel) {
        if (page->Has(id)) {
            page->SetOuterHtml(id,
                               ToggleButtonHtml(id, on ? onLabel : offLabel, on ? "bt2" : nullptr));
        }
    };
    if (page->Has("ButtonApply")) {
        page->SetOuterHtml("ButtonApply",
                           "<button style=\"width:100px\" id=\"ButtonApply\">Apply</button>");
    }
    if (page->Has("ButtonExitUserMode")) {
        const bool user = theApp_.userMode != 0;
        page->SetOuterHtml("ButtonExitUserMode",
                           ToggleButtonHtml("ButtonExitUserMode", "Exit User Mode",
                                            user ? "bt2" : nullptr, !user));
    }
    render("ButtonUserModeLogon", userModeLogon != 0, "Disable User Mode on Logon",
           "Enable User Mode on Logon");
    render("ButtonEnablePolicies", enablePolicies != 0, "Policy Settings Enabled",
           "Policy Settings Disabled");
    render("ButtonEnableHideGUI", enableHideGUI != 0, "Hide GUI Enabled", "Hide GUI Disabled");
    render("ButtonEnableAutoLogon", enableAutoLogon != 0, "Auto Logon Enabled",
           "Auto Logon Disabled");
    render("ButtonAutoRestart", enableAutoRestart != 0, "Auto Restart Enabled",
           "Auto Restart Disabled");
    render("ButtonActivityTimer", enableTimers != 0, "Timers Enabled", "Timers Disabled");
    render("ButtonEnableLumbrel", enableLumbrel != 0, "Lumbrel Enabled", "Lumbrel Disabled");
    if (page->Has("ButtonSetPassword")) {
        page->SetOuterHtml("ButtonSetPassword",
                           ToggleButtonHtml("ButtonSetPassword", "Set Corvane Password",
                                            noPassword != 0 ? "bt1" : "bt2"));
    }
    ShowManagedSettings();  // the buttons were drawn anew
}

void CCorvaneDlg::ShowManagedSettings() {
    platform::HtmlDocument* page = Document();
    if (page == nullptr) {
        return;
    }
    std::map<std::string, std::set<std::string>> managedByKey;
    std::set<std::string> tabs;
    for (const CatalogValue& value : SettingCatalog()) {
        auto known = managedByKey.find(value.key);
        if (known == managedByKey.end()) {
            known = managedByKey.emplace(value.key, ManagedValueNames(system.registry, value.key))
                        .first;
        }
        if (!known->second.contains(value.name)) {
            continue;
        }
        for (const std::string& element : value.elements) {
            page->SetDisabled(element, true);
        }
        tabs.insert(value.tab);
    }
    for (const std::string& tab : tabs) {
        std::string id = "Managed" + tab;
        std::erase(id, ' ');
        page->SetInnerText(id,
                           "Set by your organisation: the greyed settings of this tab cannot "
                           "be changed here.");
    }
}

void CCorvaneDlg::Toggle(int& field) {
    field = field == 0 ? 1 : 0;
    settingsChanged = 1;
    RenderToggleButtons();
}

void CCorvaneDlg::OnSetPassword() {
    settingsChanged = 1;
    CPasswordSetDlg setPassword(app);
    if (setPassword.DoModal() == platform::id::kOk) {
        noPassword = HasPassword(system.registry) ? 0 : 1;
    }
    RenderToggleButtons();
}

std::optional<std::intptr_t> CCorvaneDlg::OnSysCommand(uint32_t command, std::intptr_t) {
    if ((command & 0xFFF0) != 0x10) {
        return std::nullopt;
    }
    CAboutDlg about(app);
    about.DoModal(Handle());
    return 0;
}

void CCorvaneDlg::OnApply() {
    settingsChanged = 0;
    restrictionsRemoved = 0;
    RenderToggleButtons();
    ExchangeSettings(1);
}

bool CCorvaneDlg::AskBeforeClosing(uint32_t stringId, bool clearChangedOnYes) {
    switch (MessageBox(stringId, mb::kYesNoCancel | mb::kIconStop)) {
        case platform::id::kYes:
            if (clearChangedOnYes) {
                settingsChanged = 0;
            }
            ExchangeSettings(1);
            return true;
        case platform::id::kNo:
            return true;
        default:
            return false;
    }
}

void CCorvaneDlg::OnOK() {
    if (restrictionsRemoved == 1) {
        if (!AskBeforeClosing(IDS_RESTRICTIONS_REMOVED, false)) {
            return;
        }
    } else {
        ExchangeSettings(1);
    }
    Dialog::OnOK();
}

void CCorvaneDlg::OnCancel() {
    if (restrictionsRemoved == 1) {
        if (!AskBeforeClosing(IDS_RESTRICTIONS_REMOVED, true)) {
            return;
        }
    } else if (settingsChanged != 0 && !AskBeforeClosing(IDS_SETTINGS_CHANGED, false)) {
        return;
    }
    Dialog::OnCancel();
}

}  // namespace corvane
