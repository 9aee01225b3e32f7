#include "startup.h"

#include "docmgr_install.h"
#include "environment_rules.h"
#include "file_tests.h"
#include "FileVersionInfo.h"
#include "run_as_admin.h"

namespace {

const wchar_t* const cAppDataVariable = L"APPDATA";
const wchar_t* const cProgramFolder = L"\\KesTrum\\";
const wchar_t* const cDataSubfolder = L"DBExt";
const wchar_t* const cSettingsFileName = L"Kestrum.ini";
const wchar_t* const cRegistrationProgram = L"regsvr32.exe";

}  // namespace

TStartupEnvironment PrepareEnvironment(TRegOpenKey openKey, HWND registrationOwner) {
    TStartupEnvironment environment;
    environment.ProgramFolder = GetEnvVarValue(cAppDataVariable) + cProgramFolder;
    const std::wstring dataFolder = environment.ProgramFolder + cDataSubfolder;
    if (!DirectoryExists(dataFolder + L"\\")) ForceFolders(dataFolder, TFolderOps{&DirectoryExists, &CreateFolder});
    environment.SettingsFile = environment.ProgramFolder + cSettingsFileName;

    const std::wstring libraryPath = cDocMgrLibraryPath;
    if (!FileExists(libraryPath)) return environment;
    int libraryVersion = 0;
    {
        TFileVersionInfo versionInfo(nullptr);
        versionInfo.SetFileName(libraryPath);
        libraryVersion = versionInfo.FileVersionNumber().V1;
    }
    if (libraryVersion > cHighestDocMgrVersion) {
        ::MessageBoxW(nullptr, VersionMessageText().c_str(), cVersionMessageCaption,
                      MB_OK | MB_ICONINFORMATION | MB_TASKMODAL);
        environment.DocMgrTooNew = true;
        return environment;
    }

    TRegistryAccess registry(KEY_WOW64_64KEY, openKey);  // nothing stays open when it goes
    environment.DocMgrFound = true;
    const std::wstring registrationProgram = Slash(GetSystemDir()) + cRegistrationProgram;
    registry.SetRootKey(HKEY_CLASSES_ROOT);
    if (!registry.KeyExists(cDocMgrTypeLibKey))
        RunAsAdmin(registrationOwner, registrationProgram, RegistrationParameters(libraryPath));
    return environment;
}
