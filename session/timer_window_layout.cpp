#include "session/timer_window_layout.h"

#include <cstdio>

namespace corvane {

platform::Rect PlaceTimerWindow(const platform::Rect& workArea, int templateWidth,
                                int templateHeight, TimerWindowGeometry geometry) {
    if (geometry.height == 0) {
        geometry.height = templateHeight;
    }
    if (geometry.width == 0) {
        geometry.width = templateWidth;
    }
    if (geometry.left == 0) {
        geometry.left = workArea.right - workArea.left - geometry.width;
    }
    if (geometry.top == 0) {
        geometry.top = workArea.bottom - geometry.height - workArea.top;
    }
    return {geometry.left, geometry.top, geometry.left + geometry.width,
            geometry.top + geometry.height};
}

std::string TimerText(int seconds) {
    const int rest = seconds % 60;
    const int minutes = (seconds - rest) / 60;
    char text[32];
    // "%0.2d" as the page has always shown it; with a precision the zero flag adds nothing.
    std::snprintf(text, sizeof text, "%.2d:%.2d", minutes, rest);
    return text;
}

}  // namespace corvane
