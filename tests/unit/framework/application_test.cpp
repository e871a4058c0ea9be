// The application object and dialogs: message loop, pre-translation, modal and modeless ends.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "framework/application.h"
#include "framework/dialog.h"
#include "platform/constants.h"
#include "platform/sim/resources.h"
#include "platform/sim/world.h"

namespace framework {
namespace {

namespace wm = platform::wm;

class Recording final : public Dialog {
  public:
    Recording(Application& app, uint32_t templateId) : Dialog(app, templateId) {}

    bool OnInitDialog() override {
        if (onInit) {
            onInit(*this);
        }
        return true;
    }

    bool PreTranslateMessage(platform::Message& message) override {
        if (message.message >= wm::kApp) {
            seen.push_back(message);
            return message.message == wm::kApp + 1;  // consumed: never dispatched
        }
        return Dialog::PreTranslateMessage(message);
    }
    std::optional<std::intptr_t> OnMessage(uint32_t message, std::uintptr_t wParam,
                                           std::intptr_t) override {
        if (message >= wm::kApp) {
            dispatched.push_back(message);
            if (message == wm::kApp + 9) {
                EndDialog(static_cast<int>(wParam));
            }
            return 0;
        }
        return std::nullopt;
    }
    void OnDestroy() override { ++destroyed; }

    std::function<void(Recording&)> onInit;
    std::vector<platform::Message> seen;
    std::vector<uint32_t> dispatched;
    int destroyed = 0;
};

class Framework : public testing::Test {
  protected:
    sim::World world{
        sim::Resources::FromRcFile(CORVANE_SOURCE_DIR "/tests/unit/framework/framework_test.rc")};
    platform::System& sys = world.Driver();
    Application app{sys};
};

TEST_F(Framework, PreTranslationSeesThreadMessagesAndCanConsume) {
    Recording main(app, 201);
    ASSERT_TRUE(main.Create());
    app.mainWindow = &main;
    EXPECT_FALSE(sys.windows.IsWindowVisible(main.Handle()));

    sys.windows.PostThreadMessage(sys.windows.GetCurrentThreadId(), wm::kApp + 2, 7, 0);
    sys.windows.PostMessage(main.Handle(), wm::kApp + 1, 0, 0);
    sys.windows.PostMessage(main.Handle(), wm::kApp + 3, 0, 0);
    sys.windows.PostQuitMessage(5);
    EXPECT_EQ(app.Run(), 5);
    ASSERT_EQ(main.seen.size(), 3u);
    EXPECT_EQ(main.seen[0].window, platform::WindowHandle::Null);
    EXPECT_EQ(main.seen[0].wParam, 7u);
    EXPECT_EQ(main.dispatched, (std::vector<uint32_t>{wm::kApp + 3}));
}

TEST_F(Framework, ModalDialogReturnsItsEndCodeAndGoesAway) {
    Recording modal(app, 200);
    // The end comes through the dialog's own loop, from a message posted at its start.
    modal.onInit = [&](Recording& self) {
        sys.windows.PostMessage(self.Handle(), wm::kApp + 9, 42, 0);
    };
    EXPECT_EQ(modal.DoModal(), 42);
    EXPECT_EQ(modal.dispatched, (std::vector<uint32_t>{wm::kApp + 9}));
    EXPECT_EQ(modal.Handle(), platform::WindowHandle::Null);
    EXPECT_EQ(modal.destroyed, 1);
    EXPECT_FALSE(world.FindWindowInfo("#32770", "Shown").has_value());
}

TEST_F(Framework, QuitMessageEndsAModalLoopAndReachesTheOuterLoop) {
    Recording modal(app, 200);
    modal.onInit = [&](Recording&) { sys.windows.PostQuitMessage(3); };
    EXPECT_EQ(modal.DoModal(), platform::id::kAbort);
    platform::Message message;
    ASSERT_EQ(sys.windows.GetMessage(message), 0);
    EXPECT_EQ(message.wParam, 3u);
}

TEST_F(Framework, ModalDialogDisablesItsOwnerWhileItRuns) {
    Recording owner(app, 201);
    ASSERT_TRUE(owner.Create());
    const auto ownerEnabled = [&] {
        for (const auto& info : world.Windows()) {
            if (info.handle == owner.Handle()) {
                return info.enabled;
            }
        }
        return false;
    };
    bool enabledDuringModal = true;
    Recording modal(app, 200);
    modal.onInit = [&](Recording& self) {
        enabledDuringModal = ownerEnabled();
        self.EndDialog(platform::id::kCancel);
    };
    EXPECT_EQ(modal.DoModal(owner.Handle()), platform::id::kCancel);
    EXPECT_FALSE(enabledDuringModal);
    EXPECT_TRUE(ownerEnabled());
}

TEST_F(Framework, ModelessEndHidesAndACloseBoxCancels) {
    Recording dialog(app, 200);
    ASSERT_TRUE(dialog.Create());
    EXPECT_TRUE(sys.windows.IsWindowVisible(dialog.Handle()));
    sys.windows.PostMessage(dialog.Handle(), wm::kClose, 0, 0);
    platform::Message message;
    ASSERT_TRUE(sys.windows.PeekMessage(message, true));
    sys.windows.DispatchMessage(message);
    EXPECT_TRUE(sys.windows.IsWindow(dialog.Handle()));
    EXPECT_FALSE(sys.windows.IsWindowVisible(dialog.Handle()));
    EXPECT_EQ(dialog.destroyed, 0);

    Dialog missing(app, 999);
    EXPECT_FALSE(missing.Create());
    EXPECT_EQ(missing.DoModal(), -1);
}

}  // namespace
}  // namespace framework

