#include "jww/JwwBlock.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <numbers>
#include <stdexcept>
#include <unordered_map>
#include <utility>

#include "jww/JwwData.h"
#include "jww/JwwText.h"
#include "util/Func2.h"
#include "util/Prefault.h"

namespace velmora {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kTiny = 1e-14;
// Full-turn limit of ring sweeps as the format writes it.
constexpr double kFullSweep = 6.2831853071795765 - kTiny;
constexpr double kWholeTurn = 2 * kPi;
// A sweep this close to a whole number of turns is taken as whole turns: the ends of what is
// left would fold onto each other by rounding alone.
constexpr double kTurnSlack = 1e-12;

// Degenerate matrices and damaged numbers must not hand NaN or infinity to the converter.
double FiniteOr0(double v) {
    return std::isfinite(v) ? v : 0.0;
}

// Entries of a count/array pair that may be used: the count, unless the array is shorter.
template <class T>
size_t Usable(const std::vector<T>& arr, int32_t count) {
    if (count <= 0) return 0;
    return std::min(arr.size(), static_cast<size_t>(count));
}

void InsertMatrix(const TEntJwwBlock& b, double& m1, double& m2, double& m3, double& m4) {
    const double c = std::cos(b.radKaitenKaku);
    const double s = std::sin(b.radKaitenKaku);
    m1 = c * b.dBairitsuX;
    m2 = -s * b.dBairitsuY;
    m3 = s * b.dBairitsuX;
    m4 = c * b.dBairitsuY;
}

int64_t NodeBytes(const TEntJwwBlockTree& n) {
    return static_cast<int64_t>(sizeof(TEntJwwBlockTree) + n.name.size());
}

void SetLayer(TEntJwwAttr& a, bool lf, uint16_t l1, uint16_t l2) {
    if (lf) return;
    a.nGLayer = l1;
    a.nLayer = l2;
}

// Image of the source ellipse's point of parameter phi as an offset from the image centre:
// the block matrix's linear part after the tilt and the semi-axes, one 2x2 map of
// (cos phi, sin phi). Leaving out the translation keeps large coordinates from costing
// precision.
struct TEnkoMap {
    double m11 = 0, m12 = 0, m21 = 0, m22 = 0;

    TEnkoMap(const TBlockMatrix& m, const TEntJwwEnko& e) {
        const double ct = std::cos(e.radKatamukiKaku), st = std::sin(e.radKatamukiKaku);
        const double a = e.dHankei, b = e.dHankei * e.dHenpeiRitsu;
        m11 = (m.b1 * ct + m.b2 * st) * a;
        m12 = (-m.b1 * st + m.b2 * ct) * b;
        m21 = (m.b3 * ct + m.b4 * st) * a;
        m22 = (-m.b3 * st + m.b4 * ct) * b;
    }
    void At(double phi, double& x, double& y) const {
        const double c = std::cos(phi), s = std::sin(phi);
        x = m11 * c + m12 * s;
        y = m21 * c + m22 * s;
    }
    // Derivative of half the squared radius: zero on the axes, falling through zero at the
    // major axis.
    double Slope(double phi) const {
        const double c = std::cos(phi), s = std::sin(phi);
        const double x = m11 * c + m12 * s, y = m21 * c + m22 * s;
        return x * (m12 * c - m11 * s) + y * (m22 * c - m21 * s);
    }
};

// True when the map takes the source ellipse to a circle (a circle turned, mirrored or scaled
// alike in both axes). Every parameter is then a major axis, and a search would settle on
// whichever one rounding favours, which differs from one math library to the next; the
// source's own axis, carried along by the map, is the one the drawing means.
bool ImageIsCircle(const TEnkoMap& map) {
    const double n1 = map.m11 * map.m11 + map.m21 * map.m21;
    const double n2 = map.m12 * map.m12 + map.m22 * map.m22;
    const double dot = map.m11 * map.m12 + map.m21 * map.m22;
    const double tolerance = 1e-12 * std::max(n1, n2);
    return std::fabs(n1 - n2) <= tolerance && std::fabs(dot) <= tolerance;
}

// Parameter of the major axis of the image ellipse: a coarse pass over the half turn, then
// fifteen passes each ten times finer around the best so far. The radius is flat at its
// maximum, so comparing radii leaves the parameter uncertain by about 1e-8; where the slope
// changes sign around that point, bisection on the slope pins it down to rounding.
double MajorAxisParameter(const TEnkoMap& map) {
    double best = 0;
    double bestDist = 0;
    const auto sample = [&](double phi) {
        double x = 0, y = 0;
        map.At(phi, x, y);
        const double dist = PointDist(x, y, 0, 0);
        if (dist > bestDist) {
            bestDist = dist;
            best = phi;
        }
    };
    const double step0 = kPi / 10;
    for (int j = 0; j <= 10; ++j)
        sample(j * step0);
    double prev = step0;
    for (int i = 1; i <= 15; ++i) {
        const double step = step0 * std::pow(10.0, -i);
        const double start = best - prev;
        for (int j = 0; j <= 20; ++j)
            sample(start + j * step);
        prev = step;
    }
    double lo = best - 1e-6, hi = best + 1e-6;
    if (map.Slope(best) != 0 && map.Slope(lo) > 0 && map.Slope(hi) < 0) {
        for (int i = 0; i < 64 && hi - lo > 0; ++i) {
            const double mid = lo + (hi - lo) / 2;
            if (mid <= lo || mid >= hi) break;
            (map.Slope(mid) > 0 ? lo : hi) = mid;
        }
        best = lo + (hi - lo) / 2;
    }
    return best;
}

}  // namespace

