#include "preview_file.h"

#include <algorithm>

#include "file_errors.h"
#include "handles.h"
#include "jpeg_writer.h"
#include "os_error.h"

namespace {

// Bytes handed to one WriteFile call at most.
const std::size_t cMaxWriteChunk = 1u << 30;

std::vector<std::uint8_t> EncodeBitmap(const TScreenBitmap& bitmap) {
    if (bitmap.Empty()) return {};
    const TBgrCopy copy = bitmap.Bgr24Copy();
    return EncodeJpeg(copy.Pixels());
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
        // A write that takes nothing without reporting an error: the medium is full.
        if (written == 0) throw EFWriteError(ExpandFileName(FileName), SysErrorMessage(ERROR_DISK_FULL));
        done += written;
    }
}

void WritePreviewFile(const std::wstring& FileName, const TScreenBitmap& bitmap) {
    // Encoded before the file is touched, so that a failed encoding leaves an
    // existing preview as it was.
    const std::vector<std::uint8_t> jpeg = EncodeBitmap(bitmap);
    const TFileHandle file(::CreateFileW(FileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = ::GetLastError();
        throw EFCreateError(ExpandFileName(FileName), SysErrorMessage(error));
    }
    WriteFileBytes(file.Get(), jpeg, FileName);
}
