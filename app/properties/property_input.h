#pragma once
// The property file as bytes: a file read through CreateFileW and ReadFile,
// or the process's standard input. Failures raise EInOutError.
#include <windows.h>

#include <string>
#include <vector>

#include "handles.h"
#include "property_file.h"

// The longest path the property file may have, in UTF-16 units.
const std::size_t cMaxPropertyPath = 259;

class TPropertyInput final : public TByteSource {
public:
    // The file at path, opened for reading while others may read it but not
    // write it; standard input when path is empty. A path longer than
    // cMaxPropertyPath raises code 3 before anything is opened. A file that
    // cannot be opened fails at the first read, with code 104.
    explicit TPropertyInput(const std::wstring& path);

    // A failed read raises the system error code of the read; a broken pipe
    // is the end of the input.
    std::size_t Read(char* buffer, std::size_t size) override;

private:
    std::wstring fPath;
    TFileHandle fFile;
    HANDLE fHandle = INVALID_HANDLE_VALUE;  // fFile, or standard input (not owned)
    bool fOpened = false;
};

// Reads the whole property file (standard input for an empty path) into its
// entries with the system's text rules, and closes it again.
std::vector<TPropertyEntry> ReadPropertyFile(const std::wstring& path);

// Raises EInOutError with the code and its message; fileName fills the
// message of code 3.
[[noreturn]] void RaiseInOutError(int code, const std::wstring& fileName);
