#include "preview_file.h"

#include <algorithm>

#include "errors.h"
#include "handles.h"
#include "jpeg_writer.h"
#include "os_error.h"
#include "paths.h"

namespace {

// Bytes handed to one WriteFile call at most.
const std::size_t cMaxWriteChunk = 1u << 30;
// Names tried for the file written aside before giving up.
const int cMaxAsideAttempts = 100;

std::vector<std::uint8_t> EncodeBitmap(const TScreenBitmap& bitmap) {
    if (bitmap.Empty()) return {};
    const TBgrCopy copy = bitmap.Bgr24Copy();
    return EncodeJpeg(copy.Pixels());
}

[[noreturn]] void RaiseCreateError(const std::wstring& FileName, DWORD error) {
    throw EFCreateError(ExpandFileName(FileName), SysErrorMessage(error));
}

// An existing preview is replaced only when this program could open it for
// reading and writing, shared with nobody: not while another program has it
// open, and not when it is read-only. The attribute is looked at by itself:
// a move replaces a read-only file on some systems, and an administrator may
// open one for writing there. A missing preview is simply made.
void CheckReplaceable(const std::wstring& FileName) {
    const TFileHandle existing(::CreateFileW(FileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!existing) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) RaiseCreateError(FileName, error);
        return;
    }
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!::GetFileInformationByHandle(existing.Get(), &information)) RaiseCreateError(FileName, ::GetLastError());
    if (information.dwFileAttributes & FILE_ATTRIBUTE_READONLY) RaiseCreateError(FileName, ERROR_ACCESS_DENIED);
}

// The new preview, written completely under a name of its own in the
// preview's folder before it takes the preview's place ("~KS", the process
// id, a number and ".tmp": never the name of a document or a preview). Made
// new and shared with nobody, so no other program reads it half-written. The
// file is deleted when the object goes, unless it was moved into place.
class TAsideFile {
public:
    explicit TAsideFile(const std::wstring& FileName) : fTarget(FileName) {
        const std::wstring folder = ExtractFilePath(FileName);
        const std::wstring stem = folder + L"~KS" + std::to_wstring(::GetCurrentProcessId()) + L".";
        DWORD error = ERROR_FILE_EXISTS;
        for (int attempt = 0; attempt < cMaxAsideAttempts && error == ERROR_FILE_EXISTS; ++attempt) {
            const std::wstring name = stem + std::to_wstring(attempt) + L".tmp";
            fFile.Reset(::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
            if (fFile) {
                fPath = name;
                return;
            }
            error = ::GetLastError();
        }
        RaiseCreateError(FileName, error);
    }
    ~TAsideFile() {
        fFile.Reset();
        if (!fMoved) ::DeleteFileW(fPath.c_str());
    }
    TAsideFile(const TAsideFile&) = delete;
    TAsideFile& operator=(const TAsideFile&) = delete;

    void Write(const std::vector<std::uint8_t>& bytes) { WriteFileBytes(fFile.Get(), bytes, fTarget); }

    // Closes the file and moves it over the preview in one step.
    void MoveIntoPlace() {
        fFile.Reset();
        if (!::MoveFileExW(fPath.c_str(), fTarget.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            RaiseCreateError(fTarget, ::GetLastError());
        fMoved = true;
    }

private:
    std::wstring fTarget;
    std::wstring fPath;
    TFileHandle fFile;
    bool fMoved = false;
};

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
    // Encoded before any file is touched, and written aside before it replaces
    // the old preview: a failure at any step leaves an existing preview whole.
    const std::vector<std::uint8_t> jpeg = EncodeBitmap(bitmap);
    CheckReplaceable(FileName);
    TAsideFile aside(FileName);
    aside.Write(jpeg);
    aside.MoveIntoPlace();
}
