// Conversion speed on one processor: a drawing of plain lines and one of full circles (12
// segments each, the default division) turned into the primitive list, in primitives per
// second. The baseline stores the same number of segments' corners with a plain loop into a
// fresh array, which is the least any conversion spends on its output; the ratio says how far
// the converter stays above it.
//
// Usage: bench_convert [--entities=N] [--runs=N]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "attr/GraAttribute.h"
#include "geometry/Converter.h"
#include "geometry/FigList.h"
#include "jww/JwwData.h"

namespace {

using namespace velmora;
using namespace velmora::bench;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

void FillLines(TJwwData& d, int n) {
    d.EntLine.resize(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        TEntJwwLine& l = d.EntLine[static_cast<size_t>(i)];
        l.att = Attr(i);
        l.start_x = i * 0.37;
        l.start_y = i * 0.11;
        l.end_x = l.start_x + 1000;
        l.end_y = l.start_y + 250;
    }
    d.EntLineN = n;
}

void FillCircles(TJwwData& d, int n) {
    d.EntEnko.resize(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        TEntJwwEnko& e = d.EntEnko[static_cast<size_t>(i)];
        e.att = Attr(i);
        e.start_x = i * 0.37;
        e.start_y = i * 0.11;
        e.dHankei = 100 + i % 900;
        e.dHenpeiRitsu = 1;
        e.radEnkoKaku = 6.283185307179586;
        e.bZenEnFlg = 1;
    }
    d.EntEnkoN = n;
}

// Seconds of one conversion of d into a fresh list, and the primitives it gave.
double ConvertOnce(TJwwData& d, TgraAttribute& att, int& primitives) {
    TFigList fig;
    TConverter conv(fig, att);
    const auto t0 = Clock::now();
    conv.DataTransJWW(d);
    const auto t1 = Clock::now();
    primitives = fig.Fig3DN();
    return Seconds(t0, t1);
}

// Seconds to store n segments' corners (four doubles each) into a fresh array.
double BaselineOnce(int n) {
    const auto t0 = Clock::now();
    auto corners = std::make_unique_for_overwrite<double[]>(static_cast<size_t>(n) * 4);
    double* o = corners.get();
    for (int i = 0; i < n; ++i) {
        o[0] = i * 0.37;
        o[1] = i * 0.11;
        o[2] = o[0] + 1000;
        o[3] = o[1] + 250;
        o += 4;
    }
    const auto t1 = Clock::now();
    // Keep the stores: the array is read once.
    volatile double sink = corners[static_cast<size_t>(n / 2) * 4];
    (void)sink;
    return Seconds(t0, t1);
}

}  // namespace

int main(int argc, char** argv) {
    int entities = 1000000, runs = 5;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--entities=", 0) == 0) entities = std::max(1, std::atoi(a.c_str() + 11));
        if (a.rfind("--runs=", 0) == 0) runs = std::max(1, std::atoi(a.c_str() + 7));
    }
    StayOnOneProcessor();
    TgraAttribute att;
    PrepareAttributesAtStartup(att);
    ResetAttributesForJwwFile(att);

    std::printf("%-8s %10s %12s %10s %12s %7s\n", "drawing", "entities", "primitives", "convert s",
                "prims/s", "ratio");
    for (const bool circles : {false, true}) {
        const int n = circles ? entities / 12 : entities;
        std::vector<double> conv, base;
        int primitives = 0;
        for (int r = 0; r < runs; ++r) {
            TJwwData d;
            circles ? FillCircles(d, n) : FillLines(d, n);
            conv.push_back(ConvertOnce(d, att, primitives));
            base.push_back(BaselineOnce(primitives));
        }
        const double c = Median(conv), b = Median(base);
        std::printf("%-8s %10d %12d %10.3f %12.0f %6.2fx\n", circles ? "circles" : "lines", n,
                    primitives, c, primitives / c, c / b);
    }
    return 0;
}
