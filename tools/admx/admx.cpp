#include "tools/admx/admx.h"

#include <regex>

#include "common/managed_settings.h"
#include "common/settings_store.h"
#include "platform/text.h"

namespace corvane::admx {

namespace {

std::string Escape(const std::string& text) {
    return platform::EscapeMarkup(text, true);
}

std::string Trimmed(std::string text) {
    const auto blank = [](char c) { return c == ' ' || c == ':' || c == '\n' || c == '\r'; };
    while (!text.empty() && blank(text.back())) {
        text.pop_back();
    }
    while (!text.empty() && blank(text.front())) {
        text.erase(text.begin());
    }
    return text;
}

std::string TagOf(const std::string& key) {
    if (key == kSettingsRoot) {
        return "Root";
    }
    return key.substr(key.rfind('\\') + 1);
}

std::string CategoryName(const std::string& tab) {
    std::string name = "Corvane_" + tab;
    std::erase(name, ' ');
    return name;
}

// "ActivityTimeWarn1" as "Activity Time Warn1": for a value the page shows without a label.
std::string Words(const std::string& name) {
    std::string words;
    for (size_t i = 0; i < name.size(); ++i) {
        if (i > 0 && name[i] >= 'A' && name[i] <= 'Z' && name[i - 1] >= 'a' && name[i - 1] <= 'z') {
            words += ' ';
        }
        words += name[i] == '_' ? ' ' : name[i];
    }
    return words;
}

std::string DisplayName(const CatalogValue& value,
                        const std::map<std::string, std::string>& labels) {
    if (value.type == CatalogType::DriveMask) {
        return "Hide Drives";
    }
    if (!value.elements.empty()) {
        if (const auto label = labels.find(value.elements.front()); label != labels.end()) {
            return label->second;
        }
    }
    return Words(value.name);
}

std::string Explanation(const CatalogValue& value, const std::string& display) {
    const std::string where = "HKLM\\" + *ManagedPathOf(value.key) + "\\" + value.name;
    std::string text =
        "\"" + display + "\" on the " + value.tab + " tab of Corvane's configuration page.\n\n";
    switch (value.type) {
        case CatalogType::Flag:
            text += "Enabled: on. Disabled: off.";
            break;
        case CatalogType::Number:
            text += "A number from 0 to 4294967295.";
            break;
        case CatalogType::Text:
            text += "A text of at most 1023 characters.";
            break;
        case CatalogType::DriveMask:
            text += "The drives to hide, as the sum of their values: ";
            for (int n = 0; n < 26; ++n) {
                text += std::string(n == 0 ? "" : ", ") + static_cast<char>('A' + n) + " = " +
                        std::to_string(1u << n);
            }
            text += " (C and D: 12).";
            break;
    }
    return text + "\n\nWritten as " + where + ". Set here, it wins over the value on the page, " +
           "which shows it and cannot change it. Not configured: the page's own value holds.";
}

}  // namespace

std::map<std::string, std::string> PageLabels(const std::string& html) {
    std::map<std::string, std::string> labels;
    static const std::regex piece(
        R"re(<h2 class="tab">[^<]*</h2>|<p class="f2">([^<]*)</p>|<label[^>]*\bfor="([^"]+)"[^>]*>([^<]*)</label>|<button[^>]*\bid="(Button[^"]+)"[^>]*>([^<]*)</button>)re");
    std::string section;
    for (auto it = std::sregex_iterator(html.begin(), html.end(), piece);
         it != std::sregex_iterator(); ++it) {
        const std::smatch& m = *it;
        if (!m[1].matched && !m[2].matched && !m[4].matched) {
            section.clear();  // a new tab
        } else if (m[1].matched) {
            section = Trimmed(m[1].str());
        } else if (m[2].matched) {
            const std::string label = Trimmed(m[3].str());
            labels[m[2].str()] = section.empty() ? label : section + ": " + label;
        } else {
            std::string text = Trimmed(m[5].str());
            for (const char* state : {" Enabled", " Disabled"}) {
                if (text.ends_with(state)) {
                    text.resize(text.size() - std::string(state).size());
                }
            }
            labels[m[4].str()] = text;
        }
    }
    return labels;
}

std::string PolicyName(const CatalogValue& value) {
    return TagOf(value.key) + "_" + value.name;
}

Templates MakeTemplates(const std::vector<CatalogValue>& catalog,
                        const std::map<std::string, std::string>& labels) {
    std::string policies;
    std::string strings;
    std::string presentations;
    const auto string = [&](const std::string& id, const std::string& text) {
        strings += "      <string id=\"" + id + "\">" + Escape(text) + "</string>\n";
    };
    string("Corvane", "Corvane");
    string("SUPPORTED_Corvane", "Corvane 1.0 and later");
    for (const char* tab : kCatalogTabs) {
        string(CategoryName(tab), tab);
    }
    for (const CatalogValue& value : catalog) {
        const std::string name = PolicyName(value);
        const std::string display = DisplayName(value, labels);
        string(name, display);
        string(name + "_Explain", Explanation(value, display));
        const std::string key = Escape(*ManagedPathOf(value.key));
        policies += "    <policy name=\"" + name + "\" class=\"Machine\" displayName=\"$(string." +
                    name + ")\" explainText=\"$(string." + name + "_Explain)\" key=\"" + key + "\"";
        if (value.type == CatalogType::Flag) {
            policies += " valueName=\"" + Escape(value.name) + "\">\n";
        } else {
            policies += " presentation=\"$(presentation." + name + ")\">\n";
        }
        policies += "      <parentCategory ref=\"" + CategoryName(value.tab) +
                    "\" />\n      <supportedOn ref=\"SUPPORTED_Corvane\" />\n";
        switch (value.type) {
            case CatalogType::Flag:
                policies +=
                    "      <enabledValue><decimal value=\"1\" /></enabledValue>\n"
                    "      <disabledValue><decimal value=\"0\" /></disabledValue>\n";
                break;
            case CatalogType::Number:
            case CatalogType::DriveMask: {
                const std::string max =
                    value.type == CatalogType::DriveMask ? "67108863" : "4294967295";
                policies += "      <elements>\n        <decimal id=\"" + Escape(value.name) +
                            "\" valueName=\"" + Escape(value.name) +
                            "\" minValue=\"0\" maxValue=\"" + max + "\" />\n      </elements>\n";
                presentations += "      <presentation id=\"" + name +
                                 "\">\n        <decimalTextBox refId=\"" + Escape(value.name) +
                                 "\" defaultValue=\"0\">" + Escape(display) +
                                 "</decimalTextBox>\n      </presentation>\n";
                break;
            }
            case CatalogType::Text:
                policies += "      <elements>\n        <text id=\"" + Escape(value.name) +
                            "\" valueName=\"" + Escape(value.name) +
                            "\" maxLength=\"1023\" />\n      </elements>\n";
                presentations += "      <presentation id=\"" + name +
                                 "\">\n        <textBox refId=\"" + Escape(value.name) +
                                 "\"><label>" + Escape(display) +
                                 "</label></textBox>\n      </presentation>\n";
                break;
        }
        policies += "    </policy>\n";
    }

    const std::string header =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<!-- Made from Corvane's own tables at build time; do not edit. -->\n";
    const std::string schema =
        " xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" revision=\"" +
        std::string(kRevision) +
        "\" schemaVersion=\"1.0\" "
        "xmlns=\"http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions\"";
    std::string categories =
        "    <category name=\"Corvane\" displayName=\"$(string.Corvane)\" />\n";
    for (const char* tab : kCatalogTabs) {
        categories += "    <category name=\"" + CategoryName(tab) + "\" displayName=\"$(string." +
                      CategoryName(tab) +
                      ")\">\n      <parentCategory ref=\"Corvane\" />\n    </category>\n";
    }
    Templates templates;
    templates.admx =
        header + "<policyDefinitions" + schema +
        ">\n  <policyNamespaces>\n    <target prefix=\"corvane\" namespace=\"" + kNamespace +
        "\" />\n  </policyNamespaces>\n  <resources minRequiredRevision=\"" + kRevision +
        "\" />\n  <supportedOn>\n    <definitions>\n      <definition "
        "name=\"SUPPORTED_Corvane\" displayName=\"$(string.SUPPORTED_Corvane)\" />\n"
        "    </definitions>\n  </supportedOn>\n  <categories>\n" +
        categories + "  </categories>\n  <policies>\n" + policies +
        "  </policies>\n</policyDefinitions>\n";
    templates.adml = header + "<policyDefinitionResources" + schema +
                     ">\n  <displayName>Corvane</displayName>\n  <description>Corvane's "
                     "kiosk settings, managed for a fleet of kiosks.</description>\n  "
                     "<resources>\n    <stringTable>\n" +
                     strings + "    </stringTable>\n    <presentationTable>\n" + presentations +
                     "    </presentationTable>\n  </resources>\n</policyDefinitionResources>\n";
    return templates;
}

}  // namespace corvane::admx
