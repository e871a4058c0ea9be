// What the browser message dialog shows, and where its controls go. Plain data and plain
// functions, so the dialog's Windows side only creates windows and moves them.
#pragma once

#include <string>

#include "common/lumbrel_values.h"

namespace lumbrel {

// DoModal's answers.
inline constexpr int kMessageAccepted = 1;
inline constexpr int kMessageDeclined = 2;
inline constexpr int kMessageNotCreated = -1;

// The dialog's fields, with their values after construction.
struct MessageRequest {
    int moveable = 1;
    int height = 0;  // outer pixels; applied only when both are greater than 0
    int width = 0;
    std::string url;
    std::string title;        // empty keeps the template's caption
    std::string acceptText;   // empty keeps "Ok"
    std::string declineText;  // empty keeps "Cancel"
    std::string bodyText;
    int showAccept = 1;  // 0 in filter mode: button 1 hidden

    bool TakesRequestedSize() const { return height > 0 && width > 0; }
};

MessageRequest PolicyRequest(const corvane::LumbrelSettings& settings);
// The filter message for a refused navigation (`FilterURL`) or a refused page (`ContentURL`).
MessageRequest FilterRequest(const corvane::LumbrelSettings& settings, const std::string& url);

struct ControlRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const ControlRect&) const = default;
};

struct MessageLayout {
    ControlRect accept;   // button 1
    ControlRect decline;  // button 2
    ControlRect browser;  // the page
    ControlRect text;     // the line beside the buttons
};

// Positions in client pixels from the client size and button 1's size. A client too small for
// the page or the text line gives them no room rather than a negative size.
MessageLayout LayOutMessage(int clientWidth, int clientHeight, int buttonWidth, int buttonHeight,
                            bool showAccept);

}  // namespace lumbrel
