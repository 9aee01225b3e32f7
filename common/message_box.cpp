#include "message_box.h"

#include <atomic>
#include <cwchar>

#include "handles.h"

namespace {

const wchar_t* const cDialogClass = L"#32770";

// The boxes up now, on any thread, each in a slot taken by the thread that
// shows it (a box nested in another's modal loop takes a slot of its own).
// More boxes at once than slots are shown all the same, only not recorded.
// Fixed storage: a box of a crash report is shown where the heap may be
// locked.
struct TBoxSlot {
    std::atomic<DWORD> Thread{0};
    std::atomic<HWND> Box{nullptr};
    // Touched only by the thread that holds the slot.
    bool Waiting = false;  // the box is still to be made
    bool Topmost = false;
};
const int cBoxSlots = 8;
TBoxSlot gBoxes[cBoxSlots];

TBoxSlot* TakeSlot(bool topmost) noexcept {
    const DWORD thread = ::GetCurrentThreadId();
    for (TBoxSlot& slot : gBoxes) {
        DWORD free = 0;
        if (slot.Thread.compare_exchange_strong(free, thread)) {
            slot.Waiting = true;
            slot.Topmost = topmost;
            return &slot;
        }
    }
    return nullptr;
}

// The slot of this thread whose box is still to be made.
TBoxSlot* WaitingSlot() noexcept {
    const DWORD thread = ::GetCurrentThreadId();
    for (TBoxSlot& slot : gBoxes) {
        if (slot.Thread.load() == thread && slot.Waiting) return &slot;
    }
    return nullptr;
}

TBoxSlot* SlotOf(HWND box) noexcept {
    for (TBoxSlot& slot : gBoxes) {
        if (slot.Box.load() == box) return &slot;
    }
    return nullptr;
}

// Records the box as it is made (the first dialog box its thread makes while
// the box is waited for); raises it, when it is to be topmost, every time it
// becomes active.
LRESULT CALLBACK WatchBox(int code, WPARAM wParam, LPARAM lParam) {
    const HWND window = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_CREATEWND && IsDialogBox(window)) {
        if (TBoxSlot* slot = WaitingSlot()) {
            slot->Waiting = false;
            slot->Box = window;
        }
    }
    if (code == HCBT_ACTIVATE) {
        const TBoxSlot* slot = SlotOf(window);
        if (slot && slot->Topmost) {
            ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

bool IsDialogBox(HWND window) noexcept {
    wchar_t className[8] = {};
    return ::GetClassNameW(window, className, 8) && std::wcscmp(className, cDialogClass) == 0;
}

int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    TBoxSlot* const slot = TakeSlot((type & MB_TOPMOST) != 0);
    int answer = 0;
    {
        // Without the hook the box still comes, raised by the flag alone
        // where the system acts on it: a box is never kept back for want of
        // a hook.
        const THookHandle hook(::SetWindowsHookExW(WH_CBT, &WatchBox, nullptr, ::GetCurrentThreadId()));
        answer = ::MessageBoxW(owner, text, caption, type);
    }
    if (slot) {
        slot->Box = nullptr;
        slot->Waiting = false;
        slot->Thread = 0;
    }
    return answer;
}

bool IsProgramMessageBox(HWND window) noexcept { return window && SlotOf(window); }
