// The registry entries of Lumbrel.dll's COM server under HKEY_CLASSES_ROOT: the application id
// and the class with its program ids. The type library's own entries are the system's to make.
#pragma once

#include <string>

#include "platform/registry.h"

namespace lumbrel {

// Each returns 0 or the first registry error. The class key and its Programmable key are
// removed whole before they are written, so a registration never keeps a stray value.
long RegisterAppId(platform::Registry& registry);
long RegisterHelperClass(platform::Registry& registry, const std::string& modulePath);

// Remove what the two wrote; a key already gone is no failure. "AppID" and "CLSID" stay.
long UnregisterHelperClass(platform::Registry& registry);
long UnregisterAppId(platform::Registry& registry);

}  // namespace lumbrel
