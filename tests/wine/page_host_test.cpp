// The Windows page host hands the dialog loop's keystrokes to the browser control, which asks
// the dialog's keyboard filter; proven against a recording stand-in for the control.
#include <gtest/gtest.h>

#include <algorithm>

#include "framework/html_dialog.h"
#include "framework/page_accelerators.h"
#include "platform/constants.h"
#include "platform/win32/ole_scope.h"
#include "platform/win32/system.h"
#include "tests/wine/browser_control_double.h"

namespace corvane::wine {
namespace {

constexpr uint32_t kTemplate = 200;

// The configuration page's filter, and a record of the keys that reach the window.
class FilteredPage final : public framework::HtmlDialog {
  public:
    explicit FilteredPage(framework::Application& app) : HtmlDialog(app, kTemplate, 129) {}
    std::vector<std::uintptr_t> keysReachingTheWindow;

  protected:
    bool OnTranslateAccelerator(const platform::Message& message) override {
        return framework::IsSwallowedAccelerator(system, message, true);
    }
    std::optional<std::intptr_t> OnMessage(uint32_t message, std::uintptr_t wParam,
                                           std::intptr_t lParam) override {
        if (message == platform::wm::kKeyDown) {
            keysReachingTheWindow.push_back(wParam);
        }
        return HtmlDialog::OnMessage(message, wParam, lParam);
    }
};

class PageHost : public testing::Test {
  protected:
    // Runs what the queue holds through the dialog's loop as the application does.
    void Pump(FilteredPage& page) {
        platform::Message message;
        while (sys.windows.PeekMessage(message, true)) {
            if (!page.PreTranslateMessage(message)) {
                sys.windows.TranslateMessage(message);
                sys.windows.DispatchMessage(message);
            }
        }
    }
    void Press(FilteredPage& page, std::uintptr_t key) {
        sys.windows.PostMessage(page.Handle(), platform::wm::kKeyDown, key, 0);
        Pump(page);
    }
    bool Called(const std::string& call) const {
        return std::find(control.calls.begin(), control.calls.end(), call) != control.calls.end();
    }

    platform::win32::OleScope ole;
    platform::win32::Win32System system;
    platform::System& sys = system.Get();
    framework::Application app{sys};
    BrowserControlDouble control;
};

TEST_F(PageHost, KeystrokesGoThroughTheControlToTheDialogsFilter) {
    BrowserControlRegistration registration(control);
    ASSERT_TRUE(registration.Ok());
    {
        FilteredPage page(app);
        ASSERT_TRUE(page.Create());
        ASSERT_NE(page.Host(), nullptr) << "the host did not take the stand-in";
        EXPECT_TRUE(Called("SetClientSite"));
        EXPECT_TRUE(Called("DoVerb -5"));  // in-place activation
        ASSERT_GE(control.calls.size(), 3u);
        EXPECT_EQ(control.calls[2].rfind("Navigate2 res://", 0), 0u) << control.calls[2];

        Press(page, 'A');
        Press(page, platform::vk::kF5);
        EXPECT_TRUE(Called("TranslateAccelerator 256 65"));
        EXPECT_TRUE(Called("TranslateAccelerator 256 116"));

        // Ctrl+P as the keyboard makes it: the filter reads the key state of the moment.
        ASSERT_TRUE(sys.windows.SendKey(platform::vk::kControl, false, false));
        ASSERT_TRUE(sys.windows.GetAsyncKeyState(platform::vk::kControl) & 0x8000);
        Press(page, 'P');
        Press(page, 'C');
        sys.windows.SendKey(platform::vk::kControl, true, false);
        Pump(page);
        EXPECT_TRUE(Called("TranslateAccelerator 256 80"));

        EXPECT_EQ(control.handledKeys,
                  (std::vector<WPARAM>{platform::vk::kF5, static_cast<WPARAM>('P')}));
        // What the filter kept never reaches the window; the rest does.
        const auto& reached = page.keysReachingTheWindow;
        EXPECT_NE(std::find(reached.begin(), reached.end(), 'A'), reached.end());
        EXPECT_NE(std::find(reached.begin(), reached.end(), 'C'), reached.end());
        EXPECT_EQ(std::find(reached.begin(), reached.end(), platform::vk::kF5), reached.end());
        EXPECT_EQ(std::find(reached.begin(), reached.end(), 'P'), reached.end());
    }
    // The host let go of the control and of every reference it took.
    EXPECT_TRUE(Called("Close"));
    EXPECT_TRUE(Called("SetClientSite null"));
    EXPECT_EQ(control.references, 1u);
}

}  // namespace
}  // namespace corvane::wine

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
