// A short kiosk session watched from outside, for the run command.
#include "tools/inspect/session_watch.h"

#include <chrono>
#include <optional>

#include "platform/constants.h"

namespace corvane::tools {

namespace {

using platform::WindowHandle;
using Clock = std::chrono::steady_clock;

// A page of Corvane's: a shown dialog of its process that nobody owns, other than its window.
WindowHandle OpenPage(platform::System& sys, WindowHandle main) {
    const uint32_t corvane = sys.windows.GetWindowProcessId(main);
    for (const WindowHandle window : sys.windows.EnumTopLevelWindows()) {
        if (window != main && sys.windows.GetClassName(window) == "#32770" &&
            sys.windows.GetWindowProcessId(window) == corvane &&
            sys.windows.GetOwner(window) == WindowHandle::Null &&
            sys.windows.IsWindowVisible(window)) {
            return window;
        }
    }
    return WindowHandle::Null;
}

// The timer window: Corvane's shown window that its main window owns.
std::optional<platform::Rect> TimerWindow(platform::System& sys, WindowHandle main) {
    for (const WindowHandle window : sys.windows.EnumTopLevelWindows()) {
        if (sys.windows.GetOwner(window) == main && sys.windows.IsWindowVisible(window)) {
            return sys.windows.GetWindowRect(window);
        }
    }
    return std::nullopt;
}

class Watch {
  public:
    Watch(platform::System& sys, std::ostream& out, std::string title)
        : sys_(sys), out_(out), title_(std::move(title)), start_(Clock::now()) {}

    bool Run(uint32_t timeoutMs) {
        main_ = sys_.windows.FindWindow(std::string("#32770"), std::string("Corvane"));
        if (main_ == WindowHandle::Null) {
            Say("no running Corvane found");
            return false;
        }
        const auto deadline = start_ + std::chrono::milliseconds(timeoutMs);
        while (step_ != Step::Done && Clock::now() < deadline) {
            AnswerPages();
            FollowProgram();
            sys_.processes.Sleep(20);
        }
        if (step_ != Step::Done) {
            Say("gave up waiting");
        }
        return step_ == Step::Done;
    }

  private:
    enum class Step { FirstStart, Restart, SessionEnd, Closed, BackAgain, Done };

    void Say(const std::string& what) {
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start_).count();
        out_ << "   " << (ms / 1000) << "." << (ms % 1000) / 100 << " s  " << what << "\n";
        out_.flush();
    }

    // The warning is confirmed with OK; the final page is closed with its close box.
    void AnswerPages() {
        const WindowHandle page = OpenPage(sys_, main_);
        if (page == WindowHandle::Null || page == answered_) {
            return;
        }
        answered_ = page;
        ++pages_;
        if (pages_ == 1) {
            if (const auto timer = TimerWindow(sys_, main_)) {
                Say("the timer window counts down at (" + std::to_string(timer->left) + "," +
                    std::to_string(timer->top) + ")-(" + std::to_string(timer->right) + "," +
                    std::to_string(timer->bottom) + "), the work area's corner");
            }
            Say("the warning page is up: the user presses OK and goes on");
            sys_.windows.PostMessage(page, platform::wm::kCommand, platform::id::kOk, 0);
        } else {
            Say("the session is over: its final page is up, the user closes it");
            sys_.windows.PostMessage(page, platform::wm::kClose, 0, 0);
            if (step_ == Step::SessionEnd) {
                step_ = Step::Closed;
            }
        }
    }

    void FollowProgram() {
        const WindowHandle window = sys_.windows.FindWindow(std::string("CorvaneKioskApp"), title_);
        const uint32_t process =
            window == WindowHandle::Null ? 0 : sys_.windows.GetWindowProcessId(window);
        switch (step_) {
            case Step::FirstStart:
                if (process != 0) {
                    Say("\"" + title_ + "\" runs as process " + std::to_string(process) +
                        "; killing it");
                    sys_.processes.TerminateProcessById(process, 9);
                    killed_ = process;
                    killedAt_ = Clock::now();
                    step_ = Step::Restart;
                }
                break;
            case Step::Restart:
                if (process != 0 && process != killed_) {
                    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                                        Clock::now() - killedAt_)
                                        .count();
                    Say("brought back by auto restart as process " + std::to_string(process) +
                        ", " + std::to_string(ms) + " ms after it was killed");
                    running_ = process;
                    step_ = Step::SessionEnd;
                }
                break;
            case Step::SessionEnd:
                break;
            case Step::Closed:
                if (process != running_) {
                    Say("its window was closed with the session, and the program ended");
                    step_ = Step::BackAgain;
                }
                break;
            case Step::BackAgain:
                if (process != 0 && process != running_) {
                    Say("started again by auto restart as process " + std::to_string(process));
                    step_ = Step::Done;
                }
                break;
            case Step::Done:
                break;
        }
    }

    platform::System& sys_;
    std::ostream& out_;
    std::string title_;
    Clock::time_point start_;
    WindowHandle main_ = WindowHandle::Null;
    WindowHandle answered_ = WindowHandle::Null;
    int pages_ = 0;
    Step step_ = Step::FirstStart;
    uint32_t killed_ = 0;
    uint32_t running_ = 0;
    Clock::time_point killedAt_;
};

}  // namespace

bool WatchSession(platform::System& sys, std::ostream& out, const std::string& programTitle,
                  uint32_t timeoutMs) {
    return Watch(sys, out, programTitle).Run(timeoutMs);
}

}  // namespace corvane::tools
