#pragma once
// The version-information resource of a file: fixed file information,
// translation table, the strings of the current translation's string table,
// and display names for that translation's language and character set.
// Nothing here raises errors of its own: missing information reads as empty
// text or zero. Only a platform that cannot read version information at all
// (its VERSION.dll not bound from the system folder) makes reading a file
// raise the platform's error (EOSError), so that it never reads as version 0.
#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>

#include "Component.h"
#include "FileVersionNumber.h"

class TVersionFunctions;

// One entry of the translation table, in the order the Translation value stores it.
struct TTransRec {
    WORD Lang;     // language identifier
    WORD CharSet;  // code page
};
static_assert(sizeof(TTransRec) == 4);

// A code-page query with the parameters and result of GetCPInfoExW.
using TGetCPInfoExFn = BOOL(WINAPI*)(UINT CodePage, DWORD dwFlags, LPCPINFOEXW lpCPInfoEx);

// Bound once while the program starts: the platform's GetCPInfoExW, or
// GetCPInfoAlt where the platform lacks it.
extern const TGetCPInfoExFn GetCPInfoExFn;

// The binding of GetCPInfoExFn: GetCPInfoExW of Module (at start the loaded
// Kernel32.dll), or GetCPInfoAlt when Module is null or has none.
TGetCPInfoExFn BindGetCPInfoExFn(HMODULE Module) noexcept;

// GetCPInfoExW built on GetCPInfo: the name is "Code Page <n>", dwFlags is
// ignored, and on failure lpCPInfoEx is left as it was.
BOOL WINAPI GetCPInfoAlt(UINT CodePage, DWORD dwFlags, LPCPINFOEXW lpCPInfoEx);

class TFileVersionInfo : public TComponent {
public:
    // Reads the running program's own executable.
    explicit TFileVersionInfo(TComponent* AOwner = nullptr);
    // The same, read through Functions instead of the system's VERSION.dll
    // (null: the system's), for a test that hands in a binding that failed.
    TFileVersionInfo(TComponent* AOwner, const TVersionFunctions* Functions);
    ~TFileVersionInfo() override;

    bool HaveInfo() const noexcept { return fHaveInfo; }
    const VS_FIXEDFILEINFO& FixedFileInfo() const noexcept { return fFixedFileInfo; }
    TFileVersionNumber FileVersionNumber() const noexcept;
    TFileVersionNumber ProductVersionNumber() const noexcept;

    DWORD FileOS() const noexcept { return GetFixedFileInfoItemByIdx(0); }
    DWORD FileType() const noexcept { return GetFixedFileInfoItemByIdx(1); }
    DWORD FileSubType() const noexcept { return GetFixedFileInfoItemByIdx(2); }
    DWORD FileFlagsMask() const noexcept { return GetFixedFileInfoItemByIdx(3); }
    DWORD FileFlags() const noexcept { return GetFixedFileInfoItemByIdx(4); }

    std::wstring Comments() const { return GetStringFileInfoByIdx(0); }
    std::wstring CompanyName() const { return GetStringFileInfoByIdx(1); }
    std::wstring FileDescription() const { return GetStringFileInfoByIdx(2); }
    std::wstring FileVersion() const { return GetStringFileInfoByIdx(3); }
    std::wstring InternalName() const { return GetStringFileInfoByIdx(4); }
    std::wstring LegalCopyright() const { return GetStringFileInfoByIdx(5); }
    std::wstring LegalTrademarks() const { return GetStringFileInfoByIdx(6); }
    std::wstring OriginalFileName() const { return GetStringFileInfoByIdx(7); }
    std::wstring PrivateBuild() const { return GetStringFileInfoByIdx(8); }
    std::wstring ProductName() const { return GetStringFileInfoByIdx(9); }
    std::wstring ProductVersion() const { return GetStringFileInfoByIdx(10); }
    std::wstring SpecialBuild() const { return GetStringFileInfoByIdx(11); }

    // The string Name of the current translation's string table; empty when
    // it is missing or the query path would exceed 255 characters.
    std::wstring StringFileInfo(const std::wstring& Name) const;

    // The platform's display name of the current language (of language 0
    // without a current translation).
    std::wstring Language() const;
    // The display name of the current code page (of code 0, the system's ANSI
    // code page, without a current translation).
    std::wstring CharSet() const;
    WORD LanguageCode() const noexcept;
    WORD CharSetCode() const noexcept;

    int NumTranslations() const noexcept { return fNumTranslations; }
    // The selected entry of the translation table, -1 for none.
    int CurrentTranslation() const noexcept;
    // Selects an entry; a value outside the table clears the selection.
    void SetCurrentTranslation(int Value) noexcept;

    const std::wstring& FileName() const noexcept { return fFileName; }
    // Reads the file anew, also when the name is unchanged; the empty name
    // stands for the running program's own executable. Raises EOSError when
    // the platform's version functions could not be bound.
    void SetFileName(const std::wstring& AName);

    // The string-table key of the current translation, such as 040904B0;
    // empty without a current translation.
    std::wstring GetTransStr() const;

protected:
    virtual void ClearProperties();
    virtual void ReadVersionInfo();

    // Replace the owned buffers by new ones of Len bytes.
    void GetInfoBuffer(std::size_t Len);
    void GetTransBuffer(std::size_t Len);

    DWORD GetFixedFileInfoItemByIdx(int Index) const noexcept;
    std::wstring GetStringFileInfoByIdx(int Index) const;

private:
    const TTransRec* CurrentTransRec() const noexcept;

    const TVersionFunctions& fFunctions;
    std::wstring fFileName;
    bool fHaveInfo = false;
    int fNumTranslations = 0;
    int fCurrentTranslation = -1;
    VS_FIXEDFILEINFO fFixedFileInfo{};
    std::unique_ptr<std::byte[]> fPInfoBuffer;
    std::unique_ptr<TTransRec[]> fPTransBuffer;
};
