#pragma once
// The property file's text rules on this system: lines in the ANSI code page
// that was current when the program started, names compared in the user's
// default locale without regard to case.
#include <windows.h>

#include <string>
#include <string_view>

#include "property_file.h"

// The ANSI code page, taken once when the program starts.
UINT StartAnsiCodePage() noexcept;

// The bytes of one line as text (MultiByteToWideChar in StartAnsiCodePage).
std::wstring DecodeAnsiLine(std::string_view line);

// CompareStringW in the user's default locale with the ignore-case flag:
// below zero, zero for names that match, above zero.
int CompareNamesInUserLocale(const std::wstring& a, const std::wstring& b);

// The sort key of a name for that same comparison (LCMapStringW with
// LCMAP_SORTKEY and the ignore-case flag): names that compare equal have
// equal keys.
std::string NameSortKeyInUserLocale(const std::wstring& name);

TPropertyTextRules SystemPropertyTextRules() noexcept;
