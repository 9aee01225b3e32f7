#pragma once
// Helpers of the property update tests: property files, standard input
// replaced for a while, and the entries of a property file as tuples.
#include <windows.h>

#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "files.h"
#include "handles.h"
#include "property_file.h"

// Standard input replaced by handle for the life of the object.
class TStdInScope {
public:
    explicit TStdInScope(HANDLE handle);
    ~TStdInScope();
    TStdInScope(const TStdInScope&) = delete;
    TStdInScope& operator=(const TStdInScope&) = delete;

private:
    HANDLE fPrevious;
};

// A pipe whose read end is standard input for the life of the object; a
// thread writes the bytes into it and then closes the write end.
class TPipedStdIn {
public:
    explicit TPipedStdIn(std::string bytes);
    ~TPipedStdIn();
    TPipedStdIn(const TPipedStdIn&) = delete;
    TPipedStdIn& operator=(const TPipedStdIn&) = delete;

private:
    TKernelHandle fWrite;
    TKernelHandle fRead;
    std::thread fWriter;
    TStdInScope fScope;
};

using TEntryTuple = std::tuple<std::wstring, std::wstring, std::size_t>;  // name, value, first
std::vector<TEntryTuple> AsTuples(const std::vector<TPropertyEntry>& entries);
