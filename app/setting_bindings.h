// Binds a feature's table of settings to the page elements of the same ids.
#pragma once

#include <span>

#include "common/settings_store.h"
#include "common/settings_table.h"
#include "framework/html_dialog.h"

namespace corvane {

template <class S>
void BindSettings(framework::HtmlDialog::Exchange& exchange, S& settings,
                  std::span<const SettingEntry<S>> table) {
    for (const SettingEntry<S>& entry : table) {
        if (entry.element == nullptr) {
            continue;
        }
        if (entry.flag != nullptr) {
            exchange.Checkbox(entry.element, settings.*entry.flag);
        } else if (entry.number != nullptr) {
            exchange.Number(entry.element, settings.*entry.number);
        } else {
            exchange.Text(entry.element, settings.*entry.text);
        }
    }
}

// Loads (0) or saves (1) a feature's sub-key of the settings root through its table: a save
// pulls the feature's elements from the page first, a load pushes them to the page after, also
// when the key is missing. `normalise` runs on the fields after loading and before writing.
// 1 when the key could be opened or created, else 0.
template <class S>
int ExchangeSubKey(framework::HtmlDialog& dialog, platform::Registry& registry, int save,
                   const char* path, S& settings, std::span<const SettingEntry<S>> table,
                   void (*normalise)(S&) = nullptr) {
    platform::RegistryKeyPtr key;
    if (save != 0) {
        framework::HtmlDialog::Exchange pull(dialog, true);
        BindSettings(pull, settings, table);
        if (OpenForSaving(registry, path, key) != 0) {
            return 0;
        }
        if (normalise != nullptr) {
            normalise(settings);
        }
        SaveSettings(*key, settings, table);
        return 1;
    }
    const bool opened = OpenForReading(registry, platform::Hive::LocalMachine, path, key) == 0;
    if (opened) {
        LoadSettings(*key, settings, table);
        key.reset();
        if (normalise != nullptr) {
            normalise(settings);
        }
    }
    framework::HtmlDialog::Exchange push(dialog, false);
    BindSettings(push, settings, table);
    return opened ? 1 : 0;
}

}  // namespace corvane
