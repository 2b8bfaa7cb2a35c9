// Writes a large primitive list as a COLLADA document and as binary glTF, and compares each
// with one plain fwrite of the same number of bytes in the same run. With "--assimp" it also
// times assimp's import of the plain and the compact document for growing segment counts.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "collada/SaveDae.h"
#include "geometry/FigList.h"
#include "gltf/SaveGlb.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

// Seconds one plain fwrite of n bytes takes, file creation and closing included; negative on
// failure.
double PlainWrite(const std::string& file, size_t n) {
    std::vector<char> block(n, 'x');
    const auto t0 = std::chrono::steady_clock::now();
    std::FILE* f = std::fopen(file.c_str(), "wb");
    if (!f || std::fwrite(block.data(), 1, block.size(), f) != block.size() ||
        std::fclose(f) != 0) {
        return -1;
    }
    const auto t1 = std::chrono::steady_clock::now();
    std::filesystem::remove(file);
    return Seconds(t0, t1);
}

// assimp's import time of the plain and the compact document of n segments in one geometry.
void AssimpTimes(const std::filesystem::path& dir) {
    std::printf("assimp import, segments: plain s, compact s\n");
    for (const int n : {20000, 40000, 80000}) {
        velmora::TFigList fig;
        fig.FigColKeyAdd(0);
        for (int i = 0; i < n; ++i) {
            const velmora::T3Dpoint p[2] = {{i * 10.0, 0, 0}, {i * 10.0, 500.0 + i % 7, 0}};
            fig.Fig3DAdd(0, 1, velmora::kFigTypLine, p, 2);
        }
        double t[2] = {0, 0};
        for (const int compact : {0, 1}) {
            const std::string file =
                (dir / (compact ? "assimp_compact.dae" : "assimp_plain.dae")).string();
            std::filesystem::remove(file);
            std::string error;
            velmora::SaveDaeFile(file, fig, 1, error, {},
                                 compact ? velmora::TDaeStyle::Compact : velmora::TDaeStyle::Plain);
            const auto t0 = std::chrono::steady_clock::now();
            const int rc = std::system(("assimp info '" + file + "' >/dev/null 2>&1").c_str());
            t[compact] = rc == 0 ? Seconds(t0, std::chrono::steady_clock::now()) : -1;
            std::filesystem::remove(file);
        }
        std::printf("%d: %.3f, %.3f\n", n, t[0], t[1]);
    }
}

}  // namespace

// Optional argument: the folder to write in (default: the temporary folder).
int main(int argc, char** argv) {
    using namespace velmora;
    constexpr int kSegments = 1000000;
    constexpr int kTriangles = 100000;
    constexpr int kQuads = 100000;
    constexpr int kLayers = 64;
    constexpr int kKeys = 40;

    TFigList fig;
    for (int k = 1; k <= kKeys; ++k)
        fig.FigColKeyAdd(k * 0x010305);
    std::mt19937 rng(12345);
    std::uniform_real_distribution<double> coord(-50000.0, 50000.0);
    const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    // Kinds interleaved and layers and keys scattered, as a converted drawing gives them.
    const int total = kSegments + kTriangles + kQuads;
    for (int i = 0; i < total; ++i) {
        const int lay = pick(kLayers) * 4;
        const int col = 1 + pick(kKeys);
        const double x = coord(rng), y = coord(rng);
        const int kind = i % 6;  // five segments, then a triangle or a quadrilateral
        if (kind < 5) {
            const T3Dpoint p[2] = {{x, y, 0}, {x + 120.5, y + 33.25, 0}};
            fig.Fig3DAdd(lay, col, kFigTypLine, p, 2);
        } else if (i / 6 % 2 == 0) {
            const T3Dpoint p[3] = {{x, y, 0}, {x + 100, y, 0}, {x, y + 100, 0}};
            fig.Fig3DAdd(lay, col, kFigTypTri, p, 3);
        } else {
            const T3Dpoint p[4] = {
                {x, y, 0}, {x + 100, y, 0}, {x + 100, y + 50, 0}, {x, y + 50, 0}};
            fig.Fig3DAdd(lay, col, kFigTypSqr, p, 4);
        }
    }

    const std::filesystem::path dir =
        argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::temp_directory_path();
    const std::string dae = (dir / "velmora_bench.dae").string();
    const std::string plain = (dir / "velmora_bench.bin").string();
    std::filesystem::remove(dae);

    std::string error;
    const auto t0 = std::chrono::steady_clock::now();
    const TSaveResult r = SaveDaeFile(dae, fig, 1, error);
    const auto t1 = std::chrono::steady_clock::now();
    if (r != TSaveResult::Written) {
        std::fprintf(stderr, "write failed: %s\n", error.c_str());
        return 1;
    }
    const auto bytes = static_cast<size_t>(std::filesystem::file_size(dae));
    std::filesystem::remove(dae);

    const double plain_s = PlainWrite(plain, bytes);
    if (plain_s < 0) {
        std::fprintf(stderr, "plain write failed\n");
        return 1;
    }

    const std::string glb = (dir / "velmora_bench.glb").string();
    const auto t4 = std::chrono::steady_clock::now();
    const TSaveResult rg = SaveGlbFile(glb, fig, 1, TGlbNames{"bench", {}}, error);
    const auto t5 = std::chrono::steady_clock::now();
    if (rg != TSaveResult::Written) {
        std::fprintf(stderr, "glb write failed: %s\n", error.c_str());
        return 1;
    }
    const auto glbBytes = static_cast<size_t>(std::filesystem::file_size(glb));
    std::filesystem::remove(glb);
    const double glbPlain_s = PlainWrite(plain, glbBytes);
    const double glb_s = Seconds(t4, t5);

    const double dae_s = Seconds(t0, t1);
    const double mb = static_cast<double>(bytes) / 1e6;
    std::printf("primitives: %d (%d segments, %d triangles and quadrilaterals)\n", fig.Fig3DN(),
                kSegments, kTriangles + kQuads);
    std::printf("document: %.1f MB in %.3f s\n", mb, dae_s);
    std::printf("primitives per second: %.0f\n", fig.Fig3DN() / dae_s);
    std::printf("document MB/s: %.1f\n", mb / dae_s);
    std::printf("plain fwrite MB/s: %.1f\n", mb / plain_s);
    std::printf("ratio document/plain: %.2f\n", plain_s / dae_s);
    std::printf("glb: %.1f MB in %.3f s, plain fwrite of the same bytes %.3f s\n",
                static_cast<double>(glbBytes) / 1e6, glb_s, glbPlain_s);
    std::printf("ratio glb/plain: %.2f\n", glbPlain_s / glb_s);
    if (argc > 2 && std::strcmp(argv[2], "--assimp") == 0) AssimpTimes(dir);
    return 0;
}
