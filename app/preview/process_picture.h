#pragma once
// From the document's preview picture to a bitmap.
#include <windows.h>
#include <ocidl.h>

#include "screen_bitmap.h"

// What becomes of the alpha bytes of a 32-bit bitmap picture.
enum class TPictureAlpha {
    // Drawn as the picture draws itself, which copies the colour and passes
    // over alpha: the document's bitmap preview.
    Ignored,
    // Laid over the white bitmap, so that transparent pixels stay white: the
    // PNG preview, whose transparent pixels would otherwise come out black.
    // Its colour premultiplied or straight, whichever it holds
    // (CompositeOverWhite). A picture whose alpha bytes are all 0 carries no
    // alpha, and one whose pixels cannot be read has none to go by: both are
    // drawn as with Ignored.
    OverWhite,
};

// A new bitmap of the picture's size in screen pixels, white, with the
// picture drawn over all of it. No picture, or a size of 0 in either
// direction, gives a bitmap without pixels. Raises EIntfCastError when the
// picture does not answer IPictureDisp, EOutOfResources when the bitmap
// cannot be made and EOleSysError when the picture fails to draw itself.
TScreenBitmap processPicture(IPicture* PictureIntf, TPictureAlpha alpha = TPictureAlpha::Ignored);
