#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "Component.h"
#include "files.h"
#include "FileVersionInfo.h"
#include "handles.h"
#include "param_name.h"

namespace {

std::wstring PlatformLanguageName(WORD language) {
    wchar_t name[256] = {};
    return ::VerLanguageNameW(language, name, 255) > 0 ? std::wstring(name) : std::wstring();
}

std::wstring PlatformCodePageName(UINT codePage) {
    CPINFOEXW info{};
    return ::GetCPInfoExW(codePage, 0, &info) ? std::wstring(info.CodePageName) : std::wstring();
}

const std::wstring cLongKey = std::wstring(L"LongName") + [] {
    std::wstring digits;
    for (int i = 0; i < 23; ++i) digits += L"0123456789";
    return digits.substr(0, 222);
}();

// Records the order of the virtual reads and its own destruction.
class TProbeInfo : public TFileVersionInfo {
public:
    TProbeInfo(TComponent* AOwner, std::vector<std::wstring>& log) : TFileVersionInfo(AOwner), fLog(log) {}
    ~TProbeInfo() override { fLog.push_back(L"destroyed"); }

protected:
    void ClearProperties() override {
        fLog.push_back(L"ClearProperties");
        TFileVersionInfo::ClearProperties();
    }
    void ReadVersionInfo() override {
        fLog.push_back(L"ReadVersionInfo");
        TFileVersionInfo::ReadVersionInfo();
    }

private:
    std::vector<std::wstring>& fLog;
};

// ---- Reading a file with two translations -------------------------------

class TwoTranslations : public ::testing::Test {
protected:
    void SetUp() override { info.SetFileName(ProgramFolder() + L"fv_main.dll"); }
    TFileVersionInfo info;
};

TEST_F(TwoTranslations, FixedInformation) {
    ASSERT_TRUE(info.HaveInfo());
    EXPECT_EQ(info.FixedFileInfo().dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(info.FileVersionNumber(), (TFileVersionNumber{28, 2, 3, 4}));
    EXPECT_EQ(VerNumToStr(info.FileVersionNumber()), L"28.2.3.4");
    EXPECT_EQ(info.ProductVersionNumber(), (TFileVersionNumber{7, 1, 65535, 9}));
    EXPECT_EQ(info.FileOS(), DWORD{VOS_NT_WINDOWS32});
    EXPECT_EQ(info.FileType(), DWORD{VFT_DRV});
    EXPECT_EQ(info.FileSubType(), DWORD{VFT2_DRV_SYSTEM});
    EXPECT_EQ(info.FileFlagsMask(), DWORD{VS_FFI_FILEFLAGSMASK});
    EXPECT_EQ(info.FileFlags(), DWORD{VS_FF_PRERELEASE | VS_FF_PATCHED});
}

TEST_F(TwoTranslations, FirstEntryIsCurrentAfterTheRead) {
    EXPECT_EQ(info.NumTranslations(), 2);
    EXPECT_EQ(info.CurrentTranslation(), 0);
    EXPECT_EQ(info.LanguageCode(), 0x0409);
    EXPECT_EQ(info.CharSetCode(), 1200);
    EXPECT_EQ(info.GetTransStr(), L"040904B0");
    EXPECT_EQ(info.CharSet(), L"1200 (Unicode UTF-16, little endian byte order)");
    EXPECT_EQ(info.Language(), PlatformLanguageName(0x0409));
    EXPECT_FALSE(info.Language().empty());
}

TEST_F(TwoTranslations, SecondEntryByAssignment) {
    const std::wstring englishName = info.Language();
    info.SetCurrentTranslation(1);
    EXPECT_EQ(info.CurrentTranslation(), 1);
    EXPECT_EQ(info.LanguageCode(), 0x0407);
    EXPECT_EQ(info.CharSetCode(), 0x04E4);
    EXPECT_EQ(info.GetTransStr(), L"040704E4");
    // Names are the platform's; only their source is fixed.
    EXPECT_EQ(info.Language(), PlatformLanguageName(0x0407));
    EXPECT_FALSE(info.Language().empty());
    EXPECT_NE(info.Language(), englishName);
    EXPECT_EQ(info.CharSet(), PlatformCodePageName(1252));
    EXPECT_FALSE(info.CharSet().empty());
}

struct TSelectionCase {
    const char* name;
    int value;
};

class OutOfRangeSelection : public TwoTranslations, public ::testing::WithParamInterface<TSelectionCase> {};

TEST_P(OutOfRangeSelection, ClearsTheSelection) {
    info.SetCurrentTranslation(1);
    info.SetCurrentTranslation(GetParam().value);
    EXPECT_EQ(info.CurrentTranslation(), -1);
    EXPECT_EQ(info.LanguageCode(), 0);
    EXPECT_EQ(info.CharSetCode(), 0);
    EXPECT_EQ(info.GetTransStr(), L"");
    EXPECT_EQ(info.CompanyName(), L"");
    EXPECT_EQ(info.StringFileInfo(L"InternalName"), L"");
    // The information itself stays: selecting again works.
    EXPECT_TRUE(info.HaveInfo());
    info.SetCurrentTranslation(0);
    EXPECT_EQ(info.CompanyName(), L"Test Company");
}

INSTANTIATE_TEST_SUITE_P(Values, OutOfRangeSelection,
                         ::testing::Values(TSelectionCase{"JustPastTheEnd", 2}, TSelectionCase{"MinusOne", -1},
                                           TSelectionCase{"FarOut", 1000}),
                         TParamName());

// The twelve string properties, read from both string tables.
struct TStringCase {
    const char* name;
    std::wstring (TFileVersionInfo::*property)() const;
    const wchar_t* key;
    const wchar_t* first;
    const wchar_t* second;
};

class StringProperties : public TwoTranslations, public ::testing::WithParamInterface<TStringCase> {};

TEST_P(StringProperties, ReadTheirKeyInTheCurrentTable) {
    const TStringCase& c = GetParam();
    EXPECT_EQ((info.*c.property)(), c.first);
    EXPECT_EQ(info.StringFileInfo(c.key), c.first);
    info.SetCurrentTranslation(1);
    EXPECT_EQ((info.*c.property)(), c.second);
    EXPECT_EQ(info.StringFileInfo(c.key), c.second);
}

INSTANTIATE_TEST_SUITE_P(
    Names, StringProperties,
    ::testing::Values(
        TStringCase{"Comments", &TFileVersionInfo::Comments, L"Comments", L"", L"Kommentar"},
        TStringCase{"CompanyName", &TFileVersionInfo::CompanyName, L"CompanyName", L"Test Company", L"Testfirma"},
        TStringCase{"FileDescription", &TFileVersionInfo::FileDescription, L"FileDescription",
                    L"Fixture with two translations", L"Prüfling mit zwei Übersetzungen"},
        TStringCase{"FileVersion", &TFileVersionInfo::FileVersion, L"FileVersion", L"28.2.3.4", L"28,2,3,4"},
        TStringCase{"InternalName", &TFileVersionInfo::InternalName, L"InternalName", L"fv_main", L"fv_main_de"},
        TStringCase{"LegalCopyright", &TFileVersionInfo::LegalCopyright, L"LegalCopyright", L"Copyright test",
                    L"© Prüfer"},
        TStringCase{"LegalTrademarks", &TFileVersionInfo::LegalTrademarks, L"LegalTrademarks", L"No trademarks",
                    L"Keine Marken"},
        // The first table spells this key "OriginalFilename".
        TStringCase{"OriginalFileName", &TFileVersionInfo::OriginalFileName, L"OriginalFileName", L"fv_main.dll",
                    L"fv_main_de.dll"},
        TStringCase{"PrivateBuild", &TFileVersionInfo::PrivateBuild, L"PrivateBuild", L"private en", L"privat de"},
        TStringCase{"ProductName", &TFileVersionInfo::ProductName, L"ProductName", L"Fixture Product",
                    L"Prüfprodukt"},
        TStringCase{"ProductVersion", &TFileVersionInfo::ProductVersion, L"ProductVersion", L"7.1.65535.9",
                    L"7.1.65535.9 de"},
        TStringCase{"SpecialBuild", &TFileVersionInfo::SpecialBuild, L"SpecialBuild", L"special en",
                    L"speziell de"}),
    TParamName());

TEST_F(TwoTranslations, StringLookupIgnoresLetterCaseAndFindsNothingElse) {
    EXPECT_EQ(info.StringFileInfo(L"originalfilename"), L"fv_main.dll");
    EXPECT_EQ(info.StringFileInfo(L"COMPANYNAME"), L"Test Company");
    EXPECT_EQ(info.StringFileInfo(L"NoSuchKey"), L"");
    // These name the string table or go past it; none is a string.
    EXPECT_EQ(info.StringFileInfo(L""), L"");
    EXPECT_EQ(info.StringFileInfo(L"\\"), L"");
    EXPECT_EQ(info.StringFileInfo(L"CompanyName\\x"), L"");
    EXPECT_EQ(info.StringFileInfo(std::wstring(L"CompanyName\0x", 13)), L"");
}

TEST_F(TwoTranslations, QueryPathOfAtMost255Characters) {
    // "\StringFileInfo\040904B0\" and 230 characters make 255.
    ASSERT_EQ(cLongKey.size(), 230u);
    EXPECT_EQ(info.StringFileInfo(cLongKey), L"long key");
    // One more character is refused, not cut down to the key above.
    EXPECT_EQ(info.StringFileInfo(cLongKey + L"X"), L"");
    EXPECT_EQ(info.StringFileInfo(cLongKey + std::wstring(5000, L'X')), L"");
}

// ---- Other version resources --------------------------------------------

TEST(VersionResource, WithoutTranslationValue) {
    TFileVersionInfo info;
    info.SetFileName(ProgramFolder() + L"fv_no_translation.dll");
    ASSERT_TRUE(info.HaveInfo());
    EXPECT_EQ(VerNumToStr(info.FileVersionNumber()), L"2.0.0.1");
    EXPECT_EQ(info.NumTranslations(), 0);
    EXPECT_EQ(info.CurrentTranslation(), -1);
    EXPECT_EQ(info.LanguageCode(), 0);
    EXPECT_EQ(info.CharSetCode(), 0);
    EXPECT_EQ(info.GetTransStr(), L"");
    EXPECT_EQ(info.CompanyName(), L"");
    EXPECT_EQ(info.StringFileInfo(L"CompanyName"), L"");
    // Language 0 and code page 0, the system's ANSI code page, as the platform names them.
    EXPECT_EQ(info.Language(), PlatformLanguageName(0));
    EXPECT_EQ(info.CharSet(), PlatformCodePageName(0));
    EXPECT_EQ(info.CharSet(), PlatformCodePageName(::GetACP()));
    EXPECT_FALSE(info.CharSet().empty());
}

TEST(VersionResource, TranslationValueOfSixBytesIsOneEntry) {
    TFileVersionInfo info;
    info.SetFileName(ProgramFolder() + L"fv_odd_translation.dll");
    ASSERT_TRUE(info.HaveInfo());
    EXPECT_EQ(VerNumToStr(info.FileVersionNumber()), L"1.2.3.4");
    EXPECT_EQ(info.NumTranslations(), 1);
    EXPECT_EQ(info.CurrentTranslation(), 0);
    EXPECT_EQ(info.LanguageCode(), 0x0409);
    EXPECT_EQ(info.CharSetCode(), 1201);
    EXPECT_EQ(info.GetTransStr(), L"040904B1");
    EXPECT_EQ(info.CharSet(), L"1201 (Unicode UTF-16, big endian byte order)");
    info.SetCurrentTranslation(1);
    EXPECT_EQ(info.CurrentTranslation(), -1);
}

struct TCodePageCase {
    const char* name;
    int translation;
    const wchar_t* key;
    const wchar_t* charSet;
};

class CodePageNames : public ::testing::TestWithParam<TCodePageCase> {};

TEST_P(CodePageNames, NameTheCurrentCodePage) {
    const TCodePageCase& c = GetParam();
    TFileVersionInfo info;
    info.SetFileName(ProgramFolder() + L"fv_code_pages.dll");
    ASSERT_EQ(info.NumTranslations(), 3);
    info.SetCurrentTranslation(c.translation);
    EXPECT_EQ(info.GetTransStr(), c.key);
    EXPECT_EQ(info.CharSet(), c.charSet);
    EXPECT_FALSE(info.CompanyName().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Translations, CodePageNames,
    ::testing::Values(TCodePageCase{"Utf32LE", 0, L"04092EE0", L"12000 (Unicode UTF-32, little endian byte order)"},
                      TCodePageCase{"Utf32BE", 1, L"04092EE1", L"12001 (Unicode UTF-32, big endian byte order)"},
                      TCodePageCase{"RejectedByPlatform", 2, L"04091234", L"4660 (Unknown Code Page)"}),
    TParamName());

// ---- Files without version information ----------------------------------

class Failures : public ::testing::TestWithParam<const char*> {
protected:
    static std::wstring PathFor(const std::string& name) {
        if (name == "TextFile") return TextFile();
        if (name == "MissingPath") return ProgramFolder() + L"no_such_file.dll";
        if (name == "MissingFolder") return ProgramFolder() + L"no_such_folder\\fv_main.dll";
        if (name == "LibraryWithoutVersion") return ProgramFolder() + L"fv_no_version.dll";
        return ProgramFolder();  // the folder of the tests
    }
    static std::wstring TextFile() {
        const std::wstring path = ProgramFolder() + L"fileversion_text.txt";
        TFileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            const char text[] = "Nur Text, keine Versionsinformation.\r\n";
            DWORD written = 0;
            ::WriteFile(file.Get(), text, sizeof text - 1, &written, nullptr);
        }
        return path;
    }
};

TEST_P(Failures, ReadAsEmptyTextAndZero) {
    TFileVersionInfo info;
    // Information of an earlier read must not leak into this one.
    info.SetFileName(ProgramFolder() + L"fv_main.dll");
    ASSERT_TRUE(info.HaveInfo());
    info.SetCurrentTranslation(1);

    const std::wstring path = PathFor(GetParam());
    info.SetFileName(path);
    EXPECT_EQ(info.FileName(), path);
    EXPECT_FALSE(info.HaveInfo());
    const VS_FIXEDFILEINFO zero{};
    EXPECT_EQ(std::memcmp(&info.FixedFileInfo(), &zero, sizeof zero), 0);
    EXPECT_EQ(info.FileVersionNumber(), TFileVersionNumber{});
    EXPECT_EQ(VerNumToStr(info.FileVersionNumber()), L"0.0.0.0");
    EXPECT_EQ(info.FileVersionNumber().V1, 0);
    EXPECT_EQ(info.ProductVersionNumber(), TFileVersionNumber{});
    EXPECT_EQ(info.FileOS(), 0u);
    EXPECT_EQ(info.FileType(), 0u);
    EXPECT_EQ(info.FileSubType(), 0u);
    EXPECT_EQ(info.FileFlagsMask(), 0u);
    EXPECT_EQ(info.FileFlags(), 0u);
    EXPECT_EQ(info.NumTranslations(), 0);
    EXPECT_EQ(info.CurrentTranslation(), -1);
    EXPECT_EQ(info.LanguageCode(), 0);
    EXPECT_EQ(info.CharSetCode(), 0);
    EXPECT_EQ(info.GetTransStr(), L"");
    EXPECT_EQ(info.CompanyName(), L"");
    EXPECT_EQ(info.OriginalFileName(), L"");
    EXPECT_EQ(info.StringFileInfo(L"CompanyName"), L"");
    EXPECT_EQ(info.Language(), L"");
    EXPECT_EQ(info.CharSet(), L"");
    // A selection cannot be made without information.
    info.SetCurrentTranslation(0);
    EXPECT_EQ(info.CurrentTranslation(), -1);
}

INSTANTIATE_TEST_SUITE_P(Files, Failures,
                         ::testing::Values("TextFile", "MissingPath", "MissingFolder", "LibraryWithoutVersion",
                                           "Folder"),
                         TParamName());

// ---- Creation, file name and ownership ----------------------------------

TEST(Creation, WithoutOwnerReadsTheRunningProgram) {
    TFileVersionInfo info;
    EXPECT_EQ(info.Owner(), nullptr);
    EXPECT_EQ(info.FileName(), ProgramPath());
    ASSERT_TRUE(info.HaveInfo());
    EXPECT_EQ(VerNumToStr(info.FileVersionNumber()), L"3.1.4.1");
    EXPECT_EQ(info.InternalName(), L"fileversion_tests");

    // The empty name selects the running program again.
    info.SetFileName(ProgramFolder() + L"fv_main.dll");
    EXPECT_EQ(info.FileVersionNumber().V1, 28);
    info.SetFileName(L"");
    EXPECT_EQ(info.FileName(), ProgramPath());
    EXPECT_EQ(VerNumToStr(info.FileVersionNumber()), L"3.1.4.1");
}

TEST(Creation, OwnerDestroysTheComponent) {
    std::vector<std::wstring> log;
    {
        TComponent owner;
        auto* info = new TProbeInfo(&owner, log);
        EXPECT_EQ(info->Owner(), &owner);
        EXPECT_EQ(owner.ComponentCount(), 1u);
        EXPECT_TRUE(info->HaveInfo());
    }
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), L"destroyed");
}

