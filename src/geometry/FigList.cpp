#include "geometry/FigList.h"

#include <algorithm>
#include <cmath>

namespace velmora {

TFigList::TFigList() = default;

void TFigList::Fig3DAdd(int32_t lay, int32_t col, int32_t typ, const T3Dpoint* pts, int count) {
    const int n = Fig3DN + 1;
    if (n % kFig3DStep == 1) {
        ThrowIfStopped(Stop);
        Fig3D.resize(static_cast<size_t>(n) + (kFig3DStep - 1));
    }
    Fig3DN = n;
    T3DdataField& f = Fig3D[static_cast<size_t>(n - 1)];
    f.ext = true;
    f.lay = lay;
    f.col = col;
    f.typ = typ;
    count = std::clamp(count, 0, 4);
    for (int i = 0; i < count; ++i)
        f.p[i] = {pts[i].x, pts[i].y, 0.0};
}

void TFigList::Fig3DClear() {
    Fig3DN = 0;
    std::vector<T3DdataField>().swap(Fig3D);
}

int TFigList::InUse() const {
    return static_cast<int>(
        std::min<size_t>(static_cast<size_t>(std::max(Fig3DN, 0)), Fig3D.size()));
}

void TFigList::FigCountLay() {
    FigCountLay(FigLay);
}

void TFigList::FigCountCol(int layer, int kinds) {
    FigCountCol(layer, kinds, FigCol);
}

void TFigList::FigCountLay(TLayCounts& lay) const {
    lay.fill(0);
    const int n = InUse();
    for (int i = 0; i < n; ++i) {
        const T3DdataField& f = Fig3D[static_cast<size_t>(i)];
        if (f.ext) ++lay[static_cast<size_t>(FigCountedLayer(f.lay))];
    }
}

bool TFigList::FigKindSelected(int kinds, int32_t typ) {
    if (kinds == -1 || kinds == 15) return true;
    return ((kinds & 1) && typ == kFigTypLine) || ((kinds & 2) && typ == 2) ||
           ((kinds & 4) && typ == kFigTypTri) || ((kinds & 8) && typ == kFigTypSqr);
}

void TFigList::FigCountCol(int layer, int kinds, TColCounts& col) const {
    col.fill(0);
    const int n = InUse();
    for (int i = 0; i < n; ++i) {
        const T3DdataField& f = Fig3D[static_cast<size_t>(i)];
        if (!f.ext) continue;
        if (layer != -1 && FigCountedLayer(f.lay) != layer) continue;
        if (!FigKindSelected(kinds, f.typ)) continue;
        ++col[static_cast<size_t>(FigCountedKey(f.col))];
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

}  // namespace velmora