// ---- Geometry ----

bool TBlockMatrix::PureMove() const {
    return std::fabs(b1 - 1) <= kTiny && std::fabs(b2) <= kTiny && std::fabs(b3) <= kTiny &&
           std::fabs(b4 - 1) <= kTiny;
}

double VecAngle(double x, double y) {
    if (std::fabs(x) < kTiny && std::fabs(y) < kTiny) return 0;
    double a = std::atan2(y, x);
    if (!std::isfinite(a)) return 0;
    if (a < 0) a += 2 * kPi;
    // A tiny negative angle rounds up to a full turn.
    return a < 2 * kPi ? a : 0.0;
}

double PointDist(double x1, double y1, double x2, double y2) {
    return std::hypot(x2 - x1, y2 - y1);
}

double LineDist(double qx, double qy, double ax, double ay, double bx, double by) {
    const double ang = -VecAngle(bx - ax, by - ay);
    return std::fabs(RotateY(qx, qy, ax, ay, ang) - ay);
}

void AffineLine(const TBlockMatrix& m, double& x1, double& y1, double& x2, double& y2) {
    const double nx1 = m.X(x1, y1), ny1 = m.Y(x1, y1);
    const double nx2 = m.X(x2, y2), ny2 = m.Y(x2, y2);
    x1 = FiniteOr0(nx1);
    y1 = FiniteOr0(ny1);
    x2 = FiniteOr0(nx2);
    y2 = FiniteOr0(ny2);
}

void AffineEnko(const TBlockMatrix& m, TEntJwwEnko& e) {
    const double cx = m.X(e.start_x, e.start_y);
    const double cy = m.Y(e.start_x, e.start_y);
    const bool uniform = std::fabs(std::fabs(m.b1) - std::fabs(m.b4)) <= kTiny &&
                         std::fabs(m.b2) <= kTiny && std::fabs(m.b3) <= kTiny;
    const TEnkoMap map(m, e);
    const double major = uniform || ImageIsCircle(map) ? 0.0 : MajorAxisParameter(map);

    double mx = 0, my = 0;
    map.At(major, mx, my);
    const double a = PointDist(mx, my, 0, 0);
    const double tilt = VecAngle(mx, my);
    // Source point mapped and expressed in the new ellipse's own axes.
    const auto local = [&](double phi, double& u, double& v) {
        double x = 0, y = 0;
        map.At(phi, x, y);
        u = RotateX(x, y, 0, 0, -tilt);
        v = RotateY(x, y, 0, 0, -tilt);
    };
    double qu = 0, qv = 0;
    local(major + kPi / 2, qu, qv);
    double q = std::sqrt(std::fabs(a * a - qu * qu));
    if (!(q >= 1e-12)) q = 1e-12;
    const double f = FiniteOr0(std::fabs(qv) / q);

    double start = e.radKaishiKaku;
    double sweep = e.radEnkoKaku;
    if (e.bZenEnFlg != 1) {
        // A collapsed image (f = 0) has every point on its axis: v is 0 there as well.
        const auto image = [&](double phi) {
            double u = 0, v = 0;
            local(phi, u, v);
            return VecAngle(u, f > 0 ? v / f : 0.0);
        };
        const double s = e.radKaishiKaku, d = e.radEnkoKaku;
        const double phi0 = d >= 0 ? s : s + d;
        double phi1 = d >= 0 ? s + d : s;
        double mid = s + d / 2;
        // Whole turns map to whole turns, but their ends fold onto one point: they are carried
        // over as they are and only the rest of the sweep is mapped by its ends.
        double turns = 0;
        if (std::fabs(d) >= kWholeTurn - kTurnSlack) {
            turns = std::floor((std::fabs(d) + kTurnSlack) / kWholeTurn);
            double rest = std::fabs(d) - turns * kWholeTurn;
            if (!(rest > kTurnSlack)) rest = 0;
            phi1 = phi0 + rest;
            mid = phi0 + rest / 2;
        }
        double ns = image(phi0);
        double ne = image(phi1);
        double nd = 0;
        if (phi1 != phi0) {
            const double nm = image(mid);
            double de = ne - ns;
            double dm = nm - ns;
            if (de < 0) de += 2 * kPi;
            if (dm < 0) dm += 2 * kPi;
            // The middle of the arc off the counter-clockwise way from start to end: mirrored.
            if (de < dm) SwapReal(ns, ne);
            nd = ne - ns;
            if (nd < 0) nd += 2 * kPi;
        }
        start = ns;
        sweep = nd + turns * kWholeTurn;
    }
    e.start_x = FiniteOr0(cx);
    e.start_y = FiniteOr0(cy);
    e.dHankei = FiniteOr0(a);
    e.dHenpeiRitsu = f;
    e.radKatamukiKaku = FiniteOr0(tilt);
    e.radKaishiKaku = FiniteOr0(start);
    e.radEnkoKaku = FiniteOr0(sweep);
}

