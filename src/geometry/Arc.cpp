#include <cmath>
#include <numbers>

#include "geometry/Converter.h"
#include "geometry/FigList.h"

namespace velmora {

namespace {

bool AllFinite(std::initializer_list<double> values) {
    for (double v : values) {
        if (!std::isfinite(v)) return false;
    }
    return true;
}

// A curve in its own frame (radius cr along its x axis, cr * ch along its y axis), tilted by ka
// about its centre (cx, cy). Points come out in the drawing's own units, unscaled.
struct TCurveFrame {
    double cx, cy, cr, ch, cosKa, sinKa;

    TCurveFrame(double cx_, double cy_, double cr_, double ch_, double ka)
        : cx(cx_), cy(cy_), cr(cr_), ch(ch_), cosKa(std::cos(ka)), sinKa(std::sin(ka)) {}

    T3Dpoint Place(double x, double y) const {
        return {cx + ((0.0 + x * cosKa) - y * sinKa), cy + ((0.0 + x * sinKa) + y * cosKa), 0};
    }
    T3Dpoint At(double t) const { return Place(cr * std::cos(t), cr * ch * std::sin(t)); }
};

T3Dpoint Scaled(const T3Dpoint& p, double sc) {
    return {p.x * sc, p.y * sc, 0};
}

// Walks the chain of n + 1 points from parameter angle sa in n equal steps of da / n (the
// angle accumulated step by step, as every routine divides it), scaled by sc, and hands each
// of the first `divisions` consecutive pairs to emit.
template <typename TEmit>
void WalkChain(const TCurveFrame& f, double sc, double sa, double da, int n, int divisions,
               TEmit emit) {
    const double step = da / n;
    double t = sa;
    T3Dpoint prev = Scaled(f.At(t), sc);
    for (int i = 1; i <= divisions; ++i) {
        t += step;
        const T3Dpoint p = Scaled(f.At(t), sc);
        emit(prev, p);
        prev = p;
    }
}

}  // namespace

int TConverter::ArcDivisionCount(double cr, double da) const {
    double v = 0;
    int least = 1;
    if (Settings.ArcSepType == 1) {
        v = std::fabs(da / Settings.ArcSepAng) + 0.5;
        least = Settings.ArcSep1;
    } else if (Settings.ArcSepType == 2) {
        v = std::fabs(da * cr) / Settings.ArcSepLen + 0.5;
        least = Settings.ArcSep2;
    } else {
        v = Settings.ArcSep;
    }
    int n = 0;
    if (std::isnan(v)) {
        n = least;
    } else if (v >= kArcSepMax) {
        n = kArcSepMax;
    } else {
        n = static_cast<int>(std::trunc(v));
        if (n < least) n = least;
    }
    if (n < 1) n = 1;
    if (n > kArcSepMax) n = kArcSepMax;
    return n;
}

double TConverter::SweepOfDegrees(double sa, double ea) {
    // fmod instead of repeated addition of 360: same result, bounded work for any angle.
    double d = std::fmod(ea - sa, 360.0);
    if (d < 0) d += 360.0;
    const bool full = std::fabs(d) < 1e-12 || std::fabs(d - 360) < 1e-12;
    return full ? 6.283185307179586 : d / 180 * std::numbers::pi;
}

void TConverter::DataTransSubArc(int la, int co, double sc, double cx, double cy, double cr,
                                 double ch, double ka, double sa, double ea) {
    if (!AllFinite({sc, cx, cy, cr, ch, ka, sa, ea})) return;
    const double sweep = SweepOfDegrees(sa, ea);
    // Only a full circle sweeps 2 pi: any other sweep stays more than 1e-12 degrees short.
    const double start = sweep == 6.283185307179586 ? 0 : sa / 180 * std::numbers::pi;
    DataTransSubArc1(la, co, sc, cx, cy, cr, ch, ka / 180 * std::numbers::pi, start, sweep);
}

void TConverter::DataTransSubArc1(int la, int co, double sc, double cx, double cy, double cr,
                                  double ch, double ka, double sa, double da) {
    if (!AllFinite({sc, cx, cy, cr, ch, ka, sa, da})) return;
    const int n = ArcDivisionCount(cr, da);
    WalkChain(TCurveFrame(cx, cy, cr, ch, ka), sc, sa, da, n, n,
              [&](const T3Dpoint& a, const T3Dpoint& b) {
                  DataTransSubLine(la, co, a.x, a.y, b.x, b.y);
              });
}

void TConverter::DataTransSubArc2(int la, int co, double sc, double cx, double cy, double cr,
                                  double ch, double ka, double sa, double da) {
    if (!AllFinite({sc, cx, cy, cr, ch, ka, sa, da})) return;
    const int n = ArcDivisionCount(cr, da);
    const T3Dpoint c{cx * sc, cy * sc, 0};
    WalkChain(TCurveFrame(cx, cy, cr, ch, ka), sc, sa, da, n, n,
              [&](const T3Dpoint& a, const T3Dpoint& b) {
                  DataTransSubTri(la, co, c.x, c.y, a.x, a.y, b.x, b.y);
              });
}

void TConverter::DataTransSubArc3(int la, int co, double sc, double cx, double cy, double cr,
                                  double ch, double ka, double sa, double da) {
    if (!AllFinite({sc, cx, cy, cr, ch, ka, sa, da})) return;
    const int n = ArcDivisionCount(cr, da);
    const TCurveFrame f(cx, cy, cr, ch, ka);
    const T3Dpoint e = Scaled(f.At(sa + da), sc);
    // The last division would be the sliver E, P[n-1], P[n] with P[n] at E: no area.
    WalkChain(f, sc, sa, da, n, n - 1, [&](const T3Dpoint& a, const T3Dpoint& b) {
        DataTransSubTri(la, co, e.x, e.y, a.x, a.y, b.x, b.y);
    });
}

void TConverter::DataTransSubArc4(int la, int co, double sc, double cx, double cy, double cr,
                                  double ch, double ka, double sa, double da) {
    if (!AllFinite({sc, cx, cy, cr, ch, ka, sa, da})) return;
    const int n = ArcDivisionCount(cr, da);
    const TCurveFrame f(cx, cy, cr, ch, ka);

    // The corner where the tangents at both ends meet, in the curve's own frame.
    const double a = sa;
    const double b = sa + da;
    const double sx = cr * std::cos(a), sy = cr * ch * std::sin(a);
    const double s2x = sx + cr * std::cos(a + std::numbers::pi / 2);
    const double s2y = sy + cr * ch * std::sin(a + std::numbers::pi / 2);
    const double ex = cr * std::cos(b), ey = cr * ch * std::sin(b);
    const double e2x = ex + cr * std::cos(b - std::numbers::pi / 2);
    const double e2y = ey + cr * ch * std::sin(b - std::numbers::pi / 2);
    const bool v1 = std::fabs(s2x - sx) <= 1e-10;
    const bool v2 = std::fabs(e2x - ex) <= 1e-10;
    double ax = 0, ay = 0;
    if (v1 && v2) {
    } else if (v1) {
        const double m2 = (e2y - ey) / (e2x - ex);
        ax = sx;
        ay = (sx - ex) * m2 + ey;
    } else if (v2) {
        const double m1 = (s2y - sy) / (s2x - sx);
        ax = ex;
        ay = (ex - sx) * m1 + sy;
    } else {
        const double m1 = (s2y - sy) / (s2x - sx);
        const double m2 = (e2y - ey) / (e2x - ex);
        const double b1 = sy - m1 * sx;
        const double b2 = ey - m2 * ex;
        if (std::fabs(m1 - m2) > 1e-10) {
            ax = (b2 - b1) / (m1 - m2);
            ay = m1 * ax + b1;
        }
    }
    const T3Dpoint apex = Scaled(f.Place(ax, ay), sc);
    WalkChain(f, sc, sa, da, n, n, [&](const T3Dpoint& a, const T3Dpoint& b) {
        DataTransSubTri(la, co, apex.x, apex.y, a.x, a.y, b.x, b.y);
    });
}

void TConverter::DataTransSubArc5(int la, int co, double sc, double cx, double cy, double cr,
                                  double ch, double ri, double hh, double ka, double sa,
                                  double da) {
    if (!AllFinite({sc, cx, cy, cr, ch, ri, hh, ka, sa, da})) return;
    const int n = ArcDivisionCount(cr, da);
    const TCurveFrame outer(cx, cy, cr, ch, ka);
    const TCurveFrame inner(cx, cy, ri, hh, ka);
    const double step = da / n;
    double t = sa;
    T3Dpoint prevO = Scaled(outer.At(t), sc);
    T3Dpoint prevI = Scaled(inner.At(t), sc);
    for (int i = 1; i <= n; ++i) {
        t += step;
        const T3Dpoint o = Scaled(outer.At(t), sc);
        const T3Dpoint in = Scaled(inner.At(t), sc);
        DataTransSubSqr(la, co, prevO.x, prevO.y, prevI.x, prevI.y, in.x, in.y, o.x, o.y);
        prevO = o;
        prevI = in;
    }
}

}  // namespace velmora
