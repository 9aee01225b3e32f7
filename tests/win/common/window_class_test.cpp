// Registering the program's window classes: a class that is already there is
// taken only when it is the same class.
#include <gtest/gtest.h>
#include <windows.h>

#include "errors.h"
#include "param_name.h"
#include "window_class.h"

namespace {

LRESULT CALLBACK FirstProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(window, message, wParam, lParam);
}
LRESULT CALLBACK SecondProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(window, message, wParam, lParam);
}

struct TClassCase {
    const char* name;
    const wchar_t* className;
    WNDPROC registeredBefore;  // null: the class is new
    WNDPROC registeredNow;
    bool raises;  // with ERROR_CLASS_ALREADY_EXISTS
};
void PrintTo(const TClassCase& c, std::ostream* os) { *os << c.name; }

class RegisterWindowClassTest : public testing::TestWithParam<TClassCase> {};

TEST_P(RegisterWindowClassTest, TakesOnlyTheSameClassAgain) {
    const TClassCase& c = GetParam();
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = c.className;
    if (c.registeredBefore) {
        windowClass.lpfnWndProc = c.registeredBefore;
        ASSERT_NE(::RegisterClassExW(&windowClass), 0);
    }
    windowClass.lpfnWndProc = c.registeredNow;
    if (c.raises) {
        try {
            RegisterWindowClass(windowClass);
            ADD_FAILURE() << "no failure raised";
        } catch (const EOSError& failure) {
            EXPECT_EQ(failure.ErrorCode, static_cast<unsigned long>(ERROR_CLASS_ALREADY_EXISTS));
        }
    } else {
        EXPECT_NO_THROW(RegisterWindowClass(windowClass));
    }
    WNDCLASSEXW registered = {};
    registered.cbSize = sizeof(registered);
    ASSERT_TRUE(::GetClassInfoExW(windowClass.hInstance, c.className, &registered));
    EXPECT_EQ(registered.lpfnWndProc, c.registeredBefore ? c.registeredBefore : c.registeredNow);
    ::UnregisterClassW(c.className, windowClass.hInstance);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RegisterWindowClassTest,
    testing::Values(TClassCase{"NewClass", L"KestrumClassNew", nullptr, &FirstProcedure, false},
                    TClassCase{"SameClassAgain", L"KestrumClassAgain", &FirstProcedure, &FirstProcedure, false},
                    TClassCase{"SameNameOtherProcedure", L"KestrumClassOther", &FirstProcedure, &SecondProcedure,
                               true}),
    TParamName());

}  // namespace
