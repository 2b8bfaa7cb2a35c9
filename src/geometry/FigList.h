#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "util/Prefault.h"
#include "util/Stop.h"

namespace velmora {

struct T3Dpoint {
    double x = 0;
    double y = 0;
    double z = 0;
};

// One corner of a primitive. Every drawing is flat, so the list keeps no z.
struct T2Dpoint {
    double x = 0;
    double y = 0;
};

// One primitive as a whole, for readers that want every field at once (tests, diagnostics).
// Points the kind does not use are 0, every z is 0.
struct T3DdataField {
    bool ext = false;  // the entry holds a primitive
    int32_t typ = 0;   // 1 line segment, 11 triangle, 12 quadrilateral
    int32_t lay = 0;   // layer number, group * 16 + layer
    int32_t col = 0;   // colour key, 1-based index into FigColKey
    T3Dpoint p[4];
};

// How the list keeps one primitive: its corners start at `first` in the point pool, and its
// layer and key are already those it is counted and written under (FigCountedLayer,
// FigCountedKey), which fit in a byte and a half-word. The rare entry given other values keeps
// them beside the list, for Fig3D.
struct TFigEntry {
    uint32_t first = 0;
    uint16_t col = 1;
    uint8_t lay = 0;
    uint8_t typ = 0;  // kFigTyp*, 2, or another kind (kFigTypOther) that no writer takes
};

constexpr int32_t kFigTypLine = 1;
constexpr int32_t kFigTypTri = 11;
constexpr int32_t kFigTypSqr = 12;
constexpr int kFigLayerCount = 256;
constexpr int kFigColKeyMax = 5266;
// Kinds outside 0 .. 254 are kept as this one; only "every kind" selects them.
constexpr uint8_t kFigTypOther = 255;

// Corners a primitive of kind typ keeps: 2 for a segment, 3 for a triangle, else 4.
constexpr int FigCornerCount(int32_t typ) {
    return typ == kFigTypLine ? 2 : typ == kFigTypTri ? 3 : 4;
}

// The primitive list that converters fill and the writer reads, with its per-layer and
// per-key counts and the colour table. One object is reused for every file of a run.
// Appends may throw std::bad_alloc, or TStopped once Stop is raised; callers catch them at their
// public boundary.
class TFigList {
  public:
    TFigList();

    // Polled every few thousand appends; nullptr when nobody can stop a conversion.
    const TStopFlag* Stop = nullptr;
    std::array<int, kFigLayerCount> FigLay{};
    // Indexed 1 .. kFigColKeyMax; slot 0 is unused.
    std::array<int, kFigColKeyMax + 1> FigCol{};
    // Colour of each key as 0x00BBGGRR, indexed 1 .. kFigColKeyMax; slots above FigColKeyN are 0.
    std::array<int32_t, kFigColKeyMax + 1> FigColKey{};
    int FigColKeyN = 0;

    // Entries in use, in the order they were appended.
    int Fig3DN() const { return static_cast<int>(entries_.size()); }
    int InUse() const { return Fig3DN(); }
    // Entry i (0 .. Fig3DN() - 1) as a whole, with the layer, key and kind it was given.
    T3DdataField Fig3D(size_t i) const;

    // What the writers walk: the entries, and the corners of one of them
    // (FigCornerCount(e.typ) points).
    const std::vector<TFigEntry>& Entries() const { return entries_; }
    const T2Dpoint* Corners(const TFigEntry& e) const { return points_.data() + e.first; }

    // Makes room for this many more entries and corners at once, so that a converter that
    // knows its counts beforehand never copies the list while it grows. Untouched room costs
    // address space only.
    void Fig3DReserve(size_t entries, size_t corners);
    // How often the storage had to move to grow since the last Fig3DClear; a converter that
    // reserved what it appends leaves it 0.
    int Fig3DMoves() const { return moves_; }
    // Starts making the reserved room resident while the list fills (see TPrefault).
    TPrefault Fig3DPrefault() const;
    // Appends one primitive: the first `count` points (at most FigCornerCount(typ)) taken
    // without their z, the other corners 0.
    void Fig3DAdd(int32_t lay, int32_t col, int32_t typ, const T3Dpoint* pts, int count);
    // The same for the converters, which build flat points.
    void Fig3DAdd(int32_t lay, int32_t col, int32_t typ, const T2Dpoint* pts, int count);
    // A segment from (x1, y1) to (x2, y2), the most frequent primitive.
    void Fig3DAddLine(int32_t lay, int32_t col, double x1, double y1, double x2, double y2) {
        TFigEntry& e = Append(lay, col, kFigTypLine, 2);
        T2Dpoint* p = points_.data() + e.first;
        p[0] = {x1, y1};
        p[1] = {x2, y2};
    }
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
    // The same for an entry's own corners.
    static T3Dpoint FigFaceNormal(int32_t typ, const T2Dpoint* p);

  private:
    // A new entry with room for `corners` points (left as they are), after polling Stop.
    TFigEntry& Append(int32_t lay, int32_t col, int32_t typ, int corners) {
        if ((entries_.size() & (kStopPollEvery - 1)) == 0) PollAndCheckRoom();
        const size_t first = points_.size();
        if (entries_.size() == entries_.capacity() ||
            points_.capacity() - first < static_cast<size_t>(corners)) {
            ++moves_;
        }
        points_.resize(first + static_cast<size_t>(corners));
        TFigEntry& e = entries_.emplace_back();
        e.first = static_cast<uint32_t>(first);
        e.col = static_cast<uint16_t>(FigCountedKey(col));
        e.lay = static_cast<uint8_t>(FigCountedLayer(lay));
        e.typ = typ >= 0 && typ < kFigTypOther ? static_cast<uint8_t>(typ) : kFigTypOther;
        if (e.lay != lay || e.col != col || e.typ != typ) KeepGiven(lay, col, typ);
        return e;
    }
    // Throws TStopped once Stop is raised, and std::bad_alloc before the point pool outgrows
    // what an entry can address.
    void PollAndCheckRoom() const;

    // Layer, key and kind as given, of an entry whose stored ones differ.
    struct TGiven {
        uint32_t index;
        int32_t lay, col, typ;
    };
    void KeepGiven(int32_t lay, int32_t col, int32_t typ);

    static constexpr size_t kStopPollEvery = 4096;
    std::vector<TFigEntry> entries_;
    std::vector<T2Dpoint> points_;
    std::vector<TGiven> given_;  // ascending by index
    int moves_ = 0;
};

}  // namespace velmora
