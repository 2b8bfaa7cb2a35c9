#include <utility>

#include "geometry/Converter.h"
#include "geometry/FigList.h"

namespace velmora {

void TConverter::DataTransSubLine(int la, int co, double x1, double y1, double x2, double y2) {
    fig_.Fig3DAddLine(la, co, x1, y1, x2, y2);
}

void TConverter::DataTransSubTri(int la, int co, double x1, double y1, double x2, double y2,
                                 double x3, double y3) {
    T2Dpoint p[3] = {{x1, y1}, {x2, y2}, {x3, y3}};
    if (!TFigList::FigIsCCW(x1, y1, x2, y2, x3, y3)) std::swap(p[1], p[2]);
    fig_.Fig3DAdd(la, co, kFigTypTri, p, 3);
}

void TConverter::DataTransSubSqr(int la, int co, double x1, double y1, double x2, double y2,
                                 double x3, double y3, double x4, double y4) {
    T2Dpoint p[4] = {{x1, y1}, {x2, y2}, {x3, y3}, {x4, y4}};
    // The winding of all four corners (twice the signed area): three corners on one line say
    // nothing. Swapping the 2nd and 4th corners walks the same loop the other way round.
    const double area2 =
        (x1 * y2 - x2 * y1) + (x2 * y3 - x3 * y2) + (x3 * y4 - x4 * y3) + (x4 * y1 - x1 * y4);
    if (area2 < 0) std::swap(p[1], p[3]);
    fig_.Fig3DAdd(la, co, kFigTypSqr, p, 4);
}

}  // namespace velmora
