#include "FileVersionInfo.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <optional>

#include "BoundFunction.h"
#include "CharSetNames.h"
#include "error_text.h"
#include "module_path.h"
#include "VersionFunctions.h"

namespace {

// The twelve standard string names, in the order of the string properties.
const wchar_t* const cNames[12] = {
    L"Comments",         L"CompanyName", L"FileDescription", L"FileVersion",
    L"InternalName",     L"LegalCopyright", L"LegalTrademarks", L"OriginalFileName",
    L"PrivateBuild",     L"ProductName", L"ProductVersion",  L"SpecialBuild",
};

const int cBufSize = 256;          // characters of a language name, terminator included
const std::size_t cMaxPath = 255;  // characters of a query path, terminator excluded

template <std::size_t N>
void CopyByteArray(const BYTE (&Source)[N], BYTE (&Dest)[N]) noexcept {
    for (std::size_t i = 0; i < N; ++i) Dest[i] = Source[i];
}

// The text at Text up to its first NUL, but of at most MaxLen characters.
std::wstring TextUpToNul(const wchar_t* Text, std::size_t MaxLen) {
    const wchar_t* end = std::char_traits<wchar_t>::find(Text, MaxLen, L'\0');
    return std::wstring(Text, end ? static_cast<std::size_t>(end - Text) : MaxLen);
}

}  // namespace

TGetCPInfoExFn BindGetCPInfoExFn(HMODULE Module) noexcept {
    const TGetCPInfoExFn platformQuery = BindFunction<TGetCPInfoExFn>(Module, "GetCPInfoExW");
    return platformQuery ? platformQuery : &GetCPInfoAlt;
}

const TGetCPInfoExFn GetCPInfoExFn = BindGetCPInfoExFn(::GetModuleHandleW(L"Kernel32.dll"));

BOOL WINAPI GetCPInfoAlt(UINT CodePage, DWORD /*dwFlags*/, LPCPINFOEXW lpCPInfoEx) {
    CPINFO OldInfo{};
    const BOOL result = ::GetCPInfo(CodePage, &OldInfo);
    if (result && lpCPInfoEx) {
        lpCPInfoEx->MaxCharSize = OldInfo.MaxCharSize;
        CopyByteArray(OldInfo.DefaultChar, lpCPInfoEx->DefaultChar);
        CopyByteArray(OldInfo.LeadByte, lpCPInfoEx->LeadByte);
        lpCPInfoEx->UnicodeDefaultChar = 0;
        lpCPInfoEx->CodePage = CodePage;
        const std::wstring name = PlainCodePageName(CodePage);
        const std::size_t count = std::min(name.size(), std::size(lpCPInfoEx->CodePageName) - 1);
        std::wmemcpy(lpCPInfoEx->CodePageName, name.data(), count);
        lpCPInfoEx->CodePageName[count] = L'\0';
    }
    return result;
}

TFileVersionInfo::TFileVersionInfo(TComponent* AOwner) : TFileVersionInfo(AOwner, nullptr) {}

TFileVersionInfo::TFileVersionInfo(TComponent* AOwner, const TVersionFunctions* Functions)
    : TComponent(AOwner), fFunctions(Functions ? *Functions : VersionFunctions()) {
    // While the object is being constructed these reads use this class's own
    // ClearProperties and ReadVersionInfo, not those of a derived class.
    SetFileName(std::wstring());
}

TFileVersionInfo::~TFileVersionInfo() = default;

void TFileVersionInfo::SetFileName(const std::wstring& AName) {
    // Without a path of its own the program reads as a file without information.
    fFileName = AName.empty() ? ProgramFilePath() : AName;
    ClearProperties();
    ReadVersionInfo();
}

void TFileVersionInfo::ClearProperties() { fHaveInfo = false; }

void TFileVersionInfo::ReadVersionInfo() {
    fHaveInfo = false;
    fFixedFileInfo = VS_FIXEDFILEINFO{};
    fNumTranslations = 0;

    DWORD handle = 0;
    const DWORD InfoSize = fFunctions.GetFileVersionInfoSizeW(fFileName.c_str(), &handle);
    if (InfoSize == 0) return;
    GetInfoBuffer(InfoSize);
    if (!fFunctions.GetFileVersionInfoW(fFileName.c_str(), handle, InfoSize, fPInfoBuffer.get())) return;
    fHaveInfo = true;

    void* value = nullptr;
    UINT length = 0;
    if (fFunctions.VerQueryValueW(fPInfoBuffer.get(), L"\\", &value, &length) && value &&
        length >= sizeof(VS_FIXEDFILEINFO))
        std::memcpy(&fFixedFileInfo, value, sizeof(VS_FIXEDFILEINFO));

    value = nullptr;
    length = 0;
    if (!fFunctions.VerQueryValueW(fPInfoBuffer.get(), L"\\VarFileInfo\\Translation", &value, &length) ||
        !value)
        length = 0;
    fNumTranslations = static_cast<int>(length / sizeof(TTransRec));
    GetTransBuffer(length);
    if (fNumTranslations > 0)
        std::memcpy(fPTransBuffer.get(), value, static_cast<std::size_t>(fNumTranslations) * sizeof(TTransRec));
    SetCurrentTranslation(0);
}

