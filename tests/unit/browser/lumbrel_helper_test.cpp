// One browser window's helper: attaching, the first window's turn, refused navigations and
// pages, and the message dialog's fields and layout.
#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <functional>
#include <stdexcept>
#include <utility>

#include "browser/filter/rule_store.h"
#include "browser/helper/lumbrel_helper.h"
#include "common/settings_store.h"
#include "platform/constants.h"
#include "platform/sim/world.h"

namespace lumbrel {
namespace {

using platform::Hive;

class RecordingBrowser final : public BrowserWindow {
  public:
    std::vector<std::string> calls;

    void PutAddressBar(bool shown) override { Record("AddressBar", shown); }
    void PutFullScreen(bool on) override { Record("FullScreen", on); }
    void PutMenuBar(bool shown) override { Record("MenuBar", shown); }
    void PutStatusBar(bool shown) override { Record("StatusBar", shown); }
    void PutToolBar(bool shown) override { Record("ToolBar", shown); }
    void Quit() override { calls.push_back("Quit"); }
    void GoBack() override { calls.push_back("GoBack"); }
    void Navigate(const std::string& address) override { calls.push_back("Navigate " + address); }

  private:
    void Record(const char* bar, bool on) {
        calls.push_back(std::string(bar) + (on ? " 1" : " 0"));
    }
};

class ScriptedDialogs final : public MessageDialogs {
  public:
    std::vector<MessageRequest> shown;
    std::deque<int> answers;

    int Show(const MessageRequest& request) override {
        shown.push_back(request);
        if (answers.empty()) {
            return kMessageAccepted;
        }
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

const std::vector<std::string> kDefaultBars = {"AddressBar 1", "FullScreen 0", "MenuBar 1",
                                               "StatusBar 1", "ToolBar 1"};

class LumbrelHelperTest : public testing::Test {
  protected:
    void SetFlag(const char* name, uint32_t value) {
        platform::RegistryKeyPtr key;
        ASSERT_EQ(corvane::OpenForWriting(world.Driver().registry, Hive::LocalMachine,
                                          corvane::kLumbrelKey, key),
                  0);
        corvane::SetDWordValue(*key, name, value);
    }
    void SetText(const char* name, const std::string& value) {
        platform::RegistryKeyPtr key;
        ASSERT_EQ(corvane::OpenForWriting(world.Driver().registry, Hive::LocalMachine,
                                          corvane::kLumbrelKey, key),
                  0);
        corvane::SetStringValue(*key, name, value);
    }
    int32_t Windows() const { return count.load() & kWindowCountMask; }
    std::unique_ptr<LumbrelHelper> NewHelper() {
        return std::make_unique<LumbrelHelper>(world.Driver(), count, dialogs);
    }

    sim::World world;
    std::atomic<int32_t> count{0};
    ScriptedDialogs dialogs;
};

TEST_F(LumbrelHelperTest, WithoutTheKeyTheBrowserKeepsItsBarsAndNothingIsFiltered) {
    auto helper = NewHelper();
    RecordingBrowser browser;
    helper->Attach(browser);
    EXPECT_EQ(browser.calls, kDefaultBars);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_FALSE(helper->OnBeforeNavigate("ftp://anything/"));
    EXPECT_EQ(Windows(), 1);
    helper->Detach();
    EXPECT_EQ(Windows(), 0);
}

// The browser may let go of the helper while the policy page's loop runs (Corvane's session
// end closes the browser): after the page nothing is done to that window.
TEST_F(LumbrelHelperTest, ABrowserThatDetachesWhileThePolicyPageIsUpIsNotTouchedAfterIt) {
    SetFlag("PolicyShow", 1);
    class DetachingDialogs final : public MessageDialogs {
      public:
        LumbrelHelper* helper = nullptr;
        int Show(const MessageRequest&) override {
            helper->Detach();
            return kMessageDeclined;
        }
    } detaching;
    LumbrelHelper helper(world.Driver(), count, detaching);
    detaching.helper = &helper;
    RecordingBrowser browser;
    helper.Attach(browser);
    EXPECT_TRUE(browser.calls.empty());
    EXPECT_EQ(Windows(), 0);
    EXPECT_FALSE(helper.OnBeforeNavigate("http://anywhere/"));  // not attached: nothing to do
}

TEST_F(LumbrelHelperTest, OnlyTheFirstOpenWindowGetsThePolicyPageAndTheBars) {
    SetFlag("PolicyShow", 1);
    SetFlag("GUIFullScreen", 2);  // a hand-made 2 is on
    SetFlag("GUIMenuBar", 0);
    SetText("PolicyURL", "http://kiosk/terms.html");
    SetText("PolicyAcceptButton", "I agree");
    SetFlag("FilterOnlyHTTP", 1);

    auto first = NewHelper();
    RecordingBrowser firstBrowser;
    first->Attach(firstBrowser);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].url, "http://kiosk/terms.html");
    EXPECT_EQ(dialogs.shown[0].acceptText, "I agree");
    EXPECT_EQ(dialogs.shown[0].showAccept, 1);
    EXPECT_EQ(firstBrowser.calls,
              (std::vector<std::string>{"AddressBar 1", "FullScreen 1", "MenuBar 0", "StatusBar 1",
                                        "ToolBar 1"}));

