#pragma once
// Where SOLIDWORKS installs the Document Manager, and the registry key of its
// type library under HKEY_CLASSES_ROOT.

inline const wchar_t* const cDocMgrLibraryPath =
    L"c:\\Program Files\\Common Files\\SOLIDWORKS Shared\\swdocumentmgr.dll";
inline const wchar_t* const cDocMgrTypeLibKey = L"TypeLib\\{4F55C30F-4CFD-49E9-A1A2-00C161EF4395}";

// The highest major file version of the library this program works with.
const int cHighestDocMgrVersion = 28;
