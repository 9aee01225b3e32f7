#include "placement.h"

TPointI PlacementOrigin(const TRectI& target) {
    TPointI origin;
    origin.Y = target.Top + (target.Bottom - target.Top) / 2 - 35;
    origin.X = target.Left + (target.Right - target.Left) / 2 - 150;
    return origin;
}
