// Every value of the settings tree an organisation may manage (all but the auto logon
// password and the program's own path), read from the tables the program loads and saves by,
// with the tab and page elements that show it: what the page disables when a value is managed,
// and what the administrative templates describe.
#pragma once

#include <string>
#include <vector>

namespace corvane {

enum class CatalogType {
    Flag,       // REG_DWORD 0 or 1
    Number,     // REG_DWORD
    Text,       // REG_SZ
    DriveMask,  // REG_DWORD, bit n for drive A + n
};

struct CatalogValue {
    std::string key;   // the sub-key's path under HKEY_LOCAL_MACHINE
    std::string name;  // the value
    CatalogType type;
    std::string tab;                    // the page's tab
    std::vector<std::string> elements;  // the page elements that show it
};

// The page's tabs in the order they are shown.
inline constexpr const char* kCatalogTabs[] = {"General",      "Lumbrel", "Hide GUI", "Auto Logon",
                                               "Auto Restart", "Timers",  "Policies"};

const std::vector<CatalogValue>& SettingCatalog();

}  // namespace corvane
