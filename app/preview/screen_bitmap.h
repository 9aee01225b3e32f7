#pragma once
// A bitmap in the screen's pixel format, and its copy as 24-bit rows.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "handles.h"
#include "jpeg_writer.h"

// Rows of 3 bytes per pixel (blue, green, red), top row first, each row
// padded to a multiple of 4 bytes.
struct TBgrCopy {
    int Width = 0;
    int Height = 0;
    std::ptrdiff_t Stride = 0;
    std::vector<std::uint8_t> Bytes;
    TBgrPixels Pixels() const noexcept { return {Width, Height, Stride, Bytes.data()}; }
};

// The header of a device-independent bitmap of width x height pixels with
// bitCount bits each (no palette, BI_RGB), top row first.
BITMAPINFO TopDownBitmapInfo(int width, int height, WORD bitCount) noexcept;

// The pixels of bitmap (width x height) copied into rows, converted to
// bitCount bits a pixel, top row first, each row padded to a multiple of 4
// bytes; rows must hold them all. Raises EOutOfResources when the copy
// cannot be made. The bitmap must not be selected into a device context.
void ReadTopDownRows(HBITMAP bitmap, int width, int height, WORD bitCount, void* rows);

class TScreenBitmap {
public:
    TScreenBitmap() noexcept = default;

    // The pixels come into being only when both extents are above 0: then a
    // bitmap compatible with the screen, every pixel white. Otherwise the
    // bitmap has none. Raises EOutOfResources when it cannot be made.
    void SetSize(int width, int height);

    bool Empty() const noexcept { return !fHandle; }
    int Width() const noexcept { return fWidth; }
    int Height() const noexcept { return fHeight; }
    HBITMAP Handle() const noexcept { return fHandle.Get(); }

    // The pixels converted to 24 bits; no pixels give no rows. Raises
    // EOutOfResources when the copy cannot be made. The bitmap must not be
    // selected into a device context meanwhile.
    TBgrCopy Bgr24Copy() const;

private:
    TBitmapHandle fHandle;
    int fWidth = 0;
    int fHeight = 0;
};
