// The application object: an application, with its window classes, may
// follow another in the same process.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "application.h"
#include "status_window.h"

namespace {

std::wstring ClassNameOf(HWND window) {
    wchar_t name[256] = {};
    const int length = ::GetClassNameW(window, name, 256);
    return std::wstring(name, length > 0 ? static_cast<std::size_t>(length) : 0);
}

TEST(ApplicationTest, TwoApplicationsOneAfterTheOtherInOneProcess) {
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE("application " + std::to_string(round));
        TApplication application;
        ASSERT_NO_THROW(application.Initialize());
        ASSERT_TRUE(::IsWindow(application.Handle()));
        EXPECT_EQ(ClassNameOf(application.Handle()), L"TApplication");
        EXPECT_EQ(Application, &application);
        // The status window's classes, too, serve a second window.
        const TStatusWindow window{TStatusWindow::THandlers{}};
        ASSERT_TRUE(::IsWindow(window.Handle()));
        EXPECT_EQ(ClassNameOf(window.Handle()), L"TfrmMain");
    }
    EXPECT_EQ(Application, nullptr);
}

}  // namespace
