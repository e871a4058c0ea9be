// Settings exported from another kiosk (`reg export` of the settings tree) brought into this
// machine's tree, for the installer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "platform/registry.h"

namespace corvane {

struct SettingsImport {
    std::string error;  // empty when every value was written; else what stopped it, with the line
    size_t values = 0;  // values written or deleted (0 after a failure: none were kept)
};

// Reads a registry export (UTF-16 with its byte-order mark as `reg export` writes it, or 8-bit
// text) and writes its values into the settings tree, next to those already there. All or
// nothing: the whole file is read before anything is written (a line that cannot be read, a key
// outside HKEY_LOCAL_MACHINE\SOFTWARE\Vemtrix\Corvane or a key deletion leaves the registry
// untouched), and a write that fails puts back every value and key as it was before the import;
// the error then says which value failed, and what, if anything, could not be put back.
SettingsImport ImportSettingsExport(platform::Registry& registry, std::span<const uint8_t> file);

}  // namespace corvane
