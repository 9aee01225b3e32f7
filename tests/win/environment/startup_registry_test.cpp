// The type-library key test of the real form's creation handler, seen through
// its registry opener: which key FormCreate asks the platform to open, in which
// registry view and with which rights; and what a failure on the way leaves
// behind (a version that cannot be read, a system folder that cannot be told,
// a failing key test).
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "application.h"
#include "docmgr_install.h"
#include "errors.h"
#include "environment_scope.h"
#include "FileVersionInfo.h"
#include "MainDlg.h"
#include "temp_folder.h"
#include "VersionFunctions.h"

namespace {

struct TOpenCall {
    HKEY Root;
    std::wstring Path;
    DWORD Options;
    REGSAM Access;
};
std::vector<TOpenCall> gOpenCalls;

// Writes the call down and answers with a key that exists, so that the
// handler starts no registration.
LSTATUS WINAPI RecordingOpenKey(HKEY root, LPCWSTR path, DWORD options, REGSAM access, PHKEY key) {
    gOpenCalls.push_back({root, path ? path : L"", options, access});
    return ::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, key);
}

// The Document Manager library at its fixed path, for the life of the object:
// the prefix's own when it has one, otherwise an empty file (a library without
// version information, which the version gate accepts) removed again at the end.
class TLibraryAtFixedPath {
public:
    TLibraryAtFixedPath() {
        const std::wstring path = cDocMgrLibraryPath;
        if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return;
        const std::wstring folder = path.substr(0, path.rfind(L'\\'));
        fMadeFolder = ::CreateDirectoryW(folder.c_str(), nullptr) != FALSE;
        const HANDLE file =
            ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        fMadeFile = file != INVALID_HANDLE_VALUE;
        if (fMadeFile) ::CloseHandle(file);
        fFolder = folder;
    }
    ~TLibraryAtFixedPath() {
        if (fMadeFile) ::DeleteFileW(cDocMgrLibraryPath);
        if (fMadeFolder) ::RemoveDirectoryW(fFolder.c_str());
    }
    TLibraryAtFixedPath(const TLibraryAtFixedPath&) = delete;
    TLibraryAtFixedPath& operator=(const TLibraryAtFixedPath&) = delete;

private:
    std::wstring fFolder;
    bool fMadeFolder = false;
    bool fMadeFile = false;
};

TEST(StartupRegistryTest, TypeLibraryKeyIsOpenedForReadingInThe64BitView) {
    const TLibraryAtFixedPath library;
    {
        TFileVersionInfo version(nullptr);
        version.SetFileName(cDocMgrLibraryPath);
        if (version.FileVersionNumber().V1 > cHighestDocMgrVersion)
            GTEST_SKIP() << "the prefix holds a Document Manager newer than 28: the version gate ends the program";
    }
    const TTempFolder appData;
    const TEnvironmentScope appDataScope(L"APPDATA", appData.Path());
    TApplication application;
    application.Initialize();
    TfrmMain form;  // its creation handler has run once, with the platform's opener
    ASSERT_TRUE(form.fswdocmgrFound) << "the library at the fixed path was not found";

    gOpenCalls.clear();
    form.fStartupCalls.OpenKey = &RecordingOpenKey;
    form.FormCreate();

    ASSERT_EQ(gOpenCalls.size(), 1u);
    const TOpenCall& call = gOpenCalls.front();
    EXPECT_EQ(call.Root, HKEY_CLASSES_ROOT);
    EXPECT_EQ(call.Path, L"TypeLib\\{4F55C30F-4CFD-49E9-A1A2-00C161EF4395}");
    EXPECT_EQ(call.Options, 0u);
    // STANDARD_RIGHTS_READ, KEY_QUERY_VALUE and KEY_ENUMERATE_SUB_KEYS, in the
    // 64-bit view (KEY_WOW64_64KEY), never the 32-bit one.
    EXPECT_EQ(call.Access, static_cast<REGSAM>(0x20109));
    EXPECT_TRUE(form.fswdocmgrFound);
}

// An opener through which the registration check itself fails.
LSTATUS WINAPI FailingOpenKey(HKEY, LPCWSTR, DWORD, REGSAM, PHKEY) {
    throw EOSError(L"Zugriff verweigert", ERROR_ACCESS_DENIED);
}

// A system folder the platform cannot tell, for a reason of its own.
UINT WINAPI NoSystemFolder(LPWSTR, UINT) {
    ::SetLastError(ERROR_ACCESS_DENIED);
    return 0;
}

// A failure late in FormCreate keeps the fields set before it: the form is
// made as usual, its fields are cleared, and FormCreate runs again into the
// failure.
class StartupFailureTest : public ::testing::Test {
protected:
    void SetUp() override {
        TFileVersionInfo version(nullptr);
        version.SetFileName(cDocMgrLibraryPath);
        if (version.FileVersionNumber().V1 > cHighestDocMgrVersion)
            GTEST_SKIP() << "the prefix holds a Document Manager newer than 28: the version gate ends the program";
        fApplication.Initialize();
        fForm.emplace(TFormOperations{[this](const std::wstring& document) { fExtracted.push_back(document); },
                                      [this](const std::wstring& document, const std::wstring&) {
                                          fExtracted.push_back(document);
                                          return TPropertyCounts{};
                                      },
                                      nullptr});
        fForm->fswdocmgrFound = false;
        fForm->ProgrammPfad.clear();
        fForm->ProgrammIni.clear();
        gOpenCalls.clear();
    }

