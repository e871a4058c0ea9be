#include "app/corvane_app.h"

#include "app/accessibility_keys.h"
#include "app/command_line.h"
#include "app/corvane_dlg.h"
#include "app/res/resource.h"
#include "common/command_ids.h"
#include "common/event_log.h"
#include "common/managed_settings.h"
#include "session/kiosk_guard.h"

namespace corvane {

CCorvaneApp::CCorvaneApp(platform::System& system, ShellExtensions* extensions)
    : Application(system), extensions_(extensions) {
    name = "Corvane";
}

CCorvaneApp::~CCorvaneApp() {
    SetManagedProblemReporter(nullptr);
}

void CCorvaneApp::ParseCommandLine() {
    CommandLineOptions options{userMode, commandId, shortcutPath};
    ParseSwitches(system.processes.CommandLineArguments(), options);
    userMode = options.userMode;
    commandId = options.commandId;
    shortcutPath = options.shortcutPath;
    guardOf = options.guardOf;
    guardianId = options.guardianId;
}

int CCorvaneApp::MessageBox(uint32_t stringId, uint32_t type, platform::WindowHandle owner) {
    return system.windows.MessageBox(owner, system.resources.LoadString(stringId), "Corvane", type);
}

bool CCorvaneApp::InitInstance() {
    ParseCommandLine();
    if (guardOf != 0) {
        // The guard holds no instance and shows nothing: it only waits for user mode.
        secondInstance = 1;
        quitCode = RunKioskGuard(system, guardOf);
        return false;
    }
    handoverMessage = system.windows.RegisterWindowMessage(kInstanceName);
    taskbarCreatedMessage = system.windows.RegisterWindowMessage("TaskbarCreated");
    platform::NamedMutex mutex = system.processes.CreateMutex(kInstanceName);
    instanceMutex = std::move(mutex.handle);
    if (mutex.alreadyExisted) {
        system.windows.PostMessage(platform::kBroadcastWindow, handoverMessage, commandId, 0);
        secondInstance = 1;
        return false;
    }
    system.windows.InitCommonControls(0xFF);  // every standard window class
    SetManagedProblemReporter([this](const std::string& text) { EventLog(system).Warn(text); });
    {
        // What a user mode that did not end by itself left switched off.
        EventLog log(system);
        RestoreAccessibilityHotKeys(system, log);
    }

    if (userMode == 0) {
        auto dialog = std::make_unique<CCorvaneDlg>(*this);
        mainWindow = dialog.get();
        dialog->DoModal();
        mainWindow = nullptr;  // the window is gone with the modal loop
        return false;
    }

    dialog_ = std::make_unique<CCorvaneDlg>(*this);
    if (!dialog_->Create()) {
        dialog_.reset();
        return false;
    }
    mainWindow = dialog_.get();

    if (extensions_ != nullptr && extensions_->StartExtensions(dialog_->Handle()) == 0) {
        MessageBox(IDS_EXTENSION_START_FAILED, platform::mb::kOk, dialog_->Handle());
    }
    dialog_->StartGuard(guardianId);
    if (!shortcutPath.empty()) {
        system.processes.ShellExecute("open", shortcutPath, "", "", platform::sw::kShowNormal);
    }
    return true;
}

int CCorvaneApp::ExitInstance() {
    if (secondInstance == 0) {
        if (dialog_ != nullptr) {
            dialog_->StopGuard();
        }
        if (extensions_ != nullptr) {
            extensions_->EndExtensions();
        }
        if (userMode != 0) {
            EventLog log(system);
            RestoreAccessibilityHotKeys(system, log);
            log.Note("user mode ended");
        }
        mainWindow = nullptr;
        dialog_.reset();
    }
    return Application::ExitInstance();
}

int CorvaneMain(platform::System& system, ShellExtensions* extensions) {
    CCorvaneApp app(system, extensions);
    return app.Main();
}

}  // namespace corvane
