// CLumbrelMessage: the modal dialog the helper shows inside the browser, a page by address
// with one or two buttons and a line of text (template 108).
#pragma once

// clang-format off
#include "platform/win32/windows_api.h"
#include <exdisp.h>
// clang-format on

#include "browser/helper/lumbrel_helper.h"
#include "browser/helper/message_request.h"
#include "browser/server/browser_control.h"
#include "platform/win32/com_ptr.h"

namespace lumbrel::server {

class CLumbrelMessage {
  public:
    explicit CLumbrelMessage(HINSTANCE module);
    ~CLumbrelMessage();
    CLumbrelMessage(const CLumbrelMessage&) = delete;
    CLumbrelMessage& operator=(const CLumbrelMessage&) = delete;

    // 1: button 1; 2: button 2, Escape or the close box; -1: the dialog could not be made.
    int DoModal(HWND owner);

    MessageRequest fields;  // set by the caller before DoModal

  private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnInitDialog(HWND window);
    void LayOut(HWND window);
    void HostBrowser(HWND window);

    HINSTANCE module_;
    BrowserControl browser_;  // the page; released when the dialog ends
};

// The helper's dialogs, owned by the calling thread's active window.
class LumbrelMessageDialogs final : public MessageDialogs {
  public:
    explicit LumbrelMessageDialogs(HINSTANCE module) : module_(module) {}
    int Show(const MessageRequest& request) override;

  private:
    HINSTANCE module_;
};

}  // namespace lumbrel::server