#include "framework/html_dialog.h"

namespace framework {
namespace {

TEST(HtmlDialogNumbers, OnlyUnsignedDecimalNumbersOf32Bits) {
    EXPECT_EQ(ParseUnsigned("0"), 0u);
    EXPECT_EQ(ParseUnsigned(" 42 "), 42u);
    EXPECT_EQ(ParseUnsigned("4294967295"), 4294967295u);
    EXPECT_EQ(ParseUnsigned("4294967296"), std::nullopt);
    EXPECT_EQ(ParseUnsigned("99999999999999999999999"), std::nullopt);
    EXPECT_EQ(ParseUnsigned("-1"), std::nullopt);
    EXPECT_EQ(ParseUnsigned("+1"), std::nullopt);
    EXPECT_EQ(ParseUnsigned("12a"), std::nullopt);
    EXPECT_EQ(ParseUnsigned(""), std::nullopt);
    EXPECT_EQ(ParseUnsigned("  "), std::nullopt);
    EXPECT_EQ(ParseUnsigned("1 2"), std::nullopt);
}

// A page with three number boxes: a bad one in the middle stops the exchange there.
class NumberPage final : public HtmlDialog {
  public:
    explicit NumberPage(Application& app) : HtmlDialog(app, 200, 300) {}
    bool DoDataExchange(bool save) override {
        return Exchange(*this, save)
            .Number("first", first)
            .Number("second", second)
            .Number("third", third)
            .Ok();
    }
    uint32_t first = 1;
    uint32_t second = 2;
    uint32_t third = 3;
};

TEST_F(Framework, ANumberBoxHoldingTextStopsTheExchangeWithAMessage) {
    NumberPage dialog(app);
    ASSERT_TRUE(dialog.Create());
    platform::Message message;
    while (sys.windows.PeekMessage(message, true)) {
        sys.windows.DispatchMessage(message);
    }
    ASSERT_NE(dialog.Document(), nullptr);
    EXPECT_EQ(dialog.Document()->Value("second"), "2");  // pushed when the page completed
    dialog.Document()->SetValue("first", "10");
    dialog.Document()->SetValue("second", "ten");
    dialog.Document()->SetValue("third", "30");
    EXPECT_FALSE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.first, 10u);
    EXPECT_EQ(dialog.second, 2u);
    EXPECT_EQ(dialog.third, 3u);  // after the faulty one: unchanged
    ASSERT_EQ(world.MessageBoxes().size(), 1u);
    EXPECT_EQ(world.MessageBoxes()[0].text, "Please enter a positive integer.");
    dialog.Document()->SetValue("second", "-5");
    EXPECT_FALSE(dialog.UpdateData(true));
    dialog.Document()->SetValue("second", "4294967296");
    EXPECT_FALSE(dialog.UpdateData(true));
    dialog.Document()->SetValue("second", "20");
    EXPECT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.third, 30u);
}

}  // namespace
}  // namespace framework
