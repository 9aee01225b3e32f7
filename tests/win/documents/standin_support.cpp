#include "standin_support.h"

#include "document_manager.h"
#include "errors.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <cstring>
#include <optional>

const wchar_t* const cClassKey = L"CLSID\\{00AB5D8D-2B8F-416B-9761-92FACC8872BE}";
const wchar_t* const cTypeLibKey = L"TypeLib\\{4F55C30F-4CFD-49E9-A1A2-00C161EF4395}";

namespace {

const wchar_t* const cFaultVariable = L"KESTRUM_DOCMGR_FAULT";
const DWORD cProgramTimeoutMs = 60000;

std::wstring ServerKey() { return std::wstring(cClassKey) + L"\\InprocServer32"; }

HMODULE StandInLibrary() {
    static HMODULE library = ::LoadLibraryW(StandInLibraryPath().c_str());
    return library;
}

HRESULT CallStandIn(const char* entry) {
    const HMODULE library = StandInLibrary();
    if (!library) return HRESULT_FROM_WIN32(::GetLastError());
    using TEntry = HRESULT(STDAPICALLTYPE*)();
    const auto function = reinterpret_cast<TEntry>(reinterpret_cast<void*>(::GetProcAddress(library, entry)));
    return function ? function() : E_NOTIMPL;
}

// COM on the test thread, and the stand-in built with these tests registered
// for the whole test program. What was registered before (a prefix's own
// copy at the fixed path, say) is put back at the end.
class TStandInEnvironment : public testing::Environment {
public:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        std::wstring server;
        if (ReadClassesRootText(ServerKey(), nullptr, server)) fPriorServer = server;
        fPriorTypeLib = ClassesRootKeyExists(cTypeLibKey);
        ASSERT_EQ(CallStandIn("DllRegisterServer"), S_OK) << "stand-in at " << Utf8Text(StandInLibraryPath());
    }

    void TearDown() override {
        if (fPriorServer) {
            TRegistryKey key;
            if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, ServerKey().c_str(), 0, KEY_SET_VALUE | KEY_WOW64_64KEY,
                                key.Put()) == ERROR_SUCCESS) {
                ::RegSetValueExW(key.Get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(fPriorServer->c_str()),
                                 static_cast<DWORD>((fPriorServer->size() + 1) * sizeof(wchar_t)));
            }
        } else {
            CallStandIn("DllUnregisterServer");
            if (fPriorTypeLib) {
                TRegistryKey key;
                ::RegCreateKeyExW(HKEY_CLASSES_ROOT, cTypeLibKey, 0, nullptr, 0, KEY_WRITE | KEY_WOW64_64KEY, nullptr,
                                  key.Put(), nullptr);
            }
        }
        ::CoUninitialize();
    }

private:
    std::optional<std::wstring> fPriorServer;
    bool fPriorTypeLib = false;
};

[[maybe_unused]] testing::Environment* const gStandInEnvironment =
    testing::AddGlobalTestEnvironment(new TStandInEnvironment);

