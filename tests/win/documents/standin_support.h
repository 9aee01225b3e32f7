#pragma once
// Helpers of the Document Manager tests: the stand-in server registered for
// the test program, switched-on faults, child programs, test pictures and
// documents (with the shared file, registry and UTF-8 helpers).
#include <windows.h>
#include <wrl/client.h>

#include <cstdint>
#include <string>
#include <vector>

#include "document_file.h"
#include "environment_scope.h"
#include "files.h"
#include "registry_key.h"
#include "swdocmgr.h"
#include "temp_folder.h"
#include "utf8.h"

// The stand-in build with file version 28.1.0.0 beside the test program.
std::wstring StandInLibraryPath();

extern const wchar_t* const cClassKey;    // CLSID\{...} of SwDMClassFactory
extern const wchar_t* const cTypeLibKey;  // TypeLib\{...} of the Document Manager

// The stand-in unregistered (DllUnregisterServer) for the life of the object,
// registered again (DllRegisterServer) at its end.
class TUnregisteredStandIn {
public:
    TUnregisteredStandIn();
    ~TUnregisteredStandIn();
    TUnregisteredStandIn(const TUnregisteredStandIn&) = delete;
    TUnregisteredStandIn& operator=(const TUnregisteredStandIn&) = delete;
};

// The stand-in's faults (KESTRUM_DOCMGR_FAULT) switched on for the life of the object.
class TFaultScope {
public:
    explicit TFaultScope(const wchar_t* faults);

private:
    TEnvironmentScope fVariable;
};

// The application object of the class factory through the binding's step,
// its result code not looked at; null when there is none.
Microsoft::WRL::ComPtr<ISwDMApplication> ApplicationOf(ISwDMClassFactory& classFactory);

// The calls the program makes on the stand-in's interfaces, logged while the
// object lives (KESTRUM_DOCMGR_CALLS names a file of its temporary folder).
class TCallLog {
public:
    TCallLog();
    // The lines "<interface> <slot> <method>" logged so far.
    std::vector<std::string> Calls() const;

private:
    TTempFolder fFolder;
    std::wstring fPath;
    TEnvironmentScope fVariable;
};

struct TProgramResult {
    DWORD ExitCode = 0;
    std::string Out;  // bytes written to standard output
    std::string Err;  // bytes written to standard error
};

// Runs a program of the test folder with the arguments, each quoted as needed,
// and collects its output; fails the test when it does not end within a minute.
TProgramResult RunTestProgram(const std::wstring& program, const std::vector<std::wstring>& args);

// A 24-bit BMP file of one colour.
std::vector<std::uint8_t> MakeBitmapFile(int width, int height, COLORREF colour);
// An enhanced metafile with the frame width x height (0.01 mm) and a filled rectangle.
std::vector<std::uint8_t> MakeMetafile(long himetricWidth, long himetricHeight);

// Writes a stand-in document.
void WriteDocument(const std::wstring& path, SwDmDocumentType kind, const std::vector<TCustomProperty>& properties,
                   const std::vector<std::uint8_t>& preview = {});
// The stored content of a stand-in document; fails the test when it is none.
TDocumentContent ReadDocument(const std::wstring& path);
