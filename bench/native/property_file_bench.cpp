// Native benchmark of the property file reader: files of 1,000, 10,000 and
// 100,000 pairs (CR LF line ends, cp1252 umlauts, one name in ten repeated
// in other case), read from memory in 64 KiB reads with the stand-in text
// rules. Prints, for each size, the best and the median time of one read and
// the throughput of the median read, and how the median grows from one size to
// the next (about 10x is linear). Not a test: exit code 0 when the figures
// were printed, 1 when the allocator or the clock could not be set up for them.
//
// It measures the reader in its steady state, not the system around it:
// - The allocator keeps the memory freed after a read for the next one.
//   Otherwise glibc hands the heap top and its larger blocks back to the
//   system after each read, and every read faults its memory in afresh;
//   that cost grows by steps with the size and hid the reader's growth.
// - Untimed rounds first fault the memory in, fill the caches and train the
//   branch predictors.
// - The sizes alternate in rounds, each round reading every file as often
//   as it takes the largest file to be read once, so that all sizes see the
//   same machine: on a shared one the load changes within seconds, and
//   sizes measured one after the other gave growths between 12x and 22x.
// - A read is timed by the CPU time of this thread (user and system, so a
//   page fault still counts), not by the wall clock: on a shared machine
//   the wall time of a read of some milliseconds holds other processes'
//   time slices, and its median, not only its spread, follows the load.
#include <malloc.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "property_file.h"
#include "property_text_standin.h"

namespace {

// The largest block glibc keeps on its heap when asked (its limit for
// M_MMAP_THRESHOLD on 64-bit systems); the biggest block of a read, the list
// of 90,000 entries, is about 10 MB.
const int cHeapBlockLimit = 32 * 1024 * 1024;
const int cLargestPairs = 100000;
const int cWarmUpRounds = 2;
const int cRounds = 31;

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

// Freed memory stays with the allocator: no block is mapped on its own up to
// cHeapBlockLimit, and the heap top is never given back.
bool KeepFreedMemory() {
    return mallopt(M_MMAP_THRESHOLD, cHeapBlockLimit) == 1 && mallopt(M_TRIM_THRESHOLD, -1) == 1;
}

double ThreadSeconds() {
    timespec now{};
    if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now) != 0) {
        std::fprintf(stderr, "property_file_bench: no CPU time clock for this thread\n");
        std::exit(1);
    }
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// One read of the whole file, its entries released; the thread's CPU time.
double TimedRead(const std::string& bytes, std::size_t& entryCount) {
    const double start = ThreadSeconds();
    {
        TMemorySource source(bytes);
        const std::vector<TPropertyEntry> entries = ReadPropertyEntries(source, property_text_standin::cRules);
        entryCount = entries.size();
    }
    return ThreadSeconds() - start;
}

// One file of the benchmark with the times of its reads.
struct TFileUnderTest {
    int Pairs = 0;
    std::string Bytes;
    int ReadsPerRound = 0;
    std::size_t Entries = 0;
    std::vector<double> Times;
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

int main() {
    if (!KeepFreedMemory()) {
        std::fprintf(stderr, "property_file_bench: the allocator does not take the settings to keep freed memory\n");
        return 1;
    }
    std::printf("%10s %12s %10s %7s %10s %10s %10s %8s\n", "pairs", "bytes", "entries", "reads", "best ms",
                "median ms", "MB/s", "growth");
    std::vector<TFileUnderTest> files;
    for (const int pairs : {1000, 10000, 100000}) {
        TFileUnderTest file;
        file.Pairs = pairs;
        file.Bytes = MakeFile(pairs);
        file.ReadsPerRound = cLargestPairs / pairs;
        files.push_back(std::move(file));
    }
    for (int round = 0; round < cWarmUpRounds + cRounds; ++round) {
        for (TFileUnderTest& file : files) {
            for (int read = 0; read < file.ReadsPerRound; ++read) {
                const double seconds = TimedRead(file.Bytes, file.Entries);
                if (round >= cWarmUpRounds) file.Times.push_back(seconds);
            }
        }
    }
    double previous = 0;
    for (const TFileUnderTest& file : files) {
        const double best = *std::min_element(file.Times.begin(), file.Times.end());
        const double median = Median(file.Times);
        const double mbPerSecond = static_cast<double>(file.Bytes.size()) / 1e6 / median;
        char growth[32] = "-";
        if (previous > 0) std::snprintf(growth, sizeof growth, "%.1fx", median / previous);
        std::printf("%10d %12zu %10zu %7zu %10.3f %10.3f %10.1f %8s\n", file.Pairs, file.Bytes.size(), file.Entries,
                    file.Times.size(), best * 1e3, median * 1e3, mbPerSecond, growth);
        previous = median;
    }
    std::printf("times: CPU time of one read in %d rounds after %d untimed ones, with the freed memory kept\n", cRounds,
                cWarmUpRounds);
    std::printf("goal: at least 100 MB/s, about 10x the time for 10x the pairs\n");
    return 0;
}
