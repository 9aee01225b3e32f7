// Native benchmark of the property file reader: files of 1,000, 10,000 and
// 100,000 pairs (CR LF line ends, cp1252 umlauts, one name in ten repeated
// in other case), read from memory in 64 KiB reads with the stand-in text
// rules. Prints the throughput of each size and how the time grows from one
// size to the next (about 10x is linear). Not a test: it always exits 0.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "property_file.h"
#include "property_text_standin.h"

namespace {

class TMemorySource final : public TByteSource {
public:
    explicit TMemorySource(const std::string& bytes) : fBytes(bytes) {}
    std::size_t Read(char* buffer, std::size_t size) override {
        const std::size_t n = std::min({size, std::size_t{64 * 1024}, fBytes.size() - fPos});
        fBytes.copy(buffer, n, fPos);
        fPos += n;
        return n;
    }

private:
    const std::string& fBytes;
    std::size_t fPos = 0;
};

std::string MakeFile(int pairs) {
    std::string bytes;
    for (int i = 0; i < pairs; ++i) {
        // The names in a scattered order, so that the index is not fed sorted.
        // Every tenth pair repeats the name before it in upper case.
        const bool repeat = i % 10 == 9;
        const unsigned long long id = (static_cast<unsigned long long>(repeat ? i - 1 : i) * 2654435761u) % 1000003u;
        const std::string name = (repeat ? "EIGENSCHAFT_" : "Eigenschaft_") + std::to_string(id);
        bytes += name + "\r\n";
        bytes += "Wert \xe4\xf6\xfc\xdf Nr. " + std::to_string(i) + " = Ma\xdf 12,5 mm\r\n";
    }
    return bytes;
}

double SecondsPerRead(const std::string& bytes, std::size_t& entryCount) {
    using Clock = std::chrono::steady_clock;
    double best = 1e30;
    double total = 0;
    int runs = 0;
    // The best of at least five runs, and of as many as fit into half a second.
    while (runs < 5 || total < 0.5) {
        const auto start = Clock::now();
        TMemorySource source(bytes);
        const std::vector<TPropertyEntry> entries = ReadPropertyEntries(source, property_text_standin::cRules);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        entryCount = entries.size();
        best = std::min(best, seconds);
        total += seconds;
        ++runs;
    }
    return best;
}

}  // namespace

int main() {
    std::printf("%10s %12s %10s %10s %10s %8s\n", "pairs", "bytes", "entries", "ms", "MB/s", "growth");
    double previous = 0;
    for (const int pairs : {1000, 10000, 100000}) {
        const std::string bytes = MakeFile(pairs);
        std::size_t entries = 0;
        const double seconds = SecondsPerRead(bytes, entries);
        const double mbPerSecond = static_cast<double>(bytes.size()) / 1e6 / seconds;
        char growth[32] = "-";
        if (previous > 0) std::snprintf(growth, sizeof growth, "%.1fx", seconds / previous);
        std::printf("%10d %12zu %10zu %10.3f %10.1f %8s\n", pairs, bytes.size(), entries, seconds * 1e3, mbPerSecond,
                    growth);
        previous = seconds;
    }
    std::printf("goal: at least 100 MB/s, about 10x the time for 10x the pairs\n");
    return 0;
}