    // Both document operations, as "/T" and "/P" run them; fExtracted names
    // the documents that reached the Document Manager.
    void RunDocumentOperations() {
        fForm->ExtractThumbnail(L"C:\\Docs\\Part1.SLDPRT");
        int AnzAkt = 0;
        static_cast<void>(fForm->FillSolidworksProperties(L"C:\\Docs\\Part2.SLDPRT", L"C:\\Docs\\p.txt", AnzAkt));
    }

    const TLibraryAtFixedPath fLibrary;
    TApplication fApplication;
    std::optional<TfrmMain> fForm;
    std::vector<std::wstring> fExtracted;
};

// FormCreate raises EOSError with the code and the platform's text.
void ExpectFormCreateRaisesSystemError(TfrmMain& form, DWORD code) {
    try {
        form.FormCreate();
        ADD_FAILURE() << "FormCreate raised nothing";
    } catch (const EOSError& error) {
        EXPECT_EQ(error.ErrorCode, code);
        const std::wstring prefix = L"Systemfehler.  Code: " + std::to_wstring(code) + L".\r\n";
        EXPECT_EQ(error.Message().substr(0, prefix.size()), prefix);
    }
}

// The platform cannot read versions: the gate fails closed. The library does
// not count as found, so no document is touched, and nothing after the gate
// runs (no key test, no registration).
TEST_F(StartupFailureTest, UnreadableVersionLeavesTheDocumentManagerNotFound) {
    const TTempFolder appData;
    const TEnvironmentScope appDataScope(L"APPDATA", appData.Path());
    const TVersionFunctions unbound(L"kestrum_no_such_library.dll");
    ASSERT_FALSE(unbound.Bound());
    fForm->fStartupCalls.VersionFunctions = &unbound;
    fForm->fStartupCalls.OpenKey = &RecordingOpenKey;

    ExpectFormCreateRaisesSystemError(*fForm, ERROR_MOD_NOT_FOUND);

    EXPECT_FALSE(fForm->fswdocmgrFound);
    EXPECT_EQ(fForm->ProgrammIni, appData.Path() + L"\\KesTrum\\Kestrum.ini");
    EXPECT_TRUE(gOpenCalls.empty()) << "the type-library key was tested";
    RunDocumentOperations();
    EXPECT_TRUE(fExtracted.empty()) << "a document reached the Document Manager";
}

// A system folder that cannot be told: the failure leaves FormCreate after the
// library counted as found, before the key test and so before any registration
// (which needs the folder for regsvr32). The documents are still worked on.
TEST_F(StartupFailureTest, UnknownSystemFolderKeepsTheDocumentManagerFoundAndTestsNoKey) {
    const TTempFolder appData;
    const TEnvironmentScope appDataScope(L"APPDATA", appData.Path());
    fForm->fStartupCalls.GetSystemDirectory = &NoSystemFolder;
    fForm->fStartupCalls.OpenKey = &RecordingOpenKey;

    ExpectFormCreateRaisesSystemError(*fForm, ERROR_ACCESS_DENIED);

    EXPECT_TRUE(fForm->fswdocmgrFound);
    EXPECT_TRUE(gOpenCalls.empty()) << "the type-library key was tested";
    RunDocumentOperations();
    EXPECT_EQ(fExtracted, (std::vector<std::wstring>{L"C:\\Docs\\Part1.SLDPRT", L"C:\\Docs\\Part2.SLDPRT"}));
}

TEST_F(StartupFailureTest, FailingRegistryCheckKeepsTheDocumentManagerFound) {
    const TTempFolder appData;
    const TEnvironmentScope appDataScope(L"APPDATA", appData.Path());
    fForm->fStartupCalls.OpenKey = &FailingOpenKey;

    EXPECT_THROW(fForm->FormCreate(), EOSError);

    EXPECT_TRUE(fForm->fswdocmgrFound);
    EXPECT_EQ(fForm->ProgrammPfad, appData.Path() + L"\\KesTrum\\");
    EXPECT_EQ(fForm->ProgrammIni, appData.Path() + L"\\KesTrum\\Kestrum.ini");
    // "/T" still reaches the preview.
    fForm->ExtractThumbnail(L"C:\\Docs\\Part1.SLDPRT");
    EXPECT_EQ(fExtracted, std::vector<std::wstring>{L"C:\\Docs\\Part1.SLDPRT"});
}

TEST_F(StartupFailureTest, DataFolderThatCannotBeMadeKeepsTheProgramFolder) {
    // A relative name without any folder part, in an empty current folder: the
    // folder creation runs out of parents and raises.
    const TTempFolder current;
    const TCurrentFolderScope currentScope(current.Path());
    const TEnvironmentScope appDataScope(L"APPDATA", L"NoSuchRoot");

    try {
        fForm->FormCreate();
        ADD_FAILURE() << "FormCreate raised nothing";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.ErrorCode, 3);
    }

    EXPECT_EQ(fForm->ProgrammPfad, L"NoSuchRoot\\KesTrum\\");
    EXPECT_EQ(fForm->ProgrammIni, L"");
    EXPECT_FALSE(fForm->fswdocmgrFound);
}

}  // namespace