void AffineTen(const TBlockMatrix& m, TEntJwwTen& e) {
    const double x = m.X(e.start_x, e.start_y);
    const double y = m.Y(e.start_x, e.start_y);
    if (e.att.nPenStyle == 100) {
        // Image direction of the local X axis (T(p + (10, 0)) - T(p)).
        double a = VecAngle(10 * m.b1, 10 * m.b3);
        if (m.b1 < 0) a += kPi;
        e.radKaitenKaku = FiniteOr0(e.radKaitenKaku + a);
    } else {
        e.nCode = 0;
        e.radKaitenKaku = 0;
        e.dBairitsu = 1;
    }
    e.start_x = FiniteOr0(x);
    e.start_y = FiniteOr0(y);
}

// ---- Tree ----

namespace {

class TTreeBuilder {
  public:
    TTreeBuilder(TJwwEntities& ents, const TBlockBudget& budget) : ents_(ents), budget_(budget) {}

    bool Build() {
        const size_t defs = Usable(ents_.EntBlockDef, ents_.EntBlockDefN);
        byNumber_.reserve(defs);
        for (size_t i = 0; i < defs; ++i)
            byNumber_.emplace(ents_.EntBlockDef[i].nNumber, static_cast<int32_t>(i));

        const size_t inserts = Usable(ents_.EntBlock, ents_.EntBlockN);
        // Every placement of the main list is a node; nested ones come on top.
        ReserveHugePages(
            tree(), std::min(inserts, static_cast<size_t>(std::max<int64_t>(budget_.maxNodes, 0))));
        for (size_t j = 0; j < inserts; ++j) {
            const TEntJwwBlock& b = ents_.EntBlock[j];
            TEntJwwBlockTree n;
            n.att = b.att;
            n.level = 0;
            n.parent = -1;
            n.no = b.nNumber;
            n.x = b.DPKijunTen_x;
            n.y = b.DPKijunTen_y;
            InsertMatrix(b, n.r1, n.r2, n.r3, n.r4);
            if (!Add(std::move(n))) return false;
        }
        // The bound is re-read on every turn: the nodes appended here are visited as well.
        for (size_t k = 0; k < tree().size(); ++k) {
            const int32_t defno = tree()[k].defno;
            if (defno < 0) continue;
            const TEntJwwBlockDef& def = ents_.EntBlockDef[static_cast<size_t>(defno)];
            const size_t nested = Usable(def.mBlock, def.mBlockN);
            if (nested == 0) continue;
            bool placedAbove = false;
            if (!OnAncestorChain(k, defno, placedAbove)) return false;
            if (placedAbove) continue;
            for (size_t l = 0; l < nested; ++l) {
                const TEntJwwBlockTree& p = tree()[k];
                const TEntJwwBlock& J = def.mBlock[l];
                double m1 = 1, m2 = 0, m3 = 0, m4 = 1;
                InsertMatrix(J, m1, m2, m3, m4);
                TEntJwwBlockTree n;
                n.att = def.att;
                n.level = p.level + 1;
                n.parent = static_cast<int32_t>(k);
                n.no = J.nNumber;
                n.x = p.x + p.r1 * J.DPKijunTen_x + p.r2 * J.DPKijunTen_y;
                n.y = p.y + p.r3 * J.DPKijunTen_x + p.r4 * J.DPKijunTen_y;
                n.r1 = p.r1 * m1 + p.r2 * m3;
                n.r2 = p.r1 * m2 + p.r2 * m4;
                n.r3 = p.r3 * m1 + p.r4 * m3;
                n.r4 = p.r3 * m2 + p.r4 * m4;
                if (!Add(std::move(n))) return false;
            }
        }
        return true;
    }

