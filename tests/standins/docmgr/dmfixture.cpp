// dmfixture: makes and reads stand-in documents for tests and by hand.
//
//   dmfixture create DOC [--preview IMAGEFILE] [--png-preview PNGFILE]
//                        [--prop NAME TYPE VALUE]...
//       writes a new document (replacing DOC); its document type follows the
//       extension of DOC. IMAGEFILE is a BMP file or an enhanced metafile,
//       PNGFILE a PNG file, each stored as it is. TYPE is a custom property
//       type code: 30 text, 3 number, 64 date, 11 yes/no.
//   dmfixture props DOC
//       one UTF-8 line per custom property, in stored order:
//       NAME<TAB>TYPE<TAB>VALUE, each line ending in LF.
//   dmfixture info DOC
//       one line: "preview none", "preview bmp WxH" (pixels) or
//       "preview emf WxH" (the frame in 0.01 mm); then, for a document with a
//       PNG preview, "png N" with its length in bytes.
//
// Exit code 0 on success; otherwise a one-line message on standard error and
// exit code 1 (2 for a command line that does not fit the forms above).
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include "document_file.h"
#include "document_type.h"
#include "preview_image.h"
#include "errors.h"
#include "handles.h"

namespace {

const std::uint64_t cMaxImageSize = 64u << 20;

class TComScope {
public:
    TComScope() noexcept : fResult(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~TComScope() {
        if (SUCCEEDED(fResult)) ::CoUninitialize();
    }
    TComScope(const TComScope&) = delete;
    TComScope& operator=(const TComScope&) = delete;

private:
    HRESULT fResult;
};

struct TFixtureError {
    std::wstring Message;
    int ExitCode = 1;
};

[[noreturn]] void Fail(const std::wstring& message, int exitCode = 1) { throw TFixtureError{message, exitCode}; }

[[noreturn]] void Usage(const std::wstring& problem) {
    Fail(problem + L"; usage: dmfixture create DOC [--preview IMAGEFILE] [--png-preview PNGFILE] "
                   L"[--prop NAME TYPE VALUE]... | props DOC | info DOC",
         2);
}

void Write(DWORD stdHandle, const std::string& bytes) {
    const HANDLE out = ::GetStdHandle(stdHandle);
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        if (!::WriteFile(out, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written, nullptr) ||
            written == 0) {
            return;
        }
        done += written;
    }
}

std::wstring SystemText(DWORD code) {
    TLocalMemory buffer;  // allocated by the platform call
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
        reinterpret_cast<wchar_t*>(buffer.Put()), 0, nullptr);
    std::wstring text = buffer ? std::wstring(static_cast<const wchar_t*>(buffer.Get()), length) : std::wstring();
    while (!text.empty() && static_cast<unsigned>(text.back()) <= L' ') text.pop_back();
    return text.empty() ? L"system error " + std::to_wstring(code) : text;
}

std::vector<std::uint8_t> ReadWholeFile(const std::wstring& path) {
    TFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) Fail(L"cannot open image file " + path + L": " + SystemText(::GetLastError()));
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file.Get(), &size)) Fail(L"cannot read image file " + path + L": " + SystemText(::GetLastError()));
    if (static_cast<std::uint64_t>(size.QuadPart) > cMaxImageSize) Fail(L"image file too large: " + path);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() && (!::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                           read != bytes.size())) {
        Fail(L"cannot read image file " + path + L": " + SystemText(::GetLastError()));
    }
    return bytes;
}

std::vector<std::uint8_t> ReadImageFile(const std::wstring& path) {
    std::vector<std::uint8_t> bytes = ReadWholeFile(path);
    if (InspectImage(bytes).Kind == TImageKind::None) {
        Fail(L"not an uncompressed BMP file or an enhanced metafile: " + path);
    }
    return bytes;
}

std::vector<std::uint8_t> ReadPngFile(const std::wstring& path) {
    static const std::uint8_t cPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> bytes = ReadWholeFile(path);
    if (bytes.size() < sizeof cPngSignature || !std::equal(cPngSignature, cPngSignature + 8, bytes.begin())) {
        Fail(L"not a PNG file: " + path);
    }
    return bytes;
}

