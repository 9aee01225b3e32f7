// Preparing the environment at start: the per-user folders, the Document
// Manager's presence and version, and its type-library registration.
#include "MainDlg.h"
#include "application.h"
#include "docmgr_install.h"
#include "environment.h"
#include "environment_rules.h"
#include "errors.h"
#include "file_tests.h"
#include "FileVersionInfo.h"

namespace {

const wchar_t* const cAppDataVariable = L"APPDATA";
const wchar_t* const cProgramFolder = L"\\KesTrum\\";
const wchar_t* const cDataSubfolder = L"DBExt";
const wchar_t* const cSettingsFileName = L"Kestrum.ini";
const wchar_t* const cRegistrationProgram = L"regsvr32.exe";

// Ends the program at once, before anything is shown: a silent failure that
// leaves the creation handler, with the message loop already told to end.
[[noreturn]] void EndProgram() {
    Application->Terminate();
    throw EAbort();
}

}  // namespace

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

    TRegistryAccess Reg(KEY_WOW64_64KEY, fRegOpenKey);  // nothing stays open when it goes
    fswdocmgrFound = true;
    const std::wstring SysRegfile = Slash(GetSystemDir()) + cRegistrationProgram;
    Reg.SetRootKey(HKEY_CLASSES_ROOT);
    if (!Reg.KeyExists(cDocMgrTypeLibKey))
        RunAsAdmin(Application->Handle(), SysRegfile, RegistrationParameters(fDLLFileName));
}
