// From OLE picture to bitmap: sizes through the screen's HIMETRIC mapping,
// the drawing of each kind of picture, a 32-bit picture's alpha
// (premultiplied or straight, its bitmap selected elsewhere or its pixels
// unreadable) laid over white or passed over, and the failures on the way.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <iostream>
#include <optional>
#include <ostream>
#include <string>

#include "errors.h"
#include "ole_picture.h"
#include "os_error.h"
#include "param_name.h"
#include "preview_test_support.h"
#include "process_picture.h"

using Microsoft::WRL::ComPtr;

namespace {

// The test prefix's screen has 96 pixels per inch, so 25.4 mm are 96 pixels.
TEST(ScreenPixels, HimetricExtentsAt96PixelsPerInch) {
    const TWindowDC screen(nullptr);
    std::cout << "screen: " << ::GetDeviceCaps(screen.Get(), HORZRES) << " x "
              << ::GetDeviceCaps(screen.Get(), VERTRES) << " pixels, reported as "
              << ::GetDeviceCaps(screen.Get(), HORZSIZE) << " x " << ::GetDeviceCaps(screen.Get(), VERTSIZE)
              << " mm, " << ::GetDeviceCaps(screen.Get(), LOGPIXELSX) << " DPI\n";
    EXPECT_EQ(ScreenPixelsX(2540), 96);
    EXPECT_EQ(ScreenPixelsY(1270), 48);
    EXPECT_EQ(ScreenPixelsX(1), 0);
    // Rounded to the nearest pixel, by the millimetres the screen reports.
    EXPECT_EQ(ScreenPixelsX(27093), ::MulDiv(27093, ::GetDeviceCaps(screen.Get(), HORZRES),
                                             ::GetDeviceCaps(screen.Get(), HORZSIZE) * 100));
    EXPECT_EQ(ScreenPixelsY(20320), ::MulDiv(20320, ::GetDeviceCaps(screen.Get(), VERTRES),
                                             ::GetDeviceCaps(screen.Get(), VERTSIZE) * 100));
    EXPECT_EQ(ScreenPixelsX(0), 0);
    EXPECT_EQ(ScreenPixelsY(0), 0);
}

enum class TExpect { Quarters, White, NoPixels };

struct PictureCase {
    const char* name;
    std::function<ComPtr<IPicture>(TRenderCall*)> make;
    TExpect expect;
    int width;   // pixels expected when the bitmap has pixels
    int height;
};

void PrintTo(const PictureCase& c, std::ostream* os) { *os << c.name; }

class ProcessPictureTest : public testing::TestWithParam<PictureCase> {};

TEST_P(ProcessPictureTest, BitmapOfTheRightSizeAndContent) {
    const PictureCase& c = GetParam();
    TRenderCall calls;
    const ComPtr<IPicture> picture = c.make(&calls);
    const TScreenBitmap bitmap = processPicture(picture.Get());
    if (c.expect == TExpect::NoPixels) {
        EXPECT_TRUE(bitmap.Empty());
        EXPECT_TRUE(bitmap.Bgr24Copy().Bytes.empty());
        EXPECT_EQ(calls.Count, 0);
        return;
    }
    ASSERT_FALSE(bitmap.Empty());
    ASSERT_EQ(bitmap.Width(), c.width);
    ASSERT_EQ(bitmap.Height(), c.height);
    const TBgrCopy copy = bitmap.Bgr24Copy();
    if (c.expect == TExpect::White) {
        EXPECT_EQ(calls.Count, 0) << "a picture without a type was drawn";
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                ASSERT_EQ(PixelOf(copy, x, y), RGB(255, 255, 255)) << "pixel " << x << "," << y;
            }
        }
        return;
    }
    // Upright and not mirrored: each quarter in its place, up to the edges.
    const int w = c.width;
    const int h = c.height;
    const struct {
        int x, y;
        COLORREF colour;
    } probes[] = {{w / 4, h / 4, cQuarters.TopLeft},           {3 * w / 4, h / 4, cQuarters.TopRight},
                  {w / 4, 3 * h / 4, cQuarters.BottomLeft},    {3 * w / 4, 3 * h / 4, cQuarters.BottomRight},
                  {0, 0, cQuarters.TopLeft},                   {w - 1, 0, cQuarters.TopRight},
                  {0, h - 1, cQuarters.BottomLeft},            {w - 1, h - 1, cQuarters.BottomRight}};
    for (const auto& p : probes) {
        EXPECT_TRUE(NearColour(PixelOf(copy, p.x, p.y), p.colour, 8))
            << "pixel " << p.x << "," << p.y << " is " << ColourText(PixelOf(copy, p.x, p.y)) << ", not "
            << ColourText(p.colour);
    }
}

