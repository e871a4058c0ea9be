// What a running Corvane has put in place, read from outside: its windows and its settings.
#include "tools/inspect/inspect.h"

#include <iterator>
#include <optional>
#include <sstream>

#include "common/command_ids.h"
#include "common/event_log.h"
#include "common/lumbrel_values.h"
#include "common/root_values.h"
#include "common/settings_store.h"
#include "platform/constants.h"
#include "policies/browser_policy_values.h"
#include "policies/policy_values.h"
#include "tools/fakeshell/fake_shell.h"

namespace corvane::tools {

namespace {

void DescribeWindows(platform::System& sys, std::ostream& out) {
    int found = 0;
    for (const platform::WindowHandle window : sys.windows.EnumTopLevelWindows()) {
        const std::string caption = sys.windows.GetWindowText(window);
        if (sys.windows.GetClassName(window) != "#32770" || caption.rfind("Corvane", 0) != 0) {
            continue;
        }
        ++found;
        out << "  window \"" << caption << "\" of process "
            << sys.windows.GetWindowProcessId(window) << ": "
            << (sys.windows.IsWindowVisible(window) ? "shown" : "hidden") << "\n";
    }
    if (found == 0) {
        out << "  no Corvane window\n";
    }
}

void DescribeShell(platform::System& sys, std::ostream& out) {
    auto& w = sys.windows;
    const auto state = [&](platform::WindowHandle window) {
        if (window == platform::WindowHandle::Null) {
            return std::string("not there");
        }
        return std::string(w.IsWindowVisible(window) ? "shown" : "hidden");
    };
    const auto child = [&](platform::WindowHandle parent, const char* className) {
        return parent == platform::WindowHandle::Null
                   ? platform::WindowHandle::Null
                   : w.FindWindowEx(parent, platform::WindowHandle::Null, std::string(className),
                                    std::nullopt);
    };
    const platform::WindowHandle progman = w.FindWindow(std::string("Progman"), std::nullopt);
    const platform::WindowHandle tray = w.FindWindow(std::string("Shell_TrayWnd"), std::nullopt);
    out << "  desktop icons: " << state(child(progman, "SHELLDLL_DefView")) << "\n"
        << "  taskbar: " << state(tray) << "\n"
        << "  Start button: " << state(child(tray, "Button")) << "\n"
        << "  notification area: " << state(child(tray, "TrayNotifyWnd")) << "\n"
        << "  taskbar buttons: " << state(child(tray, "ReBarWindow32")) << "\n";
}

void DescribeSettings(platform::System& sys, std::ostream& out) {
    platform::RegistryKeyPtr root;
    const long status =
        OpenForReading(sys.registry, platform::Hive::LocalMachine, kSettingsRoot, root);
    if (status != platform::error::kSuccess) {
        out << "  settings root HKLM\\" << kSettingsRoot << ": cannot be opened (error " << status
            << ")\n";
        return;
    }
    for (const char* name : root_value::kSwitches) {
        uint32_t value = 0;
        const long read = QueryDWordValue(*root, name, value);
        out << "  " << name << " = ";
        if (read == platform::error::kSuccess) {
            out << value;
        } else {
            out << "(not set: error " << read << ")";
        }
        out << "\n";
    }
    for (const char* name : {root_value::kAppPath, root_value::kCorvaneGui}) {
        std::string text;
        uint32_t chars = 0;
        const long read = QueryStringValue(*root, name, text, 260, chars);
        out << "  " << name << " = "
            << (read == platform::error::kSuccess ? "\"" + text + "\""
                                                  : "(not set: error " + std::to_string(read) + ")")
            << "\n";
    }
}

std::string Text(platform::System& sys, platform::Hive hive, const char* path,
                 const std::string& name) {
    const auto value = ReadStringAt(sys.registry, hive, path, name);
    return value ? "\"" + *value + "\"" : "(not set)";
}

// The user's values, or the machine's, as "N of M policy values set; restricting: ...".
void DescribePolicyValues(platform::System& sys, std::ostream& out, bool machine) {
    int set = 0;
    int of = 0;
    std::string on;
    for (const PolicyValue& value : kPolicyValues) {
        if (IsMachineWide(value.key) != machine) {
            continue;
        }
        ++of;
        const auto stored = ReadDWordAt(
            sys.registry, machine ? platform::Hive::LocalMachine : platform::Hive::CurrentUser,
            PolicyKeyPath(value.key), WindowsValueName(value));
        set += stored.has_value();
        const bool restricts = value.kind == PolicyKind::Button  ? stored == 2u
                               : value.kind == PolicyKind::Allow ? stored == 0u
                                                                 : stored > 0u;
        if (stored && restricts) {
            const std::string shown =
                std::string(WindowsValueName(value)) + "=" + std::to_string(*stored);
            on += std::string(on.empty() ? "" : ", ") +
                  (value.windowsName == nullptr ? shown
                                                : std::string(value.name) + " (" + shown + ")");
        }
    }
    out << "  " << set << " of " << of << (machine ? " machine" : "") << " policy values set";
    if (set > 0) {
        out << "; restricting: " << (on.empty() ? "none" : on);
    }
    out << "\n";
}

void DescribePolicies(platform::System& sys, std::ostream& out) {
    DescribePolicyValues(sys, out, false);
    DescribePolicyValues(sys, out, true);
}

// A list key's entries "1", "2", ... as "NAME (N): a, b"; nothing when there is none.
std::string DescribeList(platform::System& sys, Browser browser, const char* list) {
    const std::string path = std::string(BrowserPolicyKey(browser)) + "\\" + list;
    std::string shown;
    int count = 0;
    while (auto entry = ReadStringAt(sys.registry, platform::Hive::CurrentUser, path,
                                     std::to_string(count + 1))) {
        shown += (count++ == 0 ? "" : ", ") + *entry;
    }
    return count == 0 ? "" : std::string(list) + " (" + std::to_string(count) + "): " + shown;
}

void DescribeBrowsers(platform::System& sys, std::ostream& out) {
    for (const Browser browser : kBrowsers) {
        std::string shown;
        for (const BrowserPolicyValue& value : kBrowserPolicyValues) {
            const auto stored = ReadDWordAt(sys.registry, platform::Hive::CurrentUser,
                                            BrowserPolicyKey(browser), value.name);
            if (value.browser == browser && stored) {
                shown += (shown.empty() ? "" : ", ") + std::string(value.name) + "=" +
                         std::to_string(*stored);
            }
        }
        out << "  " << BrowserName(browser) << ": " << (shown.empty() ? "no values" : shown)
            << "\n";
        for (const char* list : {kUrlBlocklist, kUrlAllowlist}) {
            if (const std::string described = DescribeList(sys, browser, list);
                !described.empty()) {
                out << "    " << described << "\n";
            }
        }
    }
}

void DescribeAutoLogon(platform::System& sys, std::ostream& out) {
    const char* winlogon = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
    for (const char* name :
         {"AutoAdminLogon", "DefaultUserName", "DefaultDomain", "DontDisplayLastUserName"}) {
        out << "  " << name << " = " << Text(sys, platform::Hive::LocalMachine, winlogon, name)
            << "\n";
    }
}

void DescribeTray(platform::System& sys, std::ostream& out) {
    out << "  Corvane's icon (id " << TRAY_ICON_ID << "): "
        << Text(sys, platform::Hive::CurrentUser, kNotificationAreaKey,
                std::to_string(TRAY_ICON_ID))
        << "\n";
}

void DescribeBrowserHelper(platform::System& sys, std::ostream& out) {
    const std::string server = std::string("CLSID\\") + kLumbrelClassId + "\\InprocServer32";
    const std::string listing = std::string(kBrowserHelperObjectsKey) + "\\" + kLumbrelClassId;
    const auto path = ReadStringAt(sys.registry, platform::Hive::ClassesRoot, server, "");
    const auto noExplorer =
        ReadDWordAt(sys.registry, platform::Hive::LocalMachine, listing, "NoExplorer");
    out << "  Lumbrel.dll: " << (path ? "registered as \"" + *path + "\"" : "not registered")
        << "\n  listed for the browser: "
        << (noExplorer ? "yes, NoExplorer = " + std::to_string(*noExplorer) : std::string("no"))
        << "\n";
}

void DescribeEventLog(platform::System& sys, std::ostream& out) {
    const std::vector<std::string> lines = ReadEventLines(sys, 12);
    if (lines.empty()) {
        out << "  (empty)\n";
    }
    for (const std::string& line : lines) {
        out << "  " << line << "\n";
    }
}

}  // namespace

std::string Describe(platform::System& sys) {
    std::ostringstream out;
    out << "Windows:\n";
    DescribeWindows(sys, out);
    out << "Shell:\n";
    DescribeShell(sys, out);
    out << "Notification area (as the stand-in taskbar recorded it):\n";
    DescribeTray(sys, out);
    out << "Policies of this user (HKCU):\n";
    DescribePolicies(sys, out);
    out << "Edge and Chrome (HKCU\\Software\\Policies):\n";
    DescribeBrowsers(sys, out);
    out << "Automatic logon (HKLM Winlogon):\n";
    DescribeAutoLogon(sys, out);
    out << "Browser helper:\n";
    DescribeBrowserHelper(sys, out);
    out << "Event log (" << EventLog(sys).FilePath() << ", the last entries):\n";
    DescribeEventLog(sys, out);
    out << "Settings (HKLM\\" << kSettingsRoot << "):\n";
    DescribeSettings(sys, out);
    return out.str();
}

}  // namespace corvane::tools
