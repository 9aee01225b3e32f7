#include "ole_picture.h"

#include <optional>

#include "com_support.h"
#include "library_object.h"
#include "handles.h"
#include "os_error.h"

namespace {

// The device pixel of a HIMETRIC point; y grows upward in this mapping.
POINT HimetricToScreen(long x, long y) {
    const TWindowDC screen(nullptr);
    if (!screen.Get()) RaiseGdiError();
    if (::SetMapMode(screen.Get(), MM_HIMETRIC) == 0) RaiseGdiError();
    POINT point = {x, y};
    if (!::LPtoDP(screen.Get(), &point, 1)) RaiseGdiError();
    return point;
}

// OLE handles are 32 bits wide; GDI handles are sign-extended on 64 bits.
template <typename H>
H GdiHandle(OLE_HANDLE handle) {
    return reinterpret_cast<H>(static_cast<LONG_PTR>(static_cast<LONG>(handle)));
}

}  // namespace

int ScreenPixelsX(long himetricWidth) { return HimetricToScreen(himetricWidth, 0).x; }

int ScreenPixelsY(long himetricHeight) { return HimetricToScreen(0, -himetricHeight).y; }

TOlePicture::TOlePicture(IPicture* picture)
    : fPictureDisp(LibraryCast<IPictureDisp>(picture)), fPicture(LibraryCast<IPicture>(fPictureDisp.Get())) {}

long TOlePicture::HimetricWidth() const {
    OLE_XSIZE_HIMETRIC width = 0;
    if (!fPicture || FAILED(fPicture->get_Width(&width))) return 0;
    return width;
}

long TOlePicture::HimetricHeight() const {
    OLE_YSIZE_HIMETRIC height = 0;
    if (!fPicture || FAILED(fPicture->get_Height(&height))) return 0;
    return height;
}

int TOlePicture::Width() const { return ScreenPixelsX(HimetricWidth()); }

int TOlePicture::Height() const { return ScreenPixelsY(HimetricHeight()); }

SHORT TOlePicture::Type() const {
    SHORT type = PICTYPE_UNINITIALIZED;
    if (!fPicture || FAILED(fPicture->get_Type(&type))) return PICTYPE_UNINITIALIZED;
    return type;
}

bool TOlePicture::Empty() const { return Type() <= PICTYPE_NONE; }

HBITMAP TOlePicture::Bitmap() const {
    if (Type() != PICTYPE_BITMAP) return nullptr;
    OLE_HANDLE bitmap = 0;
    if (FAILED(fPicture->get_Handle(&bitmap))) return nullptr;
    return GdiHandle<HBITMAP>(bitmap);
}

void TOlePicture::Draw(HDC dc, const RECT& rect) const {
    const SHORT type = Type();
    if (type <= PICTYPE_NONE) return;

    OLE_HANDLE palette = 0;
    std::optional<TPaletteSelection> paletteSelection;
    if (SUCCEEDED(fPicture->get_hPal(&palette)) && palette != 0) {
        // Selected as a background palette and realised; the previous one
        // comes back at the end.
        paletteSelection.emplace(dc, GdiHandle<HPALETTE>(palette));
        if (!*paletteSelection) RaiseGdiError();
        ::RealizePalette(dc);
    }

    if (type == PICTYPE_ENHMETAFILE) {
        OLE_HANDLE metafile = 0;
        // A failure leaves the handle 0: nothing is played.
        static_cast<void>(fPicture->get_Handle(&metafile));
        // A record that fails to play does not stop the others; the outcome
        // of the playback is not looked at.
        ::PlayEnhMetaFile(dc, GdiHandle<HENHMETAFILE>(metafile), &rect);
        return;
    }
    // The negative source height turns the upward HIMETRIC axis around, so the
    // picture stands upright; the source starts at h - 1.
    const long w = HimetricWidth();
    const long h = HimetricHeight();
    OleCheck(fPicture->Render(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, 0, h - 1, w, -h,
                              &rect));
}
