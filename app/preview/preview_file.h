#pragma once
// The preview file: the bitmap as a JPEG file.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "screen_bitmap.h"

// Encodes the bitmap completely first, then writes the JPEG into the preview
// file in place: created when missing, emptied when present (it keeps its
// identity, security settings and creation time), opened shared with nobody
// and written with one write. A bitmap without pixels gives a file of length
// 0. A preview that another program holds open or mapped for a moment
// (scanners, indexers, thumbnailers, sync clients) is waited for up to 2 s. A
// hidden or system preview (not read-only) is emptied with its own hidden and
// system attributes, which it keeps: Windows refuses to empty it with normal
// attributes. A failed encoding (a JPEG error, no 24-bit copy, no memory)
// still creates or empties the file, so that it has length 0, before the
// failure is raised; when the preview cannot be created or emptied then, it
// stays as it was and the creation failure is the one raised, as the file is
// created before the encoding in the order of the steps. A failed creation
// leaves an existing preview as it was (read-only, held longer, folder
// missing). A failed write leaves the file with length 0, never part of a
// JPEG. Raises EJPEG, EOutOfResources (24-bit copy), std::bad_alloc,
// EFCreateError or EFWriteError, the last two with the preview's full path.
void WritePreviewFile(const std::wstring& FileName, const TScreenBitmap& bitmap);

// The call that opens the preview file: CreateFileW, or in tests a stand-in
// that behaves as Windows does where the test system does not.
using TCreateFileCall = decltype(&::CreateFileW);

// WritePreviewFile with the encoding and the opening handed in: the bytes
// that encode makes (or the failure it raises) written as above, the file
// opened through createFile.
void WriteEncodedPreview(const std::wstring& FileName, const std::function<std::vector<std::uint8_t>()>& encode,
                         TCreateFileCall createFile);

// Writes all bytes to the open file, one write for anything up to 1 GB; a
// failed or short write raises EFWriteError with the full path of FileName.
void WriteFileBytes(HANDLE file, const std::vector<std::uint8_t>& bytes, const std::wstring& FileName);

// The full path of a file name, or the name as it is when it has none.
std::wstring ExpandFileName(const std::wstring& FileName);
