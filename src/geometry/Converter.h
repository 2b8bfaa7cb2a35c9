#pragma once

#include <cstddef>
#include <cstdint>

#include "geometry/ConvertSettings.h"

namespace velmora {

class TFigList;
class TgraAttribute;

// Entries and corners a conversion appends at most, counted before it starts so that the list
// is sized once.
struct TFigRoom {
    size_t entries = 0;
    size_t corners = 0;
    void Add(size_t n, int cornersEach) {
        entries += n;
        corners += n * static_cast<size_t>(cornersEach);
    }
    void Add(const TFigRoom& r, size_t times = 1) {
        entries += r.entries * times;
        corners += r.corners * times;
    }
};
class TJwwData;
class TJwsData;
class TJwcData;
class TJwkData;

// Turns the entities of a loaded drawing into flat primitives. It appends to a primitive list
// and reads an attribute table, both owned by the caller; it owns neither. One object serves
// every file of a run; Settings is what the run captured.
class TConverter {
  public:
    TConverter(TFigList& fig, TgraAttribute& att) : fig_(fig), att_(att) {}

    TConvertSettings Settings;

    TFigList& Fig() { return fig_; }
    TgraAttribute& Att() { return att_; }

    // ---- Primitive builders ----

    // Each appends exactly one primitive at full precision, neither scaled nor clamped.
    // Triangles and quadrilaterals are stored counter-clockwise seen from +z, judged on the
    // first three corners (a quadrilateral is reversed by swapping its 2nd and 4th corners).
    void DataTransSubLine(int la, int co, double x1, double y1, double x2, double y2);
    void DataTransSubTri(int la, int co, double x1, double y1, double x2, double y2, double x3,
                         double y3);
    void DataTransSubSqr(int la, int co, double x1, double y1, double x2, double y2, double x3,
                         double y3, double x4, double y4);

    // ---- Arc and circle tessellation ----

    // Upper bound of the division count in every mode, so that no curve yields an unbounded
    // number of primitives.
    static constexpr int kArcSepMax = 3600;

    // Division count for a sweep da (radians) of radius cr under Settings, 1 .. kArcSepMax.
    // A count too large for the bound takes it; an undefined one (0 / 0) the least count.
    int ArcDivisionCount(double cr, double da) const;

    // Sweep in radians of an arc from sa to ea in degrees: 2 pi for a full circle.
    static double SweepOfDegrees(double sa, double ea);
    // Angles in degrees: an end equal to the start, or a whole turn, is a full circle from 0.
    void DataTransSubArc(int la, int co, double sc, double cx, double cy, double cr, double ch,
                         double ka, double sa, double ea);
    // Angles in radians; da may be negative. Every output point is multiplied by sc. A curve
    // with a non-finite argument is dropped (nothing appended), like a damaged entity.
    // Outline: n segments.
    void DataTransSubArc1(int la, int co, double sc, double cx, double cy, double cr, double ch,
                          double ka, double sa, double da);
    // Pie: n triangles from the centre.
    void DataTransSubArc2(int la, int co, double sc, double cx, double cy, double cr, double ch,
                          double ka, double sa, double da);
    // Bow: n - 1 triangles from the end point (the last sliver has no area).
    void DataTransSubArc3(int la, int co, double sc, double cx, double cy, double cr, double ch,
                          double ka, double sa, double da);
    // Fill out to the corner where the end tangents meet (the centre when they are parallel).
    void DataTransSubArc4(int la, int co, double sc, double cx, double cy, double cr, double ch,
                          double ka, double sa, double da);
    // Ring band between the outer curve and the inner one of radius ri, flattening hh.
    void DataTransSubArc5(int la, int co, double sc, double cx, double cy, double cr, double ch,
                          double ri, double hh, double ka, double sa, double da);

    // ---- Point markers ----

    // What one marker appends at most.
    TFigRoom MarkerRoom() const;
    // Marker of shape Settings.TenType and width Settings.TenSize around (x, y), scaled by sc.
    // An unknown shape, or a non-finite argument, appends nothing.
    void DataTransSubTen(int la, int co, double sc, double x, double y);

    // ---- Colour resolution ----

    // Empties the colour table and refills keys 1..265 with the pen colours of the attribute
    // table in slot order (switching its print mode off first). Called first by every converter.
    void DataTransSubColor1();
    // Adds a solid's own colour (0x00BBGGRR) as the next key unless some key already holds it
    // or all 5266 keys are taken.
    void DataTransSubColor2(int32_t c);
    // ARGB of the attribute table to the table layout 0x00BBGGRR; alpha is dropped.
    static int32_t ArgbToColorRef(uint32_t argb);
    // Key of a Windows entity with pen colour p: SXF colours 101..356 become 10..265, every
    // other number is its own key.
    static int32_t ColorKeyOfPen(int32_t p);
    // Key of a Windows solid: for pen 10 the first key holding its own colour (7 when none
    // does, which happens only once the table is full), else ColorKeyOfPen(p).
    int32_t ColorKeyOfSolid(int32_t p, uint32_t color) const;
    // Key of a DOS entity: the colour byte itself.
    static int32_t ColorKeyOfDosColor(int32_t b) { return b; }

    // ---- Windows drawings and symbols ----

    // Rebuilds the colour table, expands the drawing's blocks (which changes its arrays),
    // empties the primitive list and converts lines, dimensions, curves, points and (with CB6)
    // solids under the filters of Settings, every coordinate multiplied by the scale of layer
    // group 0. Texts and images are not converted. Appends may throw std::bad_alloc for the
    // caller to catch.
    void DataTransJWW(TJwwData& jww);
    // The same for a symbol, with the scale of its own group 0.
    void DataTransJWS(TJwsData& jws);

    // ---- DOS drawings and symbols ----

    // Rebuilds the colour table, empties the primitive list and converts the lines, arcs (angles
    // in degrees) and points of a DOS drawing under the filters of Settings, every coordinate
    // multiplied by the scale of layer group 0 (TJwcData::GroupScale). Texts and virtual points
    // are not converted. Walks the entity arrays, which hold the records actually read. Appends
    // may throw std::bad_alloc for the caller to catch.
    void DataTransJWC(const TJwcData& jwc);
    // The same for a DOS symbol, at scale 1.
    void DataTransJWK(const TJwkData& jwk);

  private:
    TFigList& fig_;
    TgraAttribute& att_;
};

}  // namespace velmora
