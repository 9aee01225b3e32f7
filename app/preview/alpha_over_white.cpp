#include "alpha_over_white.h"

#include <cstring>

namespace {
const std::size_t cBytesPerPixel = 4;
const std::size_t cAlphaByte = 3;
}  // namespace

bool HasAlpha(std::span<const std::uint8_t> bgraPixels) noexcept {
    for (std::size_t at = cAlphaByte; at < bgraPixels.size(); at += cBytesPerPixel) {
        if (bgraPixels[at] != 0) return true;
    }
    return false;
}

bool HasStraightAlpha(std::span<const std::uint8_t> bgraPixels) noexcept {
    const std::size_t whole = bgraPixels.size() / cBytesPerPixel * cBytesPerPixel;
    for (std::size_t at = 0; at < whole; at += cBytesPerPixel) {
        const std::uint8_t alpha = bgraPixels[at + cAlphaByte];
        for (std::size_t channel = 0; channel < cAlphaByte; ++channel) {
            if (bgraPixels[at + channel] > alpha) return true;
        }
    }
    return false;
}

void CompositeOverWhite(std::span<std::uint8_t> bgraPixels) noexcept {
    const bool straight = HasStraightAlpha(bgraPixels);
    const std::size_t whole = bgraPixels.size() / cBytesPerPixel * cBytesPerPixel;
    for (std::size_t at = 0; at < whole; at += cBytesPerPixel) {
        // White shows through by what the pixel lets through: 255 - alpha.
        const unsigned alpha = bgraPixels[at + cAlphaByte];
        for (std::size_t channel = 0; channel < cAlphaByte; ++channel) {
            const unsigned colour = bgraPixels[at + channel];
            // Premultiplied, the colour never exceeds alpha; straight, it is
            // weighted by alpha first. Either way the sum stays within 255.
            const unsigned covered = straight ? (colour * alpha + 127u) / 255u : colour;
            bgraPixels[at + channel] = static_cast<std::uint8_t>(covered + 255u - alpha);
        }
        bgraPixels[at + cAlphaByte] = 0;
    }
}

std::vector<std::uint8_t> TopDownPixels(const TDibRows& rows) {
    const std::size_t height =
        static_cast<std::size_t>(rows.Height < 0 ? -static_cast<long long>(rows.Height) : rows.Height);
    if (!rows.Bits || rows.Width <= 0 || height == 0) return {};
    const std::size_t rowBytes = static_cast<std::size_t>(rows.Width) * cBytesPerPixel;
    if (rows.Stride < 0 || static_cast<std::size_t>(rows.Stride) < rowBytes) return {};
    const bool bottomUp = rows.Height > 0;
    std::vector<std::uint8_t> pixels(rowBytes * height);
    for (std::size_t y = 0; y < height; ++y) {
        const std::size_t memoryRow = bottomUp ? height - 1 - y : y;
        std::memcpy(pixels.data() + y * rowBytes, rows.Bits + memoryRow * static_cast<std::size_t>(rows.Stride),
                    rowBytes);
    }
    return pixels;
}
