#pragma once

#include <memory>

#include "platform/html_host.h"

namespace platform::win32 {

// The web browser control in a dialog window. Null where it cannot be made or activated.
std::unique_ptr<HtmlHost> CreateWebBrowserHost(WindowHandle dialog, HtmlEvents& events);

}  // namespace platform::win32
