#include "placement.h"

namespace {
const long cDesignDpi = 96;
const long cFormWidth = 300;  // design size in pixels at 96 DPI
const long cFormHeight = 70;
}  // namespace

TPointI PlacementOrigin(const TRectI& target) {
    TPointI origin;
    origin.Y = target.Top + (target.Bottom - target.Top) / 2 - 35;
    origin.X = target.Left + (target.Right - target.Left) / 2 - 150;
    return origin;
}

long ScaleForDpi(long designPixels, unsigned dpi) {
    if (dpi == 0) return designPixels;
    const long long product = static_cast<long long>(designPixels) * dpi;
    const long long half = cDesignDpi / 2;
    return static_cast<long>(product >= 0 ? (product + half) / cDesignDpi : -((-product + half) / cDesignDpi));
}

TSizeI FormSizeForDpi(unsigned dpi) { return {ScaleForDpi(cFormWidth, dpi), ScaleForDpi(cFormHeight, dpi)}; }

TRescale RescaleAfterPlacement(TPointI origin, unsigned sizedForDpi, unsigned windowDpi) {
    TRescale rescale;
    rescale.Needed = windowDpi != 0 && windowDpi != sizedForDpi;
    rescale.Dpi = rescale.Needed ? windowDpi : sizedForDpi;
    const TSizeI size = FormSizeForDpi(rescale.Dpi);
    rescale.Bounds = {origin.X, origin.Y, origin.X + size.Width, origin.Y + size.Height};
    return rescale;
}
