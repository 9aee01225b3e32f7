#include "preview_file.h"

#include <algorithm>

#include "errors.h"
#include "handles.h"
#include "jpeg_writer.h"
#include "os_error.h"

namespace {

// Bytes handed to one WriteFile call at most.
const std::size_t cMaxWriteChunk = 1u << 30;
// How long a preview held open by another program is waited for, and the
// pause between two attempts to open it, in milliseconds.
const ULONGLONG cHeldPreviewWait = 2000;
const DWORD cHeldPreviewRetryStep = 50;

std::vector<std::uint8_t> EncodeBitmap(const TScreenBitmap& bitmap) {
    if (bitmap.Empty()) return {};
    const TBgrCopy copy = bitmap.Bgr24Copy();
    return EncodeJpeg(copy.Pixels());
}

[[noreturn]] void RaiseCreateError(const std::wstring& FileName, DWORD error) {
    throw EFCreateError(ExpandFileName(FileName), SysErrorMessage(error));
}

// Another program has the file open (or a range of it locked), or keeps a
// view of it mapped after closing its handle, which forbids emptying it:
// virus scanners, indexers, thumbnailers and sync clients do so for a moment
// right after a file was written.
bool IsHeldByAnotherProgram(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_USER_MAPPED_FILE;
}

// The hidden and system attributes of an existing preview that is neither
// read-only nor a folder; 0 for any other file, and when there is none.
// Windows refuses CREATE_ALWAYS with other attributes than these on such a
// file (access denied); users and sync tools hide side files like the preview.
DWORD HiddenOrSystemAttributes(const std::wstring& FileName) {
    const DWORD attributes = ::GetFileAttributesW(FileName.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return 0;
    return attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
}

// Opens the preview for reading and writing, shared with nobody, created when
// missing and emptied when present. While another program holds it, the open
// is tried again every 50 ms for up to 2 s. Access denied on a hidden or
// system preview is tried again at once with the file's own hidden and system
// attributes, which it keeps. Every other failure (read-only, access denied,
// folder missing, path not valid) is reported at once, and the file stays as
// it was.
TFileHandle CreatePreviewFile(const std::wstring& FileName, TCreateFileCall createFile) {
    const ULONGLONG started = ::GetTickCount64();
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    for (;;) {
        TFileHandle file(createFile(FileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    attributes, nullptr));
        if (file) return file;
        const DWORD error = ::GetLastError();
        if (error == ERROR_ACCESS_DENIED) {
            const DWORD own = HiddenOrSystemAttributes(FileName);
            if (own != 0 && own != attributes) {
                attributes = own;
                continue;
            }
        }
        if (!IsHeldByAnotherProgram(error) || ::GetTickCount64() - started >= cHeldPreviewWait) {
            RaiseCreateError(FileName, error);
        }
        ::Sleep(cHeldPreviewRetryStep);
    }
}

// Cuts the open file back to length 0. Best effort: it runs on the way out of
// a failed write, whose failure is the one reported.
void CutToLengthZero(HANDLE file) noexcept {
    LARGE_INTEGER start = {};
    if (::SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) ::SetEndOfFile(file);
}

}  // namespace

std::wstring ExpandFileName(const std::wstring& FileName) {
    const DWORD size = ::GetFullPathNameW(FileName.c_str(), 0, nullptr, nullptr);
    if (size == 0) return FileName;
    std::wstring full(size, L'\0');
    const DWORD length = ::GetFullPathNameW(FileName.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) return FileName;
    full.resize(length);
    return full;
}

void WriteFileBytes(HANDLE file, const std::vector<std::uint8_t>& bytes, const std::wstring& FileName) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto chunk = static_cast<DWORD>(std::min(bytes.size() - done, cMaxWriteChunk));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr)) {
            throw EFWriteError(ExpandFileName(FileName), SysErrorMessage(::GetLastError()));
        }
        // A write to a file that takes less than it was given without
        // reporting an error: the medium is full.
        if (written < chunk) throw EFWriteError(ExpandFileName(FileName), SysErrorMessage(ERROR_DISK_FULL));
        done += written;
    }
}

void WritePreviewFile(const std::wstring& FileName, const TScreenBitmap& bitmap) {
    WriteEncodedPreview(FileName, [&bitmap] { return EncodeBitmap(bitmap); }, &::CreateFileW);
}

void WriteEncodedPreview(const std::wstring& FileName, const std::function<std::vector<std::uint8_t>()>& encode,
                         TCreateFileCall createFile) {
    // Encoded before the file is opened, which then stays shared with nobody
    // only for the write.
    std::vector<std::uint8_t> jpeg;
    try {
        jpeg = encode();
    } catch (...) {
        // The preview is created or emptied all the same: the main product
        // then finds no preview rather than a stale picture of an older state
        // of the document. When that fails, its failure is the one raised.
        CreatePreviewFile(FileName, createFile);
        throw;
    }
    const TFileHandle file = CreatePreviewFile(FileName, createFile);
    try {
        WriteFileBytes(file.Get(), jpeg, FileName);
    } catch (const EFWriteError&) {
        // The main product then finds an empty preview, as for a document
        // without one, never a broken JPEG.
        CutToLengthZero(file.Get());
        throw;
    }
}
