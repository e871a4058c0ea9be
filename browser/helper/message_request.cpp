#include "browser/helper/message_request.h"

#include <algorithm>
#include <cstdint>

namespace lumbrel {

namespace {

// The key holds the sizes as DWORDs; the dialog reads them as signed pixel counts.
int Pixels(uint32_t stored) {
    return static_cast<int32_t>(stored);
}

}  // namespace

MessageRequest PolicyRequest(const corvane::LumbrelSettings& settings) {
    MessageRequest request;
    request.moveable = settings.policyMoveable;
    request.height = Pixels(settings.policyHeight);
    request.width = Pixels(settings.policyWidth);
    request.url = settings.policyURL;
    request.title = settings.policyTitle;
    request.acceptText = settings.policyAcceptButton;
    request.declineText = settings.policyDeclineButton;
    request.bodyText = settings.policyText;
    request.showAccept = 1;
    return request;
}

MessageRequest FilterRequest(const corvane::LumbrelSettings& settings, const std::string& url) {
    MessageRequest request;
    request.moveable = settings.filterMoveable;
    request.height = Pixels(settings.filterHeight);
    request.width = Pixels(settings.filterWidth);
    request.url = url;
    request.title = settings.filterTitle;
    request.declineText = settings.filterButton;
    request.bodyText = settings.filterText;
    request.showAccept = 0;
    return request;
}

MessageLayout LayOutMessage(int clientWidth, int clientHeight, int buttonWidth, int buttonHeight,
                            bool showAccept) {
    const int w = clientWidth;
    const int h = clientHeight;
    const int bw = buttonWidth;
    const int bh = buttonHeight;
    MessageLayout layout;
    layout.accept = {w - 2 * bw - 20, h - bh - 10, bw, bh};
    layout.decline = {w - bw - 10, h - bh - 10, bw, bh};
    layout.browser = {7, 7, std::max(0, w - 17), std::max(0, h - bh - 27)};
    const int textWidth = showAccept ? w - 2 * bw - 40 : w - bw - 30;
    layout.text = {7, h - bh - 10, std::max(0, textWidth), bh};
    return layout;
}

}  // namespace lumbrel
