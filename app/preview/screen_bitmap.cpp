#include "screen_bitmap.h"

#include "os_error.h"

void TScreenBitmap::SetSize(int width, int height) {
    fHandle.Reset();
    fWidth = width > 0 ? width : 0;
    fHeight = height > 0 ? height : 0;
    if (fWidth == 0 || fHeight == 0) return;

    const TWindowDC screen(nullptr);
    if (!screen.Get()) RaiseGdiError();
    TBitmapHandle bitmap(::CreateCompatibleBitmap(screen.Get(), fWidth, fHeight));
    if (!bitmap) RaiseGdiError();
    const TMemoryDC dc(::CreateCompatibleDC(screen.Get()));
    if (!dc) RaiseGdiError();
    {
        const TObjectSelection selection(dc.Get(), bitmap.Get());
        if (!selection) RaiseGdiError();
        if (!::PatBlt(dc.Get(), 0, 0, fWidth, fHeight, WHITENESS)) RaiseGdiError();
    }  // the bitmap leaves the device context before it is handed on
    fHandle = std::move(bitmap);
}

BITMAPINFO TopDownBitmapInfo(int width, int height, WORD bitCount) noexcept {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = bitCount;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

void ReadTopDownRows(HBITMAP bitmap, int width, int height, WORD bitCount, void* rows) {
    BITMAPINFO info = TopDownBitmapInfo(width, height, bitCount);
    const TWindowDC screen(nullptr);
    if (!screen.Get()) RaiseGdiError();
    if (::GetDIBits(screen.Get(), bitmap, 0, static_cast<UINT>(height), rows, &info, DIB_RGB_COLORS) != height) {
        RaiseGdiError();
    }
}

TBgrCopy TScreenBitmap::Bgr24Copy() const {
    TBgrCopy copy;
    if (Empty()) return copy;
    const std::size_t stride = (static_cast<std::size_t>(fWidth) * 3 + 3) / 4 * 4;
    copy.Bytes.resize(stride * static_cast<std::size_t>(fHeight));

    ReadTopDownRows(fHandle.Get(), fWidth, fHeight, 24, copy.Bytes.data());
    copy.Width = fWidth;
    copy.Height = fHeight;
    copy.Stride = static_cast<std::ptrdiff_t>(stride);
    return copy;
}
