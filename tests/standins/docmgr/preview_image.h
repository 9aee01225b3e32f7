#pragma once
// The preview picture as a document stores it: the bytes of a BMP file or of
// an enhanced metafile.
#include <cstddef>
#include <cstdint>
#include <vector>

enum class TImageKind { None, Bitmap, Metafile };

struct TImageInfo {
    TImageKind Kind = TImageKind::None;
    long Width = 0;   // pixels for a bitmap, 0.01 mm (the frame) for a metafile
    long Height = 0;
    std::size_t PixelOffset = 0;  // bitmap only: where its pixels begin in the bytes
    std::size_t PixelBytes = 0;   // bitmap only: how many bytes they take
};

// What the bytes hold. Kind None when they are neither an uncompressed BMP
// file nor an enhanced metafile whose header and records stay inside them.
TImageInfo InspectImage(const std::vector<std::uint8_t>& data);
