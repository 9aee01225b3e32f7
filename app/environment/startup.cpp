#include "startup.h"

#include "docmgr_install.h"
#include "environment_rules.h"
#include "file_tests.h"
#include "message_box.h"
#include "FileVersionInfo.h"
#include "run_as_admin.h"

namespace {

const wchar_t* const cAppDataVariable = L"APPDATA";
const wchar_t* const cProgramFolder = L"\\KesTrum\\";
const wchar_t* const cDataSubfolder = L"DBExt";
const wchar_t* const cSettingsFileName = L"Kestrum.ini";
const wchar_t* const cRegistrationProgram = L"regsvr32.exe";

}  // namespace

TStartupOutcome PrepareEnvironment(const TStartupFields& fields, const TStartupCalls& calls, HWND registrationOwner) {
    fields.ProgrammPfad = GetEnvVarValue(cAppDataVariable) + cProgramFolder;
    const std::wstring dataFolder = fields.ProgrammPfad + cDataSubfolder;
    if (!DirectoryExists(dataFolder + L"\\")) ForceFolders(dataFolder, TFolderOps{&DirectoryExists, &CreateFolder});
    fields.ProgrammIni = fields.ProgrammPfad + cSettingsFileName;

    const std::wstring libraryPath = cDocMgrLibraryPath;
    if (!FileExists(libraryPath)) {
        fields.fswdocmgrFound = false;
        return TStartupOutcome::Continue;
    }
    // A platform that cannot read versions raises here: the gate fails closed,
    // before the library counts as found.
    int libraryVersion = 0;
    {
        TFileVersionInfo versionInfo(nullptr, calls.VersionFunctions);
        versionInfo.SetFileName(libraryPath);
        libraryVersion = versionInfo.FileVersionNumber().V1;
    }
    if (libraryVersion > cHighestDocMgrVersion) {
        // No owner and nothing of ours on screen yet: topmost, or it could
        // open behind the main product's window, unseen while we wait.
        ShowMessageBox(nullptr, VersionMessageText().c_str(), cVersionMessageCaption,
                       MB_OK | MB_ICONINFORMATION | MB_TASKMODAL | MB_TOPMOST);
        return TStartupOutcome::DocMgrTooNew;
    }

    TRegistryAccess registry(KEY_WOW64_64KEY, calls.OpenKey);  // nothing stays open when it goes
    // Set before the steps that can still fail: the document operations run
    // even when the registration check below raises.
    fields.fswdocmgrFound = true;
    const std::wstring registrationProgram = Slash(GetSystemDir(calls.GetSystemDirectory)) + cRegistrationProgram;
    registry.SetRootKey(HKEY_CLASSES_ROOT);
    if (!registry.KeyExists(cDocMgrTypeLibKey)) {
        // Nothing waits for the registration or looks at its outcome: a refused
        // elevation is tried again at the next start.
        static_cast<void>(RunAsAdmin(registrationOwner, registrationProgram, RegistrationParameters(libraryPath)));
    }
    return TStartupOutcome::Continue;
}
