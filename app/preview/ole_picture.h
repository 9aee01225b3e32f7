#pragma once
// An OLE picture as the preview step uses it: its size in screen pixels and
// its drawing.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include "library_object.h"

// A HIMETRIC extent (0.01 mm) in pixels of the screen, through the HIMETRIC
// mapping of a screen device context, rounded to whole pixels. Raises
// EOutOfResources when the screen's device context cannot be had.
int ScreenPixelsX(long himetricWidth);
int ScreenPixelsY(long himetricHeight);

class TOlePicture {
public:
    // Holds the picture through IPictureDisp and the IPicture asked back from
    // it. No picture gives an empty holder; a picture that refuses either
    // interface raises EIntfCastError. The picture may be the library's
    // object: every call on it and its release is a call into the library
    // (TLibraryObject).
    explicit TOlePicture(IPicture* picture);

    // The picture's size in screen pixels; 0 without a picture or when the
    // picture does not tell its size.
    int Width() const;
    int Height() const;

    // Empty: no picture, its type unknown, or of type none or uninitialised.
    bool Empty() const;

    // Draws the picture stretched over rect, (0, 0) being its top-left
    // corner, with its palette (if any) selected as a background palette. An
    // empty picture draws nothing. Raises EOleSysError when Render fails.
    void Draw(HDC dc, const RECT& rect) const;

    // The picture's bitmap when it is a bitmap picture; nullptr otherwise, and
    // when it does not hand out its handle. The picture keeps it.
    HBITMAP Bitmap() const;

private:
    // The picture's type; uninitialised without a picture or when it does not tell.
    SHORT Type() const;
    long HimetricWidth() const;
    long HimetricHeight() const;

    TLibraryObject<IPictureDisp> fPictureDisp;
    TLibraryObject<IPicture> fPicture;
};
