#include <cmath>

#include "geometry/Converter.h"
#include "geometry/FigList.h"

namespace velmora {

TFigRoom TConverter::MarkerRoom() const {
    TFigRoom r;
    switch (Settings.TenType) {
        case 0:
        case 1:
            r.Add(2, 2);
            break;
        case 2:
        case 3:
            r.Add(4, 2);
            break;
        case 4:
            r.Add(static_cast<size_t>(ArcDivisionCount(Settings.TenSize * 0.5, 6.283185307179586)),
                  2);
            break;
        case 5:
        case 6:
            r.Add(2, 3);
            break;
        case 7:
            r.Add(static_cast<size_t>(ArcDivisionCount(Settings.TenSize * 0.5, 6.283185307179586)),
                  3);
            break;
        default:
            break;
    }
    return r;
}

void TConverter::DataTransSubTen(int la, int co, double sc, double x, double y) {
    const double r = Settings.TenSize * 0.5;
    if (!std::isfinite(sc) || !std::isfinite(x) || !std::isfinite(y) || !std::isfinite(r)) return;
    const double x0 = (x - r) * sc, x1 = x * sc, x2 = (x + r) * sc;
    const double y0 = (y - r) * sc, y1 = y * sc, y2 = (y + r) * sc;
    switch (Settings.TenType) {
        case 0:
            DataTransSubLine(la, co, x0, y1, x2, y1);
            DataTransSubLine(la, co, x1, y2, x1, y0);
            break;
        case 1:
            DataTransSubLine(la, co, x0, y0, x2, y2);
            DataTransSubLine(la, co, x0, y2, x2, y0);
            break;
        case 2:
            DataTransSubLine(la, co, x0, y0, x2, y0);
            DataTransSubLine(la, co, x2, y0, x2, y2);
            DataTransSubLine(la, co, x2, y2, x0, y2);
            DataTransSubLine(la, co, x0, y2, x0, y0);
            break;
        case 3:
            DataTransSubLine(la, co, x0, y1, x1, y0);
            DataTransSubLine(la, co, x1, y0, x2, y1);
            DataTransSubLine(la, co, x2, y1, x1, y2);
            DataTransSubLine(la, co, x1, y2, x0, y1);
            break;
        case 4:
            DataTransSubArc1(la, co, sc, x, y, r, 1, 0, 0, 6.283185307179586);
            break;
        case 5:
            DataTransSubTri(la, co, x0, y0, x2, y0, x2, y2);
            DataTransSubTri(la, co, x0, y0, x2, y2, x0, y2);
            break;
        case 6:
            DataTransSubTri(la, co, x0, y1, x1, y0, x2, y1);
            DataTransSubTri(la, co, x0, y1, x2, y1, x1, y2);
            break;
        case 7:
            DataTransSubArc2(la, co, sc, x, y, r, 1, 0, 0, 6.283185307179586);
            break;
        default:
            break;
    }
}

}  // namespace velmora
