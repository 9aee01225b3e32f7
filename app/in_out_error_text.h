#pragma once
// Messages of input/output failures on text files, chosen by the failure code.
#include <string>

// Code 2, 4, 5, 100, 101 and 106 have texts of their own; code 3 reads
// "Ungültiger Dateiname - " and fileName; any other "E/A-Fehler " and the
// code in decimal.
std::wstring InOutErrorText(int code, const std::wstring& fileName);
