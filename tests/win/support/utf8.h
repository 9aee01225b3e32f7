#pragma once
// UTF-8 read back as UTF-16, from files and pipes (the other way is the
// program's own Utf8Text, errors.h).
#include <string>

std::wstring FromUtf8(const std::string& text);
