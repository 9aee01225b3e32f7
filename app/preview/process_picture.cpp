#include "process_picture.h"

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

}  // namespace

TScreenBitmap processPicture(IPicture* PictureIntf) {
    const TOlePicture aPicture(PictureIntf);
    TScreenBitmap aBitmap;
    aBitmap.SetSize(aPicture.Width(), aPicture.Height());
    if (!aBitmap.Empty() && !aPicture.Empty()) {
        const TBitmapCanvas canvas(aBitmap);
        const RECT rect = {0, 0, aPicture.Width(), aPicture.Height()};
        aPicture.Draw(canvas.Get(), rect);
    }
    return aBitmap;
}