TPictureScript Script(SHORT type, long width, long height) {
    TPictureScript script;
    script.Type = type;
    script.HimetricWidth = width;
    script.HimetricHeight = height;
    return script;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProcessPictureTest,
    testing::Values(
        PictureCase{"Bitmap", [](TRenderCall*) { return BitmapPicture(96, 48, cQuarters, false); }, TExpect::Quarters,
                    96, 48},
        PictureCase{"BitmapWithPalette", [](TRenderCall*) { return BitmapPicture(64, 40, cQuarters, true); },
                    TExpect::Quarters, 64, 40},
        PictureCase{"EnhancedMetafile", [](TRenderCall*) { return MetafilePicture(2540, 1270, cQuarters); },
                    TExpect::Quarters, 96, 48},
        PictureCase{"TypeNoneWithSize",
                    [](TRenderCall* calls) { return ScriptedPicture(Script(PICTYPE_NONE, 2540, 1270), calls); },
                    TExpect::White, 96, 48},
        PictureCase{"Uninitialised",
                    [](TRenderCall* calls) { return ScriptedPicture(Script(PICTYPE_UNINITIALIZED, 1270, 2540), calls); },
                    TExpect::White, 48, 96},
        PictureCase{"TypeNotTold",
                    [](TRenderCall* calls) {
                        TPictureScript script = Script(PICTYPE_BITMAP, 2540, 1270);
                        script.TypeResult = E_FAIL;
                        return ScriptedPicture(script, calls);
                    },
                    TExpect::White, 96, 48},
        PictureCase{"NoPicture", [](TRenderCall*) { return ComPtr<IPicture>(); }, TExpect::NoPixels, 0, 0},
        PictureCase{"ZeroWidth",
                    [](TRenderCall* calls) { return ScriptedPicture(Script(PICTYPE_BITMAP, 0, 1270), calls); },
                    TExpect::NoPixels, 0, 0},
        PictureCase{"UnderHalfAPixelHigh",
                    [](TRenderCall* calls) { return ScriptedPicture(Script(PICTYPE_BITMAP, 2540, 10), calls); },
                    TExpect::NoPixels, 0, 0},
        PictureCase{"SizeNotTold",
                    [](TRenderCall* calls) {
                        TPictureScript script = Script(PICTYPE_BITMAP, 2540, 1270);
                        script.SizeResult = E_FAIL;
                        return ScriptedPicture(script, calls);
                    },
                    TExpect::NoPixels, 0, 0}),
    TParamName());

// A 32-bit DIB section picture in quarters of blue, green, red and alpha
// (premultiplied) bytes, top row first or bottom row first.
struct TBgra {
    std::uint8_t B, G, R, A;
};
ComPtr<IPicture> Bgra32Picture(int width, int height, const TBgra (&quarters)[4], bool topDown) {
    return DibSectionPicture(width, height, 32, topDown, [&](int y, std::uint8_t* bytes) {
        auto* row = reinterpret_cast<TBgra*>(bytes);
        for (int x = 0; x < width; ++x) row[x] = quarters[(y >= height / 2 ? 2 : 0) + (x >= width / 2 ? 1 : 0)];
    });
}

// Top left transparent, top right opaque red, bottom left blue at half
// coverage, bottom right opaque green.
const TBgra cWithAlpha[4] = {{0, 0, 0, 0}, {0, 0, 255, 255}, {128, 0, 0, 128}, {0, 255, 0, 255}};
// The same colours with every alpha byte 0: no alpha at all.
const TBgra cAlphaZero[4] = {{0, 0, 0, 0}, {0, 0, 255, 0}, {128, 0, 0, 0}, {0, 255, 0, 0}};
// Straight colour: bottom left blue of 200 at half coverage (a colour byte
// above its alpha), which is 100 of blue over white.
const TBgra cStraight[4] = {{0, 0, 0, 0}, {0, 0, 255, 255}, {200, 0, 0, 128}, {0, 255, 0, 255}};