  private:
    std::vector<TEntJwwBlockTree>& tree() { return ents_.EntBlockTree; }

    // Appends the node with its definition looked up; false when a budget is used up.
    bool Add(TEntJwwBlockTree&& n) {
        const auto it = byNumber_.find(n.no);
        if (it != byNumber_.end()) {
            TEntJwwBlockDef& def = ents_.EntBlockDef[static_cast<size_t>(it->second)];
            n.defno = it->second;
            n.name = def.strName;
            def.ref_flag = true;
        }
        const int64_t size = NodeBytes(n);
        if (static_cast<int64_t>(tree().size()) >= budget_.maxNodes ||
            bytes_ + size > budget_.maxBytes) {
            return false;
        }
        tree().push_back(std::move(n));
        bytes_ += size;
        return true;
    }

    // Whether definition defno is placed by an ancestor of node k; false when the walk budget
    // is used up.
    bool OnAncestorChain(size_t k, int32_t defno, bool& found) {
        found = false;
        for (int32_t j = tree()[k].parent; j >= 0; j = tree()[static_cast<size_t>(j)].parent) {
            if (++walk_ > budget_.maxWalk) return false;
            if (tree()[static_cast<size_t>(j)].defno == defno) {
                found = true;
                return true;
            }
        }
        return true;
    }

    TJwwEntities& ents_;
    const TBlockBudget& budget_;
    std::unordered_map<uint32_t, int32_t> byNumber_;
    int64_t bytes_ = 0;
    int64_t walk_ = 0;
};

}  // namespace

bool MakeBlockTree(TJwwEntities& ents, const TBlockBudget& budget) {
    ents.EntBlockTree.clear();
    ents.EntBlockTreeN = 0;
    for (TEntJwwBlockDef& def : ents.EntBlockDef) {
        def.ref_flag = false;
        def.ref_no = -1;
    }
    if (Usable(ents.EntBlock, ents.EntBlockN) == 0) return true;
    bool complete = false;
    try {
        TTreeBuilder builder(ents, budget);
        complete = builder.Build();
    } catch (const std::bad_alloc&) {
        complete = false;
    }
    ents.EntBlockTreeN = static_cast<int32_t>(ents.EntBlockTree.size());
    int32_t referenced = 0;
    for (TEntJwwBlockDef& def : ents.EntBlockDef) {
        if (def.ref_flag) def.ref_no = referenced++;
    }
    ents.EntBlockNum = referenced;
    if (!complete) ents.BudgetStop = "block tree budget";
    return complete;
}

// ---- Explosion ----

TJwwBlockExploder::TJwwBlockExploder(TJwwEntities& ents, int32_t& n1,
                                     std::span<const TEntJwwLayerGroup> groups,
                                     const TBlockBudget& budget)
    : ents_(ents), n1_(n1), groups_(groups), budget_(budget) {}

double TJwwBlockExploder::GroupScale(uint16_t group) const {
    if (group >= groups_.size()) return 1.0;
    return groups_[group].adScale;
}

bool TJwwBlockExploder::HasRoom() {
    if (appended_ < budget_.maxEntities && curves_ < budget_.maxCurves &&
        bytes_ < budget_.maxBytes) {
        return true;
    }
    truncated_ = true;
    truncatedBy_ = appended_ >= budget_.maxEntities ? "block entity budget"
                   : curves_ >= budget_.maxCurves   ? "block curve budget"
                                                    : "block memory budget";
    if (ents_.BudgetStop.empty()) ents_.BudgetStop = truncatedBy_;
    return false;
}

