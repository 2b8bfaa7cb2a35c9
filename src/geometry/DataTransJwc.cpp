#include <cmath>
#include <numbers>
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
    {
        // The count grows with the sweep, so a whole turn bounds every arc.
        TFigRoom room;
        room.Add(lines.size(), 2);
        for (const TEntJwcArc2& e : arcs)
            room.Add(static_cast<size_t>(cv.ArcDivisionCount(e.r, 2 * std::numbers::pi)), 2);
        if (set.CB5) room.Add(cv.MarkerRoom(), tens.size());
        cv.Fig().Fig3DReserve(room.entries, room.corners);
    }
    const TPrefault prefault = cv.Fig().Fig3DPrefault();

    for (const TEntJwcLine& e : lines) {
        if (hidden(e.lay)) continue;
        // The line type alone marks an auxiliary line; its colour is not consulted.
        if (!set.CB2 && e.typ == kAuxLineType) continue;
        if (!set.CB3 && (e.flg3 & kDimensionLineBit) != 0) continue;
        if (!set.CB4 && (e.flg2 & kHatchBit) != 0) continue;
        const double x1 = e.x1 * sc, y1 = e.y1 * sc, x2 = e.x2 * sc, y2 = e.y2 * sc;
        // A line with a coordinate that is no number is damaged: dropped, as curves and
        // markers with one are.
        if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2))
            continue;
        cv.DataTransSubLine(e.lay, TConverter::ColorKeyOfDosColor(e.col), x1, y1, x2, y2);
    }
    for (const TEntJwcArc2& e : arcs) {
        if (hidden(e.lay)) continue;
        if (!set.CB2 && e.typ == kAuxLineType) continue;
        if (!set.CB3 && (e.flg2 & kDimensionBit) != 0) continue;
        if (!set.CB4 && (e.flg2 & kHatchBit) != 0) continue;
        cv.DataTransSubArc(e.lay, TConverter::ColorKeyOfDosColor(e.col), sc, e.x, e.y, e.r, e.h,
                           e.tt, e.st, e.et);
    }
    if (!set.CB5) return;
    for (const TEntJwcTen& e : tens) {
        if (hidden(e.lay)) continue;
        if (!set.CB3 && (e.flg1 & kDimensionBit) != 0) continue;
        if (!set.CB4 && (e.flg1 & kHatchBit) != 0) continue;
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
