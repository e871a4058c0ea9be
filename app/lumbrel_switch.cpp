// The Lumbrel tab's buttons: the feature switch, which registers the browser helper and lists
// it for the browser, and the two rule files' browse and edit buttons.
#include <memory>
#include <optional>
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
// The i686 build, for 32-bit browsers, in a sub-folder of the program's own when installed.
constexpr const char* kLumbrel32Library = "x86\\Lumbrel.dll";
constexpr uint32_t kRegistrationWaitMs = 30000;

std::string HelperListingKey() {
    return std::string(kBrowserHelperObjectsKey) + "\\" + kLumbrelClassId;
}

// The i686 build beside the program, when there is one and the system runs 32-bit programs.
std::optional<std::string> Lumbrel32Path(platform::System& system) {
    if (system.files.Wow64SystemFolder().empty()) {
        return std::nullopt;
    }
    const std::string program = system.processes.ModulePath();
    const std::string_view folder = platform::FolderOf(program);
    const std::string path = folder.empty() ? std::string(kLumbrel32Library)
                                            : std::string(folder) + "\\" + kLumbrel32Library;
    return system.files.FileSize(path) ? std::optional<std::string>(path) : std::nullopt;
}

// A 64-bit program cannot load a 32-bit library: the system's 32-bit regsvr32 calls its entry.
bool RunRegsvr32(platform::System& system, const std::string& library, bool enable) {
    // Appended piece by piece: GCC 12 at -O3 sees a false overlap in a chain of operator+.
    std::string command = "\"";
    command += system.files.Wow64SystemFolder();
    command += "\\regsvr32.exe\" /s ";
    command += enable ? "\"" : "/u \"";
    command += library;
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

int RegisterBrowserHelper(platform::System& system, int enable) {
    const platform::LibraryCall call = system.processes.CallLibraryEntry(
        kLumbrelLibrary, enable ? "DllRegisterServer" : "DllUnregisterServer");
    if (!call.loaded || (call.found && call.result != 0)) {
        return 1;
    }
    const std::optional<std::string> library32 = Lumbrel32Path(system);
    if (library32 && !RunRegsvr32(system, *library32, enable != 0)) {
        return 1;
    }
    constexpr uint32_t k32 = platform::reg::kWow64_32Key;
    if (enable) {
        const long listed = List(system.registry, 0);
        if (listed == 0 && library32 && List(system.registry, k32) != 0) {
            Unlist(system.registry, 0);  // one browser without the other would be a surprise
            return 1;
        }
        return static_cast<int>(listed);
    }
    if (library32) {
        Unlist(system.registry, k32);
    }
    // The registry's own status, not-found included; the switch does not count it as failure.
    return static_cast<int>(Unlist(system.registry, 0));
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
