// The test build of the program (bin/fault/KestrumHelper.exe): the real form,
// program run and error handling, with operations that fail or report counts
// as the environment asks.
//   KESTRUM_FAULT_MESSAGE  the operation raises a failure with this message
//   KESTRUM_FAULT_KIND     "abort" raises the silent kind instead; "access"
//                          writes through a null pointer (an access violation
//                          in the program itself); "setup" makes the
//                          application's set-up fail, outside the handlers:
//                          its window class is taken before the program
//                          starts, with another window procedure
//   KESTRUM_FAULT_COUNTS   "NEW,UPDATED": the property update reports these
#include <windows.h>

#include <cwchar>
#include <string>

#include "errors.h"
#include "MainDlg.h"

namespace {

bool ReadVariable(const wchar_t* name, std::wstring& value) {
    wchar_t buffer[1024] = {};
    const DWORD length = GetEnvironmentVariableW(name, buffer, 1024);
    if (length == 0 || length >= 1024) return false;
    value.assign(buffer, length);
    return true;
}

// Pointer and target are volatile: the store stays, as it is.
void WriteThroughNullPointer() {
    volatile int* volatile nowhere = nullptr;
    *nowhere = 1;
}

void FailWhenAsked() {
    std::wstring kind, message;
    if (ReadVariable(L"KESTRUM_FAULT_KIND", kind) && kind == L"abort") throw EAbort();
    if (kind == L"access") WriteThroughNullPointer();
    if (ReadVariable(L"KESTRUM_FAULT_MESSAGE", message)) {
        // Escapes written as \r and \n stand for the control characters.
        std::wstring text;
        for (std::size_t i = 0; i < message.size(); ++i) {
            if (message[i] == L'\\' && i + 1 < message.size() && (message[i + 1] == L'r' || message[i + 1] == L'n')) {
                text += message[i + 1] == L'r' ? L'\r' : L'\n';
                ++i;
            } else {
                text += message[i];
            }
        }
        throw Exception(text);
    }
}

TPropertyCounts FaultPropertyCounts() {
    FailWhenAsked();
    TPropertyCounts counts;
    std::wstring text;
    if (ReadVariable(L"KESTRUM_FAULT_COUNTS", text)) {
        wchar_t* rest = nullptr;
        counts.AnzNeu = static_cast<int>(std::wcstol(text.c_str(), &rest, 10));
        if (rest && *rest == L',') counts.AnzAkt = static_cast<int>(std::wcstol(rest + 1, nullptr, 10));
    }
    return counts;
}

TFormOperations FaultOperations() {
    TFormOperations operations;
    operations.ExtractThumbnail = [](const std::wstring&) { FailWhenAsked(); };
    operations.FillProperties = [](const std::wstring&, const std::wstring&) { return FaultPropertyCounts(); };
    operations.ExecuteProcess = [](const std::wstring&, const std::wstring&, const std::wstring&, bool, bool, bool,
                                   DWORD&, const TMessagePump&) {
        FailWhenAsked();
        return true;
    };
    return operations;
}

// The class name of the application's hidden window, taken first, so that
// its registration (another window procedure) fails with
// ERROR_CLASS_ALREADY_EXISTS.
void TakeApplicationWindowClassWhenAsked(HINSTANCE instance) {
    std::wstring kind;
    if (!ReadVariable(L"KESTRUM_FAULT_KIND", kind) || kind != L"setup") return;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"TApplication";
    RegisterClassExW(&windowClass);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    TakeApplicationWindowClassWhenAsked(instance);
    return RunProgram(FaultOperations());
}
