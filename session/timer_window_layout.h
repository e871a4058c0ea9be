// The timer window's two plain decisions: where it goes on the screen and how a number of
// seconds reads in it.
#pragma once

#include <string>

#include "platform/window_system.h"

namespace corvane {

// The administrator's geometry; 0 means automatic (position) or the template's (size).
struct TimerWindowGeometry {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The window's place: the template's size where none is given, and the bottom-right corner of
// the work area for an edge that is not given.
platform::Rect PlaceTimerWindow(const platform::Rect& workArea, int templateWidth,
                                int templateHeight, TimerWindowGeometry geometry);

// Minutes and seconds, each at least two digits ("%0.2d:%0.2d"), minutes as many as needed;
// both parts truncated towards zero, so a negative count keeps its sign in each part.
std::string TimerText(int seconds);

}  // namespace corvane