TEST(FileName, EveryAssignmentReadsTheFileAnew) {
    // A copy of a fixture that is replaced by another between two assignments
    // of the same name.
    const std::wstring path = ProgramFolder() + L"fileversion_copy.dll";
    ASSERT_TRUE(::CopyFileW((ProgramFolder() + L"fv_main.dll").c_str(), path.c_str(), FALSE));

    std::vector<std::wstring> log;
    TProbeInfo info(nullptr, log);
    log.clear();
    info.SetFileName(path);
    EXPECT_EQ(log, (std::vector<std::wstring>{L"ClearProperties", L"ReadVersionInfo"}));
    EXPECT_EQ(VerNumToStr(info.FileVersionNumber()), L"28.2.3.4");
    info.SetCurrentTranslation(1);

    // Unchanged file: the same results, and the selection starts over.
    info.SetFileName(path);
    EXPECT_EQ(log.size(), 4u);
    EXPECT_EQ(VerNumToStr(info.FileVersionNumber()), L"28.2.3.4");
    EXPECT_EQ(info.NumTranslations(), 2);
    EXPECT_EQ(info.CurrentTranslation(), 0);
    EXPECT_EQ(info.CompanyName(), L"Test Company");

    // Changed file under the same name: the new contents.
    ASSERT_TRUE(::CopyFileW((ProgramFolder() + L"fv_code_pages.dll").c_str(), path.c_str(), FALSE));
    info.SetFileName(path);
    EXPECT_EQ(VerNumToStr(info.FileVersionNumber()), L"1.2.3.4");
    EXPECT_EQ(info.NumTranslations(), 3);
    EXPECT_EQ(info.CompanyName(), L"UTF-32 LE");
    ::DeleteFileW(path.c_str());
}

