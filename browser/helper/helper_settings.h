// The helper's side of the Lumbrel key: one browser window's copy, read when it attaches.
#pragma once

#include <string>

#include "common/lumbrel_values.h"
#include "platform/registry.h"

namespace lumbrel {

// The values a helper uses while the key or a value is absent. They differ from the page's in
// one place: a helper that finds no FilterShow shows filter messages.
corvane::LumbrelSettings HelperDefaults();

// Reads the key over `settings`: 1 when it was read, 0 when it could not be opened (the
// settings are left as they were). Absent flags and numbers keep their value, absent texts
// become empty.
int ReadSettings(platform::Registry& registry, corvane::LumbrelSettings& settings);

// The path of Corvane.exe as the settings record it (AppPath); empty when it is not there.
std::string ReadProgramPath(platform::Registry& registry);

}  // namespace lumbrel
