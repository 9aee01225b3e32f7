#include "preview_image.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

namespace {

std::uint32_t U32(const std::vector<std::uint8_t>& d, std::size_t at) {
    std::uint32_t v = 0;
    std::memcpy(&v, d.data() + at, sizeof v);
    return v;
}
std::int32_t I32(const std::vector<std::uint8_t>& d, std::size_t at) { return static_cast<std::int32_t>(U32(d, at)); }
std::uint16_t U16(const std::vector<std::uint8_t>& d, std::size_t at) {
    std::uint16_t v = 0;
    std::memcpy(&v, d.data() + at, sizeof v);
    return v;
}

// A BMP file: file header, info header of 40 bytes or more, colour table or
// bit masks before the pixels, uncompressed pixels that fit the file.
TImageInfo InspectBitmap(const std::vector<std::uint8_t>& d) {
    const std::size_t fileHeader = 14;
    if (d.size() < fileHeader + 40 || d[0] != 'B' || d[1] != 'M') return {};
    const std::uint64_t pixelOffset = U32(d, 10);
    const std::uint64_t infoSize = U32(d, 14);
    const std::int32_t width = I32(d, 18);
    const std::int32_t height = I32(d, 22);
    const std::uint16_t planes = U16(d, 26);
    const std::uint16_t bits = U16(d, 28);
    const std::uint32_t compression = U32(d, 30);
    const std::uint64_t colorsUsed = U32(d, 46);
    if (infoSize < 40 || fileHeader + infoSize > d.size()) return {};
    if (width <= 0 || height == 0 || height == INT32_MIN || planes != 1) return {};
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return {};
    const bool bitFields = compression == BI_BITFIELDS && (bits == 16 || bits == 32);
    if (compression != BI_RGB && !bitFields) return {};
    if (bits <= 8 && colorsUsed > (1u << bits)) return {};
    const std::uint64_t colors = colorsUsed != 0 ? colorsUsed : (bits <= 8 ? (1u << bits) : 0);
    const std::uint64_t masks = (bitFields && infoSize == 40) ? 12 : 0;
    if (fileHeader + infoSize + masks + colors * 4 > pixelOffset || pixelOffset > d.size()) return {};
    const std::uint64_t stride = ((static_cast<std::uint64_t>(width) * bits + 31) / 32) * 4;
    const auto rows = static_cast<std::uint64_t>(height < 0 ? -static_cast<std::int64_t>(height) : height);
    const std::uint64_t available = d.size() - pixelOffset;
    if (stride > available || rows > available / stride) return {};
    return {TImageKind::Bitmap, width, static_cast<long>(rows), static_cast<std::size_t>(pixelOffset),
            static_cast<std::size_t>(stride * rows)};
}

// An enhanced metafile: its header record, then records of at least 8 bytes
// each, the last being EMR_EOF, all inside the header's byte count.
TImageInfo InspectMetafile(const std::vector<std::uint8_t>& d) {
    if (d.size() < 88 || U32(d, 0) != EMR_HEADER || U32(d, 40) != ENHMETA_SIGNATURE) return {};
    const std::uint64_t headerSize = U32(d, 4);
    const std::uint64_t total = U32(d, 48);
    if (headerSize < 88 || headerSize > total || total > d.size()) return {};
    std::uint64_t at = 0;
    std::uint32_t lastType = 0;
    while (at < total) {
        if (total - at < 8) return {};
        const std::uint64_t size = U32(d, at + 4);
        if (size < 8 || size % 4 != 0 || size > total - at) return {};
        lastType = U32(d, at);
        at += size;
    }
    if (lastType != EMR_EOF) return {};
    const std::int64_t frameWidth = static_cast<std::int64_t>(I32(d, 32)) - I32(d, 24);
    const std::int64_t frameHeight = static_cast<std::int64_t>(I32(d, 36)) - I32(d, 28);
    if (frameWidth <= 0 || frameHeight <= 0 || frameWidth > INT32_MAX || frameHeight > INT32_MAX) return {};
    return {TImageKind::Metafile, static_cast<long>(frameWidth), static_cast<long>(frameHeight), 0, 0};
}

}  // namespace

TImageInfo InspectImage(const std::vector<std::uint8_t>& data) {
    const TImageInfo bitmap = InspectBitmap(data);
    if (bitmap.Kind != TImageKind::None) return bitmap;
    return InspectMetafile(data);
}
