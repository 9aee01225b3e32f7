// Fuzz target of the argument splitter: SplitCommandLine and ReadCommandArgs.
//
// Besides not crashing, the items must match a model that is built
// differently from the splitter: a double quote toggles the quoted state
// wherever it stands, a separator (characters 1 to 32) outside quotes ends a
// stretch, and every other character belongs to the current stretch. The
// items are the stretches that hold at least one character, in order (a
// lone pair of quotes has none); item 0 is the program item and comes out
// empty only when the line holds no item at all. Text after a NUL is not
// part of the line.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "command_line.h"
#include "fuzz_support.h"

namespace {

bool IsSeparator(wchar_t c) { return c >= 1 && c <= L' '; }

std::vector<std::wstring> ModelItems(const std::wstring& commandLine) {
    std::vector<std::wstring> items;
    std::wstring stretch;
    bool quoted = false;
    for (const wchar_t c : commandLine) {
        if (c == L'\0') break;
        if (c == L'"') {
            quoted = !quoted;
        } else if (!quoted && IsSeparator(c)) {
            if (!stretch.empty()) items.push_back(stretch);
            stretch.clear();
        } else {
            stretch.push_back(c);
        }
    }
    if (!stretch.empty()) items.push_back(stretch);
    if (items.empty()) items.emplace_back();
    return items;
}

void ReportMismatch(const std::wstring& line, const std::vector<std::wstring>& got,
                    const std::vector<std::wstring>& want) {
    std::fprintf(stderr, "line: [%s]\n", fuzz_support::Printable(line).c_str());
    for (const auto& item : got) std::fprintf(stderr, "  split: [%s]\n", fuzz_support::Printable(item).c_str());
    for (const auto& item : want) std::fprintf(stderr, "  model: [%s]\n", fuzz_support::Printable(item).c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring line = fuzz_support::WideFromBytes(data, size);
    const std::vector<std::wstring> items = SplitCommandLine(line);

    FUZZ_REQUIRE(!items.empty());
    for (std::size_t i = 0; i < items.size(); ++i) {
        // No empty argument, and quotes and NULs never reach an item.
        FUZZ_REQUIRE(i == 0 || !items[i].empty());
        FUZZ_REQUIRE(items[i].find(L'"') == std::wstring::npos);
        FUZZ_REQUIRE(items[i].find(L'\0') == std::wstring::npos);
    }
    const std::vector<std::wstring> model = ModelItems(line);
    if (items != model) ReportMismatch(line, items, model);
    FUZZ_REQUIRE(items == model);

    const TCommandArgs args = ReadCommandArgs(line);
    FUZZ_REQUIRE(args.Count == items.size() - 1);
    FUZZ_REQUIRE(args.Param1 == (items.size() > 1 ? items[1] : std::wstring()));
    FUZZ_REQUIRE(args.Param2 == (items.size() > 2 ? items[2] : std::wstring()));
    FUZZ_REQUIRE(args.Param3 == (items.size() > 3 ? items[3] : std::wstring()));
    return 0;
}
