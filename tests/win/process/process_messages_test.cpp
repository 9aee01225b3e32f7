// The application's step that dispatches every pending window message: a quit
// message taken there marks the application as ending, and the messages behind
// it in the queue are dispatched all the same.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "application.h"
#include "handles.h"
#include "param_name.h"
#include "window_class.h"

namespace {

const UINT cProbeMessage = WM_APP + 7;
const UINT_PTR cProbeTimer = 3;

// A hidden window of this thread that counts what reaches its window procedure.
class TCountingWindow {
public:
    TCountingWindow() {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = WndProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"KestrumMessageCountWindow";
        RegisterWindowClass(wc);  // taken as it is when an earlier test registered it
        fWindow = ::CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"count", WS_POPUP, 0, 0, 40, 30, nullptr,
                                    nullptr, wc.hInstance, nullptr);
        ::SetWindowLongPtrW(fWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~TCountingWindow() {
        ::KillTimer(fWindow, cProbeTimer);
        ::DestroyWindow(fWindow);
    }
    TCountingWindow(const TCountingWindow&) = delete;
    TCountingWindow& operator=(const TCountingWindow&) = delete;

    HWND Handle() const noexcept { return fWindow; }
    int probes = 0, paints = 0, timers = 0;

private:
    static LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<TCountingWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && message == cProbeMessage) {
            ++self->probes;
            return 0;
        }
        if (self && message == WM_TIMER && wParam == cProbeTimer) {
            ::KillTimer(window, cProbeTimer);
            ++self->timers;
            return 0;
        }
        if (message == WM_PAINT) {
            { const TPaint paint(window); }
            if (self) ++self->paints;
            return 0;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    HWND fWindow = nullptr;
};

// Empties this thread's queue without the step under test.
void DrainQueue() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message != WM_QUIT) ::DispatchMessageW(&msg);
    }
}

struct TQuitCase {
    const char* name;
    // Puts a quit message and then something else into the queue.
    std::function<void(TCountingWindow&)> stage;
    int probes, paints, timers;  // what the window must have received
};
void PrintTo(const TQuitCase& c, std::ostream* os) { *os << c.name; }

class ProcessMessagesQuitTest : public testing::TestWithParam<TQuitCase> {};

TEST_P(ProcessMessagesQuitTest, DispatchesWhatFollowsTheQuitMessage) {
    const TQuitCase& c = GetParam();
    TApplication application;
    TCountingWindow window;
    DrainQueue();  // the window's own start-up messages
    window.probes = window.paints = window.timers = 0;

    c.stage(window);
    application.ProcessMessages();

    EXPECT_TRUE(application.Terminated()) << "the quit message did not mark the application as ending";
    EXPECT_EQ(window.probes, c.probes);
    EXPECT_EQ(window.paints, c.paints);
    EXPECT_EQ(window.timers, c.timers);
    MSG msg;
    EXPECT_FALSE(::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) << "left message " << msg.message;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProcessMessagesQuitTest,
    testing::Values(
        // A quit message posted like any other keeps its place in the queue.
        TQuitCase{"PostedMessageAfterPostedQuit",
                  [](TCountingWindow& window) {
                      ::PostThreadMessageW(::GetCurrentThreadId(), WM_QUIT, 0, 0);
                      ::PostMessageW(window.Handle(), cProbeMessage, 0, 0);
                      ::PostMessageW(window.Handle(), cProbeMessage, 0, 0);
                  },
                  2, 0, 0},
        // PostQuitMessage's quit comes before paints and timers.
        TQuitCase{"PaintAfterQuit",
                  [](TCountingWindow& window) {
                      ::ShowWindow(window.Handle(), SW_SHOWNOACTIVATE);
                      DrainQueue();  // the paint that showing it brings
                      window.paints = 0;
                      ::PostQuitMessage(0);
                      ::InvalidateRect(window.Handle(), nullptr, TRUE);
                  },
                  0, 1, 0},
        TQuitCase{"TimerAfterQuit",
                  [](TCountingWindow& window) {
                      ::SetTimer(window.Handle(), cProbeTimer, 10, nullptr);
                      ::Sleep(100);  // the timer is due
                      ::PostQuitMessage(0);
                  },
                  0, 0, 1}),
    TParamName());

TEST(ProcessMessages, WithoutQuitMessageTheApplicationGoesOn) {
    TApplication application;
    TCountingWindow window;
    DrainQueue();
    window.probes = 0;
    ::PostMessageW(window.Handle(), cProbeMessage, 0, 0);
    application.ProcessMessages();
    EXPECT_EQ(window.probes, 1);
    EXPECT_FALSE(application.Terminated());
}

}  // namespace
