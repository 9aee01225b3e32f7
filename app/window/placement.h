#pragma once
// Where the status window goes: centred over a rectangle with the design
// half-sizes 150 x 35, which are not scaled with the DPI; and its size for the
// DPI of the monitor it ends up on.

struct TRectI {
    long Left = 0, Top = 0, Right = 0, Bottom = 0;
};

struct TPointI {
    long X = 0, Y = 0;
};

struct TSizeI {
    long Width = 0, Height = 0;
};

// Integer division truncates toward zero, also for negative extents.
TPointI PlacementOrigin(const TRectI& target);

// A length in pixels at 96 DPI for another DPI, rounded to the nearest pixel
// with halves away from zero (as MulDiv does). DPI 0 (unknown) keeps it.
long ScaleForDpi(long designPixels, unsigned dpi);

// The form's size at a DPI: 300 x 70 pixels at 96 DPI, scaled.
TSizeI FormSizeForDpi(unsigned dpi);

// After placement. The form was sized for sizedForDpi (the primary monitor's
// when it was made) and then moved, still hidden, to origin; windowDpi is the
// DPI its window has there. When the two differ, the form is sized anew for
// windowDpi; the origin stays as computed. A windowDpi of 0 (unknown) changes
// nothing.
struct TRescale {
    bool Needed = false;
    unsigned Dpi = 0;  // the DPI the form is sized for afterwards
    TRectI Bounds;     // the form's rectangle afterwards
};
TRescale RescaleAfterPlacement(TPointI origin, unsigned sizedForDpi, unsigned windowDpi);
