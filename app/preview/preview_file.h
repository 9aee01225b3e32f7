#pragma once
// The preview file: the bitmap as a JPEG file.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "screen_bitmap.h"

// Encodes the bitmap first, writes the JPEG completely into a new file beside
// the preview (shared with nobody) and then moves that file over the preview,
// so that another program sees either the old preview or the whole new one. A
// bitmap without pixels gives a file of length 0. An existing preview that is
// read-only or open in another program is not replaced. Any failure leaves an
// existing preview as it was and removes the file written aside. Raises
// EJPEG, EOutOfResources (24-bit copy), EFCreateError (the aside file or the
// move) or EFWriteError, the last two with the preview's full path.
void WritePreviewFile(const std::wstring& FileName, const TScreenBitmap& bitmap);

// Writes all bytes to the open file; a failed or short write raises
// EFWriteError with the full path of FileName.
void WriteFileBytes(HANDLE file, const std::vector<std::uint8_t>& bytes, const std::wstring& FileName);

// The full path of a file name, or the name as it is when it has none.
std::wstring ExpandFileName(const std::wstring& FileName);
