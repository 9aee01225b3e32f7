#pragma once
// Where the status window goes: centred over a rectangle with the design
// half-sizes 150 x 35, which are not scaled with the DPI.

struct TRectI {
    long Left = 0, Top = 0, Right = 0, Bottom = 0;
};

struct TPointI {
    long X = 0, Y = 0;
};

// Integer division truncates toward zero, also for negative extents.
TPointI PlacementOrigin(const TRectI& target);
