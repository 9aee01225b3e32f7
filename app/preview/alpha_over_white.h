#pragma once
// A picture with an alpha channel laid over white, as AlphaBlend with
// AC_SRC_ALPHA lays it over a white bitmap.
#include <cstdint>
#include <span>

// Pixels of 4 bytes each, in the order blue, green, red, alpha, with the
// colour premultiplied by alpha, as a 32-bit bitmap with alpha holds them.
//
// A 32-bit picture whose alpha bytes are all 0 carries no alpha at all (the
// Windows convention for 32-bit bitmaps): false for it, true as soon as one
// pixel's alpha byte is not 0.
bool HasAlpha(std::span<const std::uint8_t> bgraPixels) noexcept;

// Each pixel laid over white: every colour byte becomes colour + 255 - alpha
// (at most 255), so that a transparent pixel (all four bytes 0) comes out
// white and an opaque one keeps its colour; the alpha byte becomes 0. A
// trailing part of fewer than 4 bytes is left as it is.
void CompositeOverWhite(std::span<std::uint8_t> bgraPixels) noexcept;