std::wstring QuoteArgument(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted.push_back(c);
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

std::string ReadAll(HANDLE pipe) {
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(pipe, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
    return bytes;
}
}  // namespace

std::wstring StandInLibraryPath() { return ProgramFolder() + L"docmgr28\\swdocumentmgr.dll"; }

TUnregisteredStandIn::TUnregisteredStandIn() { EXPECT_EQ(CallStandIn("DllUnregisterServer"), S_OK); }
TUnregisteredStandIn::~TUnregisteredStandIn() { EXPECT_EQ(CallStandIn("DllRegisterServer"), S_OK); }

TFaultScope::TFaultScope(const wchar_t* faults)
    : fVariable(cFaultVariable, faults ? std::optional<std::wstring>(faults) : std::nullopt) {}

Microsoft::WRL::ComPtr<ISwDMApplication> ApplicationOf(ISwDMClassFactory& classFactory) {
    HRESULT result = S_OK;
    return GetSwDMApplication(classFactory, result);
}

namespace {
const wchar_t* const cCallLogVariable = L"KESTRUM_DOCMGR_CALLS";
}  // namespace

TCallLog::TCallLog() : fPath(fFolder.File(L"calls.txt")), fVariable(cCallLogVariable, fPath) {}

std::vector<std::string> TCallLog::Calls() const {
    std::vector<std::string> calls;
    if (::GetFileAttributesW(fPath.c_str()) == INVALID_FILE_ATTRIBUTES) return calls;
    const std::vector<std::uint8_t> bytes = ReadFileBytes(fPath);
    std::string line;
    for (const std::uint8_t byte : bytes) {
        if (byte == '\n') {
            calls.push_back(line);
            line.clear();
        } else {
            line += static_cast<char>(byte);
        }
    }
    return calls;
}

TProgramResult RunTestProgram(const std::wstring& program, const std::vector<std::wstring>& args) {
    TProgramResult result;
    const std::wstring path = ProgramFolder() + program;
    std::wstring commandLine = QuoteArgument(path);
    for (const std::wstring& arg : args) commandLine += L" " + QuoteArgument(arg);

    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
    const BOOL outPipe = ::CreatePipe(&outRead, &outWrite, &inherit, 0);
    const BOOL errPipe = ::CreatePipe(&errRead, &errWrite, &inherit, 0);
    TKernelHandle outReadOwner(outRead), outWriteOwner(outWrite), errReadOwner(errRead), errWriteOwner(errWrite);
    if (!outPipe || !errPipe) {
        ADD_FAILURE() << "CreatePipe failed";
        return result;
    }
    ::SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                          nullptr, &startup, &process)) {
        ADD_FAILURE() << "cannot start " << Utf8Text(path) << ", error " << ::GetLastError();
        return result;
    }
    const TKernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
    outWriteOwner.Reset();
    errWriteOwner.Reset();
    result.Out = ReadAll(outRead);
    result.Err = ReadAll(errRead);
    if (::WaitForSingleObject(process.hProcess, cProgramTimeoutMs) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.hProcess, 99);
        ADD_FAILURE() << Utf8Text(program) << " did not end";
    }
    ::GetExitCodeProcess(process.hProcess, &result.ExitCode);
    return result;
}

std::vector<std::uint8_t> MakeBitmapFile(int width, int height, COLORREF colour) {
    const std::uint32_t stride = ((static_cast<std::uint32_t>(width) * 24 + 31) / 32) * 4;
    const std::uint32_t pixelBytes = stride * static_cast<std::uint32_t>(height);
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + pixelBytes;
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = pixelBytes;
    std::vector<std::uint8_t> bytes(file.bfSize, 0);
    std::memcpy(bytes.data(), &file, sizeof file);
    std::memcpy(bytes.data() + sizeof file, &info, sizeof info);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bytes.data() + file.bfOffBits + static_cast<std::size_t>(y) * stride;
        for (int x = 0; x < width; ++x) {
            row[x * 3 + 0] = GetBValue(colour);
            row[x * 3 + 1] = GetGValue(colour);
            row[x * 3 + 2] = GetRValue(colour);
        }
    }
    return bytes;
}

std::vector<std::uint8_t> MakeMetafile(long himetricWidth, long himetricHeight) {
    const RECT frame = {0, 0, himetricWidth, himetricHeight};
    HDC recorder = ::CreateEnhMetaFileW(nullptr, nullptr, &frame, L"Kestrum test\0preview\0");
    EXPECT_TRUE(recorder);
    if (!recorder) return {};
    const HBRUSH brush = ::CreateSolidBrush(RGB(0, 0, 255));
    const RECT box = {10, 10, 60, 40};
    ::FillRect(recorder, &box, brush);
    ::DeleteObject(brush);
    const HENHMETAFILE metafile = ::CloseEnhMetaFile(recorder);
    EXPECT_TRUE(metafile);
    if (!metafile) return {};
    std::vector<std::uint8_t> bytes(::GetEnhMetaFileBits(metafile, 0, nullptr));
    ::GetEnhMetaFileBits(metafile, static_cast<UINT>(bytes.size()), bytes.data());
    ::DeleteEnhMetaFile(metafile);
    return bytes;
}

void WriteDocument(const std::wstring& path, SwDmDocumentType kind, const std::vector<TCustomProperty>& properties,
                   const std::vector<std::uint8_t>& preview) {
    TDocumentContent content;
    content.Kind = kind;
    for (const TCustomProperty& p : properties) ASSERT_TRUE(content.Properties.Add(p.Name, p.Type, p.Value));
    content.Preview = preview;
    ASSERT_EQ(WriteNewDocument(path, content), 0u) << Utf8Text(path);
}

TDocumentContent ReadDocument(const std::wstring& path) {
    TDocumentContent content;
    EXPECT_TRUE(DecodeDocument(ReadFileBytes(path), content)) << "no stand-in document: " << Utf8Text(path);
    return content;
}
