#pragma once
// UTF-8 to and from UTF-16, for files, pipes and test messages.
#include <string>

std::string Utf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);