template <class T>
bool TJwwBlockExploder::Append(std::vector<T>& arr, int32_t& count, int32_t kind, T&& e,
                               int64_t bytes) {
    try {
        arr.push_back(std::move(e));
    } catch (const std::bad_alloc&) {
        return false;
    }
    try {
        ents_.EntNo.push_back(TEntJwwNo{kind, static_cast<int32_t>(arr.size() - 1)});
    } catch (const std::bad_alloc&) {
        arr.pop_back();
        return false;
    }
    count = static_cast<int32_t>(arr.size());
    n1_ = static_cast<int32_t>(ents_.EntNo.size());
    ++appended_;
    bytes_ += bytes + static_cast<int64_t>(sizeof(TEntJwwNo));
    return true;
}

bool TJwwBlockExploder::BlockExplodeLine(const TBlockMatrix& m, const TEntJwwLine& e, bool lf,
                                         uint16_t l1, uint16_t l2) {
    TEntJwwLine c = e;
    AffineLine(m, c.start_x, c.start_y, c.end_x, c.end_y);
    SetLayer(c.att, lf, l1, l2);
    return Append(ents_.EntLine, ents_.EntLineN, kJwwLine, std::move(c), sizeof(TEntJwwLine));
}

bool TJwwBlockExploder::BlockExplodeEnko(const TBlockMatrix& m, const TEntJwwEnko& e, bool lf,
                                         uint16_t l1, uint16_t l2) {
    TEntJwwEnko c = e;
    AffineEnko(m, c);
    ++curves_;
    SetLayer(c.att, lf, l1, l2);
    return Append(ents_.EntEnko, ents_.EntEnkoN, kJwwEnko, std::move(c), sizeof(TEntJwwEnko));
}

bool TJwwBlockExploder::BlockExplodeTen(const TBlockMatrix& m, const TEntJwwTen& e, bool lf,
                                        uint16_t l1, uint16_t l2) {
    TEntJwwTen c = e;
    AffineTen(m, c);
    SetLayer(c.att, lf, l1, l2);
    return Append(ents_.EntTen, ents_.EntTenN, kJwwTen, std::move(c), sizeof(TEntJwwTen));
}