    // A second window while the first is open: no policy, no bars, but the filters apply.
    auto second = NewHelper();
    RecordingBrowser secondBrowser;
    second->Attach(secondBrowser);
    EXPECT_EQ(dialogs.shown.size(), 1u);
    EXPECT_TRUE(secondBrowser.calls.empty());
    EXPECT_TRUE(second->OnBeforeNavigate("file://c:/windows/"));
    ASSERT_EQ(dialogs.shown.size(), 2u);  // the filter message
    EXPECT_EQ(dialogs.shown[1].showAccept, 0);
    EXPECT_EQ(Windows(), 2);

    // Once every window has closed, the next one takes the first window's turn again; the
    // decline button (or the close box) makes it quit, and its bars are still set.
    first->Detach();
    second.reset();  // detaches on destruction
    EXPECT_EQ(Windows(), 0);
    dialogs.answers = {kMessageDeclined};
    auto third = NewHelper();
    RecordingBrowser thirdBrowser;
    third->Attach(thirdBrowser);
    EXPECT_EQ(dialogs.shown.size(), 3u);
    ASSERT_FALSE(thirdBrowser.calls.empty());
    EXPECT_EQ(thirdBrowser.calls[0], "Quit");
    EXPECT_EQ(thirdBrowser.calls.size(), 6u);

