#pragma once
// A GUID as registry keys write it: {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}.
#include <windows.h>

#include <string>

std::wstring GuidString(REFGUID guid);
