#include "command_line.h"

namespace {

bool IsSeparator(wchar_t c) { return c != L'\0' && c <= L' '; }

// Reads one item starting at pos; returns the position after it.
std::size_t NextItem(const std::wstring& s, std::size_t pos, std::wstring& item) {
    const std::size_t n = s.size();
    auto at = [&](std::size_t i) { return i < n ? s[i] : L'\0'; };
    for (;;) {
        while (IsSeparator(at(pos))) ++pos;
        if (at(pos) == L'"' && at(pos + 1) == L'"')
            pos += 2;
        else
            break;
    }
    item.clear();
    while (at(pos) > L' ') {
        if (at(pos) == L'"') {
            ++pos;
            while (at(pos) != L'\0' && at(pos) != L'"') item.push_back(s[pos++]);
            if (at(pos) != L'\0') ++pos;
        } else {
            item.push_back(s[pos++]);
        }
    }
    return pos;
}

}  // namespace

std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine) {
    // Text after an embedded NUL is not part of the line.
    const std::wstring line = commandLine.substr(0, commandLine.find(L'\0'));
    std::vector<std::wstring> items;
    std::wstring item;
    std::size_t pos = NextItem(line, 0, item);
    items.push_back(item);  // the program item, empty or not
    for (;;) {
        pos = NextItem(line, pos, item);
        if (item.empty()) break;
        items.push_back(item);
    }
    return items;
}

TCommandArgs ReadCommandArgs(const std::wstring& commandLine) {
    const auto items = SplitCommandLine(commandLine);
    TCommandArgs args;
    args.Count = items.size() - 1;
    if (args.Count >= 1) args.Param1 = items[1];
    if (args.Count >= 2) args.Param2 = items[2];
    if (args.Count >= 3) args.Param3 = items[3];
    return args;
}
