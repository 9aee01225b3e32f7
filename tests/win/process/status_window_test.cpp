// The status window's font, as its panel and label hand it out (WM_GETFONT):
// Tahoma bold, 16 pixels high at 96 DPI (12 points), scaled with the DPI of
// the monitor the window moves to.
#include <gtest/gtest.h>

#include <windows.h>

#include <ostream>

#include "param_name.h"
#include "status_window.h"

namespace {

struct FontCase {
    const char* name;
    UINT dpi;  // the monitor's DPI the window is moved to; 96 leaves it as made
    LONG height;  // character height in pixels
};
void PrintTo(const FontCase& c, std::ostream* os) { *os << c.name; }

class StatusWindowFont : public testing::TestWithParam<FontCase> {};

TEST_P(StatusWindowFont, IsTahomaBoldOfTheDesignHeight) {
    const TStatusWindow window{TStatusWindow::THandlers{}};
    if (GetParam().dpi != USER_DEFAULT_SCREEN_DPI) {
        RECT suggested = {0, 0, 450, 105};
        ::SendMessageW(window.Handle(), WM_DPICHANGED, MAKEWPARAM(GetParam().dpi, GetParam().dpi),
                       reinterpret_cast<LPARAM>(&suggested));
    }
    const HWND panel = ::FindWindowExW(window.Handle(), nullptr, L"TPanel", nullptr);
    ASSERT_NE(panel, nullptr);
    const HWND label = ::FindWindowExW(panel, nullptr, L"TLabel", nullptr);
    ASSERT_NE(label, nullptr);
    for (const HWND control : {panel, label}) {
        SCOPED_TRACE(control == panel ? "panel" : "label");
        const auto font = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
        ASSERT_NE(font, nullptr);
        LOGFONTW logFont = {};
        ASSERT_EQ(::GetObjectW(font, sizeof(logFont), &logFont), static_cast<int>(sizeof(logFont)));
        EXPECT_STREQ(logFont.lfFaceName, L"Tahoma");
        EXPECT_EQ(logFont.lfWeight, FW_BOLD);
        // Negative: the character height, without the internal leading.
        EXPECT_EQ(logFont.lfHeight, -GetParam().height);
        EXPECT_EQ(logFont.lfCharSet, DEFAULT_CHARSET);
    }
}

INSTANTIATE_TEST_SUITE_P(Dpi, StatusWindowFont,
                         testing::Values(FontCase{"Design96", USER_DEFAULT_SCREEN_DPI, 16},
                                         FontCase{"Moved144", 144, 24}),
                         TParamName());

}  // namespace
