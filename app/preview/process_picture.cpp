#include "process_picture.h"

#include <climits>
#include <cstdint>
#include <optional>
#include <vector>

#include "alpha_over_white.h"
#include "handles.h"
#include "ole_picture.h"
#include "os_error.h"

namespace {

HDC CreateMemoryDC() {
    const HDC dc = ::CreateCompatibleDC(nullptr);
    if (!dc) RaiseGdiError();
    return dc;
}

// A drawing surface on the bitmap: a memory device context with the bitmap
// selected, white background and the window-text colour, which decide the
// colours of a monochrome picture.
class TBitmapCanvas {
public:
    explicit TBitmapCanvas(const TScreenBitmap& bitmap)
        : fDC(CreateMemoryDC()), fSelection(fDC.Get(), bitmap.Handle()) {
        if (!fSelection) RaiseGdiError();
        // The window-text colour is read before the call whose failure counts.
        const COLORREF textColor = ::GetSysColor(COLOR_WINDOWTEXT);
        if (::SetBkColor(fDC.Get(), RGB(255, 255, 255)) == CLR_INVALID ||
            ::SetTextColor(fDC.Get(), textColor) == CLR_INVALID)
            RaiseGdiError();
    }
    TBitmapCanvas(const TBitmapCanvas&) = delete;
    TBitmapCanvas& operator=(const TBitmapCanvas&) = delete;
    HDC Get() const noexcept { return fDC.Get(); }

private:
    TMemoryDC fDC;
    // Ends before the device context: the bitmap leaves it before it is deleted.
    TObjectSelection fSelection;
};

// A picture as rows of blue, green, red and alpha (premultiplied or
// straight), top row first, with no gaps between the rows.
struct TBgraPicture {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Bytes;
};

// Blue, green and red in the low three bytes, as in BI_RGB.
bool HasBgrMasks(const DIBSECTION& section) {
    return section.dsBitfields[0] == 0x00FF0000 && section.dsBitfields[1] == 0x0000FF00 &&
           section.dsBitfields[2] == 0x000000FF;
}

// The pixels of a 32-bit DIB section, the only kind of bitmap whose fourth
// byte can be alpha, copied by the system from the section itself, top row
// first whichever way its rows lie in memory (GetObject does not tell: its
// header gives every section's height as positive). No device context takes
// part, so a bitmap that the library keeps selected into one of its own is
// read too. Nothing for any other bitmap, and when the pixels cannot be read
// (the picture is then drawn as it draws itself).
std::optional<TBgraPicture> Pixels32(HBITMAP bitmap) {
    DIBSECTION section = {};
    if (!bitmap || ::GetObjectW(bitmap, sizeof section, &section) != sizeof section) return std::nullopt;
    if (section.dsBm.bmBitsPixel != 32 || section.dsBm.bmWidth <= 0 || section.dsBm.bmHeight <= 0) {
        return std::nullopt;
    }
    const DWORD compression = section.dsBmih.biCompression;
    if (compression != BI_RGB && !(compression == BI_BITFIELDS && HasBgrMasks(section))) return std::nullopt;
    TBgraPicture picture;
    picture.Width = section.dsBm.bmWidth;
    picture.Height = section.dsBm.bmHeight;
    // Rows of 4 bytes a pixel have no padding.
    const std::size_t bytes = static_cast<std::size_t>(picture.Width) * static_cast<std::size_t>(picture.Height) * 4;
    if (bytes > static_cast<std::size_t>(LONG_MAX)) return std::nullopt;
    picture.Bytes.resize(bytes);
    // Drawing into the section through GDI may still be under way.
    ::GdiFlush();
    if (::GetBitmapBits(bitmap, static_cast<LONG>(bytes), picture.Bytes.data()) != static_cast<LONG>(bytes)) {
        return std::nullopt;
    }
    return picture;
}

// The picture laid over the white bitmap and stretched over rect, as the
// picture's own drawing stretches it (a 32-bit picture has no palette).
void DrawOverWhite(HDC dc, TBgraPicture& picture, const RECT& rect) {
    CompositeOverWhite(picture.Bytes);
    const BITMAPINFO info = TopDownBitmapInfo(picture.Width, picture.Height, 32);
    if (::StretchDIBits(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, 0, 0, picture.Width,
                        picture.Height, picture.Bytes.data(), &info, DIB_RGB_COLORS, SRCCOPY) == 0) {
        RaiseGdiError();
    }
}

}  // namespace

TScreenBitmap processPicture(IPicture* PictureIntf, TPictureAlpha alpha) {
    const TOlePicture aPicture(PictureIntf);
    TScreenBitmap aBitmap;
    aBitmap.SetSize(aPicture.Width(), aPicture.Height());
    if (!aBitmap.Empty() && !aPicture.Empty()) {
        const TBitmapCanvas canvas(aBitmap);
        const RECT rect = {0, 0, aPicture.Width(), aPicture.Height()};
        std::optional<TBgraPicture> pixels;
        if (alpha == TPictureAlpha::OverWhite) pixels = Pixels32(aPicture.Bitmap());
        if (pixels && HasAlpha(pixels->Bytes)) {
            DrawOverWhite(canvas.Get(), *pixels, rect);
        } else {
            aPicture.Draw(canvas.Get(), rect);
        }
    }
    return aBitmap;
}
