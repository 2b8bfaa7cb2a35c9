// End-to-end cost of converting drawings of 100 k, 1 M and 5 M entities with velmora-cli,
// against writing the same number of output bytes with `head -c N /dev/zero > f`, which is the
// least any converter has to spend on its document. Each size runs the converter and the
// baseline in turn; the table gives the medians, the peak memory of the converter and its
// output rate. A third run in each turn keeps the converter on one processor, so that the last
// column shows what the second one gains (1-core time / time).
//
// Usage: bench_end_to_end [--runs=N] [--sizes=100000,1000000,5000000] [--cli=PATH] [--keep] [DIR]
// DIR (default: the temporary folder) holds the drawings and documents while they are measured;
// --keep leaves the drawings there for a profiler.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "support/PlanDrawing.h"

namespace {

namespace fs = std::filesystem;
using namespace velmora;
using bench::Median;

struct TChild {
    double seconds = 0;
    long peakKiB = 0;
    int status = -1;
};

// Runs argv to its end, on the first processor it may use when oneCore is set; the peak
// resident set is the child's own. The documents of earlier runs are on disk first, so that no
// run pays for writing back another's bytes.
TChild Spawn(const std::vector<std::string>& argv, bool oneCore = false) {
    sync();
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    TChild c;
    const auto t0 = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int devnull = ::open("/dev/null", O_WRONLY);
        if (devnull >= 0) dup2(devnull, STDOUT_FILENO);
        if (oneCore) bench::StayOnOneProcessor();
        execv(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    rusage ru{};
    if (pid < 0 || wait4(pid, &status, 0, &ru) < 0) return c;
    c.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    c.peakKiB = ru.ru_maxrss;
    c.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return c;
}

void DropOutputs(const fs::path& dir) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec))
        if (entry.path().extension() == ".dae" || entry.path().extension() == ".bin")
            fs::remove(entry.path(), ec);
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 3;
    bool keep = false;
    std::vector<int> sizes = {100000, 1000000, 5000000};
    fs::path cli = fs::path(argv[0]).parent_path() / "velmora-cli";
    fs::path dir = fs::temp_directory_path() / "velmora_bench_e2e";
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--runs=", 0) == 0) {
            runs = std::max(1, std::atoi(a.c_str() + 7));
        } else if (a.rfind("--sizes=", 0) == 0) {
            sizes.clear();
            for (size_t p = 8; p < a.size();) {
                sizes.push_back(std::atoi(a.c_str() + p));
                const size_t comma = a.find(',', p);
                p = comma == std::string::npos ? a.size() : comma + 1;
            }
        } else if (a == "--keep") {
            keep = true;
        } else if (a.rfind("--cli=", 0) == 0) {
            cli = a.substr(6);
        } else {
            dir = a;
        }
    }
    fs::create_directories(dir);
    cli = fs::absolute(cli);

    std::printf("%-9s %9s %10s %9s %9s %7s %10s %9s %9s %7s\n", "entities", "input MB", "output MB",
                "velmora s", "write s", "ratio", "peak MiB", "out MB/s", "1-core s", "gain");
    for (const int n : sizes) {
        const fs::path drawing = dir / ("bench_" + std::to_string(n) + ".jww");
        {
            const std::string bytes = test::PlanDrawingBytes(n);
            std::ofstream(drawing, std::ios::binary)
                .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        }
        std::vector<double> conv, base, single;
        long peak = 0;
        uintmax_t outBytes = 0;
        const std::vector<std::string> convert = {cli.string(), "--solids=on", "-o", dir.string(),
                                                  drawing.string()};
        for (int r = 0; r < runs; ++r) {
            DropOutputs(dir);
            const TChild c = Spawn(convert);
            const fs::path dae = dir / ("bench_" + std::to_string(n) + ".dae");
            std::error_code ec;
            outBytes = fs::file_size(dae, ec);
            if (c.status != 0 || ec) {
                std::fprintf(stderr, "conversion of %s failed (status %d)\n",
                             drawing.string().c_str(), c.status);
                return 1;
            }
            conv.push_back(c.seconds);
            peak = std::max(peak, c.peakKiB);
            DropOutputs(dir);
            const std::string cmd = "head -c " + std::to_string(outBytes) + " /dev/zero > '" +
                                    (dir / "baseline.bin").string() + "'";
            base.push_back(Spawn({"/bin/sh", "-c", cmd}).seconds);
            DropOutputs(dir);
            const TChild one = Spawn(convert, true);
            if (one.status != 0) {
                std::fprintf(stderr, "conversion of %s on one processor failed (status %d)\n",
                             drawing.string().c_str(), one.status);
                return 1;
            }
            single.push_back(one.seconds);
        }
        DropOutputs(dir);
        const double inMB = static_cast<double>(fs::file_size(drawing)) / 1e6;
        if (!keep) fs::remove(drawing);
        const double outMB = static_cast<double>(outBytes) / 1e6;
        const double v = Median(conv), b = Median(base), one = Median(single);
        std::printf("%-9d %9.1f %10.1f %9.2f %9.2f %6.2fx %10.0f %9.0f %9.2f %6.2fx\n", n, inMB,
                    outMB, v, b, v / b, static_cast<double>(peak) / 1024, outMB / v, one, one / v);
        std::fflush(stdout);
    }
    return 0;
}
