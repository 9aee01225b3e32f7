#pragma once
// The texts of the version reader that a user can see: names of character
// sets that the platform is not asked for, and the fallback code-page name.
// %d stands for the code page in decimal. Translating them touches only this
// table.

inline constexpr const wchar_t* cTextUtf16LE = L"%d (Unicode UTF-16, little endian byte order)";
inline constexpr const wchar_t* cTextUtf16BE = L"%d (Unicode UTF-16, big endian byte order)";
inline constexpr const wchar_t* cTextUtf32LE = L"%d (Unicode UTF-32, little endian byte order)";
inline constexpr const wchar_t* cTextUtf32BE = L"%d (Unicode UTF-32, big endian byte order)";
inline constexpr const wchar_t* cTextUnknownCodePage = L"%d (Unknown Code Page)";
inline constexpr const wchar_t* cTextCodePage = L"Code Page %d";
