#include "application.h"

#include <objbase.h>

#include <atomic>

#include "com_support.h"
#include "dispatch_rule.h"
#include "error_text.h"
#include "failure_text.h"
#include "library_call.h"
#include "message_box.h"
#include "module_path.h"
#include "os_error.h"
#include "paths.h"
#include "window_class.h"

TApplication* Application = nullptr;

namespace {

const wchar_t* const cAppWindowClass = L"TApplication";

// The thread that ran the latest handler, and how many handlers it runs now
// (a handler's box runs the timer's handler inside).
std::atomic<DWORD> gHandlerThread{0};
std::atomic<int> gHandlerDepth{0};

std::wstring LowerCase(const std::wstring& text) {
    std::wstring lower = text;
    if (!lower.empty()) ::CharLowerBuffW(lower.data(), static_cast<DWORD>(lower.size()));
    return lower;
}

}  // namespace

TApplication::TApplication() {
    Application = this;
    const std::wstring programPath = ProgramFilePath();
    if (programPath.empty()) RaiseLastOSError();
    fTitle = ApplicationTitle(programPath, &LowerCase);
}

TApplication::~TApplication() {
    fHandle.Reset();
    if (fComInitialized) {
        // Unloads the libraries COM loaded: their clean-up runs here.
        const TLibraryCall finishing(TLibraryCallKind::Finishing);
        ::CoUninitialize();
    }
    if (Application == this) Application = nullptr;
}

void TApplication::Initialize() {
    OleCheck(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
    fComInitialized = true;

    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &TApplication::WndProc;
    wc.hInstance = instance;
    wc.lpszClassName = cAppWindowClass;
    RegisterWindowClass(wc);
    // Hidden, owns nothing on screen; owner of error boxes when no window is active.
    fHandle.Reset(::CreateWindowExW(0, cAppWindowClass, fTitle.c_str(), WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                    instance, nullptr));
    if (!fHandle) RaiseLastOSError();
}

LRESULT CALLBACK TApplication::WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void TApplication::Run(const std::function<void()>& showMainForm) {
    showMainForm();
    RunMessageLoop();
}

void TApplication::RunMessageLoop() {
    MSG msg;
    while (!fTerminated) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        if (!MayDispatch(msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void TApplication::Terminate() {
    fTerminated = true;
    // The quit message also ends a modal loop (an error box) that is open now.
    ::PostQuitMessage(0);
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        // A quit message marks the application as ending; the messages behind
        // it (paints, timers) are still dispatched.
        if (msg.message == WM_QUIT) {
            fTerminated = true;
            continue;
        }
        if (!MayDispatch(msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void TApplication::HandleException(std::exception_ptr failure) {
    const TFailureText text = DescribeFailure(failure);
    if (text.Silent) return;
    ShowErrorBox(text.Message);
}

void TApplication::ShowErrorBox(const std::wstring& message) {
    HWND owner = ::GetActiveWindow();
    if (!owner) owner = Handle();
    UINT type = MB_OK | MB_ICONSTOP;
    // A box whose owner is not on screen (the hidden application window)
    // could open behind the main product's window, unseen while the program
    // waits for it.
    if (!::IsWindowVisible(owner)) type |= MB_TOPMOST;
    ShowMessageBox(owner, WithFinalDot(message).c_str(), fTitle.c_str(), type);
}

THandlerMark::THandlerMark() noexcept {
    gHandlerThread = ::GetCurrentThreadId();
    ++gHandlerDepth;
}

THandlerMark::~THandlerMark() { --gHandlerDepth; }

bool THandlerMark::Inside() noexcept { return gHandlerDepth > 0 && gHandlerThread == ::GetCurrentThreadId(); }

void ShowApplicationError(std::exception_ptr failure) {
    const TFailureText text = DescribeFailure(failure);
    const std::wstring path = ProgramFilePath();
    const std::wstring module = path.empty() ? std::wstring(L"KestrumHelper.exe") : ExtractFileName(path);
    // C++ failures carry no code address; the box shows 0 there.
    ShowApplicationError(text.ClassName, module, 0, text.Message);
}

void ShowApplicationError(const std::wstring& className, const std::wstring& moduleName, std::uint64_t address,
                          const std::wstring& message) {
    const std::wstring text = ApplicationErrorText(className, moduleName, address, message);
    // No owner: kept above the main product's window, where it is seen.
    ShowMessageBox(nullptr, text.c_str(), L"Anwendungsfehler", MB_OK | MB_ICONSTOP | MB_TASKMODAL | MB_TOPMOST);
}
