// Everything a deliverable's portable code may ask of the operating system.
#pragma once

#include "platform/file_system.h"
#include "platform/process_system.h"
#include "platform/registry.h"
#include "platform/window_system.h"

namespace platform {

struct System {
    Registry& registry;
    WindowSystem& windows;
    ProcessSystem& processes;
    const Resources& resources;
    FileSystem& files;
};

}  // namespace platform
