#pragma once
// The preview file: the bitmap as a JPEG file.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "screen_bitmap.h"

// Encodes the bitmap first, then creates the file (reading and writing,
// shared with nobody, emptied when present) and writes all of it. A bitmap
// without pixels gives a file of length 0. A failed encoding leaves an
// existing file as it was. Raises EJPEG, EOutOfResources (24-bit copy),
// EFCreateError or EFWriteError, the last two with the file's full path.
void WritePreviewFile(const std::wstring& FileName, const TScreenBitmap& bitmap);

// Writes all bytes to the open file; a failed or short write raises
// EFWriteError with the full path of FileName.
void WriteFileBytes(HANDLE file, const std::vector<std::uint8_t>& bytes, const std::wstring& FileName);

// The full path of a file name, or the name as it is when it has none.
std::wstring ExpandFileName(const std::wstring& FileName);