bool TJwwBlockExploder::BlockExplodeMoji(const TBlockMatrix& m, const TEntJwwMoji& e, bool lf,
                                         uint16_t l1, uint16_t l2) {
    TEntJwwMoji c;
    try {
        c = e;
        // Bit 0x20: the text runs vertically, its height is measured along the baseline.
        const bool vertical = (e.att.sFlg & 0x20) != 0;
        TMojiGeom g;
        g.k = e.nMojiShu;
        g.sx = e.start_x;
        g.sy = e.start_y;
        g.ex = e.end_x;
        g.ey = e.end_y;
        g.w = vertical ? e.dSizeY : e.dSizeX;
        g.h = vertical ? e.dSizeX : e.dSizeY;
        g.d = e.dKankaku;
        const TMojiGeom r = AffineMoji(m, g);
        c.start_x = r.sx;
        c.start_y = r.sy;
        c.end_x = r.ex;
        c.end_y = r.ey;
        (vertical ? c.dSizeY : c.dSizeX) = r.w;
        (vertical ? c.dSizeX : c.dSizeY) = r.h;
        c.dKankaku = r.d;
        c.nMojiShu = r.k;
        std::string image;
        if (RebuildImageText(m, e.str, e.start_x, e.start_y, e.end_x, e.end_y, r, image)) {
            c.str = std::move(image);
            c.end_x = FiniteOr0(r.sx + MojiWidth(c.str, r.w, r.d));
            c.end_y = r.sy;
            c.degKakudo = 0;
        } else {
            c.degKakudo = VecAngle(r.ex - r.sx, r.ey - r.sy) * 180 / kPi;
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    SetLayer(c.att, lf, l1, l2);
    const auto bytes =
        static_cast<int64_t>(sizeof(TEntJwwMoji) + c.str.size() + c.strFontName.size());
    return Append(ents_.EntMoji, ents_.EntMojiN, kJwwMoji, std::move(c), bytes);
}

bool TJwwBlockExploder::BlockExplodeSunpo(const TBlockMatrix& m, const TEntJwwSunpo& e, bool lf,
                                          uint16_t l1, uint16_t l2) {
    TEntJwwSunpo c;
    try {
        c = e;
        AffineLine(m, c.Sen.start_x, c.Sen.start_y, c.Sen.end_x, c.Sen.end_y);
        if (e.bSxfMode != 0) {
            AffineLine(m, c.Ho1.start_x, c.Ho1.start_y, c.Ho1.end_x, c.Ho1.end_y);
            AffineLine(m, c.Ho2.start_x, c.Ho2.start_y, c.Ho2.end_x, c.Ho2.end_y);
            for (TEntJwwTen* t : {&c.Te1, &c.Te2, &c.Kt1, &c.Kt2})
                AffineTen(m, *t);
        } else {
            // Without SXF parts the file holds nothing meaningful for them.
            for (TEntJwwLine* l : {&c.Ho1, &c.Ho2}) {
                const TEntJwwAttr att = l->att;
                *l = TEntJwwLine{};
                l->att = att;
            }
            for (TEntJwwTen* t : {&c.Te1, &c.Te2, &c.Kt1, &c.Kt2}) {
                const TEntJwwAttr att = t->att;
                *t = TEntJwwTen{};
                t->att = att;
                t->dBairitsu = 0;
            }
        }
        const TEntJwwMoji& mo = e.Moji;
        const bool vertical = (mo.att.sFlg & 0x20) != 0;
        TMojiGeom g;
        g.k = mo.nMojiShu;
        g.sx = mo.start_x;
        g.sy = mo.start_y;
        g.ex = mo.end_x;
        g.ey = mo.end_y;
        g.w = vertical ? mo.dSizeY : mo.dSizeX;
        g.h = vertical ? mo.dSizeX : mo.dSizeY;
        g.d = mo.dKankaku;
        TMojiGeom r;
        // Bit 0x02 of the value flags: the value is measured, so it is written anew for the
        // new length.
        if (!m.PureMove() && (mo.att.nPenWidth & 0x02) != 0 && mo.str.rfind("^@BM", 0) != 0) {
            c.Moji.str = SunpoValueText(m, mo.att.nPenWidth, mo.att.sFlg, e.Sen,
                                        GroupScale(e.Sen.att.nGLayer));
            r = AffineMojiCenter(m, g, c.Moji.str);
        } else {
            r = AffineMoji(m, g);
        }
        c.Moji.start_x = r.sx;
        c.Moji.start_y = r.sy;
        c.Moji.end_x = r.ex;
        c.Moji.end_y = r.ey;
        (vertical ? c.Moji.dSizeY : c.Moji.dSizeX) = r.w;
        (vertical ? c.Moji.dSizeX : c.Moji.dSizeY) = r.h;
        c.Moji.dKankaku = r.d;
        c.Moji.nMojiShu = r.k;
        c.Moji.degKakudo = VecAngle(r.ex - r.sx, r.ey - r.sy) * 180 / kPi;
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (TEntJwwAttr* a : {&c.att, &c.Sen.att, &c.Moji.att, &c.Ho1.att, &c.Ho2.att, &c.Te1.att,
                           &c.Te2.att, &c.Kt1.att, &c.Kt2.att}) {
        SetLayer(*a, lf, l1, l2);
    }
    const auto bytes =
        static_cast<int64_t>(sizeof(TEntJwwSunpo) + c.Moji.str.size() + c.Moji.strFontName.size());
    return Append(ents_.EntSunpo, ents_.EntSunpoN, kJwwSunpo, std::move(c), bytes);
}

bool TJwwBlockExploder::BlockExplodeSolid(const TBlockMatrix& m, const TEntJwwSolid& e, bool lf,
                                          uint16_t l1, uint16_t l2) {
    TEntJwwSolid c = e;
    const uint8_t kind = e.att.nPenStyle;
    if (kind <= 100) {
        AffineLine(m, c.start_x, c.start_y, c.end_x, c.end_y);
        AffineLine(m, c.DPoint2_x, c.DPoint2_y, c.DPoint3_x, c.DPoint3_y);
    } else {
        ++curves_;
        TEntJwwEnko outer;
        outer.start_x = e.start_x;
        outer.start_y = e.start_y;
        outer.dHankei = e.end_x;
        outer.dHenpeiRitsu = e.end_y;
        outer.radKatamukiKaku = e.DPoint2_x;
        outer.radKaishiKaku = e.DPoint2_y;
        outer.radEnkoKaku = e.DPoint3_x;
        bool full = false;
        if (kind == 111 || kind == 101) {
            const double code = std::trunc(e.DPoint3_y);
            full = kind == 111 ? code != 0 : code == 100;
        } else {
            // Ring bands: 105, 106 and every other curved kind, which the drawing conversion
            // draws as ring bands with the inner flattening of 106.
            const double sweep = e.DPoint3_x;
            full = std::fabs(sweep) <= kTiny || sweep >= kFullSweep || sweep <= -kFullSweep;
            double innerFlat = e.end_y;
            if (kind != 105) {
                innerFlat = 1 + (e.end_x * e.end_y - e.end_x) / e.DPoint3_y;
                if (!(innerFlat > kTiny) || !std::isfinite(innerFlat)) innerFlat = e.end_y;
            }
            TEntJwwEnko inner = outer;
            inner.dHankei = e.DPoint3_y;
            inner.dHenpeiRitsu = innerFlat;
            inner.bZenEnFlg = full ? 1 : 0;
            AffineEnko(m, inner);
            c.DPoint3_y = inner.dHankei;
        }
        outer.bZenEnFlg = full ? 1 : 0;
        AffineEnko(m, outer);
        c.start_x = outer.start_x;
        c.start_y = outer.start_y;
        c.end_x = outer.dHankei;
        c.end_y = outer.dHenpeiRitsu;
        c.DPoint2_x = outer.radKatamukiKaku;
        c.DPoint2_y = outer.radKaishiKaku;
        c.DPoint3_x = outer.radEnkoKaku;
    }
    SetLayer(c.att, lf, l1, l2);
    return Append(ents_.EntSolid, ents_.EntSolidN, kJwwSolid, std::move(c), sizeof(TEntJwwSolid));
}

bool TJwwBlockExploder::ExplodeNode(const TEntJwwBlockTree& node, const TEntJwwBlockDef& def) {
    TBlockMatrix m;
    m.bx = node.x;
    m.by = node.y;
    m.b1 = node.r1;
    m.b2 = node.r2;
    m.b3 = node.r3;
    m.b4 = node.r4;
    // Bit 0x40 of the insert's line type: members keep their own layers.
    const bool lf = (node.att.nPenStyle & 0x40) != 0;
    const uint16_t l1 = node.att.nGLayer;
    const uint16_t l2 = node.att.nLayer;
    const size_t members = Usable(def.mNo, def.N);
    for (size_t i = 0; i < members; ++i) {
        const TEntJwwNo& no = def.mNo[i];
        if (no.EntType < kJwwLine || no.EntType > kJwwSolid) continue;
        if (!HasRoom()) return true;
        const auto at = [&](const auto& arr, int32_t count) -> decltype(&arr[0]) {
            if (no.EntNo < 0 || static_cast<size_t>(no.EntNo) >= Usable(arr, count)) {
                return nullptr;
            }
            return &arr[static_cast<size_t>(no.EntNo)];
        };
        bool ok = true;
        switch (no.EntType) {
            case kJwwLine:
                if (const auto* e = at(def.mLine, def.mLineN))
                    ok = BlockExplodeLine(m, *e, lf, l1, l2);
                break;
            case kJwwEnko:
                if (const auto* e = at(def.mEnko, def.mEnkoN))
                    ok = BlockExplodeEnko(m, *e, lf, l1, l2);
                break;
            case kJwwTen:
                if (const auto* e = at(def.mTen, def.mTenN))
                    ok = BlockExplodeTen(m, *e, lf, l1, l2);
                break;
            case kJwwMoji:
                if (const auto* e = at(def.mMoji, def.mMojiN))
                    ok = BlockExplodeMoji(m, *e, lf, l1, l2);
                break;
            case kJwwSunpo:
                if (const auto* e = at(def.mSunpo, def.mSunpoN))
                    ok = BlockExplodeSunpo(m, *e, lf, l1, l2);
                break;
            case kJwwSolid:
                if (const auto* e = at(def.mSolid, def.mSolidN))
                    ok = BlockExplodeSolid(m, *e, lf, l1, l2);
                break;
            default:
                break;
        }
        if (!ok) return false;
    }
    return true;
}

void TJwwBlockExploder::CleanUp(int32_t& n2) {
    // The arrays keep their spare room: the part never written costs no memory, while a
    // fitting copy would touch every byte once more just before the conversion reads them.
    std::vector<TEntJwwBlockTree>().swap(ents_.EntBlockTree);
    ents_.EntBlockTreeN = 0;
    ents_.EntBlockNum = 0;
    std::vector<TEntJwwBlockDef>().swap(ents_.EntBlockDef);
    ents_.EntBlockDefN = 0;
    n2 = 0;
    std::vector<TEntJwwBlock>().swap(ents_.EntBlock);
    ents_.EntBlockN = 0;
    // A former insert keeps its place in the drawing order as an empty slot.
    for (TEntJwwNo& no : ents_.EntNo) {
        if (no.EntType == kJwwBlock) no = TEntJwwNo{kJwwNone, 0};
    }
}

void TJwwBlockExploder::ReserveForNodes(size_t nodes, size_t defs) {
    // Room for what the placements add, taken once: arrays of a drawing's size grown step by
    // step would be copied again and again. The budget bounds it; room that cannot be had is
    // done without.
    uint64_t add[6] = {};
    for (size_t k = 0; k < nodes; ++k) {
        const TEntJwwBlockTree& node = ents_.EntBlockTree[k];
        if (node.defno < 0 || static_cast<size_t>(node.defno) >= defs) continue;
        const TEntJwwBlockDef& def = ents_.EntBlockDef[static_cast<size_t>(node.defno)];
        add[0] += Usable(def.mLine, def.mLineN);
        add[1] += Usable(def.mEnko, def.mEnkoN);
        add[2] += Usable(def.mTen, def.mTenN);
        add[3] += Usable(def.mMoji, def.mMojiN);
        add[4] += Usable(def.mSunpo, def.mSunpoN);
        add[5] += Usable(def.mSolid, def.mSolidN);
    }
    const auto limit = static_cast<uint64_t>(std::max<int64_t>(budget_.maxEntities, 0));
    for (uint64_t& n : add)
        n = std::min(n, limit);
    const uint64_t bytes = add[0] * sizeof(TEntJwwLine) + add[1] * sizeof(TEntJwwEnko) +
                           add[2] * sizeof(TEntJwwTen) + add[3] * sizeof(TEntJwwMoji) +
                           add[4] * sizeof(TEntJwwSunpo) + add[5] * sizeof(TEntJwwSolid);
    if (bytes > static_cast<uint64_t>(std::max<int64_t>(budget_.maxBytes, 0))) return;
    const auto grow = [](auto& arr, uint64_t n) {
        try {
            ReserveHugePages(arr, arr.size() + static_cast<size_t>(n));
        } catch (const std::bad_alloc&) {
        } catch (const std::length_error&) {
        }
    };
    grow(ents_.EntLine, add[0]);
    grow(ents_.EntEnko, add[1]);
    grow(ents_.EntTen, add[2]);
    grow(ents_.EntMoji, add[3]);
    grow(ents_.EntSunpo, add[4]);
    grow(ents_.EntSolid, add[5]);
    grow(ents_.EntNo, std::min(limit, add[0] + add[1] + add[2] + add[3] + add[4] + add[5]));
}

bool TJwwBlockExploder::BlockExplode(int32_t& n2) {
    const size_t nodes = Usable(ents_.EntBlockTree, ents_.EntBlockTreeN);
    if (nodes == 0) return true;
    // Appending relies on every array holding exactly its count.
    const auto fit = [](auto& arr, int32_t& count) {
        const size_t n = Usable(arr, count);
        arr.resize(n);
        count = static_cast<int32_t>(n);
    };
    fit(ents_.EntLine, ents_.EntLineN);
    fit(ents_.EntEnko, ents_.EntEnkoN);
    fit(ents_.EntTen, ents_.EntTenN);
    fit(ents_.EntMoji, ents_.EntMojiN);
    fit(ents_.EntSunpo, ents_.EntSunpoN);
    fit(ents_.EntSolid, ents_.EntSolidN);
    if (n1_ < 0 || static_cast<size_t>(n1_) > ents_.EntNo.size()) {
        n1_ = static_cast<int32_t>(ents_.EntNo.size());
    }
    ents_.EntNo.resize(static_cast<size_t>(n1_));

    const size_t defs = Usable(ents_.EntBlockDef, ents_.EntBlockDefN);
    ReserveForNodes(nodes, defs);
    for (size_t k = 0; k < nodes && !truncated_; ++k) {
        const TEntJwwBlockTree& node = ents_.EntBlockTree[k];
        if (node.defno < 0 || static_cast<size_t>(node.defno) >= defs) continue;
        if (!ExplodeNode(node, ents_.EntBlockDef[static_cast<size_t>(node.defno)])) return false;
    }
    CleanUp(n2);
    return true;
}

bool BlockExplode(TJwwEntities& ents, int32_t& n1, int32_t& n2,
                  std::span<const TEntJwwLayerGroup> groups, const TBlockBudget& budget) {
    TJwwBlockExploder exploder(ents, n1, groups, budget);
    return exploder.BlockExplode(n2);
}

// ---- Drawing ----

void TJwwData::MakeBlockTree() {
    velmora::MakeBlockTree(*this);
}

bool TJwwData::BlockExplode() {
    return velmora::BlockExplode(*this, Enthd.n1, Enthd.n2, EntLgrp);
}

}  // namespace velmora
