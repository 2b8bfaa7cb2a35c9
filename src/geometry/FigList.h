#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "util/Stop.h"

namespace velmora {

struct T3Dpoint {
    double x = 0;
    double y = 0;
    double z = 0;
};

// One flat primitive. Points the kind does not use stay 0.
struct T3DdataField {
    bool ext = false;  // the entry holds a primitive; entries without it are skipped
    int32_t typ = 0;   // 1 line segment, 11 triangle, 12 quadrilateral
    int32_t lay = 0;   // layer number, group * 16 + layer
    int32_t col = 0;   // colour key, 1-based index into FigColKey
    T3Dpoint p[4];
};

constexpr int32_t kFigTypLine = 1;
constexpr int32_t kFigTypTri = 11;
constexpr int32_t kFigTypSqr = 12;
constexpr int kFigLayerCount = 256;
constexpr int kFigColKeyMax = 5266;
// Fig3D grows by this many entries at a time; its length is always 0 or a multiple of it.
constexpr int kFig3DStep = 200;

// The primitive list that converters fill and the writer reads, with its per-layer and
// per-key counts and the colour table. One object is reused for every file of a run.
// Appends may throw std::bad_alloc, or TStopped once Stop is raised; callers catch them at their
// public boundary.
class TFigList {
  public:
    TFigList();

    // Capacity: Fig3D.size(). Entries 0 .. Fig3DN - 1 are in use.
    std::vector<T3DdataField> Fig3D;
    int Fig3DN = 0;
    // Polled whenever the storage grows; nullptr when nobody can stop a conversion.
    const TStopFlag* Stop = nullptr;
    std::array<int, kFigLayerCount> FigLay{};
    // Indexed 1 .. kFigColKeyMax; slot 0 is unused.
    std::array<int, kFigColKeyMax + 1> FigCol{};
    // Colour of each key as 0x00BBGGRR, indexed 1 .. kFigColKeyMax; slots above FigColKeyN are 0.
    std::array<int32_t, kFigColKeyMax + 1> FigColKey{};
    int FigColKeyN = 0;

    // Fig3DN, but never more than the storage holds.
    int InUse() const;

    // Appends one primitive: ext set, the first `count` points stored with z = 0, capacity
    // grown to the next multiple of kFig3DStep when the count crosses one.
    void Fig3DAdd(int32_t lay, int32_t col, int32_t typ, const T3Dpoint* pts, int count);
    // Empties the list and releases its storage.
    void Fig3DClear();

    using TLayCounts = std::array<int, kFigLayerCount>;
    using TColCounts = std::array<int, kFigColKeyMax + 1>;

    // Fills FigLay: entries per layer, a layer outside 0 .. 255 counted under 0.
    void FigCountLay();
    // Fills FigCol: entries per key (a key outside 1 .. kFigColKeyMax counted under 1) of one
    // layer (-1: every layer) and the kinds selected by FigKindSelected.
    void FigCountCol(int layer, int kinds);
    // The same counts into the caller's arrays, for readers of a list they may not change.
    void FigCountLay(TLayCounts& lay) const;
    void FigCountCol(int layer, int kinds, TColCounts& col) const;

    // The layer and key under which an entry is counted and written.
    static int FigCountedLayer(int32_t lay) { return (lay < 0 || lay >= kFigLayerCount) ? 0 : lay; }
    static int FigCountedKey(int32_t col) { return (col < 1 || col > kFigColKeyMax) ? 1 : col; }
    // kinds -1 or 15 select every kind, else bits 1, 2, 4, 8 select typ 1, 2, 11, 12.
    static bool FigKindSelected(int kinds, int32_t typ);

    // First key 1 .. kFigColKeyMax (empty slots included) whose colour is value; 7 when none.
    int FigColKeyIndex(int32_t value) const;
    // Empties the colour table.
    void FigColKeyClear();
    // Puts value into the next free key and returns that key; 0, and nothing stored, when the
    // table is full.
    int FigColKeyAdd(int32_t value);
    // Colour of a key; 0 outside 1 .. kFigColKeyMax.
    int32_t FigColKeyValue(int key) const;

    // True for a counter-clockwise turn, and for three points on one line.
    static bool FigIsCCW(double x1, double y1, double x2, double y2, double x3, double y3);
    // Unit normal of the triangle; the raw cross product when its length is at most 1e-7.
    static T3Dpoint FigNormal(const T3Dpoint& p0, const T3Dpoint& p1, const T3Dpoint& p2);
    // Normal of a triangle or quadrilateral entry: FigNormal of its triangle, or of the larger
    // of a quadrilateral's two triangles (p0, p1, p2) and (p0, p2, p3), so that a
    // quadrilateral with three corners on one line still faces the right way.
    static T3Dpoint FigFaceNormal(const T3DdataField& f);
};

}  // namespace velmora
