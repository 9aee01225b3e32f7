#include "alpha_over_white.h"

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
