#include "process_picture.h"

#include "handles.h"
#include "ole_picture.h"
#include "os_error.h"

namespace {

// A drawing surface on the bitmap: a memory device context with the bitmap
// selected, white background and the window-text colour, which decide the
// colours of a monochrome picture.
class TBitmapCanvas {
public:
    explicit TBitmapCanvas(const TScreenBitmap& bitmap) : fDC(::CreateCompatibleDC(nullptr)) {
        if (!fDC) RaiseGdiError();
        fPrevious = ::SelectObject(fDC.Get(), bitmap.Handle());
        if (!fPrevious || fPrevious == HGDI_ERROR) RaiseGdiError();
        // The window-text colour is read before the call whose failure counts.
        const COLORREF textColor = ::GetSysColor(COLOR_WINDOWTEXT);
        if (::SetBkColor(fDC.Get(), RGB(255, 255, 255)) == CLR_INVALID ||
            ::SetTextColor(fDC.Get(), textColor) == CLR_INVALID) {
            const DWORD error = ::GetLastError();  // before SelectObject can replace it
            ::SelectObject(fDC.Get(), fPrevious);
            RaiseGdiError(error);
        }
    }
    // The bitmap leaves the device context before it is deleted.
    ~TBitmapCanvas() { ::SelectObject(fDC.Get(), fPrevious); }
    TBitmapCanvas(const TBitmapCanvas&) = delete;
    TBitmapCanvas& operator=(const TBitmapCanvas&) = delete;
    HDC Get() const noexcept { return fDC.Get(); }

private:
    TMemoryDC fDC;
    HGDIOBJ fPrevious = nullptr;
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
