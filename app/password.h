// The administrator password: its scrambled form in the settings root, and how it is read,
// written and compared.
#pragma once

#include <string>
#include <string_view>

#include "platform/registry.h"

namespace corvane {

// RC4 over the low byte of each UTF-16 unit; a unit that would become a null or a line feed
// stays as it was. Its own inverse (for texts without line feeds). An empty key selects the
// built-in key.
void ScramblePassword(std::u16string& text, std::u16string_view key);

// 0 on success; non-zero when the root cannot be opened for writing or the value not set.
int WritePassword(platform::Registry& registry, const std::string& password);
// The stored password, unscrambled; empty when there is none or it cannot be read.
std::string ReadPassword(platform::Registry& registry);

}  // namespace corvane
