#include "app/corvane_dlg.h"
#include "app/settings_store.h"
#include "ext/hide_gui_values.h"

namespace corvane {

int CCorvaneDlg::ExchangeHideGUISettings(int save) {
    platform::RegistryKeyPtr key;
    if (save != 0) {
        UpdateData(true);
        if (OpenForWriting(system.registry, platform::Hive::LocalMachine, kHideGuiKey, key) != 0) {
            return 0;
        }
        for (const HideGuiValue& value : kHideGuiValues) {
            SetDWordValue(*key, value.name, static_cast<uint32_t>(hideGui.*value.field));
        }
        return 1;
    }
    const bool opened =
        OpenForReading(system.registry, platform::Hive::LocalMachine, kHideGuiKey, key) == 0;
    if (opened) {
        for (const HideGuiValue& value : kHideGuiValues) {
            ReadFlagOrNumber(*key, value.name, hideGui.*value.field);
        }
        key.reset();
    }
    UpdateData(false);
    return opened ? 1 : 0;
}

}  // namespace corvane