SwDmCustomInfoType ParseType(const std::wstring& text) {
    wchar_t* end = nullptr;
    const long type = std::wcstol(text.c_str(), &end, 10);
    if (text.empty() || *end != L'\0' || !IsCustomInfoType(type)) {
        Usage(L"property type must be 30, 3, 64 or 11, not \"" + text + L"\"");
    }
    return static_cast<SwDmCustomInfoType>(type);
}

int Create(const std::vector<std::wstring>& args) {
    const std::wstring& path = args[0];
    TDocumentContent content;
    content.Kind = DocumentTypeOfPath(path);
    for (std::size_t i = 1; i < args.size();) {
        if (args[i] == L"--preview" && i + 1 < args.size()) {
            content.Preview = ReadImageFile(args[i + 1]);
            i += 2;
        } else if (args[i] == L"--png-preview" && i + 1 < args.size()) {
            content.PreviewPng = ReadPngFile(args[i + 1]);
            i += 2;
        } else if (args[i] == L"--prop" && i + 3 < args.size()) {
            if (!content.Properties.Add(args[i + 1], ParseType(args[i + 2]), args[i + 3])) {
                Usage(L"property \"" + args[i + 1] + L"\" given twice");
            }
            i += 4;
        } else {
            Usage(L"unexpected argument \"" + args[i] + L"\"");
        }
    }
    const DWORD error = WriteNewDocument(path, content);
    if (error != 0) Fail(L"cannot write " + path + L": " + SystemText(error));
    return 0;
}

TDocumentContent Load(const std::wstring& path) {
    TFileHandle file;
    SwDmDocumentOpenError result = OpenDocumentFile(path, false, file);
    TDocumentContent content;
    if (result == swDmDocumentOpenErrorNone) result = LoadDocument(file.Get(), content);
    switch (result) {
        case swDmDocumentOpenErrorNone: return content;
        case swDmDocumentOpenErrorFileNotFound: Fail(L"document not found: " + path);
        case swDmDocumentOpenErrorNonSW: Fail(L"not a stand-in document: " + path);
        default: Fail(L"cannot read " + path);
    }
}

int Props(const std::wstring& path) {
    const TDocumentContent content = Load(path);
    std::string out;
    for (const TCustomProperty& p : content.Properties.Items()) {
        out += Utf8Text(p.Name) + "\t" + std::to_string(static_cast<long>(p.Type)) + "\t" + Utf8Text(p.Value) + "\n";
    }
    Write(STD_OUTPUT_HANDLE, out);
    return 0;
}

int Info(const std::wstring& path) {
    const TDocumentContent content = Load(path);
    const TImageInfo image = InspectImage(content.Preview);
    const std::string size = std::to_string(image.Width) + "x" + std::to_string(image.Height);
    switch (image.Kind) {
        case TImageKind::Bitmap: Write(STD_OUTPUT_HANDLE, "preview bmp " + size + "\n"); break;
        case TImageKind::Metafile: Write(STD_OUTPUT_HANDLE, "preview emf " + size + "\n"); break;
        case TImageKind::None: Write(STD_OUTPUT_HANDLE, "preview none\n"); break;
    }
    if (!content.PreviewPng.empty()) Write(STD_OUTPUT_HANDLE, "png " + std::to_string(content.PreviewPng.size()) + "\n");
    return 0;
}

int Run(const std::vector<std::wstring>& args) {
    if (args.empty()) Usage(L"no command");
    const std::wstring& command = args[0];
    const std::vector<std::wstring> rest(args.begin() + 1, args.end());
    if (command == L"create" && !rest.empty()) return Create(rest);
    if (command == L"props" && rest.size() == 1) return Props(rest[0]);
    if (command == L"info" && rest.size() == 1) return Info(rest[0]);
    Usage(L"bad command line");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    try {
        const TComScope com;
        return Run(std::vector<std::wstring>(argv + 1, argv + argc));
    } catch (const TFixtureError& e) {
        Write(STD_ERROR_HANDLE, "dmfixture: " + Utf8Text(e.Message) + "\n");
        return e.ExitCode;
    } catch (const std::exception&) {
        Write(STD_ERROR_HANDLE, "dmfixture: out of memory\n");
        return 1;
    }
}
