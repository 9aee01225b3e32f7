#include "document_file.h"

#include <objbase.h>
#include <wrl/client.h>

#include <cstring>

using Microsoft::WRL::ComPtr;

namespace {

const wchar_t* const cDocumentStream = L"Document";
const wchar_t* const cPropertiesStream = L"CustomProperties";
const wchar_t* const cPreviewStream = L"Preview";
const wchar_t* const cPreviewPngStream = L"PreviewPNG";
const std::uint32_t cFormatMark = 0x4D44534B;  // "KSDM"
const std::uint32_t cFormatVersion = 1;
const std::uint64_t cMaxStreamSize = 64u << 20;
const std::uint64_t cMaxFileSize = 256u << 20;

class TByteWriter {
public:
    void U32(std::uint32_t v) { Raw(&v, sizeof v); }
    void Text(const std::wstring& text) {
        U32(static_cast<std::uint32_t>(text.size()));
        Raw(text.data(), text.size() * sizeof(wchar_t));
    }
    const std::vector<std::uint8_t>& Bytes() const noexcept { return fBytes; }

private:
    void Raw(const void* data, std::size_t size) {
        const auto* p = static_cast<const std::uint8_t*>(data);
        fBytes.insert(fBytes.end(), p, p + size);
    }
    std::vector<std::uint8_t> fBytes;
};

// Reads values in order; any read past the end makes the reader fail for good.
class TByteReader {
public:
    explicit TByteReader(const std::vector<std::uint8_t>& bytes) : fBytes(bytes) {}
    std::uint32_t U32() {
        std::uint32_t v = 0;
        Raw(&v, sizeof v);
        return v;
    }
    std::wstring Text() {
        const std::uint64_t length = U32();
        if (!fOk || length > (fBytes.size() - fAt) / sizeof(wchar_t)) {
            fOk = false;
            return std::wstring();
        }
        std::wstring text(static_cast<std::size_t>(length), L'\0');
        Raw(text.data(), text.size() * sizeof(wchar_t));
        return text;
    }
    bool Ok() const noexcept { return fOk; }
    bool AtEnd() const noexcept { return fAt == fBytes.size(); }

private:
    void Raw(void* out, std::size_t size) {
        if (!fOk || size > fBytes.size() - fAt) {
            fOk = false;
            return;
        }
        if (size) std::memcpy(out, fBytes.data() + fAt, size);
        fAt += size;
    }
    const std::vector<std::uint8_t>& fBytes;
    std::size_t fAt = 0;
    bool fOk = true;
};

HRESULT WriteStream(IStorage& storage, const wchar_t* name, const std::vector<std::uint8_t>& bytes) {
    ComPtr<IStream> stream;
    HRESULT hr = storage.CreateStream(name, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &stream);
    if (FAILED(hr)) return hr;
    ULONG written = 0;
    hr = stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    if (SUCCEEDED(hr) && written != bytes.size()) hr = STG_E_WRITEFAULT;
    return hr;
}

// The stream's bytes; S_FALSE when there is no such stream.
HRESULT ReadStream(IStorage& storage, const wchar_t* name, std::vector<std::uint8_t>& bytes) {
    ComPtr<IStream> stream;
    HRESULT hr = storage.OpenStream(name, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream);
    if (hr == STG_E_FILENOTFOUND) return S_FALSE;
    if (FAILED(hr)) return hr;
    STATSTG stat = {};
    hr = stream->Stat(&stat, STATFLAG_NONAME);
    if (FAILED(hr)) return hr;
    if (stat.cbSize.QuadPart > cMaxStreamSize) return STG_E_DOCFILECORRUPT;
    bytes.assign(static_cast<std::size_t>(stat.cbSize.QuadPart), 0);
    ULONG read = 0;
    hr = stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
    if (SUCCEEDED(hr) && read != bytes.size()) hr = STG_E_READFAULT;
    return FAILED(hr) ? hr : S_OK;
}

bool IsMissingFileError(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME ||
           error == ERROR_BAD_PATHNAME || error == ERROR_INVALID_DRIVE || error == ERROR_BAD_NETPATH ||
           error == ERROR_BAD_NET_NAME;
}

bool IsNotWritableError(DWORD error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_WRITE_PROTECT;
}

}  // namespace

HRESULT EncodeDocument(const TDocumentContent& content, std::vector<std::uint8_t>& bytes) {
    TByteWriter header;
    header.U32(cFormatMark);
    header.U32(cFormatVersion);
    header.U32(static_cast<std::uint32_t>(content.Kind));
    TByteWriter properties;
    properties.U32(static_cast<std::uint32_t>(content.Properties.Count()));
    for (const TCustomProperty& p : content.Properties.Items()) {
        properties.U32(static_cast<std::uint32_t>(p.Type));
        properties.Text(p.Name);
        properties.Text(p.Value);
    }

    ComPtr<ILockBytes> lockBytes;
    HRESULT hr = ::CreateILockBytesOnHGlobal(nullptr, TRUE, &lockBytes);
    if (FAILED(hr)) return hr;
    {
        ComPtr<IStorage> storage;
        hr = ::StgCreateDocfileOnILockBytes(lockBytes.Get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                            &storage);
        if (SUCCEEDED(hr)) hr = WriteStream(*storage.Get(), cDocumentStream, header.Bytes());
        if (SUCCEEDED(hr)) hr = WriteStream(*storage.Get(), cPropertiesStream, properties.Bytes());
        if (SUCCEEDED(hr) && !content.Preview.empty()) hr = WriteStream(*storage.Get(), cPreviewStream, content.Preview);
        if (SUCCEEDED(hr) && !content.PreviewPng.empty()) {
            hr = WriteStream(*storage.Get(), cPreviewPngStream, content.PreviewPng);
        }
        if (SUCCEEDED(hr)) hr = storage->Commit(STGC_DEFAULT);
        if (FAILED(hr)) return hr;
    }
    STATSTG stat = {};
    hr = lockBytes->Stat(&stat, STATFLAG_NONAME);
    if (FAILED(hr)) return hr;
    HGLOBAL memory = nullptr;
    hr = ::GetHGlobalFromILockBytes(lockBytes.Get(), &memory);
    if (FAILED(hr)) return hr;
    const void* data = ::GlobalLock(memory);
    if (!data) return E_OUTOFMEMORY;
    const auto* first = static_cast<const std::uint8_t*>(data);
    bytes.assign(first, first + static_cast<std::size_t>(stat.cbSize.QuadPart));
    ::GlobalUnlock(memory);
    return S_OK;
}

