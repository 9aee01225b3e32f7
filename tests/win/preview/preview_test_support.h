#pragma once
// Helpers of the preview tests: COM for the test program, test pictures and
// a scripted picture object (with the shared file and folder helpers).
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "files.h"
#include "screen_bitmap.h"
#include "temp_folder.h"

// Four colours, one per quarter: top left, top right, bottom left, bottom right.
struct TQuarters {
    COLORREF TopLeft, TopRight, BottomLeft, BottomRight;
};
extern const TQuarters cQuarters;  // red, green, blue, yellow

// An OLE bitmap picture that owns its bitmap and palette (none when null): a
// DIB section of width x height pixels of bitCount bits each, its rows in
// memory top row first when topDown, else bottom row first (as in a BMP
// file); fillRow writes the pixels of the picture's row y (0 at the top).
// Null, with a test failure, when it cannot be made.
Microsoft::WRL::ComPtr<IPicture> DibSectionPicture(int width, int height, WORD bitCount, bool topDown,
                                                   const std::function<void(int y, std::uint8_t* row)>& fillRow,
                                                   HPALETTE palette = nullptr);

// OLE pictures that own their handle: a bitmap (DIB section) of width x
// height pixels, optionally with a palette, and an enhanced metafile whose
// frame is himetricWidth x himetricHeight, both painted in quarters.
Microsoft::WRL::ComPtr<IPicture> BitmapPicture(int width, int height, const TQuarters& quarters, bool withPalette);
Microsoft::WRL::ComPtr<IPicture> MetafilePicture(long himetricWidth, long himetricHeight, const TQuarters& quarters);

// A picture object that reports what it is told and writes down how it was
// asked to render itself.
struct TRenderCall {
    int Count = 0;
    LONG X = 0, Y = 0, Cx = 0, Cy = 0;
    OLE_XPOS_HIMETRIC XSrc = 0;
    OLE_YPOS_HIMETRIC YSrc = 0;
    OLE_XSIZE_HIMETRIC CxSrc = 0;
    OLE_YSIZE_HIMETRIC CySrc = 0;
    RECT Bounds = {};
    bool HadBounds = false;
};
struct TPictureScript {
    SHORT Type = PICTYPE_BITMAP;
    HRESULT TypeResult = S_OK;
    long HimetricWidth = 0;
    long HimetricHeight = 0;
    HRESULT SizeResult = S_OK;
    HRESULT RenderResult = S_OK;
    bool AnswersPictureDisp = true;
    OLE_HANDLE Handle = 0;  // what get_Handle hands out; the caller keeps it
};
Microsoft::WRL::ComPtr<IPicture> ScriptedPicture(const TPictureScript& script, TRenderCall* calls);

// The colour of a pixel of the bitmap's 24-bit copy.
COLORREF PixelOf(const TBgrCopy& copy, int x, int y);
// True when every channel differs by at most tolerance.
bool NearColour(COLORREF a, COLORREF b, int tolerance);
std::string ColourText(COLORREF c);

// A screen bitmap of one colour.
TScreenBitmap FilledBitmap(int width, int height, COLORREF colour);
