// A dialog window from a template of the program's resources, modal or modeless, with the
// message handlers the system's dialogs override.
#pragma once

#include <cstdint>
#include <optional>

#include "framework/application.h"
#include "platform/window_system.h"

namespace framework {

class Dialog : protected platform::WindowHandler {
  public:
    Dialog(Application& app, uint32_t templateId)
        : app(app), system(app.system), templateId_(templateId) {}
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog in a modal loop of its own; the result is the end code, or -1 when the
    // window could not be made. A quit message ends the loop with IDABORT and is posted again.
    std::intptr_t DoModal(platform::WindowHandle owner = platform::WindowHandle::Null);
    // Creates the dialog modeless; false when the window could not be made.
    bool Create(platform::WindowHandle owner = platform::WindowHandle::Null);
    // Modal: ends the loop with the result. Modeless: hides the window.
    void EndDialog(int result);
    bool DestroyWindow();

    platform::WindowHandle Handle() const { return window_; }

    virtual bool PreTranslateMessage(platform::Message& message);

    // Exchanges the fields with the window's contents; false when a value was refused.
    bool UpdateData(bool saveAndValidate);

  protected:
    virtual bool OnInitDialog() { return true; }
    virtual bool DoDataExchange(bool /*saveAndValidate*/) { return true; }
    virtual void OnOK();
    virtual void OnCancel();

    // Handlers of the message map; each returns no value to leave the default handling on.
    virtual std::optional<std::intptr_t> OnSysCommand(uint32_t command, std::intptr_t lParam);
    virtual void OnWindowPosChanging(platform::WindowPos& /*pos*/) {}
    virtual bool OnQueryEndSession();
    virtual void OnDestroy() {}
    virtual void OnTimer(std::uintptr_t /*id*/) {}
    // Any other message.
    virtual std::optional<std::intptr_t> OnMessage(uint32_t message, std::uintptr_t wParam,
                                                   std::intptr_t lParam);

    Application& app;
    platform::System& system;

  private:
    std::optional<std::intptr_t> OnWindowMessage(platform::WindowHandle window, uint32_t message,
                                                 std::uintptr_t wParam, std::intptr_t lParam) final;

    uint32_t templateId_;
    platform::WindowHandle window_ = platform::WindowHandle::Null;
    bool modal_ = false;
    bool ended_ = false;
    int result_ = 0;
};

}  // namespace framework
