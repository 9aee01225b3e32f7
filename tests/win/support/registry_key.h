#pragma once
// Registry keys for the tests and the stand-in Document Manager: reading
// HKEY_CLASSES_ROOT in the 64-bit view (open keys: TRegistryKey of handles.h).
#include <windows.h>

#include <string>

#include "handles.h"

// Reads the default value (or the named one) of HKEY_CLASSES_ROOT\key in the
// 64-bit view; false when the key or value is missing or not a text.
bool ReadClassesRootText(const std::wstring& key, const wchar_t* name, std::wstring& text);
bool ClassesRootKeyExists(const std::wstring& key);
