#pragma once
// The status texts of the dispatch, exactly as the user sees them.
#include <string>

inline const wchar_t* const cTextPreview = L"Preview wird aktualisiert...";
inline const wchar_t* const cTextProperties = L"Properties werden aktualisiert...";
inline const wchar_t* const cTextReference = L"Referenz wird geändert...";

// The two-line result of a property update: new properties on the first line,
// updated ones after a carriage return.
std::wstring ComposePropertyResult(int newCount, int updatedCount);
