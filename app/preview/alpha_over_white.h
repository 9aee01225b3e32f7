#pragma once
// A picture with an alpha channel laid over white, premultiplied or straight.
#include <cstdint>
#include <span>

// Pixels of 4 bytes each, in the order blue, green, red, alpha, as a 32-bit
// bitmap with alpha holds them: with the colour premultiplied by alpha (as
// AlphaBlend takes it), or straight (as many codecs give it, the platform's
// imaging component's default 32-bit format among them).
//
// A 32-bit picture whose alpha bytes are all 0 carries no alpha at all (the
// Windows convention for 32-bit bitmaps): false for it, true as soon as one
// pixel's alpha byte is not 0.
bool HasAlpha(std::span<const std::uint8_t> bgraPixels) noexcept;

// Whether the picture's colour is straight: some colour byte exceeds its
// pixel's alpha, which no premultiplied pixel can. A straight picture whose
// colour bytes all stay at or under their alpha cannot be told from a
// premultiplied one and counts as that.
bool HasStraightAlpha(std::span<const std::uint8_t> bgraPixels) noexcept;

// Each pixel laid over white, so that a transparent pixel comes out white and
// an opaque one keeps its colour; the alpha byte becomes 0. A premultiplied
// picture: every colour byte becomes colour + 255 - alpha. A straight picture
// (HasStraightAlpha): colour * alpha / 255, rounded to the nearest whole
// number, + 255 - alpha. A trailing part of fewer than 4 bytes is left as it
// is.
void CompositeOverWhite(std::span<std::uint8_t> bgraPixels) noexcept;
