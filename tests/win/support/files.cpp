#include "files.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "handles.h"
#include "errors.h"

TBytes ReadFileBytes(const std::wstring& path) {
    const TFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_TRUE(file) << "cannot read " << Utf8Text(path) << ", error " << ::GetLastError();
    TBytes bytes;
    if (!file) return bytes;
    std::uint8_t buffer[65536];
    DWORD read = 0;
    while (::ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
        bytes.insert(bytes.end(), buffer, buffer + read);
    }
    return bytes;
}

void WriteTestFile(const std::wstring& path, std::string_view bytes) {
    const TFileHandle file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file) << "cannot create " << Utf8Text(path) << ", error " << ::GetLastError();
    DWORD written = 0;
    ASSERT_TRUE(bytes.empty() ||
                ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    ASSERT_EQ(written, bytes.size());
}

void WriteTestFile(const std::wstring& path, const TBytes& bytes) {
    WriteTestFile(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

bool IsExistingFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring ProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return std::wstring();
        if (length < path.size()) return path.substr(0, length);
        path.resize(path.size() * 2);
    }
}

std::wstring ProgramFolder() {
    const std::wstring path = ProgramPath();
    return path.substr(0, path.find_last_of(L'\\') + 1);
}
