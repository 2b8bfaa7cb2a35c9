#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <numbers>
#include <vector>

#include "attr/GraAttribute.h"
#include "geometry/Converter.h"
#include "geometry/FigList.h"
#include "jww/JwsData.h"
#include "jww/JwwData.h"

namespace velmora {

namespace {

constexpr int kAuxPen = 9;         // auxiliary colour and auxiliary line type
constexpr int kOwnColourPen = 10;  // a solid carrying its own colour
constexpr uint16_t kHatchBit = 0x0020;
constexpr uint16_t kDimensionCurveBit = 0x0040;  // circles, arcs and points of a dimension
constexpr uint16_t kDimensionLineBit = 0x2000;
constexpr double kTurn = 2 * std::numbers::pi;
constexpr double kSameCorner = 1e-12;

int LayerOf(const TEntJwwAttr& att) {
    return att.nGLayer * 16 + att.nLayer;
}

bool AllFinite(std::initializer_list<double> values) {
    for (const double v : values) {
        if (!std::isfinite(v)) return false;
    }
    return true;
}

bool SameCorner(double x1, double y1, double x2, double y2) {
    return std::fabs(x1 - x2) < kSameCorner && std::fabs(y1 - y2) < kSameCorner;
}

// Drawings and symbols share their entity arrays and differ only in where they come from, so
// one body converts both.
class TWindowsConversion {
  public:
    TWindowsConversion(TConverter& cv, TJwwEntities& d, double sc)
        : cv_(cv), set_(cv.Settings), d_(d), sc_(sc) {}

    // What Run appends at most: every entity its filters let through, as if all its
    // coordinates were numbers. It is near exact, as the room is made resident ahead.
    TFigRoom Room() const {
        TFigRoom r;
        for (int i = 0; i < d_.EntLineN; ++i)
            r.Add(LineKept(d_.EntLine[i]) ? 1 : 0, 2);
        const TFigRoom marker = cv_.MarkerRoom();
        if (set_.CB3) {
            for (int i = 0; i < d_.EntSunpoN; ++i) {
                const TEntJwwSunpo& e = d_.EntSunpo[i];
                if (Hidden(e.att)) continue;
                r.Add(AuxStyleOrColour(e.Sen.att) ? 0 : 1, 2);
                if (e.bSxfMode == 0) continue;
                for (const TEntJwwLine* ho : {&e.Ho1, &e.Ho2})
                    r.Add(AuxStyleOrColour(ho->att) ? 0 : 1, 2);
                for (const TEntJwwTen* te : {&e.Te1, &e.Te2}) {
                    if (!AuxColour(te->att)) r.Add(marker);
                }
            }
        }
        for (int i = 0; i < d_.EntEnkoN; ++i) {
            const TEntJwwEnko& e = d_.EntEnko[i];
            if (!CurveKept(e)) continue;
            const bool full = e.bZenEnFlg == 1;
            const double sa = full ? 0 : e.radKaishiKaku, da = full ? kTurn : e.radEnkoKaku;
            // A curve that is dropped for a value that is no number takes no room.
            if (!AllFinite({sc_, e.start_x, e.start_y, e.dHankei, e.dHenpeiRitsu, e.radKatamukiKaku,
                            sa, da})) {
                continue;
            }
            r.Add(static_cast<size_t>(cv_.ArcDivisionCount(e.dHankei, da)), 2);
        }
        if (set_.CB5) {
            for (int i = 0; i < d_.EntTenN; ++i) {
                if (PointKept(d_.EntTen[i])) r.Add(marker);
            }
        }
        if (set_.CB6) {
            for (int i = 0; i < d_.EntSolidN; ++i) {
                const TEntJwwSolid& e = d_.EntSolid[i];
                if (!SolidKept(e)) continue;
                const int style = e.att.nPenStyle;
                if (style < 101) {
                    r.Add(1, 4);
                    continue;
                }
                if (!AllFinite({sc_, e.start_x, e.start_y, e.end_x, e.end_y, e.DPoint2_x,
                                e.DPoint2_y, e.DPoint3_x})) {
                    continue;
                }
                // The sweep Solid chooses: a whole turn for a full outline or pie.
                const double code = std::trunc(e.DPoint3_y);
                const bool whole = style == 111 ? code != 0 : style == 101 && code == 100;
                const int n = cv_.ArcDivisionCount(e.end_x, whole ? kTurn : e.DPoint3_x);
                r.Add(static_cast<size_t>(n), style == 111 ? 2 : 4);
            }
        }
        return r;
    }

