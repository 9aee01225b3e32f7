// Encoder benchmark: the same large blue-green-red picture through our JPEG
// writer (in memory) and through libjpeg-turbo's cjpeg with the same settings
// (-quality 90 -dct float, from a PPM file), alternating, in one run. Checks
// that both give the same bytes and prints the throughput ratio.
//
//   jpeg_encode_bench [SIZE [RUNS]]     (default 4096 x 4096, 7 runs each)
//
// cjpeg must be on the PATH (Debian: libjpeg-turbo-progs). Exit code 0 when
// the outputs are identical, 1 otherwise or on a failure.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "jpeg_writer.h"

extern char** environ;

namespace {

using TClock = std::chrono::steady_clock;
using TBytes = std::vector<std::uint8_t>;

// A picture with smooth areas, edges and fine noise, so that the entropy
// coder has realistic work.
TBytes MakePicture(int size) {
    TBytes bgr(static_cast<std::size_t>(size) * size * 3);
    std::uint32_t seed = 12345;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int noise = static_cast<int>((seed >> 24) % 24) - 12;
            const bool disc = ((x - size / 2) * (x - size / 2) + (y - size / 3) * (y - size / 3)) < size * size / 16;
            const int r = (x * 255 / size) + noise;
            const int g = disc ? 220 + noise / 2 : (y * 255 / size) + noise;
            const int b = ((x / 64 + y / 64) % 2 ? 180 : 60) + noise;
            std::uint8_t* p = bgr.data() + (static_cast<std::size_t>(y) * size + x) * 3;
            p[0] = static_cast<std::uint8_t>(std::clamp(b, 0, 255));
            p[1] = static_cast<std::uint8_t>(std::clamp(g, 0, 255));
            p[2] = static_cast<std::uint8_t>(std::clamp(r, 0, 255));
        }
    }
    return bgr;
}

bool WritePpm(const std::string& path, const TBytes& bgr, int size) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << size << " " << size << "\n255\n";
    std::vector<char> rgb(bgr.size());
    for (std::size_t i = 0; i < bgr.size(); i += 3) {
        rgb[i] = static_cast<char>(bgr[i + 2]);
        rgb[i + 1] = static_cast<char>(bgr[i + 1]);
        rgb[i + 2] = static_cast<char>(bgr[i]);
    }
    out.write(rgb.data(), static_cast<std::streamsize>(rgb.size()));
    return static_cast<bool>(out);
}

TBytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return TBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// One cjpeg run from the PPM file into out; its wall time in seconds, or a
// negative value when it failed.
double RunCjpeg(const std::string& ppm, const std::string& out) {
    std::vector<std::string> args = {"cjpeg", "-quality", "90", "-dct", "float", "-outfile", out, ppm};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const auto started = TClock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, "cjpeg", nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return std::chrono::duration<double>(TClock::now() - started).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int size = argc > 1 ? std::atoi(argv[1]) : 4096;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 7;
    if (size <= 0 || runs <= 0) {
        std::fprintf(stderr, "usage: jpeg_encode_bench [SIZE [RUNS]]\n");
        return 1;
    }
    char folderTemplate[] = "/tmp/jpeg_encode_bench.XXXXXX";
    const char* folder = mkdtemp(folderTemplate);
    if (!folder) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string ppm = std::string(folder) + "/picture.ppm";
    const std::string cjpegOut = std::string(folder) + "/cjpeg.jpg";

    const TBytes bgr = MakePicture(size);
    const TBgrPixels pixels = {size, size, static_cast<std::ptrdiff_t>(size) * 3, bgr.data()};
    int exitCode = 1;
    if (WritePpm(ppm, bgr, size)) {
        // Warm-up of caches and the file system, then alternating runs.
        TBytes ours = EncodeJpeg(pixels);
        bool cjpegOk = RunCjpeg(ppm, cjpegOut) >= 0;
        std::vector<double> oursTimes;
        std::vector<double> cjpegTimes;
        for (int i = 0; cjpegOk && i < runs; ++i) {
            const auto started = TClock::now();
            ours = EncodeJpeg(pixels);
            oursTimes.push_back(std::chrono::duration<double>(TClock::now() - started).count());
            const double t = RunCjpeg(ppm, cjpegOut);
            cjpegOk = t >= 0;
            cjpegTimes.push_back(t);
        }
        if (!cjpegOk) {
            std::fprintf(stderr, "jpeg_encode_bench: cjpeg failed (is libjpeg-turbo-progs installed?)\n");
        } else {
            const bool identical = ReadFile(cjpegOut) == ours;
            const double megapixels = static_cast<double>(size) * size / 1e6;
            const double oursMedian = Median(oursTimes);
            const double cjpegMedian = Median(cjpegTimes);
            std::printf("picture          %d x %d, blue-green-red, %zu bytes of JPEG\n", size, size, ours.size());
            std::printf("writer           median %.1f ms, %.1f Mpixel/s (%d runs)\n", oursMedian * 1000,
                        megapixels / oursMedian, runs);
            std::printf("cjpeg            median %.1f ms, %.1f Mpixel/s (process, PPM file read included)\n",
                        cjpegMedian * 1000, megapixels / cjpegMedian);
            std::printf("identical output %s\n", identical ? "yes" : "NO");
            std::printf("throughput ratio writer/cjpeg: %.2f\n", cjpegMedian / oursMedian);
            exitCode = identical ? 0 : 1;
        }
    }
    std::remove(ppm.c_str());
    std::remove(cjpegOut.c_str());
    rmdir(folder);
    return exitCode;
}
