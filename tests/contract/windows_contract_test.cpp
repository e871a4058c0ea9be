// Windows, messages, timers, the mutex and the broadcast behave the same on the sim and on
// Windows where the main program relies on them.
#include <array>
#include <atomic>
#include <stdexcept>
#include <vector>

#include "platform/constants.h"
#include "platform/sha256.h"
#include "platform/text.h"
#include "tests/contract/fixture.h"

namespace contract {
namespace {

using platform::Message;
using platform::WindowHandle;
namespace wm = platform::wm;

class Recorder final : public platform::WindowHandler {
  public:
    std::optional<std::intptr_t> OnWindowMessage(WindowHandle, uint32_t message,
                                                 std::uintptr_t wParam, std::intptr_t) override {
        if (message == wm::kTimer) {
            timers.push_back(wParam);
            return 0;
        }
        if (message == wm::kWindowPosChanging) {
            ++posChanges;
        }
        return std::nullopt;
    }
    std::vector<std::uintptr_t> timers;
    int posChanges = 0;
};

class WindowsContract : public Contract {
  protected:
    // Polls until the window exists: the peer needs its own time to start.
    WindowHandle WaitForWindow(const std::string& title) {
        for (int i = 0; i < 500; ++i) {
            const WindowHandle window = sys.windows.FindWindow(std::nullopt, title);
            if (window != WindowHandle::Null) {
                return window;
            }
            sys.processes.Sleep(20);
        }
        return WindowHandle::Null;
    }
};

TEST_F(WindowsContract, NamedMutexSeenAsExistingFromASecondProcess) {
    const std::string name = Unique("CorvaneContractMutex");
    auto alone = env->StartPeer("mutex", name);
    ASSERT_NE(alone, nullptr);
    EXPECT_EQ(alone->WaitForExit(10000), 0u);

    const platform::NamedMutex mine = sys.processes.CreateMutex(name);
    ASSERT_NE(mine.handle, nullptr);
    EXPECT_FALSE(mine.alreadyExisted);
    auto second = env->StartPeer("mutex", name);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->WaitForExit(10000), 183u);

