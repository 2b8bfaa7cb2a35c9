#include "geometry/FigList.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <stdexcept>

namespace velmora {

TFigList::TFigList() = default;

void TFigList::PollAndCheckRoom() const {
    ThrowIfStopped(Stop);
    constexpr size_t kMaxCorners = std::numeric_limits<uint32_t>::max() - 4 * kStopPollEvery;
    if (points_.size() > kMaxCorners) throw std::bad_alloc();
}

void TFigList::Fig3DReserve(size_t entries, size_t corners) {
    // The room is a bound, not a need: when it cannot be had, or lies beyond what the list can
    // address, the list grows step by step as far as the primitives really go.
    constexpr size_t kMaxCorners = std::numeric_limits<uint32_t>::max();
    if (corners > kMaxCorners - points_.size()) return;
    try {
        ReserveHugePages(entries_, entries_.size() + entries);
        ReserveHugePages(points_, points_.size() + corners);
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
}

void TFigList::Fig3DAdd(int32_t lay, int32_t col, int32_t typ, const T3Dpoint* pts, int count) {
    const int corners = FigCornerCount(typ);
    TFigEntry& e = Append(lay, col, typ, corners);
    T2Dpoint* p = points_.data() + e.first;
    count = std::clamp(count, 0, corners);
    for (int i = 0; i < corners; ++i)
        p[i] = i < count ? T2Dpoint{pts[i].x, pts[i].y} : T2Dpoint{};
}

void TFigList::Fig3DAdd(int32_t lay, int32_t col, int32_t typ, const T2Dpoint* pts, int count) {
    const int corners = FigCornerCount(typ);
    TFigEntry& e = Append(lay, col, typ, corners);
    T2Dpoint* p = points_.data() + e.first;
    count = std::clamp(count, 0, corners);
    for (int i = 0; i < corners; ++i)
        p[i] = i < count ? pts[i] : T2Dpoint{};
}

void TFigList::KeepGiven(int32_t lay, int32_t col, int32_t typ) {
    given_.push_back({static_cast<uint32_t>(entries_.size() - 1), lay, col, typ});
}

TPrefault TFigList::Fig3DPrefault() const {
    return TPrefault{
        {points_.data() + points_.size(), (points_.capacity() - points_.size()) * sizeof(T2Dpoint)},
        {entries_.data() + entries_.size(),
         (entries_.capacity() - entries_.size()) * sizeof(TFigEntry)}};
}

T3DdataField TFigList::Fig3D(size_t i) const {
    T3DdataField f;
    if (i >= entries_.size()) return f;
    const TFigEntry& e = entries_[i];
    f.ext = true;
    f.typ = e.typ;
    f.lay = e.lay;
    f.col = e.col;
    const auto g = std::lower_bound(given_.begin(), given_.end(), i,
                                    [](const TGiven& a, size_t b) { return a.index < b; });
    if (g != given_.end() && g->index == i) {
        f.typ = g->typ;
        f.lay = g->lay;
        f.col = g->col;
    }
    const T2Dpoint* p = Corners(e);
    for (int c = 0; c < FigCornerCount(e.typ); ++c)
        f.p[c] = {p[c].x, p[c].y, 0.0};
    return f;
}

void TFigList::Fig3DClear() {
    moves_ = 0;
    std::vector<TGiven>().swap(given_);
    std::vector<TFigEntry>().swap(entries_);
    std::vector<T2Dpoint>().swap(points_);
}

void TFigList::FigCountLay() {
    FigCountLay(FigLay);
}

void TFigList::FigCountCol(int layer, int kinds) {
    FigCountCol(layer, kinds, FigCol);
}

void TFigList::FigCountLay(TLayCounts& lay) const {
    lay.fill(0);
    for (const TFigEntry& e : entries_)
        ++lay[e.lay];
}

bool TFigList::FigKindSelected(int kinds, int32_t typ) {
    if (kinds == -1 || kinds == 15) return true;
    return ((kinds & 1) && typ == kFigTypLine) || ((kinds & 2) && typ == 2) ||
           ((kinds & 4) && typ == kFigTypTri) || ((kinds & 8) && typ == kFigTypSqr);
}

void TFigList::FigCountCol(int layer, int kinds, TColCounts& col) const {
    col.fill(0);
    for (const TFigEntry& e : entries_) {
        if (layer != -1 && e.lay != layer) continue;
        if (!FigKindSelected(kinds, e.typ)) continue;
        ++col[e.col];
    }
}

int TFigList::FigColKeyIndex(int32_t value) const {
    for (int k = 1; k <= kFigColKeyMax; ++k) {
        if (FigColKey[static_cast<size_t>(k)] == value) return k;
    }
    return 7;
}

void TFigList::FigColKeyClear() {
    FigColKey.fill(0);
    FigColKeyN = 0;
}

int TFigList::FigColKeyAdd(int32_t value) {
    if (FigColKeyN >= kFigColKeyMax) return 0;
    ++FigColKeyN;
    FigColKey[static_cast<size_t>(FigColKeyN)] = value;
    return FigColKeyN;
}

int32_t TFigList::FigColKeyValue(int key) const {
    if (key < 1 || key > kFigColKeyMax) return 0;
    return FigColKey[static_cast<size_t>(key)];
}

bool TFigList::FigIsCCW(double x1, double y1, double x2, double y2, double x3, double y3) {
    const double z = (x2 - x1) * (y3 - y1) - (y2 - y1) * (x3 - x1);
    return !(z < 0);
}

T3Dpoint TFigList::FigNormal(const T3Dpoint& p0, const T3Dpoint& p1, const T3Dpoint& p2) {
    const T3Dpoint u{p1.x - p0.x, p1.y - p0.y, p1.z - p0.z};
    const T3Dpoint v{p2.x - p0.x, p2.y - p0.y, p2.z - p0.z};
    T3Dpoint n{u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
    const double len = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    if (std::fabs(len) <= 1e-7) return n;
    return {n.x / len, n.y / len, n.z / len};
}

T3Dpoint TFigList::FigFaceNormal(const T3DdataField& f) {
    if (f.typ != kFigTypSqr) return FigNormal(f.p[0], f.p[1], f.p[2]);
    const auto area2 = [](const T3Dpoint& a, const T3Dpoint& b, const T3Dpoint& c) {
        return std::fabs((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x));
    };
    if (area2(f.p[0], f.p[2], f.p[3]) > area2(f.p[0], f.p[1], f.p[2])) {
        return FigNormal(f.p[0], f.p[2], f.p[3]);
    }
    return FigNormal(f.p[0], f.p[1], f.p[2]);
}

T3Dpoint TFigList::FigFaceNormal(int32_t typ, const T2Dpoint* p) {
    T3DdataField f;
    f.typ = typ;
    for (int c = 0; c < FigCornerCount(typ); ++c)
        f.p[c] = {p[c].x, p[c].y, 0.0};
    return FigFaceNormal(f);
}

}  // namespace velmora
