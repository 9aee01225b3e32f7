#pragma once
// Splitting of the Windows command line into the program item and its arguments.
#include <string>
#include <vector>

// Characters 1 to 32 separate items; a double quote starts or ends a quoted
// stretch whose blanks belong to the item and the quotes are dropped; a pair of
// double quotes standing at the start of an item is skipped. Item 0 is the
// program itself. Splitting stops at the first item that comes out empty,
// which can only happen at the end of the line.
std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine);

// The three arguments the dispatch reads; a missing argument is empty.
struct TCommandArgs {
    std::size_t Count = 0;  // arguments after the program item
    std::wstring Param1, Param2, Param3;
};

TCommandArgs ReadCommandArgs(const std::wstring& commandLine);