    const platform::NamedMutex again = sys.processes.CreateMutex(name);
    EXPECT_TRUE(again.alreadyExisted);
}

// Another process opened by its id: waited for and ended through that handle as through the
// one its start gave; no process has id 0.
TEST_F(WindowsContract, AProcessOpenedByItsIdIsWaitedForAndEnded) {
    const std::string name = Unique("CorvaneContractOpened");
    auto peer = env->StartPeer("receive", name);
    ASSERT_NE(peer, nullptr);
    ASSERT_NE(WaitForWindow("peer-" + name), WindowHandle::Null);
    auto opened = sys.processes.OpenProcessById(peer->Id());
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(opened->Id(), peer->Id());
    EXPECT_EQ(opened->WaitForExit(0), std::nullopt);
    EXPECT_TRUE(opened->Terminate(9));
    EXPECT_EQ(peer->WaitForExit(10000), 9u);
    EXPECT_EQ(opened->WaitForExit(10000), 9u);
    EXPECT_EQ(sys.processes.OpenProcessById(0), nullptr);
}

TEST_F(WindowsContract, RegisteredMessageReachesAnotherProcessThroughBroadcast) {
    const std::string name = Unique("CorvaneContractPing");
    const uint32_t message = sys.windows.RegisterWindowMessage(name);
    EXPECT_GE(message, 0xC000u);
    EXPECT_EQ(sys.windows.RegisterWindowMessage(name), message);

    auto peer = env->StartPeer("receive", name);
    ASSERT_NE(peer, nullptr);
    const WindowHandle window = WaitForWindow("peer-" + name);
    ASSERT_NE(window, WindowHandle::Null);
    EXPECT_EQ(sys.windows.GetWindowProcessId(window), peer->Id());
    EXPECT_FALSE(sys.windows.IsWindowVisible(window));

    EXPECT_TRUE(sys.windows.PostMessage(platform::kBroadcastWindow, message, 42, 0));
    EXPECT_EQ(peer->WaitForExit(10000), 42u);
}

TEST_F(WindowsContract, SentMessageIsHandledByTheReceivingProcess) {
    const std::string name = Unique("answer");
    auto peer = env->StartPeer("answer", name);
    ASSERT_NE(peer, nullptr);
    const WindowHandle window = WaitForWindow("answer-" + name);
    ASSERT_NE(window, WindowHandle::Null);
    EXPECT_EQ(sys.windows.SendMessageTimeout(window, wm::kApp + 5, 21, 0, 5000), 42);
    EXPECT_EQ(peer->WaitForExit(10000), 21u);
    // A window that is gone answers nothing.
    EXPECT_EQ(sys.windows.SendMessageTimeout(window, wm::kApp + 5, 1, 0, 100), std::nullopt);
}

TEST_F(WindowsContract, TimersAndTheQuitMessage) {
    Recorder recorder;
    const WindowHandle window =
        sys.windows.CreateWindow({"CorvaneContractTimer", "timer", 0, {}}, &recorder);
    ASSERT_NE(window, WindowHandle::Null);
    ASSERT_EQ(sys.windows.SetTimer(window, 1001, 30), 1001u);
    Message message;
    while (recorder.timers.size() < 3 && sys.windows.GetMessage(message) > 0) {
        EXPECT_EQ(message.window, window);
        sys.windows.DispatchMessage(message);
    }
    EXPECT_EQ(recorder.timers, (std::vector<std::uintptr_t>{1001, 1001, 1001}));
    EXPECT_TRUE(sys.windows.KillTimer(window, 1001));
    EXPECT_FALSE(sys.windows.KillTimer(window, 1001));

    // Posted messages come before the quit message, even those posted after it.
    ASSERT_TRUE(sys.windows.PostMessage(window, wm::kApp + 1, 1, 0));
    sys.windows.PostQuitMessage(7);
    ASSERT_TRUE(sys.windows.PostMessage(window, wm::kApp + 1, 2, 0));
    ASSERT_EQ(sys.windows.GetMessage(message), 1);
    EXPECT_EQ(message.wParam, 1u);
    ASSERT_EQ(sys.windows.GetMessage(message), 1);
    EXPECT_EQ(message.wParam, 2u);
    ASSERT_EQ(sys.windows.GetMessage(message), 0);
    EXPECT_EQ(message.message, wm::kQuit);
    EXPECT_EQ(message.wParam, 7u);
    EXPECT_TRUE(sys.windows.DestroyWindow(window));
    EXPECT_FALSE(sys.windows.IsWindow(window));
}

// A handler that throws: the message gets the default handling, nothing crosses into the
// system, and the window goes on working.
TEST_F(WindowsContract, AHandlerThatThrowsGetsTheDefaultHandling) {
    class Throwing final : public platform::WindowHandler {
      public:
        std::optional<std::intptr_t> OnWindowMessage(WindowHandle, uint32_t message, std::uintptr_t,
                                                     std::intptr_t) override {
            if (message == wm::kApp + 5) {
                throw std::runtime_error("a fault in a handler");
            }
            return message == wm::kApp + 6 ? std::optional<std::intptr_t>(42) : std::nullopt;
        }
    } throwing;
    const WindowHandle window =
        sys.windows.CreateWindow({"CorvaneContractThrowing", "throwing", 0, {}}, &throwing);
    ASSERT_NE(window, WindowHandle::Null);
    EXPECT_EQ(sys.windows.SendMessageTimeout(window, wm::kApp + 5, 0, 0, 5000), 0);
    EXPECT_EQ(sys.windows.SendMessageTimeout(window, wm::kApp + 6, 0, 0, 5000), 42);
    EXPECT_TRUE(sys.windows.DestroyWindow(window));
}

// The password's verifier is made and checked by the system's key derivation: the standard
// answers of PBKDF2 with HMAC-SHA256, so a verifier made on one checks on the other.
TEST_F(WindowsContract, KeyDerivationGivesTheStandardAnswers) {
    const auto derive = [this](std::string_view password, std::string_view salt, uint32_t rounds) {
        std::array<uint8_t, 32> key{};
        const std::vector<uint8_t> saltBytes(salt.begin(), salt.end());
        EXPECT_TRUE(sys.processes.DerivePbkdf2Sha256(password, saltBytes, rounds, key));
        return platform::HexOf(key);
    };
    EXPECT_EQ(derive("password", "salt", 1),
              "120fb6cffcf8b32c43e7225256c4f837a86548c92ccc35480805987cb70be17b");
    EXPECT_EQ(derive("password", "salt", 4096),
              "c5e478d59288c841aa530db6845c4c8d962893a001ce4e11a4963873aa98134a");
    std::string salt;
    for (char c = 0; c < 16; ++c) {
        salt += c;
    }
    EXPECT_EQ(derive("kiosk \xC3\xA9", salt, 100000),
              "f13da1843a7c450c30faa2d6ce484f6b329ba1896f72b35be3d8538e225e194d");

    std::array<uint8_t, 16> a{};
    std::array<uint8_t, 16> b{};
    ASSERT_TRUE(sys.processes.RandomBytes(a));
    ASSERT_TRUE(sys.processes.RandomBytes(b));
    EXPECT_NE(a, b);
}

// The digest rule images are named and checked by: the standard one on both builds, however
// the bytes are fed, so an image written by one build is found by the other.
TEST_F(WindowsContract, Sha256GivesTheStandardDigests) {
    const auto hex = [](std::string_view bytes) {
        const std::optional<platform::Sha256Digest> digest = platform::Sha256Of(bytes);
        return digest ? platform::HexOf(*digest) : std::string("no digest");
    };
    EXPECT_EQ(hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    platform::Sha256 million;
    const std::string thousand(1000, 'a');
    for (int i = 0; i < 1000; ++i) {
        million.Update(thousand);
    }
    const std::optional<platform::Sha256Digest> digest = million.Finish();
    ASSERT_TRUE(digest);
    EXPECT_EQ(platform::HexOf(*digest),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
    EXPECT_FALSE(million.Finish()) << "a finished digest takes no more";
}

// The LSA secrets the auto logon password can be kept in. Windows keeps one for an
// administrator and gives it back; Wine keeps none: it refuses to store one, and the page says
// so instead of falling back to plain text.
TEST_F(WindowsContract, ASystemSecretIsKeptGivenBackAndDeleted) {
    const std::string name = "CorvaneContractSecret";
    const long stored = sys.processes.StoreSecret(name, std::string("s\xC3\xA9same"));
    std::string text;
    if (env->IsWine()) {
        EXPECT_EQ(stored, platform::error::kFileNotFound);
        EXPECT_NE(sys.processes.ReadSecret(name, text), 0);
        return;
    }
    ASSERT_EQ(stored, 0);
    ASSERT_EQ(sys.processes.ReadSecret(name, text), 0);
    EXPECT_EQ(text, "s\xC3\xA9same");
    EXPECT_EQ(sys.processes.StoreSecret(name, std::nullopt), 0);
    EXPECT_EQ(sys.processes.ReadSecret(name, text), platform::error::kFileNotFound);
    EXPECT_EQ(sys.processes.StoreSecret(name, std::nullopt), platform::error::kFileNotFound);
}

// The tick count the unlock prompt's waits are measured by: it goes on while a program sleeps
// and never goes back.
TEST_F(WindowsContract, TheTickCountAdvancesWithTimeAndNeverGoesBack) {
    const uint64_t before = sys.processes.TickCount();
    sys.processes.Sleep(120);
    const uint64_t after = sys.processes.TickCount();
    EXPECT_GE(after, before + 100);
    EXPECT_LT(after, before + 60000);
}

TEST_F(WindowsContract, ThreadMessagesCarryNoWindow) {
    const uint32_t thread = sys.windows.GetCurrentThreadId();
    Message peek;
    sys.windows.PeekMessage(peek, false);  // makes sure the thread has a queue
    ASSERT_TRUE(sys.windows.PostThreadMessage(thread, wm::kApp + 10, 3, 4));
    ASSERT_TRUE(sys.windows.PostMessage(WindowHandle::Null, wm::kApp + 20, 5, 6));
    Message message;
    ASSERT_EQ(sys.windows.GetMessage(message), 1);
    EXPECT_EQ(message.window, WindowHandle::Null);
    EXPECT_EQ(message.message, wm::kApp + 10);
    EXPECT_EQ(message.lParam, 4);
    ASSERT_EQ(sys.windows.GetMessage(message), 1);
    EXPECT_EQ(message.window, WindowHandle::Null);
    EXPECT_EQ(message.message, wm::kApp + 20);
    EXPECT_FALSE(sys.windows.PostThreadMessage(0x7FFFFFF0, wm::kApp, 0, 0));
}

TEST_F(WindowsContract, FindShowAndEnumerateWindows) {
    Recorder recorder;
    const std::string title = Unique("find");
    const WindowHandle parent =
        sys.windows.CreateWindow({"CorvaneContractParent", title, 0, {}}, &recorder);
    const WindowHandle child = sys.windows.CreateWindow(
        {"CorvaneContractChild", "child", platform::ws::kChild | platform::ws::kVisible, parent},
        &recorder);
    ASSERT_NE(child, WindowHandle::Null);
    EXPECT_EQ(sys.windows.FindWindow(std::string("corvanecontractparent"), title), parent);
    EXPECT_EQ(sys.windows.FindWindow(std::nullopt, "child"), WindowHandle::Null);  // top level only
    EXPECT_EQ(sys.windows.FindWindowEx(parent, WindowHandle::Null,
                                       std::string("CorvaneContractChild"), std::nullopt),
              child);
    EXPECT_EQ(sys.windows.GetClassName(child), "CorvaneContractChild");

    // A visible child of a hidden parent is not visible.
    EXPECT_FALSE(sys.windows.IsWindowVisible(child));
    const int before = recorder.posChanges;
    EXPECT_FALSE(sys.windows.ShowWindow(parent, platform::sw::kShow));
    EXPECT_GT(recorder.posChanges, before);
    EXPECT_TRUE(sys.windows.IsWindowVisible(parent));
    EXPECT_TRUE(sys.windows.IsWindowVisible(child));
    EXPECT_TRUE(sys.windows.ShowWindow(parent, platform::sw::kHide));
    EXPECT_FALSE(sys.windows.IsWindowVisible(parent));

    const auto tops = sys.windows.EnumTopLevelWindows();
    EXPECT_NE(std::find(tops.begin(), tops.end(), parent), tops.end());
    EXPECT_EQ(std::find(tops.begin(), tops.end(), child), tops.end());
    EXPECT_EQ(sys.windows.GetWindowProcessId(parent), sys.processes.CurrentProcessId());

    EXPECT_TRUE(sys.windows.SetWindowText(parent, "renamed"));
    EXPECT_EQ(sys.windows.GetWindowText(parent), "renamed");
    EXPECT_TRUE(sys.windows.DestroyWindow(parent));
    EXPECT_FALSE(sys.windows.IsWindow(child));  // children go with their parent
}

}  // namespace
}  // namespace contract

namespace contract {
namespace {

// Counts what reaches a window, readable from the thread that plays the user.
class CountingWindow final : public platform::WindowHandler {
  public:
    std::optional<std::intptr_t> OnWindowMessage(WindowHandle, uint32_t message, std::uintptr_t,
                                                 std::intptr_t) override {
        if (message == wm::kTimer) {
            ++timers;
        } else if (message == wm::kApp + 1) {
            ++posted;
        }
        return std::nullopt;
    }
    std::atomic<int> timers{0};
    std::atomic<int> posted{0};
};

// While a message box is open its own loop keeps the thread's windows going: their posted
// messages and timers are handled. A message posted to the thread itself, with no window,
// is taken by that loop and lost.
TEST_F(WindowsContract, AMessageBoxKeepsTheThreadsWindowsGoingAndLosesItsThreadMessages) {
    CountingWindow counting;
    const WindowHandle window =
        sys.windows.CreateWindow({"CorvaneContractBox", Unique("box-owner"), 0, {}}, &counting);
    ASSERT_NE(window, WindowHandle::Null);
    sys.windows.SetTimer(window, 7, 30);
    ASSERT_TRUE(sys.windows.PostMessage(window, wm::kApp + 1, 0, 0));
    ASSERT_TRUE(
        sys.windows.PostThreadMessage(sys.windows.GetCurrentThreadId(), wm::kApp + 2, 0, 0));

    const std::string caption = Unique("box");
    auto user =
        env->AnswerMessageBoxWhen(caption, platform::id::kOk, [&] { return counting.timers >= 2; });
    EXPECT_EQ(sys.windows.MessageBox(WindowHandle::Null, "waiting", caption, platform::mb::kOk),
              platform::id::kOk);
    user.reset();
    EXPECT_EQ(counting.posted, 1);
    EXPECT_GE(counting.timers, 2);

    Message message;
    bool threadMessageLeft = false;
    while (sys.windows.PeekMessage(message, true)) {
        threadMessageLeft |= message.message == wm::kApp + 2;
    }
    EXPECT_FALSE(threadMessageLeft);
    sys.windows.KillTimer(window, 7);
    sys.windows.DestroyWindow(window);
}

// The accessibility features' flags can be read and written back for the session. This Wine
// answers every feature with flags 0 and refuses to set them; the tests say so.
TEST_F(WindowsContract, AccessibilityFlagsReadAndWrittenBack) {
    for (const platform::AccessibilityFeature feature : platform::kAccessibilityFeatures) {
        const auto flags = sys.windows.GetAccessibilityFlags(feature);
        ASSERT_TRUE(flags.has_value());
        const bool set = sys.windows.SetAccessibilityFlags(feature, *flags);
        if (env->IsWine()) {
            EXPECT_EQ(*flags, 0u);
            EXPECT_FALSE(set);
        } else {
            EXPECT_TRUE(set);
            EXPECT_EQ(sys.windows.GetAccessibilityFlags(feature), flags);
        }
    }
}

// The shell's folder browser gives the chosen folder's path, and nothing when it is cancelled.
TEST_F(WindowsContract, TheFolderBrowserGivesTheChosenFolderOrNothing) {
    // Straight under the drive: the browser's tree does not show hidden folders like the
    // temporary files' own.
    const std::string title = Unique("folder");
    const std::string folder = "C:\\" + title;
    env->MakeFolder(folder);
    constexpr uint32_t kFileSystemFoldersEditBoxNewStyle = 0x51;
    {
        auto user = env->AnswerFolderBrowser(title, folder);
        const auto chosen = sys.windows.BrowseForFolder(WindowHandle::Null, title,
                                                        kFileSystemFoldersEditBoxNewStyle);
        ASSERT_TRUE(chosen.has_value());
        EXPECT_TRUE(platform::EqualsIgnoreAsciiCase(*chosen, folder)) << *chosen;
    }
    auto user = env->AnswerFolderBrowser(title, std::nullopt);
    EXPECT_EQ(
        sys.windows.BrowseForFolder(WindowHandle::Null, title, kFileSystemFoldersEditBoxNewStyle),
        std::nullopt);
}

}  // namespace
}  // namespace contract

namespace contract {
namespace {

class CommandRecorder final : public platform::WindowHandler {
  public:
    std::optional<std::intptr_t> OnWindowMessage(WindowHandle, uint32_t message,
                                                 std::uintptr_t wParam, std::intptr_t) override {
        if (message == wm::kInitDialog) {
            return 0;  // keep the focus where it is
        }
        if (message == wm::kCommand) {
            commands.push_back(wParam);
            return 0;
        }
        return std::nullopt;
    }
    std::vector<std::uintptr_t> commands;
};

// Enter and Escape in a dialog become its default button's and its Cancel button's commands;
// a message for a window that is not the dialog's is left to the caller.
TEST_F(WindowsContract, DialogKeysBecomeTheButtonsCommands) {
    CommandRecorder recorder;
    const WindowHandle dialog = sys.windows.CreateDialog(100, WindowHandle::Null, &recorder);
    ASSERT_NE(dialog, WindowHandle::Null);
    Message enter{dialog, wm::kKeyDown, static_cast<std::uintptr_t>(platform::vk::kReturn), 0, 0, 0,
                  0};
    EXPECT_TRUE(sys.windows.IsDialogMessage(dialog, enter));
    Message escape{
        dialog, wm::kKeyDown, static_cast<std::uintptr_t>(platform::vk::kEscape), 0, 0, 0, 0};
    EXPECT_TRUE(sys.windows.IsDialogMessage(dialog, escape));
    // The low word is the button, the high word BN_CLICKED (0).
    EXPECT_EQ(recorder.commands,
              (std::vector<std::uintptr_t>{static_cast<std::uintptr_t>(platform::id::kOk),
                                           static_cast<std::uintptr_t>(platform::id::kCancel)}));

    Recorder elsewhere;
    const WindowHandle other =
        sys.windows.CreateWindow({"CorvaneContractOther", Unique("other"), 0, {}}, &elsewhere);
    Message forOther{
        other, wm::kKeyDown, static_cast<std::uintptr_t>(platform::vk::kReturn), 0, 0, 0, 0};
    EXPECT_FALSE(sys.windows.IsDialogMessage(dialog, forOther));
    EXPECT_EQ(recorder.commands.size(), 2u);
    sys.windows.DestroyWindow(other);
    sys.windows.DestroyWindow(dialog);
}

}  // namespace
}  // namespace contract

namespace contract {
namespace {

// A low-level keyboard hook that notes the flags of each F13 it sees and either passes the
// event down the chain or not.
class ChainedHook final : public platform::HookProcedure {
  public:
    ChainedHook(platform::System& system, bool callNext) : system_(system), callNext_(callNext) {}
    std::intptr_t OnHookEvent(int code, std::uintptr_t wParam, std::intptr_t lParam) override {
        const auto* event = reinterpret_cast<const platform::KeyboardEvent*>(lParam);
        if (code == platform::kHcAction && event->vkCode == kKey) {
            flags.push_back(event->flags & (platform::llkhf::kInjected | platform::llkhf::kUp));
        }
        return callNext_ ? system_.windows.CallNextHook(handle, code, wParam, lParam) : 0;
    }
    static constexpr uint32_t kKey = 0x7C;  // F13: no window acts on it
    platform::HookHandle handle = platform::HookHandle::Null;
    std::vector<uint32_t> flags;

