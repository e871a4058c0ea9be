#include "framework/page_accelerators.h"

#include "platform/constants.h"

namespace framework {

bool IsSwallowedAccelerator(platform::System& system, const platform::Message& message,
                            bool alsoF5) {
    if (message.message != platform::wm::kKeyDown) {
        return false;
    }
    const bool ctrl = system.windows.GetAsyncKeyState(platform::vk::kControl) & 0x8000;
    const auto key = message.wParam;
    if (ctrl && (key == 'N' || key == 'O' || key == 'P')) {
        return true;
    }
    return alsoF5 && key == static_cast<std::uintptr_t>(platform::vk::kF5);
}

}  // namespace framework
