#pragma once

#include <string>

#include "platform/system.h"

namespace corvane::tools {

// A readable account of Corvane's windows and root settings.
std::string Describe(platform::System& sys);

}  // namespace corvane::tools