  private:
    platform::System& system_;
    bool callNext_;
};

// Hooks chain across processes, newest first: a peer installs the newest and sends F13 down
// and up; this process's older hook sees them only when the peer's hook calls the next one.
// A key sent by a program carries the injected flag.
TEST_F(WindowsContract, LowLevelHooksRunNewestFirstAndOlderOnesOnlyWhenCalled) {
    ChainedHook older(sys, false);
    older.handle = sys.windows.SetLowLevelHook(platform::HookKind::Keyboard, &older);
    ASSERT_NE(older.handle, platform::HookHandle::Null);
    const auto runPeer = [&](const std::string& mode) -> std::optional<uint32_t> {
        auto peer = env->StartPeer("hookchain", mode);
        if (!peer) {
            return std::nullopt;
        }
        // This thread's messages carry the calls of its hook.
        for (int i = 0; i < 500; ++i) {
            Message message;
            while (sys.windows.PeekMessage(message, true)) {
                sys.windows.DispatchMessage(message);
            }
            if (const auto code = peer->WaitForExit(20)) {
                return code;
            }
        }
        peer->Terminate(99);
        return std::nullopt;
    };
    EXPECT_EQ(runPeer("pass"), 2u);  // the peer's own hook saw both
    EXPECT_EQ(older.flags,
              (std::vector<uint32_t>{platform::llkhf::kInjected,
                                     platform::llkhf::kInjected | platform::llkhf::kUp}));
    EXPECT_EQ(runPeer("keep"), 2u);
    EXPECT_EQ(older.flags.size(), 2u);  // nothing more: the newest did not pass them on
    sys.windows.Unhook(older.handle);
}

}  // namespace
}  // namespace contract

namespace contract {
namespace {

class RefusingWindow final : public platform::WindowHandler {
  public:
    std::optional<std::intptr_t> OnWindowMessage(WindowHandle, uint32_t message, std::uintptr_t,
                                                 std::intptr_t lParam) override {
        if (message != wm::kWindowPosChanging) {
            return std::nullopt;
        }
        reinterpret_cast<platform::WindowPos*>(lParam)->flags &= ~platform::swp::kShowWindow;
        ++changes;
        return 0;
    }
    int changes = 0;
};

// A window that clears the show flag of its position change stays hidden, whoever shows it:
// for another process's window the change is handled in that process's thread.
TEST_F(WindowsContract, AWindowThatClearsTheShowFlagStaysHidden) {
    RefusingWindow refusing;
    const WindowHandle mine =
        sys.windows.CreateWindow({"CorvaneContractHidden", Unique("hidden"), 0, {}}, &refusing);
    ASSERT_NE(mine, WindowHandle::Null);
    sys.windows.ShowWindow(mine, platform::sw::kShow);
    EXPECT_GT(refusing.changes, 0);
    EXPECT_FALSE(sys.windows.IsWindowVisible(mine));
    sys.windows.DestroyWindow(mine);

    const std::string title = Unique("peer-hidden");
    auto peer = env->StartPeer("refuseshow", title);
    ASSERT_NE(peer, nullptr);
    const WindowHandle theirs = WaitForWindow(title);
    ASSERT_NE(theirs, WindowHandle::Null);
    sys.windows.ShowWindow(theirs, platform::sw::kShow);
    EXPECT_FALSE(sys.windows.IsWindowVisible(theirs));
    sys.windows.PostMessage(theirs, wm::kClose, 0, 0);
    EXPECT_EQ(peer->WaitForExit(10000), 0u);  // its handler ran on its own thread
}

}  // namespace
}  // namespace contract
