#pragma once
// Path texts, split at the last "\" or drive ":" ("/" is not a delimiter).
#include <string>

// The text after the last "\" or ":".
std::wstring ExtractFileName(const std::wstring& path);
// The text up to and including the last "\" or ":"; empty when there is none.
std::wstring ExtractFilePath(const std::wstring& path);
