// The Lumbrel tab's buttons: the feature switch, which registers the browser helper and lists
// it for the browser, and the two rule files' browse and edit buttons.
#include <memory>
#include <optional>
#include <string>

#include "app/corvane_app.h"
#include "app/corvane_dlg.h"
#include "app/res/resource.h"
#include "common/event_log.h"
#include "common/lumbrel_values.h"
#include "common/settings_store.h"
#include "platform/constants.h"

namespace corvane {

namespace {

constexpr const char* kLumbrelLibrary = "Lumbrel.dll";
// The i686 build, for 32-bit browsers, in a sub-folder of the program's own when installed.
constexpr const char* kLumbrel32Library = "x86\\Lumbrel.dll";
constexpr uint32_t kRegistrationWaitMs = 30000;

std::string HelperListingKey() {
    return std::string(kBrowserHelperObjectsKey) + "\\" + kLumbrelClassId;
}

// The i686 build beside the program, when there is one on 64-bit Windows, and the system's
// 32-bit regsvr32 that registers it.
struct Helper32 {
    std::string library;
    std::string registrar;
    bool registrarPresent = false;
};

std::optional<Helper32> FindHelper32(platform::System& system) {
    const std::string wow64 = system.files.Wow64SystemFolder();
    if (wow64.empty()) {
        return std::nullopt;
    }
    const std::string program = system.processes.ModulePath();
    const std::string_view folder = platform::FolderOf(program);
    Helper32 helper;
    helper.library = folder.empty() ? std::string(kLumbrel32Library)
                                    : std::string(folder) + "\\" + kLumbrel32Library;
    if (!system.files.FileSize(helper.library)) {
        return std::nullopt;
    }
    // Without the 32-bit subsystem (Wine without 32-bit support, a server install without
    // WoW64) the folder is there but holds no programs.
    helper.registrar = wow64 + "\\regsvr32.exe";
    helper.registrarPresent = system.files.FileSize(helper.registrar).has_value();
    return helper;
}

// A 64-bit program cannot load a 32-bit library: the system's 32-bit regsvr32 calls its entry.
bool RunRegsvr32(platform::System& system, const Helper32& helper, bool enable) {
    // Appended piece by piece: GCC 12 at -O3 sees a false overlap in a chain of operator+.
    std::string command = "\"";
    command += helper.registrar;
    command += "\" /s ";
    command += enable ? "\"" : "/u \"";
    command += helper.library;
    command += "\"";
    const std::unique_ptr<platform::Process> run = system.processes.StartProcess(command);
    if (!run) {
        return false;
    }
    const std::optional<uint32_t> code = run->WaitForExit(kRegistrationWaitMs);
    if (!code) {
        run->Terminate(1);
    }
    return code == 0u;
}

// 1 when the key cannot be made, else the status of writing its value.
long List(platform::Registry& registry, uint32_t view) {
    platform::RegistryKeyPtr key;
    if (registry.CreateKey(platform::Hive::LocalMachine, HelperListingKey(),
                           platform::reg::kReadWrite | view, key) != platform::error::kSuccess) {
        return 1;
    }
    return SetDWordValue(*key, "NoExplorer", 1);
}

// 1 when the listing's parent cannot be opened, else the status of the deletion.
long Unlist(platform::Registry& registry, uint32_t view) {
    platform::RegistryKeyPtr key;
    if (registry.OpenKey(platform::Hive::LocalMachine, kBrowserHelperObjectsKey,
                         platform::reg::kReadWrite | view, key) != platform::error::kSuccess) {
        return 1;
    }
    return key->DeleteSubKey(kLumbrelClassId);
}

}  // namespace

HelperSwitch RegisterBrowserHelper(platform::System& system, int enable) {
    HelperSwitch result;
    const platform::LibraryCall call = system.processes.CallLibraryEntry(
        kLumbrelLibrary, enable ? "DllRegisterServer" : "DllUnregisterServer");
    if (!call.loaded || (call.found && call.result != 0)) {
        result.status = 1;
        return result;
    }
    const std::optional<Helper32> helper32 = FindHelper32(system);
    const bool register32 = helper32 && helper32->registrarPresent;
    if (helper32 && !register32) {
        result.skipped32 = "the browser helper for 32-bit browsers (" + helper32->library +
                           ") was " + (enable ? "not registered" : "left alone") +
                           ": this system runs no 32-bit programs (there is no " +
                           helper32->registrar + ")";
    }
    if (register32 && !RunRegsvr32(system, *helper32, enable != 0)) {
        result.status = 1;
        return result;
    }
    constexpr uint32_t k32 = platform::reg::kWow64_32Key;
    if (enable) {
        const long listed = List(system.registry, 0);
        if (listed == 0 && register32 && List(system.registry, k32) != 0) {
            Unlist(system.registry, 0);  // one browser without the other would be a surprise
            result.status = 1;
            return result;
        }
        result.status = static_cast<int>(listed);
        return result;
    }
    if (helper32) {
        Unlist(system.registry, k32);  // only ever ours, whoever listed it
    }
    // The registry's own status, not-found included; the switch does not count it as failure.
    result.status = static_cast<int>(Unlist(system.registry, 0));
    return result;
}

void CCorvaneDlg::OnEnableLumbrel() {
    enableLumbrel = enableLumbrel == 0 ? 1 : 0;
    const HelperSwitch done = RegisterBrowserHelper(system, enableLumbrel);
    if (!done.skipped32.empty()) {
        EventLog(system).Note("Lumbrel: " + done.skipped32);
    }
    if (done.status == 1) {
        MessageBox(IDS_LUMBREL_REGISTER_FAILED, platform::mb::kOk);
        enableLumbrel = 0;
    }
    settingsChanged = 1;
    RenderToggleButtons();
}

// What was typed on any tab is read first, so pushing the fields back loses none of it.
void CCorvaneDlg::BrowseForRuleFile(std::string& field) {
    if (!UpdateData(true)) {
        return;  // a number box holds text: it said so, and nothing is pushed over the typing
    }
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