    void Run() {
        for (int i = 0; i < d_.EntLineN; ++i)
            Line(d_.EntLine[i]);
        if (set_.CB3) {
            for (int i = 0; i < d_.EntSunpoN; ++i)
                Dimension(d_.EntSunpo[i]);
        }
        for (int i = 0; i < d_.EntEnkoN; ++i)
            Curve(d_.EntEnko[i]);
        if (set_.CB5) {
            for (int i = 0; i < d_.EntTenN; ++i)
                Point(d_.EntTen[i]);
        }
        if (set_.CB6) {
            for (int i = 0; i < d_.EntSolidN; ++i)
                Solid(d_.EntSolid[i]);
        }
    }

  private:
    bool Hidden(const TEntJwwAttr& att) const {
        return !set_.CB1 && cv_.Att().GetAttrLayerState(LayerOf(att)) == 3;
    }
    bool AuxStyleOrColour(const TEntJwwAttr& att) const {
        return !set_.CB2 && (att.nPenStyle == kAuxPen || att.nPenColor == kAuxPen);
    }
    bool AuxColour(const TEntJwwAttr& att) const { return !set_.CB2 && att.nPenColor == kAuxPen; }
    bool Hatch(const TEntJwwAttr& att) const { return !set_.CB4 && (att.sFlg & kHatchBit) != 0; }
    bool DimensionPart(const TEntJwwAttr& att, uint16_t bit) const {
        return !set_.CB3 && (att.sFlg & bit) != 0;
    }
    static int Key(const TEntJwwAttr& att) { return TConverter::ColorKeyOfPen(att.nPenColor); }

    bool LineKept(const TEntJwwLine& e) const {
        return !(Hidden(e.att) || AuxStyleOrColour(e.att) ||
                 DimensionPart(e.att, kDimensionLineBit) || Hatch(e.att));
    }
    bool CurveKept(const TEntJwwEnko& e) const {
        return !(Hidden(e.att) || AuxStyleOrColour(e.att) ||
                 DimensionPart(e.att, kDimensionCurveBit) || Hatch(e.att));
    }
    // Temporary points are construction aids.
    bool PointKept(const TEntJwwTen& e) const {
        return e.bKariten == 0 && !(Hidden(e.att) || AuxColour(e.att) ||
                                    DimensionPart(e.att, kDimensionCurveBit) || Hatch(e.att));
    }
    bool SolidKept(const TEntJwwSolid& e) const {
        return !(Hidden(e.att) || AuxColour(e.att) || Hatch(e.att));
    }

    // A line with a coordinate that is no number is damaged: dropped, as curves and markers
    // with one are, rather than drawn to the origin.
    void AppendLine(const TEntJwwLine& e) {
        const double x1 = e.start_x * sc_, y1 = e.start_y * sc_;
        const double x2 = e.end_x * sc_, y2 = e.end_y * sc_;
        if (!AllFinite({x1, y1, x2, y2})) return;
        cv_.DataTransSubLine(LayerOf(e.att), Key(e.att), x1, y1, x2, y2);
    }

    void Line(const TEntJwwLine& e) {
        if (LineKept(e)) AppendLine(e);
    }

    // Only the filters of the dimension as a whole and the auxiliary test of each part apply;
    // the parts' own flags play no part.
    void Dimension(const TEntJwwSunpo& e) {
        if (Hidden(e.att)) return;
        if (!AuxStyleOrColour(e.Sen.att)) AppendLine(e.Sen);
        if (e.bSxfMode == 0) return;
        for (const TEntJwwLine* ho : {&e.Ho1, &e.Ho2}) {
            if (!AuxStyleOrColour(ho->att)) AppendLine(*ho);
        }
        for (const TEntJwwTen* te : {&e.Te1, &e.Te2}) {
            if (!AuxColour(te->att)) {
                cv_.DataTransSubTen(LayerOf(te->att), Key(te->att), sc_, te->start_x, te->start_y);
            }
        }
    }

    void Curve(const TEntJwwEnko& e) {
        if (!CurveKept(e)) return;
        // A full curve always starts at parameter angle 0, whatever start the file holds.
        const bool full = e.bZenEnFlg == 1;
        cv_.DataTransSubArc1(LayerOf(e.att), Key(e.att), sc_, e.start_x, e.start_y, e.dHankei,
                             e.dHenpeiRitsu, e.radKatamukiKaku, full ? 0 : e.radKaishiKaku,
                             full ? kTurn : e.radEnkoKaku);
    }

    void Point(const TEntJwwTen& e) {
        if (!PointKept(e)) return;
        cv_.DataTransSubTen(LayerOf(e.att), Key(e.att), sc_, e.start_x, e.start_y);
    }

