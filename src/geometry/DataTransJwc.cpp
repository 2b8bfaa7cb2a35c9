#include <cmath>
#include <vector>

#include "attr/GraAttribute.h"
#include "geometry/Converter.h"
#include "geometry/FigList.h"
#include "jwc/JwcData.h"
#include "jwc/JwkData.h"

namespace velmora {

namespace {

constexpr uint8_t kAuxLineType = 9;
constexpr uint8_t kHatchBit = 0x20;
constexpr uint8_t kDimensionLineBit = 0x20;  // flg3 of a line
constexpr uint8_t kDimensionBit = 0x40;      // flg2 of an arc, flg1 of a point

// The body shared by drawings and symbols, which differ only in their scale.
void ConvertDos(TConverter& cv, const std::vector<TEntJwcLine>& lines,
                const std::vector<TEntJwcArc2>& arcs, const std::vector<TEntJwcTen>& tens,
                double sc) {
    const TConvertSettings& set = cv.Settings;
    TgraAttribute& att = cv.Att();
    const auto hidden = [&](uint8_t lay) { return !set.CB1 && att.GetAttrLayerState(lay) == 3; };

    cv.DataTransSubColor1();
    cv.Fig().Fig3DClear();
    const auto lineKept = [&](const TEntJwcLine& e) {
        // The line type alone marks an auxiliary line; its colour is not consulted.
        return !hidden(e.lay) && !(!set.CB2 && e.typ == kAuxLineType) &&
               !(!set.CB3 && (e.flg3 & kDimensionLineBit) != 0) &&
               !(!set.CB4 && (e.flg2 & kHatchBit) != 0);
    };
    const auto arcKept = [&](const TEntJwcArc2& e) {
        return !hidden(e.lay) && !(!set.CB2 && e.typ == kAuxLineType) &&
               !(!set.CB3 && (e.flg2 & kDimensionBit) != 0) &&
               !(!set.CB4 && (e.flg2 & kHatchBit) != 0);
    };
    const auto tenKept = [&](const TEntJwcTen& e) {
        return !hidden(e.lay) && !(!set.CB3 && (e.flg1 & kDimensionBit) != 0) &&
               !(!set.CB4 && (e.flg1 & kHatchBit) != 0);
    };
    {
        // What the loops below append at most; near exact, as the room is made resident ahead.
        TFigRoom room;
        for (const TEntJwcLine& e : lines)
            room.Add(lineKept(e) ? 1 : 0, 2);
        for (const TEntJwcArc2& e : arcs) {
            if (!arcKept(e)) continue;
            if (!std::isfinite(sc) || !std::isfinite(e.x) || !std::isfinite(e.y) ||
                !std::isfinite(e.r) || !std::isfinite(e.h) || !std::isfinite(e.tt) ||
                !std::isfinite(e.st) || !std::isfinite(e.et)) {
                continue;
            }
            room.Add(static_cast<size_t>(
                         cv.ArcDivisionCount(e.r, TConverter::SweepOfDegrees(e.st, e.et))),
                     2);
        }
        if (set.CB5) {
            for (const TEntJwcTen& e : tens) {
                if (tenKept(e)) room.Add(cv.MarkerRoom());
            }
        }
        cv.Fig().Fig3DReserve(room.entries, room.corners);
    }
    const TPrefault prefault = cv.Fig().Fig3DPrefault();

    for (const TEntJwcLine& e : lines) {
        if (!lineKept(e)) continue;
        const double x1 = e.x1 * sc, y1 = e.y1 * sc, x2 = e.x2 * sc, y2 = e.y2 * sc;
        // A line with a coordinate that is no number is damaged: dropped, as curves and
        // markers with one are.
        if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2))
            continue;
        cv.DataTransSubLine(e.lay, TConverter::ColorKeyOfDosColor(e.col), x1, y1, x2, y2);
    }
    for (const TEntJwcArc2& e : arcs) {
        if (!arcKept(e)) continue;
        cv.DataTransSubArc(e.lay, TConverter::ColorKeyOfDosColor(e.col), sc, e.x, e.y, e.r, e.h,
                           e.tt, e.st, e.et);
    }
    if (!set.CB5) return;
    for (const TEntJwcTen& e : tens) {
        if (!tenKept(e)) continue;
        cv.DataTransSubTen(e.lay, TConverter::ColorKeyOfDosColor(e.col), sc, e.x, e.y);
    }
}

}  // namespace

void TConverter::DataTransJWC(const TJwcData& jwc) {
    ConvertDos(*this, jwc.EntLine, jwc.EntArc, jwc.EntTen, jwc.GroupScale(0));
}

void TConverter::DataTransJWK(const TJwkData& jwk) {
    ConvertDos(*this, jwk.EntLine, jwk.EntArc, jwk.EntTen, 1.0);
}

}  // namespace velmora