struct AlphaCase {
    const char* name;
    const TBgra (&quarters)[4];
    bool topDown;
    TPictureAlpha alpha;
    TQuarters expected;
    // The picture's bitmap stays selected into a device context of another
    // owner, as a library may keep it, while it is read.
    bool selectedElsewhere = false;
};
void PrintTo(const AlphaCase& c, std::ostream* os) { *os << c.name; }

// Laid over white: transparent is white, half-covered blue pale blue, opaque
// colours kept. Drawn as the picture draws itself: the colour bytes as they
// are, transparent black.
const TQuarters cOverWhite = {RGB(255, 255, 255), RGB(255, 0, 0), RGB(127, 127, 255), RGB(0, 255, 0)};
const TQuarters cAsItIs = {RGB(0, 0, 0), RGB(255, 0, 0), RGB(0, 0, 128), RGB(0, 255, 0)};
const TQuarters cStraightOverWhite = {RGB(255, 255, 255), RGB(255, 0, 0), RGB(127, 127, 227), RGB(0, 255, 0)};

// The bitmap of a bitmap picture; null with a test failure.
HBITMAP PictureBitmap(IPicture* picture) {
    OLE_HANDLE handle = 0;
    EXPECT_EQ(picture->get_Handle(&handle), S_OK);
    return reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle));
}

class AlphaPictureTest : public testing::TestWithParam<AlphaCase> {};