    // A dialog that could not be created (-1) does not count as declined.
    third->Detach();
    dialogs.answers = {kMessageNotCreated};
    RecordingBrowser fourthBrowser;
    third->Attach(fourthBrowser);
    EXPECT_EQ(fourthBrowser.calls[0], "AddressBar 1");
}

// A window that opens while the first window's policy page is still unanswered shows its own
// page and gets the bars: no window skips the terms. After an answer of yes, later windows
// skip it until every window has closed.
TEST_F(LumbrelHelperTest, AWindowOpeningWhileThePolicyPageWaitsShowsItsOwn) {
    SetFlag("PolicyShow", 1);
    auto second = NewHelper();
    RecordingBrowser secondBrowser;
    class NestedDialogs final : public MessageDialogs {
      public:
        std::function<void()> meanwhile;
        std::deque<int> answers;
        int shown = 0;
        int Show(const MessageRequest&) override {
            ++shown;
            if (auto during = std::exchange(meanwhile, nullptr)) {
                during();  // the second window opens while this page waits
            }
            const int answer = answers.front();
            answers.pop_front();
            return answer;
        }
    } nested;
    nested.answers = {kMessageAccepted, kMessageDeclined};  // the second's, then the first's
    LumbrelHelper first(world.Driver(), count, nested);
    LumbrelHelper other(world.Driver(), count, nested);
    nested.meanwhile = [&] { other.Attach(secondBrowser); };
    RecordingBrowser firstBrowser;
    first.Attach(firstBrowser);
    EXPECT_EQ(nested.shown, 2);
    EXPECT_EQ(secondBrowser.calls, kDefaultBars);  // its own page, accepted, and the bars
    ASSERT_FALSE(firstBrowser.calls.empty());
    EXPECT_EQ(firstBrowser.calls[0], "Quit");  // the first window's user declined
    EXPECT_EQ(Windows(), 2);

    // Accepted once: a window opening now skips the page, as the described second window does.
    RecordingBrowser thirdBrowser;
    LumbrelHelper third(world.Driver(), count, nested);
    third.Attach(thirdBrowser);
    EXPECT_EQ(nested.shown, 2);
    EXPECT_TRUE(thirdBrowser.calls.empty());
    // Every window closed: the acceptance goes with them.
    first.Detach();
    other.Detach();
    third.Detach();
    EXPECT_EQ(count.load(), 0);
}

TEST_F(LumbrelHelperTest, AttachingTwiceCountsTheWindowOnceAndDetachNeverGoesBelowZero) {
    SetFlag("FilterOnlyHTTP", 1);
    SetFlag("FilterShow", 0);
    auto helper = NewHelper();
    RecordingBrowser a;
    RecordingBrowser b;
    helper->Attach(a);
    EXPECT_TRUE(helper->OnBeforeNavigate("ftp://x/"));
    helper->Attach(b);
    EXPECT_EQ(Windows(), 1);
    EXPECT_EQ(b.calls, kDefaultBars);  // it was again the only window
    helper->Detach();
    helper->Detach();
    EXPECT_EQ(Windows(), 0);

    count = 0;  // another process's server reset the section meanwhile
    helper->Attach(a);
    count = 0;
    helper->Detach();
    EXPECT_EQ(Windows(), 0);
    EXPECT_FALSE(helper->OnBeforeNavigate("ftp://x/"));  // detached: nothing is checked
}

// Whatever throws while a window is set up (the policy page, a bar, reading the settings or
// the lists), that window refuses every address from then on and says so once; the count of
// open windows stays right.
TEST_F(LumbrelHelperTest, AnAttachThatThrowsLeavesTheWindowRefusingEverything) {
    class ThrowingBrowser final : public BrowserWindow {
      public:
        void PutAddressBar(bool) override { throw std::runtime_error("no address bar"); }
        void PutFullScreen(bool) override {}
        void PutMenuBar(bool) override {}
        void PutStatusBar(bool) override {}
        void PutToolBar(bool) override {}
        void Quit() override {}
        void GoBack() override {}
        void Navigate(const std::string&) override {}
    } throwing;
    auto helper = NewHelper();
    helper->Attach(throwing);  // no filter was asked for: a sound window would allow anything
    EXPECT_TRUE(helper->RefusesEverything());
    EXPECT_TRUE(helper->OnBeforeNavigate("http://www.example.com/"));
    EXPECT_TRUE(helper->OnFrameNavigate("http://www.example.com/frame.html"));
    EXPECT_TRUE(helper->OnNewWindow("http://www.example.com/popup"));  // opened nowhere
    bool asked = false;
    helper->OnDocumentComplete([&asked] {
        asked = true;
        return std::optional<std::string>("<p>page</p>");
    });
    EXPECT_FALSE(asked);
    ASSERT_EQ(world.MessageBoxes().size(), 1u);
    EXPECT_EQ(world.MessageBoxes()[0].text,
              "Lumbrel could not be set up in this window.\n\nIt refuses every address.");
    EXPECT_EQ(Windows(), 1);
    helper->Detach();
    EXPECT_EQ(Windows(), 0);

    // Attached again to a sound window, it filters as asked.
    RecordingBrowser sound;
    helper->Attach(sound);
    EXPECT_FALSE(helper->RefusesEverything());
    EXPECT_FALSE(helper->OnBeforeNavigate("http://www.example.com/"));
    helper->Detach();
}

// A frame's navigation passes as the page's own unless FilterFrames is on; then the URL rules
// judge it and a refused frame stays empty, without the message page.
TEST_F(LumbrelHelperTest, FramesAreJudgedByTheUrlRulesOnlyWhenAskedAndRefusedSilently) {
    world.Files().Put("C:\\kiosk\\urls.txt", "+example\n-all\n");
    SetFlag("FilterURLs", 1);
    SetText("FilterURLFile", "C:\\kiosk\\urls.txt");
    auto helper = NewHelper();
    RecordingBrowser browser;
    helper->Attach(browser);
    EXPECT_FALSE(helper->OnFrameNavigate("http://other.org/"));

    SetFlag("FilterFrames", 1);
    helper->Attach(browser);
    EXPECT_TRUE(helper->OnFrameNavigate("http://other.org/"));
    EXPECT_FALSE(helper->OnFrameNavigate("http://www.example.com/frame.html"));
    EXPECT_TRUE(dialogs.shown.empty());
    helper->Detach();
    EXPECT_FALSE(helper->OnFrameNavigate("http://other.org/"));  // not attached: not ours
}

// Every window gets the bars when BarsEveryWindow is on; otherwise only the first.
TEST_F(LumbrelHelperTest, BarsEveryWindowSetsTheBarsOfLaterWindowsToo) {
    SetFlag("GUIAddressBar", 0);
    auto first = NewHelper();
    RecordingBrowser firstBrowser;
    first->Attach(firstBrowser);
    auto second = NewHelper();
    RecordingBrowser secondBrowser;
    second->Attach(secondBrowser);
    EXPECT_TRUE(secondBrowser.calls.empty());
    second->Detach();

    SetFlag("BarsEveryWindow", 1);
    RecordingBrowser thirdBrowser;
    second->Attach(thirdBrowser);
    EXPECT_EQ(thirdBrowser.calls, firstBrowser.calls);
    EXPECT_EQ(thirdBrowser.calls.front(), "AddressBar 0");
    EXPECT_TRUE(dialogs.shown.empty());
}

// With RefuseNewWindows a page's new window is cancelled and its address opened in the same
// window; a window that refuses everything opens it nowhere.
TEST_F(LumbrelHelperTest, ANewWindowOpensInTheSameWindowWhenNewWindowsAreRefused) {
    auto helper = NewHelper();
    RecordingBrowser browser;
    helper->Attach(browser);
    EXPECT_FALSE(helper->OnNewWindow("http://www.example.com/popup"));
    EXPECT_EQ(browser.calls, kDefaultBars);

    SetFlag("RefuseNewWindows", 1);
    helper->Attach(browser);
    browser.calls.clear();
    EXPECT_TRUE(helper->OnNewWindow("http://www.example.com/popup"));
    EXPECT_EQ(browser.calls, std::vector<std::string>{"Navigate http://www.example.com/popup"});
    EXPECT_TRUE(helper->OnNewWindow(""));  // no address known: cancelled, nothing opened
    EXPECT_EQ(browser.calls.size(), 1u);
}

TEST_F(LumbrelHelperTest, ARefusedNavigationIsCancelledAndShowsTheFilterPage) {
    world.Files().Put("C:\\kiosk\\urls.txt", "+example\n-all\n");
    SetFlag("FilterURLs", 1);
    SetText("FilterURLFile", "C:\\kiosk\\urls.txt");
    SetText("FilterURL", "http://kiosk/refused.html");
    SetText("FilterButton", "Back");
    SetFlag("FilterWidth", 500);
    SetFlag("FilterHeight", 0xFFFFFFFF);  // -1: the template size stays

    auto helper = NewHelper();
    RecordingBrowser browser;
    helper->Attach(browser);
    EXPECT_FALSE(helper->OnBeforeNavigate("http://www.EXAMPLE.com/?q=1"));
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(helper->OnBeforeNavigate("http://other.org/"));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    const MessageRequest& shown = dialogs.shown[0];
    EXPECT_EQ(shown.url, "http://kiosk/refused.html");
    EXPECT_EQ(shown.declineText, "Back");
    EXPECT_EQ(shown.acceptText, "");
    EXPECT_EQ(shown.showAccept, 0);
    EXPECT_EQ(shown.moveable, 1);  // FilterMoveable's default
    EXPECT_EQ(shown.height, -1);
    EXPECT_FALSE(shown.TakesRequestedSize());

    // FilterShow written as 0: refused without a message.
    SetFlag("FilterShow", 0);
    auto quiet = NewHelper();
    RecordingBrowser other;
    quiet->Attach(other);
    EXPECT_TRUE(quiet->OnBeforeNavigate("http://other.org/"));
    EXPECT_EQ(dialogs.shown.size(), 1u);
}

TEST_F(LumbrelHelperTest, AWindowMapsTheListsCompiledBesideTheProgram) {
    world.Files().Put("C:\\kiosk\\urls.txt", "+example\n-all\n");
    world.Files().MakeFolder("C:\\Program Files\\Corvane");
    SetFlag("FilterURLs", 1);
    SetText("FilterURLFile", "C:\\kiosk\\urls.txt");
    auto helper = NewHelper();
    RecordingBrowser first;
    helper->Attach(first);
    EXPECT_FALSE(helper->Lists().urlListFromImage);  // no program path: compiled

    platform::RegistryKeyPtr root;
    ASSERT_EQ(corvane::OpenForWriting(world.Driver().registry, Hive::LocalMachine,
                                      corvane::kSettingsRoot, root),
              0);
    corvane::SetStringValue(*root, "AppPath", "C:\\Program Files\\Corvane\\Corvane.exe");
    ASSERT_EQ(filter::StoreRuleImage(world.Files(), "C:\\kiosk\\urls.txt",
                                     "C:\\Program Files\\Corvane\\Rules")
                  .error,
              0);
    auto next = NewHelper();
    RecordingBrowser second;
    next->Attach(second);
    EXPECT_TRUE(next->Lists().urlListFromImage);
    EXPECT_FALSE(next->OnBeforeNavigate("http://www.example.com/"));
    EXPECT_TRUE(next->OnBeforeNavigate("http://other.org/"));
}

TEST_F(LumbrelHelperTest, AFilterSwitchWithoutAUsableFileIsOffForThatWindow) {
    SetFlag("FilterURLs", 1);  // no file named
    SetFlag("FilterContent", 1);
    SetText("ContentFile", "C:\\kiosk\\missing.txt");
    auto helper = NewHelper();
    RecordingBrowser browser;
    helper->Attach(browser);
    EXPECT_EQ(helper->Settings().filterURLs, 0);
    EXPECT_EQ(helper->Settings().filterContent, 0);
    EXPECT_FALSE(helper->OnBeforeNavigate("http://anything/"));
    ASSERT_EQ(world.MessageBoxes().size(), 1u);  // the missing file, once per attach
    EXPECT_NE(world.MessageBoxes()[0].text.find("missing.txt"), std::string::npos);
    bool asked = false;
    helper->OnDocumentComplete([&] {
        asked = true;
        return std::optional<std::string>("<body>casino</body>");
    });
    EXPECT_FALSE(asked);
}

TEST_F(LumbrelHelperTest, ARefusedPageGoesBackAndThePageItReturnsToIsNotChecked) {
    world.Files().Put("C:\\kiosk\\content.txt", "-casino\n+all\n");
    SetFlag("FilterContent", 1);
    SetText("ContentFile", "C:\\kiosk\\content.txt");
    SetText("ContentURL", "http://kiosk/page-refused.html");
    SetText("FilterURL", "http://kiosk/address-refused.html");
    auto helper = NewHelper();
    RecordingBrowser browser;
    helper->Attach(browser);
    browser.calls.clear();

    int asked = 0;
    const auto page = [&](const char* markup) {
        return [&asked, markup] {
            ++asked;
            return std::optional<std::string>(markup);
        };
    };
    helper->OnDocumentComplete(page("<BODY>Online CASINO</BODY>"));
    EXPECT_EQ(browser.calls, std::vector<std::string>{"GoBack"});
    ASSERT_EQ(dialogs.shown.size(), 1u);  // FilterShow absent: the helper shows it
    EXPECT_EQ(dialogs.shown[0].url, "http://kiosk/page-refused.html");

    helper->OnDocumentComplete(page("<body>casino</body>"));  // the page gone back to
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(browser.calls.size(), 1u);

    helper->OnDocumentComplete(page("<body>news</body>"));
    helper->OnDocumentComplete([] { return std::optional<std::string>(); });  // no body
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(browser.calls.size(), 1u);
}

TEST(MessageLayoutTest, ButtonsSitBottomRightAndTheTextLineTakesTheRest) {
    const MessageLayout policy = LayOutMessage(600, 400, 75, 26, true);
    EXPECT_EQ(policy.accept, (ControlRect{430, 364, 75, 26}));
    EXPECT_EQ(policy.decline, (ControlRect{515, 364, 75, 26}));
    EXPECT_EQ(policy.browser, (ControlRect{7, 7, 583, 347}));
    EXPECT_EQ(policy.text, (ControlRect{7, 364, 410, 26}));
    const MessageLayout filter = LayOutMessage(600, 400, 75, 26, false);
    EXPECT_EQ(filter.text, (ControlRect{7, 364, 495, 26}));  // wider: button 1 is hidden
    EXPECT_EQ(filter.decline, policy.decline);

    const MessageLayout tiny = LayOutMessage(10, 10, 75, 26, true);
    EXPECT_EQ(tiny.browser.width, 0);
    EXPECT_EQ(tiny.browser.height, 0);
    EXPECT_EQ(tiny.text.width, 0);
}

}  // namespace
}  // namespace lumbrel
