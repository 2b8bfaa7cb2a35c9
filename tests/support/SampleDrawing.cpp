#include "support/SampleDrawing.h"

#include <numbers>

#include "support/JwwEncoder.h"

namespace velmora::test {

namespace {

TEntJwwAttr Attr(int group, int layer, int pen, int style = 1) {
    TEntJwwAttr a;
    a.nGLayer = static_cast<uint16_t>(group);
    a.nLayer = static_cast<uint16_t>(layer);
    a.nPenColor = static_cast<uint16_t>(pen);
    a.nPenStyle = static_cast<uint8_t>(style);
    a.nPenWidth = 1;
    return a;
}

TEntJwwLine Line(const TEntJwwAttr& a, double x1, double y1, double x2, double y2) {
    TEntJwwLine e;
    e.att = a;
    e.start_x = x1, e.start_y = y1, e.end_x = x2, e.end_y = y2;
    return e;
}

TEntJwwEnko Curve(const TEntJwwAttr& a, double cx, double cy, double r, double flat, double tilt,
                  double start, double sweep, bool full) {
    TEntJwwEnko e;
    e.att = a;
    e.start_x = cx, e.start_y = cy, e.dHankei = r, e.dHenpeiRitsu = flat;
    e.radKatamukiKaku = tilt, e.radKaishiKaku = start, e.radEnkoKaku = sweep;
    e.bZenEnFlg = full ? 1 : 0;
    return e;
}

TEntJwwTen Point(const TEntJwwAttr& a, double x, double y, bool temporary = false) {
    TEntJwwTen e;
    e.att = a;
    e.start_x = x, e.start_y = y;
    e.bKariten = temporary ? 1 : 0;
    return e;
}

TEntJwwSolid Solid(const TEntJwwAttr& a, double x1, double y1, double x2, double y2, double x3,
                   double y3, double x4, double y4, uint32_t colour = 0) {
    TEntJwwSolid e;
    e.att = a;
    e.start_x = x1, e.start_y = y1, e.end_x = x2, e.end_y = y2;
    e.DPoint2_x = x3, e.DPoint2_y = y3, e.DPoint3_x = x4, e.DPoint3_y = y4;
    e.Color = colour;
    return e;
}

TEntJwwBlock Insert(const TEntJwwAttr& a, uint32_t number, double x, double y, double angle) {
    TEntJwwBlock e;
    e.att = a;
    e.nNumber = number;
    e.DPKijunTen_x = x, e.DPKijunTen_y = y;
    e.dBairitsuX = 1, e.dBairitsuY = 1;
    e.radKaitenKaku = angle;
    return e;
}

}  // namespace

std::string SampleDrawingBytes() {
    constexpr double pi = std::numbers::pi;
    TJwwWriter w(600);
    // Drawn at 1:50 on group 0 (the scale every entity converts with), 1:100 on group 1.
    w.EntLgrp[0].adScale = 50;
    w.EntLgrp[1].adScale = 100;
    w.EntLgrp[0].aStrGLayName = "平面図";
    w.EntLay[0].aStrLayName = "壁";
    w.EntLay[1].aStrLayName = "建具";
    w.EntLay[2].aStrLayName = "設備";
    w.EntLay[3].aStrLayName = "基準点";
    w.EntLay[4].aStrLayName = "寸法";
    w.EntLay[5].aStrLayName = "仕上";
    // Pens 1..9 as COLORREF 0x00BBGGRR on a white background.
    const int32_t pens[10] = {0xFFFFFF, 0x000000, 0x0000FF, 0x00A000, 0xFF0000,
                              0x00A0A0, 0xA000A0, 0x808000, 0x404040, 0xC0C0C0};
    for (int n = 0; n < 10; ++n)
        w.EntCol[n].aPenColor = pens[n];

    const TEntJwwAttr wall = Attr(0, 0, 2);
    const TEntJwwAttr fitting = Attr(0, 1, 3);
    const TEntJwwAttr equipment = Attr(0, 2, 5);
    const TEntJwwAttr marks = Attr(0, 3, 6);
    const TEntJwwAttr dims = Attr(0, 4, 1);
    const TEntJwwAttr finish = Attr(0, 5, 4);

    // Outer walls of a 10 m x 7 m room (200 x 140 on the sheet at 1:50).
    w.AddLine(Line(wall, 0, 0, 200, 0));
    w.AddLine(Line(wall, 200, 0, 200, 140));
    w.AddLine(Line(wall, 200, 140, 0, 140));
    w.AddLine(Line(wall, 0, 140, 0, 0));
    w.AddLine(Line(wall, 0, 80, 120, 80));
    w.AddLine(Line(Attr(0, 0, 9, 9), 100, 0, 100, 140));  // auxiliary centre line

    // A door swing, a round table and an oval bath.
    w.AddArc(Curve(fitting, 120, 80, 18, 1, 0, 0, pi / 2, false));
    w.AddArc(Curve(equipment, 60, 40, 12, 1, 0, 0, 2 * pi, true));
    w.AddArc(Curve(equipment, 160, 110, 20, 0.5, pi / 6, 0, 2 * pi, true));

    w.AddPoint(Point(marks, 0, 0));
    w.AddPoint(Point(marks, 200, 0));
    w.AddPoint(Point(marks, 200, 140));
    w.AddPoint(Point(marks, 100, 70, true));  // temporary: never converted

    TEntJwwSunpo dim;
    dim.att = dims;
    dim.Sen = Line(dims, 0, -15, 200, -15);
    dim.Moji.att = dims;
    dim.Moji.start_x = 95, dim.Moji.start_y = -14, dim.Moji.end_x = 105, dim.Moji.end_y = -14;
    dim.Moji.dSizeX = 2.5, dim.Moji.dSizeY = 2.5;
    dim.Moji.str = "10000";
    dim.bSxfMode = 1;
    dim.Ho1 = Line(dims, 0, -2, 0, -17);
    dim.Ho2 = Line(dims, 200, -2, 200, -17);
    dim.Te1 = Point(dims, 0, -15);
    dim.Te2 = Point(dims, 200, -15);
    w.AddDimension(dim);

    TEntJwwMoji title;
    title.att = dims;
    title.start_x = 10, title.start_y = 150, title.end_x = 60, title.end_y = 150;
    title.dSizeX = 5, title.dSizeY = 5;
    title.str = "サンプル平面図";
    w.AddText(title);

    // Floor finishes: a pen-coloured quadrilateral and a triangle in a colour of its own.
    w.AddSolid(Solid(finish, 2, 82, 98, 82, 98, 138, 2, 138));
    w.AddSolid(Solid(Attr(0, 5, 10), 150, 2, 198, 2, 198, 50, 198, 50, 0x3399CC));

    // A window (definition 1) placed twice inside a wall unit (definition 2), which the plan
    // places twice, the second time turned by 90 degrees.
    TEntJwwBlockDef window;
    window.att = fitting;
    window.nNumber = 1;
    window.strName = "窓";
    AddMember(window, Line(fitting, 0, 0, 30, 0));
    AddMember(window, Line(fitting, 0, 2, 30, 2));
    AddMember(window, Line(fitting, 0, 0, 0, 2));
    AddMember(window, Line(fitting, 30, 0, 30, 2));
    TEntJwwBlockDef unit;
    unit.att = wall;
    unit.nNumber = 2;
    unit.strName = "壁ユニット";
    AddMember(unit, Line(wall, -5, -1, 75, -1));
    AddMember(unit, Insert(fitting, 1, 0, 0, 0));
    AddMember(unit, Insert(fitting, 1, 40, 0, 0));
    AddMember(unit, Curve(equipment, 35, 10, 3, 1, 0, 0, 2 * pi, true));
    w.AddBlockDef(window);
    w.AddBlockDef(unit);
    w.AddBlock(Insert(wall, 2, 20, 140, 0));
    w.AddBlock(Insert(wall, 2, 200, 10, pi / 2));
    return w.Bytes();
}

}  // namespace velmora::test
