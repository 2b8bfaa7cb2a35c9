#include "attr/GraAttribute.h"
#include "geometry/Converter.h"
#include "geometry/FigList.h"

namespace velmora {

int32_t TConverter::ArgbToColorRef(uint32_t argb) {
    const uint32_t r = (argb >> 16) & 0xFF;
    const uint32_t g = (argb >> 8) & 0xFF;
    const uint32_t b = argb & 0xFF;
    return static_cast<int32_t>(r + g * 256 + b * 65536);
}

void TConverter::DataTransSubColor1() {
    TFigList& fig = Fig();
    TgraAttribute& att = Att();
    fig.FigColKeyClear();
    // Print thresholds would alter the colours read back; the conversion wants them as stored.
    att.SetPrintMode(false, 0, 0, 0);
    for (int n = 0; n < TgraAttribute::jwvColN; ++n) {
        fig.FigColKeyAdd(ArgbToColorRef(att.GetAttrColcol_(n)));
    }
}

void TConverter::DataTransSubColor2(int32_t c) {
    TFigList& fig = Fig();
    if (fig.FigColKeyN >= kFigColKeyMax) return;
    for (int k = 1; k <= fig.FigColKeyN; ++k) {
        if (fig.FigColKey[static_cast<size_t>(k)] == c) return;
    }
    fig.FigColKeyAdd(c);
}

int32_t TConverter::ColorKeyOfPen(int32_t p) {
    // SXF colours 101..356 follow the nine standard pens directly in the key numbering.
    if (p >= 101 && p <= 356) return p - 91;
    return p;
}

int32_t TConverter::ColorKeyOfSolid(int32_t p, uint32_t color) const {
    if (p != 10) return ColorKeyOfPen(p);
    return fig_.FigColKeyIndex(static_cast<int32_t>(color));
}

}  // namespace velmora
