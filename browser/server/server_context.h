// What every object of the server shares in one process: the platform, the count of attached
// browsers every process shares, the module and its object count.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/system.h"
#include "platform/win32/com_object.h"
#include "platform/win32/windows_api.h"

namespace lumbrel::server {

struct ServerContext {
    platform::System& system;
    std::atomic<int32_t>& attachedBrowserCount;
    HINSTANCE module;
    platform::win32::ModuleCount& objects;
};

// The process's server, built by the entry point.
ServerContext& Server();

}  // namespace lumbrel::server