bool DecodeDocument(const std::vector<std::uint8_t>& bytes, TDocumentContent& content) {
    if (bytes.empty()) return false;
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!memory) return false;
    void* data = ::GlobalLock(memory);
    if (!data) {
        ::GlobalFree(memory);
        return false;
    }
    std::memcpy(data, bytes.data(), bytes.size());
    ::GlobalUnlock(memory);
    ComPtr<ILockBytes> lockBytes;
    if (FAILED(::CreateILockBytesOnHGlobal(memory, TRUE, &lockBytes))) {
        ::GlobalFree(memory);
        return false;
    }
    ComPtr<IStorage> storage;
    if (::StgIsStorageILockBytes(lockBytes.Get()) != S_OK ||
        FAILED(::StgOpenStorageOnILockBytes(lockBytes.Get(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0,
                                            &storage))) {
        return false;
    }

    std::vector<std::uint8_t> headerBytes, propertyBytes, previewBytes, previewPngBytes;
    if (ReadStream(*storage.Get(), cDocumentStream, headerBytes) != S_OK) return false;
    if (ReadStream(*storage.Get(), cPropertiesStream, propertyBytes) != S_OK) return false;
    if (FAILED(ReadStream(*storage.Get(), cPreviewStream, previewBytes))) return false;
    if (FAILED(ReadStream(*storage.Get(), cPreviewPngStream, previewPngBytes))) return false;

    TByteReader header(headerBytes);
    const std::uint32_t mark = header.U32();
    const std::uint32_t version = header.U32();
    const std::uint32_t kind = header.U32();
    if (!header.Ok() || mark != cFormatMark || version != cFormatVersion || kind > swDmDocumentDrawing) return false;

    TDocumentContent result;
    result.Kind = static_cast<SwDmDocumentType>(kind);
    TByteReader properties(propertyBytes);
    const std::uint32_t count = properties.U32();
    for (std::uint32_t i = 0; i < count && properties.Ok(); ++i) {
        const auto type = static_cast<SwDmCustomInfoType>(properties.U32());
        const std::wstring name = properties.Text();
        const std::wstring value = properties.Text();
        if (properties.Ok() && !result.Properties.Add(name, type, value)) return false;
    }
    if (!properties.Ok() || !properties.AtEnd()) return false;
    result.Preview = std::move(previewBytes);
    result.PreviewPng = std::move(previewPngBytes);
    content = std::move(result);
    return true;
}

SwDmDocumentOpenError OpenDocumentFile(const std::wstring& path, bool writing, TFileHandle& file) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return IsMissingFileError(::GetLastError()) ? swDmDocumentOpenErrorFileNotFound : swDmDocumentOpenErrorFail;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return swDmDocumentOpenErrorFileNotFound;
    if (writing && (attributes & FILE_ATTRIBUTE_READONLY)) return swDmDocumentOpenErrorFileReadOnly;
    const DWORD access = writing ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
    const DWORD share = writing ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE;
    file.Reset(::CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) return swDmDocumentOpenErrorNone;
    const DWORD error = ::GetLastError();
    if (IsMissingFileError(error)) return swDmDocumentOpenErrorFileNotFound;
    if (writing && IsNotWritableError(error)) return swDmDocumentOpenErrorFileReadOnly;
    return swDmDocumentOpenErrorFail;
}

SwDmDocumentOpenError LoadDocument(HANDLE file, TDocumentContent& content) {
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file, &size) || size.QuadPart < 0) return swDmDocumentOpenErrorFail;
    if (static_cast<std::uint64_t>(size.QuadPart) > cMaxFileSize) return swDmDocumentOpenErrorNonSW;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    const LARGE_INTEGER start = {};
    if (!::SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return swDmDocumentOpenErrorFail;
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        if (!::ReadFile(file, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &read, nullptr)) {
            return swDmDocumentOpenErrorFail;
        }
        if (read == 0) break;
        done += read;
    }
    bytes.resize(done);
    return DecodeDocument(bytes, content) ? swDmDocumentOpenErrorNone : swDmDocumentOpenErrorNonSW;
}

bool ReplaceFileBytes(HANDLE file, const std::vector<std::uint8_t>& bytes) {
    const LARGE_INTEGER start = {};
    if (!::SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written, nullptr)) {
            return false;
        }
        if (written == 0) {
            ::SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        done += written;
    }
    return ::SetEndOfFile(file) && ::FlushFileBuffers(file);
}

DWORD WriteNewDocument(const std::wstring& path, const TDocumentContent& content) {
    std::vector<std::uint8_t> bytes;
    const HRESULT hr = EncodeDocument(content, bytes);
    if (FAILED(hr)) return static_cast<DWORD>(hr);
    TFileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                   nullptr));
    if (!file || !ReplaceFileBytes(file.Get(), bytes)) return ::GetLastError();
    return 0;
}