    void Solid(const TEntJwwSolid& e) {
        if (!SolidKept(e)) return;
        const int la = LayerOf(e.att);
        const int k = cv_.ColorKeyOfSolid(e.att.nPenColor, e.Color);
        const int style = e.att.nPenStyle;
        if (style < 101) {
            FlatSolid(la, k, e);
            return;
        }
        // Curved solids: centre start, radius end_x, flattening end_y, tilt DPoint2_x, start
        // DPoint2_y, sweep DPoint3_x; DPoint3_y selects the fill (or holds the inner radius).
        const double cx = e.start_x, cy = e.start_y, cr = e.end_x, ch = e.end_y;
        const double ka = e.DPoint2_x, sa = e.DPoint2_y, da = e.DPoint3_x;
        const double code = std::trunc(e.DPoint3_y);
        if (style == 111) {
            if (code != 0) {
                cv_.DataTransSubArc1(la, k, sc_, cx, cy, cr, ch, ka, 0, kTurn);
            } else {
                cv_.DataTransSubArc1(la, k, sc_, cx, cy, cr, ch, ka, sa, da);
            }
        } else if (style == 101) {
            if (code == 100) {
                cv_.DataTransSubArc2(la, k, sc_, cx, cy, cr, ch, ka, 0, kTurn);
            } else if (code == 0) {
                cv_.DataTransSubArc2(la, k, sc_, cx, cy, cr, ch, ka, sa, da);
            } else if (code == 5) {
                cv_.DataTransSubArc3(la, k, sc_, cx, cy, cr, ch, ka, sa, da);
            } else {
                cv_.DataTransSubArc4(la, k, sc_, cx, cy, cr, ch, ka, sa, da);
            }
        } else {
            const double ri = e.DPoint3_y;
            // The band keeps one width along both axes; kind 105 keeps the outer flattening.
            // An inner radius of 0 describes a pie (and would divide by zero below).
            if (ri == 0) {
                cv_.DataTransSubArc2(la, k, sc_, cx, cy, cr, ch, ka, sa, da);
                return;
            }
            const double hh = style == 105 ? ch : (cr * ch - cr) / ri + 1;
            if (hh <= 1e-12) {
                cv_.DataTransSubArc2(la, k, sc_, cx, cy, cr, ch, ka, sa, da);
            } else {
                cv_.DataTransSubArc5(la, k, sc_, cx, cy, cr, ch, ri, hh, ka, sa, da);
            }
        }
    }

    void FlatSolid(int la, int k, const TEntJwwSolid& e) {
        const double s = sc_;
        // A damaged corner would otherwise stretch the solid to the origin.
        if (!AllFinite({e.start_x * s, e.start_y * s, e.end_x * s, e.end_y * s, e.DPoint2_x * s,
                        e.DPoint2_y * s, e.DPoint3_x * s, e.DPoint3_y * s})) {
            return;
        }
        if (SameCorner(e.end_x, e.end_y, e.DPoint2_x, e.DPoint2_y)) {
            cv_.DataTransSubLine(la, k, e.start_x * s, e.start_y * s, e.end_x * s, e.end_y * s);
        } else if (SameCorner(e.DPoint3_x, e.DPoint3_y, e.DPoint2_x, e.DPoint2_y)) {
            cv_.DataTransSubTri(la, k, e.start_x * s, e.start_y * s, e.end_x * s, e.end_y * s,
                                e.DPoint2_x * s, e.DPoint2_y * s);
        } else {
            cv_.DataTransSubSqr(la, k, e.start_x * s, e.start_y * s, e.end_x * s, e.end_y * s,
                                e.DPoint2_x * s, e.DPoint2_y * s, e.DPoint3_x * s, e.DPoint3_y * s);
        }
    }

    TConverter& cv_;
    const TConvertSettings& set_;
    TJwwEntities& d_;
    double sc_;
};

// The scale denominator of layer group 0 applies to every entity; a missing, zero or broken
// one converts at 1 rather than collapsing or poisoning every coordinate.
double GroupZeroScale(const std::vector<TEntJwwLayerGroup>& groups) {
    if (groups.empty()) return 1;
    const double sc = groups[0].adScale;
    return sc == 0 || !std::isfinite(sc) ? 1 : sc;
}

template <typename TDrawing>
void ConvertWindows(TConverter& cv, TDrawing& d) {
    cv.DataTransSubColor1();
    d.BlockExplode();
    for (int i = 0; i < d.EntSolidN; ++i) {
        if (d.EntSolid[i].att.nPenColor == kOwnColourPen) {
            cv.DataTransSubColor2(static_cast<int32_t>(d.EntSolid[i].Color));
        }
    }
    cv.Fig().Fig3DClear();
    TWindowsConversion conversion(cv, d, GroupZeroScale(d.EntLgrp));
    const TFigRoom room = conversion.Room();
    cv.Fig().Fig3DReserve(room.entries, room.corners);
    const TPrefault prefault = cv.Fig().Fig3DPrefault();
    conversion.Run();
}

}  // namespace

void TConverter::DataTransJWW(TJwwData& jww) {
    ConvertWindows(*this, jww);
}

void TConverter::DataTransJWS(TJwsData& jws) {
    ConvertWindows(*this, jws);
}

}  // namespace velmora