TEST_P(AlphaPictureTest, IsLaidOverWhiteOnlyWhenAskedAndItHasAlpha) {
    const AlphaCase& c = GetParam();
    const ComPtr<IPicture> picture = Bgra32Picture(96, 48, c.quarters, c.topDown);
    ASSERT_TRUE(picture);
    TScreenBitmap bitmap;
    {
        const TMemoryDC otherDC(c.selectedElsewhere ? ::CreateCompatibleDC(nullptr) : nullptr);
        std::optional<TObjectSelection> selection;
        if (c.selectedElsewhere) {
            selection.emplace(otherDC.Get(), PictureBitmap(picture.Get()));
            ASSERT_TRUE(*selection) << "the bitmap could not be selected";
        }
        bitmap = processPicture(picture.Get(), c.alpha);
    }
    ASSERT_EQ(bitmap.Width(), 96);
    ASSERT_EQ(bitmap.Height(), 48);
    const TBgrCopy copy = bitmap.Bgr24Copy();
    const struct {
        int x, y;
        COLORREF colour;
    } probes[] = {{24, 12, c.expected.TopLeft},    {72, 12, c.expected.TopRight},   {24, 36, c.expected.BottomLeft},
                  {72, 36, c.expected.BottomRight}, {0, 0, c.expected.TopLeft},      {95, 47, c.expected.BottomRight}};
    for (const auto& p : probes) {
        EXPECT_TRUE(NearColour(PixelOf(copy, p.x, p.y), p.colour, 2))
            << "pixel " << p.x << "," << p.y << " is " << ColourText(PixelOf(copy, p.x, p.y)) << ", not "
            << ColourText(p.colour);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AlphaPictureTest,
    testing::Values(AlphaCase{"TopDownOverWhite", cWithAlpha, true, TPictureAlpha::OverWhite, cOverWhite},
                    AlphaCase{"BottomUpOverWhite", cWithAlpha, false, TPictureAlpha::OverWhite, cOverWhite},
                    AlphaCase{"AlphaIgnored", cWithAlpha, false, TPictureAlpha::Ignored, cAsItIs},
                    AlphaCase{"AllAlphaZeroDrawnAsItIs", cAlphaZero, true, TPictureAlpha::OverWhite, cAsItIs},
                    AlphaCase{"StraightTopDownOverWhite", cStraight, true, TPictureAlpha::OverWhite,
                              cStraightOverWhite},
                    AlphaCase{"StraightBottomUpOverWhite", cStraight, false, TPictureAlpha::OverWhite,
                              cStraightOverWhite},
                    AlphaCase{"SelectedElsewhereOverWhite", cWithAlpha, false, TPictureAlpha::OverWhite, cOverWhite,
                              true}),
    TParamName());

TEST(ProcessPicture, RendersWithTheUpsideDownSourceRectangle) {
    TRenderCall calls;
    const ComPtr<IPicture> picture = ScriptedPicture(Script(PICTYPE_ICON, 2540, 1270), &calls);
    const TScreenBitmap bitmap = processPicture(picture.Get());
    ASSERT_EQ(calls.Count, 1);
    EXPECT_EQ(calls.X, 0);
    EXPECT_EQ(calls.Y, 0);
    EXPECT_EQ(calls.Cx, 96);
    EXPECT_EQ(calls.Cy, 48);
    EXPECT_EQ(calls.XSrc, 0);
    EXPECT_EQ(calls.YSrc, 1269);
    EXPECT_EQ(calls.CxSrc, 2540);
    EXPECT_EQ(calls.CySrc, -1270);
    ASSERT_TRUE(calls.HadBounds);
    EXPECT_EQ(calls.Bounds.left, 0);
    EXPECT_EQ(calls.Bounds.top, 0);
    EXPECT_EQ(calls.Bounds.right, 96);
    EXPECT_EQ(calls.Bounds.bottom, 48);
}

// A 32-bit section whose memory cannot be read is drawn as the picture
// draws itself, as a picture without alpha is, instead of failing.
TEST(ProcessPicture, SectionThatCannotBeReadIsRendered) {
    const ComPtr<IPicture> section = Bgra32Picture(96, 48, cWithAlpha, /*topDown=*/true);
    ASSERT_TRUE(section);
    const HBITMAP bitmap = PictureBitmap(section.Get());
    DIBSECTION description = {};
    ASSERT_EQ(::GetObjectW(bitmap, sizeof description, &description), static_cast<int>(sizeof description));
    const SIZE_T bytes = static_cast<SIZE_T>(description.dsBm.bmWidthBytes) * description.dsBm.bmHeight;
    DWORD previous = 0;
    if (!::VirtualProtect(description.dsBm.bmBits, bytes, PAGE_NOACCESS, &previous)) {
        GTEST_SKIP() << "the platform keeps the section's memory readable: " << ::GetLastError();
    }
    TPictureScript script = Script(PICTYPE_BITMAP, 2540, 1270);
    script.Handle = static_cast<OLE_HANDLE>(reinterpret_cast<UINT_PTR>(bitmap));
    TRenderCall calls;
    const ComPtr<IPicture> picture = ScriptedPicture(script, &calls);
    EXPECT_NO_THROW(processPicture(picture.Get(), TPictureAlpha::OverWhite));
    EXPECT_EQ(calls.Count, 1);
    ASSERT_TRUE(::VirtualProtect(description.dsBm.bmBits, bytes, previous, &previous));
}

TEST(ProcessPicture, FailingRenderRaisesTheOleError) {
    // A code the platform has no text for, and one it has.
    for (const HRESULT code : {static_cast<HRESULT>(0x8004ABCD), E_ACCESSDENIED}) {
        SCOPED_TRACE(code);
        TPictureScript script = Script(PICTYPE_BITMAP, 2540, 1270);
        script.RenderResult = code;
        const ComPtr<IPicture> picture = ScriptedPicture(script, nullptr);
        try {
            processPicture(picture.Get());
            ADD_FAILURE() << "no error raised";
        } catch (const EOleSysError& e) {
            EXPECT_EQ(e.ErrorCode, code);
            const std::wstring platformText = SysErrorMessage(static_cast<unsigned long>(code));
            if (code == E_ACCESSDENIED) {
                EXPECT_FALSE(platformText.empty());
                EXPECT_EQ(e.Message(), platformText);
            } else {
                EXPECT_EQ(platformText, L"");
                EXPECT_EQ(e.Message(), L"OLE-Fehler 8004abcd");
            }
        }
    }
}

TEST(ProcessPicture, PictureWithoutPictureDispIsRefused) {
    TPictureScript script = Script(PICTYPE_BITMAP, 2540, 1270);
    script.AnswersPictureDisp = false;
    TRenderCall calls;
    const ComPtr<IPicture> picture = ScriptedPicture(script, &calls);
    try {
        processPicture(picture.Get());
        ADD_FAILURE() << "no error raised";
    } catch (const EIntfCastError& e) {
        EXPECT_EQ(e.Message(), L"Interface nicht unterstützt");
    }
    EXPECT_EQ(calls.Count, 0);
}

}  // namespace
