// Preparing the environment at start: the per-user folders, the Document
// Manager's presence and version, and its type-library registration.
#include "environment.h"

#include <vector>

#include "MainDlg.h"
#include "application.h"
#include "docmgr_install.h"
#include "environment_rules.h"
#include "errors.h"
#include "file_tests.h"
#include "FileVersionInfo.h"
#include "os_error.h"

namespace {

const wchar_t* const cAppDataVariable = L"APPDATA";
const wchar_t* const cProgramFolder = L"\\KesTrum\\";
const wchar_t* const cDataSubfolder = L"DBExt";
const wchar_t* const cSettingsFileName = L"Kestrum.ini";
const wchar_t* const cRegistrationProgram = L"regsvr32.exe";
const UINT cSystemDirBufferSize = 260;

// Ends the program at once, before anything is shown: a silent failure that
// leaves the creation handler, with the message loop already told to end.
[[noreturn]] void EndProgram() {
    Application->Terminate();
    throw EAbort();
}

}  // namespace

std::wstring GetEnvVarValue(const std::wstring& VarName) {
    const DWORD BufSize = ::GetEnvironmentVariableW(VarName.c_str(), nullptr, 0);
    if (BufSize == 0) return std::wstring();
    std::vector<wchar_t> buffer(BufSize);
    const DWORD length = ::GetEnvironmentVariableW(VarName.c_str(), buffer.data(), BufSize);
    // The value may have changed in between; never read beyond what arrived.
    return std::wstring(buffer.data(), length < BufSize ? length : 0);
}

std::wstring GetSystemDir() {
    wchar_t Dir[cSystemDirBufferSize] = {};
    const UINT Len = ::GetSystemDirectoryW(Dir, cSystemDirBufferSize);
    if (Len == 0) RaiseLastOSError();
    return std::wstring(Dir, Len < cSystemDirBufferSize ? Len : cSystemDirBufferSize - 1);
}

bool TRegistryAccess::KeyExists(const std::wstring& path) const {
    const REGSAM view = fAccess & (KEY_WOW64_64KEY | KEY_WOW64_32KEY);
    HKEY key = nullptr;
    if (::RegOpenKeyExW(fRootKey, path.c_str(), 0, STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | view,
                        &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

void TfrmMain::FormCreate() {
    ProgrammPfad = GetEnvVarValue(cAppDataVariable) + cProgramFolder;
    const std::wstring dataFolder = ProgrammPfad + cDataSubfolder;
    if (!DirectoryExists(dataFolder + L"\\")) ForceFolders(dataFolder, TFolderOps{&DirectoryExists, &CreateFolder});
    ProgrammIni = ProgrammPfad + cSettingsFileName;

    const std::wstring fDLLFileName = cDocMgrLibraryPath;
    if (!FileExists(fDLLFileName)) {
        fswdocmgrFound = false;
        return;
    }
    int fDLLVersion = 0;
    {
        TFileVersionInfo fFileVersion(nullptr);
        fFileVersion.SetFileName(fDLLFileName);
        fDLLVersion = fFileVersion.FileVersionNumber().V1;
    }
    if (fDLLVersion > cHighestDocMgrVersion) {
        // Centred on the screen, owned by no window.
        ::MessageBoxW(nullptr, VersionMessageText().c_str(), cVersionMessageCaption,
                      MB_OK | MB_ICONINFORMATION | MB_TASKMODAL);
        EndProgram();
    }

    TRegistryAccess Reg(KEY_WOW64_64KEY);  // nothing stays open when it goes
    fswdocmgrFound = true;
    const std::wstring SysRegfile = Slash(GetSystemDir()) + cRegistrationProgram;
    Reg.SetRootKey(HKEY_CLASSES_ROOT);
    if (!Reg.KeyExists(cDocMgrTypeLibKey))
        RunAsAdmin(Application->Handle(), SysRegfile, RegistrationParameters(fDLLFileName));
}
