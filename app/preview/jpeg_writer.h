#pragma once
// JPEG compression of 24-bit pixel rows with the preview file's fixed
// settings: baseline JFIF 1.01, quality 90, floating-point DCT, YCbCr with
// 2x2 subsampled chroma, standard Huffman tables, one sequential scan.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "errors.h"

// The JPEG library reported an error: "JPEG-Fehler #%d" with its message number.
class EJPEG : public Exception {
public:
    explicit EJPEG(int messageNumber);
    const wchar_t* ClassName() const noexcept override { return L"EJPEG"; }
    int MessageNumber;
};

// Rows of 3 bytes per pixel in the order blue, green, red, top row first,
// Stride bytes apart (Stride >= 3 x Width). The caller keeps the memory.
struct TBgrPixels {
    int Width = 0;
    int Height = 0;
    std::ptrdiff_t Stride = 0;
    const std::uint8_t* Rows = nullptr;
};

// The complete JPEG file of the pixels, or no bytes at all when the picture
// has none (width or height 0). Raises EJPEG on a library error, such as a
// side longer than 65500 pixels; nothing is handed back then.
std::vector<std::uint8_t> EncodeJpeg(const TBgrPixels& pixels);