void TFileVersionInfo::GetInfoBuffer(std::size_t Len) {
    fPInfoBuffer.reset();
    fPInfoBuffer = std::make_unique<std::byte[]>(Len);
}

void TFileVersionInfo::GetTransBuffer(std::size_t Len) {
    // Whole entries only: the bytes of a trailing partial entry are never read.
    fPTransBuffer.reset();
    fPTransBuffer = std::make_unique<TTransRec[]>(Len / sizeof(TTransRec));
}

int TFileVersionInfo::CurrentTranslation() const noexcept { return fHaveInfo ? fCurrentTranslation : -1; }

void TFileVersionInfo::SetCurrentTranslation(int Value) noexcept {
    fCurrentTranslation = (Value >= 0 && Value < fNumTranslations) ? Value : -1;
}

const TTransRec* TFileVersionInfo::CurrentTransRec() const noexcept {
    const int index = CurrentTranslation();
    if (index < 0 || index >= fNumTranslations || !fPTransBuffer) return nullptr;
    return &fPTransBuffer[index];
}

WORD TFileVersionInfo::LanguageCode() const noexcept {
    const TTransRec* entry = CurrentTransRec();
    return entry ? entry->Lang : 0;
}

WORD TFileVersionInfo::CharSetCode() const noexcept {
    const TTransRec* entry = CurrentTransRec();
    return entry ? entry->CharSet : 0;
}

std::wstring TFileVersionInfo::GetTransStr() const {
    const TTransRec* entry = CurrentTransRec();
    if (!entry) return {};
    return HexText(entry->Lang, 4, true) + HexText(entry->CharSet, 4, true);
}

std::wstring TFileVersionInfo::StringFileInfo(const std::wstring& Name) const {
    if (!fHaveInfo || !CurrentTransRec()) return {};
    const std::wstring CommandBuf = L"\\StringFileInfo\\" + GetTransStr() + L"\\" + Name;
    // A longer path is refused rather than cut, which could name another key;
    // so is a name with a NUL, which would end the path early.
    if (CommandBuf.size() > cMaxPath || Name.find(L'\0') != std::wstring::npos) return {};
    void* value = nullptr;
    UINT length = 0;
    if (!fFunctions.VerQueryValueW(fPInfoBuffer.get(), CommandBuf.c_str(), &value, &length) || !value)
        return {};
    // The text ends at its first NUL, and never later than the length the
    // platform gives: a path that names a block instead of a string has
    // length 0 and must not be read as text.
    return TextUpToNul(static_cast<const wchar_t*>(value), length);
}

std::wstring TFileVersionInfo::GetStringFileInfoByIdx(int Index) const {
    if (Index < 0 || Index >= static_cast<int>(std::size(cNames))) return {};
    return StringFileInfo(cNames[Index]);
}

DWORD TFileVersionInfo::GetFixedFileInfoItemByIdx(int Index) const noexcept {
    switch (Index) {
        case 0: return fFixedFileInfo.dwFileOS;
        case 1: return fFixedFileInfo.dwFileType;
        case 2: return fFixedFileInfo.dwFileSubtype;
        case 3: return fFixedFileInfo.dwFileFlagsMask;
        case 4: return fFixedFileInfo.dwFileFlags;
        default: return 0;
    }
}

TFileVersionNumber TFileVersionInfo::FileVersionNumber() const noexcept {
    return {HIWORD(fFixedFileInfo.dwFileVersionMS), LOWORD(fFixedFileInfo.dwFileVersionMS),
            HIWORD(fFixedFileInfo.dwFileVersionLS), LOWORD(fFixedFileInfo.dwFileVersionLS)};
}

TFileVersionNumber TFileVersionInfo::ProductVersionNumber() const noexcept {
    return {HIWORD(fFixedFileInfo.dwProductVersionMS), LOWORD(fFixedFileInfo.dwProductVersionMS),
            HIWORD(fFixedFileInfo.dwProductVersionLS), LOWORD(fFixedFileInfo.dwProductVersionLS)};
}

std::wstring TFileVersionInfo::Language() const {
    if (!fHaveInfo) return {};
    wchar_t buffer[cBufSize] = {};
    if (::VerLanguageNameW(LanguageCode(), buffer, cBufSize - 1) == 0) return {};
    return TextUpToNul(buffer, cBufSize);
}

std::wstring TFileVersionInfo::CharSet() const {
    if (!fHaveInfo) return {};
    const WORD code = CharSetCode();
    if (std::optional<std::wstring> name = UnicodeCharSetName(code)) return *name;
    CPINFOEXW info{};
    if (!GetCPInfoExFn(code, 0, &info)) return UnknownCodePageName(code);
    return TextUpToNul(info.CodePageName, std::size(info.CodePageName));
}
