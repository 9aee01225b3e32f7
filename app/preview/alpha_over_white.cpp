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

void CompositeOverWhite(std::span<std::uint8_t> bgraPixels) noexcept {
    const std::size_t whole = bgraPixels.size() / cBytesPerPixel * cBytesPerPixel;
    for (std::size_t at = 0; at < whole; at += cBytesPerPixel) {
        // White shows through by what the pixel lets through: 255 - alpha.
        // A colour byte above its alpha (not a valid premultiplied pixel) is
        // kept from running over.
        const unsigned through = 255u - bgraPixels[at + cAlphaByte];
        for (std::size_t channel = 0; channel < cAlphaByte; ++channel) {
            const unsigned blended = bgraPixels[at + channel] + through;
            bgraPixels[at + channel] = static_cast<std::uint8_t>(blended > 255u ? 255u : blended);
        }
        bgraPixels[at + cAlphaByte] = 0;
    }
}
