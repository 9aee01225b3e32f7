#include "errors.h"

#include <gtest/gtest.h>

#include <string>

#include "param_name.h"

namespace {

// Code points written as wide text the way this platform stores them.
std::wstring Wide(std::u32string points) {
    std::wstring text;
    for (const char32_t point : points) {
        if (sizeof(wchar_t) == 2 && point > 0xFFFF) {
            text += static_cast<wchar_t>(0xD800 + ((point - 0x10000) >> 10));
            text += static_cast<wchar_t>(0xDC00 + ((point - 0x10000) & 0x3FF));
        } else {
            text += static_cast<wchar_t>(point);
        }
    }
    return text;
}

struct Utf8Case {
    const char* name;
    std::u32string text;
    std::string utf8;
};

class Utf8TextTest : public testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8TextTest, EncodesEachCodePoint) { EXPECT_EQ(Utf8Text(Wide(GetParam().text)), GetParam().utf8); }

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8TextTest,
    testing::Values(Utf8Case{"Empty", U"", ""}, Utf8Case{"Ascii", U"E/A-Fehler 104", "E/A-Fehler 104"},
                    Utf8Case{"TwoBytes", U"ge\u00f6ffnet", "ge\xc3\xb6" "ffnet"},
                    Utf8Case{"ThreeBytes", U"\u20ac 5", "\xe2\x82\xac 5"},
                    Utf8Case{"FourBytes", U"a\U0001F600b", "a\xf0\x9f\x98\x80" "b"},
                    // A high surrogate without its low half.
                    Utf8Case{"LoneSurrogate", std::u32string(1, U'a') + char32_t(0xD800) + U"b",
                             "a\xef\xbf\xbd" "b"}),
    TParamName());

// Whatever logs standard exceptions sees the German message.
TEST(ExceptionWhat, IsTheMessageInUtf8) {
    const EFCreateError error(L"C:\\Daten\\Gr\u00f6\u00dfe.sldprtKS", L"Zugriff verweigert");
    const std::exception& standard = error;
    EXPECT_STREQ(standard.what(),
                 "Datei \"C:\\Daten\\Gr\xc3\xb6\xc3\x9f" "e.sldprtKS\" kann nicht erstellt werden. Zugriff verweigert");
    const EOSError osError(L"Systemfehler.  Code: 5.", 5);
    EXPECT_STREQ(static_cast<const std::exception&>(osError).what(), "Systemfehler.  Code: 5.");
    EXPECT_EQ(osError.ErrorCode, 5u);
}

}  // namespace
