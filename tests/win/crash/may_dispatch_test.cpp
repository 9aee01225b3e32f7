// After a fault the program's message loops dispatch only its own windows:
// the form, the hidden application window and the boxes it shows itself,
// owned by either or by none; a library's windows and boxes, its timer
// procedures stay dropped.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "application.h"
#include "dispatch_rule.h"
#include "faults.h"
#include "message_box.h"
#include "param_name.h"
#include "queue_wait.h"

namespace {

const wchar_t* const cFormClass = L"KestrumMayDispatchForm";

HWND gForm = nullptr;
HWND FormWindow() { return gForm; }
HWND ApplicationWindow() { return Application ? Application->Handle() : nullptr; }

void CALLBACK LibraryTimerProc(HWND, UINT, UINT_PTR, DWORD) {}

// The program with a fault behind it: the application object, a form window
// and the crash filter, for the life of the test program.
class FaultedProgram : public testing::Environment {
public:
    void SetUp() override {
        fApplication.Initialize();
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = &::DefWindowProcW;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = cFormClass;
        ASSERT_NE(::RegisterClassExW(&windowClass), 0);
        gForm = ::CreateWindowExW(0, cFormClass, L"Form", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(gForm, nullptr);
        TCrashFilterApplication application;
        application.Window = &ApplicationWindow;
        TCrashFilterForm form;
        form.Window = &FormWindow;
        InstallCrashFilter(application, form);
        MarkFaultForTesting();
    }

private:
    TApplication fApplication;
};

const testing::Environment* const gProgram = testing::AddGlobalTestEnvironment(new FaultedProgram);

// Who shows a box on a thread of its own: the program (ShowMessageBox) or a
// library (MessageBoxW itself).
enum class Shower { Program, Library };
// The box's owner.
enum class Owner { Form, Application, None };

HWND OwnerWindow(Owner owner) {
    switch (owner) {
        case Owner::Form: return gForm;
        case Owner::Application: return Application->Handle();
        case Owner::None: return nullptr;
    }
    return nullptr;
}

// A box on a thread of its own, up while the object lives.
class TShownBox {
public:
    TShownBox(Shower shower, Owner owner, const std::wstring& caption)
        : fShower(shower), fOwner(OwnerWindow(owner)), fCaption(caption) {
        fThread = ::CreateThread(nullptr, 0, &Show, this, 0, nullptr);
        for (int attempt = 0; attempt < 200 && fThread && !fBox; ++attempt) {
            // The box's thread sends its owner messages meanwhile.
            static_cast<void>(WaitServingMessages(nullptr, 50));
            fBox = ::FindWindowW(L"#32770", fCaption.c_str());
        }
    }
    ~TShownBox() {
        if (fBox) ::PostMessageW(fBox, WM_COMMAND, IDOK, 0);
        if (fThread) {
            static_cast<void>(WaitServingMessages(fThread, 10000));
            ::CloseHandle(fThread);
        }
    }
    TShownBox(const TShownBox&) = delete;
    TShownBox& operator=(const TShownBox&) = delete;
    HWND Box() const { return fBox; }

private:
    static DWORD WINAPI Show(void* parameter) {
        const TShownBox& shown = *static_cast<TShownBox*>(parameter);
        if (shown.fShower == Shower::Program) {
            ShowMessageBox(shown.fOwner, L"Text", shown.fCaption.c_str(), MB_OK);
        } else {
            ::MessageBoxW(shown.fOwner, L"Text", shown.fCaption.c_str(), MB_OK);
        }
        return 0;
    }

    Shower fShower;
    HWND fOwner;
    std::wstring fCaption;
    HANDLE fThread = nullptr;
    HWND fBox = nullptr;
};

struct BoxCase {
    const char* name;
    Shower shower;
    Owner owner;
    bool dispatched;
};

class MayDispatchBoxTest : public testing::TestWithParam<BoxCase> {};

TEST_P(MayDispatchBoxTest, DispatchesOnlyTheProgramsOwnBoxes) {
    const std::string name = GetParam().name;
    const TShownBox shown(GetParam().shower, GetParam().owner, std::wstring(name.begin(), name.end()));
    ASSERT_NE(shown.Box(), nullptr) << "no box came";
    MSG message = {};
    message.hwnd = shown.Box();
    message.message = WM_KEYDOWN;
    message.wParam = VK_RETURN;
    EXPECT_EQ(MayDispatch(message), GetParam().dispatched);
}

INSTANTIATE_TEST_SUITE_P(Cases, MayDispatchBoxTest,
                         testing::Values(BoxCase{"BoxOwnedByTheForm", Shower::Program, Owner::Form, true},
                                         BoxCase{"BoxOwnedByTheApplicationWindow", Shower::Program,
                                                 Owner::Application, true},
                                         BoxCase{"BoxWithoutOwner", Shower::Program, Owner::None, true},
                                         BoxCase{"LibraryBoxOwnedByTheForm", Shower::Library, Owner::Form, false}),
                         TParamName());

// The other messages: the form, a foreign window, a timer procedure, the quit.
TEST(MayDispatchTest, TheFormAndTheQuitPassTheRestIsDropped) {
    MSG message = {};
    message.hwnd = gForm;
    message.message = WM_KEYDOWN;
    EXPECT_TRUE(MayDispatch(message)) << "the form";

    const HWND foreign = ::CreateWindowExW(0, L"STATIC", L"Library", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                           ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(foreign, nullptr);
    message.hwnd = foreign;
    EXPECT_FALSE(MayDispatch(message)) << "a foreign top-level window on the thread";
    ::DestroyWindow(foreign);

    message.hwnd = gForm;
    message.message = WM_TIMER;
    message.lParam = reinterpret_cast<LPARAM>(&LibraryTimerProc);
    EXPECT_FALSE(MayDispatch(message)) << "a timer procedure";

    message = MSG{};
    message.message = WM_QUIT;
    EXPECT_TRUE(MayDispatch(message)) << "the quit message";
}

}  // namespace
