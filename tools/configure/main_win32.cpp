// corvane-configure.exe: what the installer runs once the programs are in place.
//   --import FILE     the settings exported from another kiosk (reg export of the tree)
//   --lumbrel on      the browser helper switched on
//   --start-at-logon  user mode started at every logon
//   --recommended     the recommended lockdown stored (after the import, over it)
// Then the stored switches are put in place with the installed program, whether or not the file
// was imported. Exit status 0 when all was done, 2 when the settings file was refused (nothing
// of it written), else 3 when a switch could not be put in place (it is stored off), 1 for a
// command line it does not understand.
#include <cstdio>
#include <string>
#include <vector>

#include "app/install_options.h"
#include "app/settings_import.h"
#include "platform/win32/system.h"

int main() {
    platform::win32::Win32System system;
    platform::System& sys = system.Get();
    const std::vector<std::string> args = sys.processes.CommandLineArguments();
    corvane::InstallOptions options;
    std::string settingsFile;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--import" && i + 1 < args.size()) {
            settingsFile = args[++i];
        } else if (args[i] == "--lumbrel" && i + 1 < args.size() && args[i + 1] == "on") {
            options.lumbrelOn = true;
            ++i;
        } else if (args[i] == "--start-at-logon") {
            options.startAtLogon = true;
        } else if (args[i] == "--recommended") {
            options.recommended = true;
        } else {
            std::fprintf(stderr,
                         "usage: corvane-configure [--import FILE] [--lumbrel on] "
                         "[--start-at-logon] [--recommended]\n");
            return 1;
        }
    }
    bool refused = false;
    if (!settingsFile.empty()) {
        std::string bytes;
        const long read = platform::ReadWholeFile(sys.files, settingsFile, bytes);
        corvane::SettingsImport imported;
        if (read != 0) {
            imported.error = "it cannot be read: " + sys.files.DescribeError(read);
        } else {
            imported = corvane::ImportSettingsExport(
                sys.registry,
                std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
        }
        refused = !imported.error.empty();
        if (refused) {
            std::printf("The settings file %s was not imported: %s\n", settingsFile.c_str(),
                        imported.error.c_str());
        } else {
            std::printf("   %zu settings imported from %s\n", imported.values,
                        settingsFile.c_str());
        }
    }
    const std::string program = sys.processes.ModulePath();
    const std::string_view folder = platform::FolderOf(program);
    options.programPath =
        folder.empty() ? std::string("Corvane.exe") : std::string(folder) + "\\Corvane.exe";
    corvane::EventLog log(sys);
    const corvane::InstallReport report = corvane::ApplyInstallOptions(sys, log, options);
    for (const std::string& line : report.lines) {
        std::printf("   %s\n", line.c_str());
    }
    return refused ? 2 : report.ok ? 0 : 3;
}
