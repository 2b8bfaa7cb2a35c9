// What blocks cost: one block of four lines placed 100,000 times against the same 400,000
// lines drawn plainly, each read from its encoded bytes and converted into the primitive list on
// one processor. A ratio at or below 1 says that a placement costs no more than drawing its
// geometry.
//
// Usage: bench_blocks [--placements=N] [--runs=N]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <span>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "attr/GraAttribute.h"
#include "geometry/Converter.h"
#include "geometry/FigList.h"
#include "jww/JwwData.h"
#include "support/JwwEncoder.h"

namespace {

using namespace velmora;
using namespace velmora::bench;
using Clock = std::chrono::steady_clock;

// Corner k of the square the block draws, turned by angle about (x, y).
void Corner(int k, double x, double y, double angle, double& cx, double& cy) {
    const double a = k * std::numbers::pi / 2 + angle;
    cx = x + 450 * std::cos(a);
    cy = y + 450 * std::sin(a);
}

// Placement i: where it stands and how it is turned.
void Placement(int i, double& x, double& y, double& angle) {
    x = (i % 1000) * 1000.0;
    y = (i / 1000) * 1000.0;
    angle = (i % 360) * std::numbers::pi / 180;
}

std::string BlockDrawing(int placements) {
    test::TJwwWriter w(700);
    TEntJwwBlockDef def;
    def.nNumber = 1;
    def.strName = "door";
    for (int k = 0; k < 4; ++k) {
        TEntJwwLine l;
        l.att = Attr(k);
        Corner(k, 0, 0, 0, l.start_x, l.start_y);
        Corner(k + 1, 0, 0, 0, l.end_x, l.end_y);
        test::AddMember(def, l);
    }
    w.AddBlockDef(def);
    for (int i = 0; i < placements; ++i) {
        TEntJwwBlock b;
        b.att = Attr(i);
        Placement(i, b.DPKijunTen_x, b.DPKijunTen_y, b.radKaitenKaku);
        b.dBairitsuX = b.dBairitsuY = 1;
        b.nNumber = 1;
        w.AddBlock(b);
    }
    return w.Bytes();
}

std::string PlainDrawing(int placements) {
    test::TJwwWriter w(700);
    for (int i = 0; i < placements; ++i) {
        double x, y, angle;
        Placement(i, x, y, angle);
        for (int k = 0; k < 4; ++k) {
            TEntJwwLine l;
            l.att = Attr(k);
            Corner(k, x, y, angle, l.start_x, l.start_y);
            Corner(k + 1, x, y, angle, l.end_x, l.end_y);
            w.AddLine(l);
        }
    }
    return w.Bytes();
}

// Seconds to read the bytes and convert them into a fresh list, and the primitives it gave.
double ReadAndConvert(const std::string& bytes, TgraAttribute& att, int& primitives) {
    const auto t0 = Clock::now();
    TJwwData d;
    d.FileInBytes(std::as_bytes(std::span(bytes.data(), bytes.size())));
    TFigList fig;
    TConverter conv(fig, att);
    conv.DataTransJWW(d);
    primitives = fig.Fig3DN();
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

}  // namespace

int main(int argc, char** argv) {
    int placements = 100000, runs = 5;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--placements=", 0) == 0) placements = std::max(1, std::atoi(a.c_str() + 13));
        if (a.rfind("--runs=", 0) == 0) runs = std::max(1, std::atoi(a.c_str() + 7));
    }
    StayOnOneProcessor();
    TgraAttribute att;
    PrepareAttributesAtStartup(att);
    ResetAttributesForJwwFile(att);
    const std::string blocks = BlockDrawing(placements), plain = PlainDrawing(placements);

    std::vector<double> b, p;
    int blockPrims = 0, plainPrims = 0;
    for (int r = 0; r < runs; ++r) {
        b.push_back(ReadAndConvert(blocks, att, blockPrims));
        p.push_back(ReadAndConvert(plain, att, plainPrims));
    }
    std::printf("%-8s %10s %12s %10s\n", "drawing", "input MB", "primitives", "seconds");
    std::printf("%-8s %10.1f %12d %10.3f\n", "blocks", blocks.size() / 1e6, blockPrims, Median(b));
    std::printf("%-8s %10.1f %12d %10.3f\n", "plain", plain.size() / 1e6, plainPrims, Median(p));
    std::printf("blocks / plain: %.2fx\n", Median(b) / Median(p));
    return 0;
}