// ---- The program's own version and manifest -----------------------------
// KestrumHelper.exe is built beside this test program; its version resource
// and manifest are configured from the project's version, which the build
// passes here as KESTRUM_PROJECT_VERSION, in four parts.

using TLibraryHandle = TUniqueHandle<HMODULE, THandleTraits<HMODULE, &::FreeLibrary>>;

TEST(ProgramVersion, VersionResourceIsTheProjectVersion) {
    TFileVersionInfo info;
    info.SetFileName(ProgramFolder() + L"KestrumHelper.exe");
    ASSERT_TRUE(info.HaveInfo());
    EXPECT_EQ(VerNumToStr(info.FileVersionNumber()), KESTRUM_PROJECT_VERSION);
    EXPECT_EQ(VerNumToStr(info.ProductVersionNumber()), KESTRUM_PROJECT_VERSION);
    EXPECT_EQ(info.FileVersion(), KESTRUM_PROJECT_VERSION);
    EXPECT_EQ(info.ProductVersion(), KESTRUM_PROJECT_VERSION);
}

TEST(ProgramVersion, ManifestNamesTheProjectVersionAndLongPaths) {
    const TLibraryHandle program(::LoadLibraryExW((ProgramFolder() + L"KestrumHelper.exe").c_str(), nullptr,
                                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    ASSERT_TRUE(program.Valid());
    const HRSRC resource = ::FindResourceW(program.Get(), CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST);
    ASSERT_NE(resource, nullptr);
    const HGLOBAL loaded = ::LoadResource(program.Get(), resource);
    ASSERT_NE(loaded, nullptr);
    const auto* bytes = static_cast<const char*>(::LockResource(loaded));
    ASSERT_NE(bytes, nullptr);
    const std::string manifest(bytes, ::SizeofResource(program.Get(), resource));

    std::string version;
    for (const wchar_t character : std::wstring(KESTRUM_PROJECT_VERSION)) version += static_cast<char>(character);
    EXPECT_NE(manifest.find("name=\"KesTrum.KestrumHelper\" version=\"" + version + "\""), std::string::npos)
        << manifest;
    EXPECT_NE(manifest.find(">true</longPathAware>"), std::string::npos) << manifest;
}

}  // namespace
