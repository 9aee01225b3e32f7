#pragma once
// From the document's preview picture to a bitmap.
#include <windows.h>
#include <ocidl.h>

#include "screen_bitmap.h"

// A new bitmap of the picture's size in screen pixels, white, with the
// picture drawn over all of it. No picture, or a size of 0 in either
// direction, gives a bitmap without pixels. Raises EIntfCastError when the
// picture does not answer IPictureDisp, EOutOfResources when the bitmap
// cannot be made and EOleSysError when the picture fails to draw itself.
TScreenBitmap processPicture(IPicture* PictureIntf);
