#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <iterator>
#include <limits>
#include <numbers>
#include <string>
#include <tuple>
#include <vector>

#include "attr/GraAttribute.h"
#include "geometry/Converter.h"
#include "geometry/FigList.h"
#include "jww/JwsData.h"
#include "jww/JwwData.h"
#include "support/JwsEncoder.h"
#include "support/JwwEncoder.h"

namespace velmora {
namespace {

using test::TJwsHeaderValues;
using test::TJwwWriter;

constexpr double kTurn = 2 * std::numbers::pi;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::vector<std::byte> Buffer(const std::string& bytes) {
    std::vector<std::byte> buf(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i)
        buf[i] = static_cast<std::byte>(bytes[i]);
    return buf;
}

TEntJwwAttr Att(uint16_t color, uint16_t layer = 0, uint16_t group = 0, uint16_t flags = 0,
                uint8_t style = 1) {
    TEntJwwAttr a;
    a.nPenStyle = style;
    a.nPenColor = color;
    a.nPenWidth = 1;
    a.nLayer = layer;
    a.nGLayer = group;
    a.sFlg = flags;
    return a;
}

TEntJwwLine Line(double x1, double y1, double x2, double y2, TEntJwwAttr att = Att(2)) {
    TEntJwwLine l;
    l.att = att;
    l.start_x = x1;
    l.start_y = y1;
    l.end_x = x2;
    l.end_y = y2;
    return l;
}

TEntJwwEnko Curve(double cx, double cy, double r, double start, double sweep, uint32_t full,
                  TEntJwwAttr att = Att(2)) {
    TEntJwwEnko e;
    e.att = att;
    e.start_x = cx;
    e.start_y = cy;
    e.dHankei = r;
    e.radKaishiKaku = start;
    e.radEnkoKaku = sweep;
    e.dHenpeiRitsu = 1;
    e.bZenEnFlg = full;
    return e;
}

TEntJwwTen Point(double x, double y, TEntJwwAttr att = Att(2)) {
    TEntJwwTen t;
    t.att = att;
    t.start_x = x;
    t.start_y = y;
    return t;
}

TEntJwwSolid Solid(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                   double y4, TEntJwwAttr att = Att(2)) {
    TEntJwwSolid s;
    s.att = att;
    s.start_x = x1;
    s.start_y = y1;
    s.end_x = x2;
    s.end_y = y2;
    s.DPoint2_x = x3;
    s.DPoint2_y = y3;
    s.DPoint3_x = x4;
    s.DPoint3_y = y4;
    return s;
}

// A curved solid: kind, centre, radius, flattening, tilt, start, sweep and the fill code or
// inner radius in DPoint3_y.
TEntJwwSolid CurvedSolid(uint8_t kind, double cr, double ch, double tilt, double start,
                         double sweep, double code) {
    TEntJwwSolid s = Solid(3, 4, cr, ch, tilt, start, sweep, code);
    s.att.nPenStyle = kind;
    return s;
}

TEntJwwSunpo Dimension(TEntJwwAttr att, uint16_t sxf) {
    TEntJwwSunpo s;
    s.att = att;
    s.Sen = Line(0, 0, 100, 0, Att(3, 1));
    s.Moji.att = Att(3);
    s.Moji.str = "100";
    s.bSxfMode = sxf;
    s.Ho1 = Line(0, -5, 0, 0, Att(4, 2));
    s.Ho2 = Line(100, -5, 100, 0, Att(4, 2));
    s.Te1 = Point(0, 0, Att(5, 3));
    s.Te2 = Point(100, 0, Att(5, 3));
    s.Kt1 = Point(50, 50, Att(6));
    s.Kt2 = Point(60, 50, Att(6));
    return s;
}

struct WindowsConversion : ::testing::Test {
    TFigList fig;
    TgraAttribute att;
    TConverter conv{fig, att};
    TJwwData jww;
    TJwsData jws;

    void SetUp() override { PrepareAttributesAtStartup(att); }

    // The steps of one .jww file in a run.
    void ConvertDrawing(const TJwwWriter& w) {
        ASSERT_TRUE(jww.FileInBytes(Buffer(w.Bytes()))) << jww.LastError();
        ResetAttributesForJwwFile(att);
        jww.FileColorSet(att);
        jww.FileLtypeSet(att);
        jww.SetGAttLayer(att);
        conv.DataTransJWW(jww);
    }
    void ConvertSymbol(const TJwwWriter& w, const TJwsHeaderValues& h = {}) {
        ASSERT_TRUE(jws.FileInBytes(Buffer(test::JwsBytes(w, h)))) << jws.LastError();
        ResetAttributesForOtherFile(att);
        jws.SetGAttLayer(att);
        conv.DataTransJWS(jws);
    }

    T3DdataField At(int i) const { return fig.Fig3D(static_cast<size_t>(i)); }

    int Count(int typ) const {
        int n = 0;
        for (int i = 0; i < fig.Fig3DN(); ++i)
            n += At(i).typ == typ ? 1 : 0;
        return n;
    }

    void ExpectSegment(int i, double x1, double y1, double x2, double y2) const {
        SCOPED_TRACE(i);
        ASSERT_LT(i, fig.Fig3DN());
        EXPECT_EQ(At(i).typ, kFigTypLine);
        EXPECT_NEAR(At(i).p[0].x, x1, 1e-9);
        EXPECT_NEAR(At(i).p[0].y, y1, 1e-9);
        EXPECT_NEAR(At(i).p[1].x, x2, 1e-9);
        EXPECT_NEAR(At(i).p[1].y, y2, 1e-9);
    }

    // Primitives that the builder call gives on an empty list, with the settings in use.
    std::vector<T3DdataField> Expected(const std::function<void(TConverter&)>& build) const {
        TFigList f;
        TgraAttribute a;
        TConverter c(f, a);
        c.Settings = conv.Settings;
        build(c);
        std::vector<T3DdataField> out;
        for (int i = 0; i < f.Fig3DN(); ++i)
            out.push_back(f.Fig3D(static_cast<size_t>(i)));
        return out;
    }

    void ExpectPrimitives(const std::vector<T3DdataField>& expected) const {
        ASSERT_EQ(fig.Fig3DN(), static_cast<int>(expected.size()));
        for (size_t i = 0; i < expected.size(); ++i) {
            SCOPED_TRACE(i);
            const T3DdataField &a = fig.Fig3D(i), &b = expected[i];
            EXPECT_EQ(a.typ, b.typ);
            EXPECT_EQ(a.lay, b.lay);
            EXPECT_EQ(a.col, b.col);
            for (int k = 0; k < 4; ++k) {
                EXPECT_NEAR(a.p[k].x, b.p[k].x, 1e-9);
                EXPECT_NEAR(a.p[k].y, b.p[k].y, 1e-9);
            }
        }
    }
};

// ---- Entity selection ----

// The list is sized once from the counts taken before converting: no kind, marker shape or
// division mode may append more than was reserved, nor much less.
TEST_F(WindowsConversion, TheListIsSizedOnceForEveryKindAndSetting) {
    TJwwWriter w;
    w.AddLine(Line(0, 0, 10, 0));
    w.AddDimension(Dimension(Att(2), 1));
    w.AddArc(Curve(0, 0, 50, 0, kTurn, 1));
    w.AddArc(Curve(0, 0, 5000, 1, 40, 0));
    w.AddPoint(Point(1, 1));
    w.AddSolid(Solid(0, 0, 10, 0, 10, 10, 0, 10));
    w.AddSolid(Solid(0, 0, 10, 0, 5, 8, 5, 8));
    for (const auto& [kind, code] : std::vector<std::pair<uint8_t, double>>{
             {111, 0}, {111, 1}, {101, 0}, {101, 5}, {101, 100}, {101, 7}, {105, 2}, {106, 2}})
        w.AddSolid(CurvedSolid(kind, 300, 0.5, 0.2, 0.3, 5, code));
    TEntJwwBlockDef def;
    def.nNumber = 1;
    test::AddMember(def, Line(0, 0, 1, 1));
    test::AddMember(def, Curve(0, 0, 20, 0, 1, 0));
    w.AddBlockDef(def);
    TEntJwwBlock b;
    b.att = Att(2);
    b.dBairitsuX = b.dBairitsuY = 2;
    b.nNumber = 1;
    w.AddBlock(b);

    conv.Settings.CB3 = conv.Settings.CB5 = conv.Settings.CB6 = true;
    conv.Settings.ArcSepAng = 0.05;
    conv.Settings.ArcSepLen = 3;
    for (int sep = 0; sep <= 2; ++sep) {
        for (int shape = 0; shape <= 7; ++shape) {
            SCOPED_TRACE(testing::Message() << sep << " " << shape);
            conv.Settings.ArcSepType = sep;
            conv.Settings.TenType = shape;
            ConvertDrawing(w);
            EXPECT_GT(fig.Fig3DN(), 20);
            EXPECT_EQ(fig.Fig3DMoves(), 0);
            // Near exact too, since the room is made resident ahead: only the bow's last
            // sliver is counted without being drawn.
            EXPECT_LE(fig.Entries().capacity(), static_cast<size_t>(fig.Fig3DN()) + 1);
        }
    }
}

TEST_F(WindowsConversion, SolidsAreLeftOutByDefault) {
    TJwwWriter w;
    w.AddSolid(Solid(0, 0, 10, 0, 10, 10, 0, 10));
    w.AddSolid(CurvedSolid(101, 5, 1, 0, 0, kTurn, 100));
    ConvertDrawing(w);
    EXPECT_EQ(fig.Fig3DN(), 0);

    conv.Settings.CB6 = true;
    ConvertDrawing(w);
    EXPECT_EQ(Count(kFigTypSqr), 1);
    EXPECT_EQ(Count(kFigTypTri), 12);
}

TEST_F(WindowsConversion, PenColoursBecomeKeys) {
    struct Case {
        uint16_t pen;
        int key;
    };
    const Case cases[] = {{1, 1}, {8, 8}, {9, 9}, {101, 10}, {150, 59}, {356, 265}, {357, 357}};
    TJwwWriter w;
    for (const Case& c : cases)
        w.AddLine(Line(0, 0, 1, 0, Att(c.pen)));
    ConvertDrawing(w);
    ASSERT_EQ(fig.Fig3DN(), static_cast<int>(std::size(cases)));
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].pen);
        EXPECT_EQ(fig.Fig3D(i).col, cases[i].key);
    }
}

TEST_F(WindowsConversion, AuxiliaryColourOrLineTypeOnlyWithCB2) {
    struct Case {
        const char* name;
        std::function<void(TJwwWriter&)> add;
        bool keptWithoutCB2;
    };
    const Case cases[] = {
        {"line pen 9, ordinary type", [](TJwwWriter& w) { w.AddLine(Line(0, 0, 1, 0, Att(9))); },
         false},
        {"line type 9", [](TJwwWriter& w) { w.AddLine(Line(0, 0, 1, 0, Att(2, 0, 0, 0, 9))); },
         false},
        {"curve pen 9", [](TJwwWriter& w) { w.AddArc(Curve(0, 0, 1, 0, 1, 0, Att(9))); }, false},
        {"curve type 9",
         [](TJwwWriter& w) { w.AddArc(Curve(0, 0, 1, 0, 1, 0, Att(2, 0, 0, 0, 9))); }, false},
        {"point pen 9", [](TJwwWriter& w) { w.AddPoint(Point(0, 0, Att(9))); }, false},
        {"point type 9 is judged by colour only",
         [](TJwwWriter& w) { w.AddPoint(Point(0, 0, Att(2, 0, 0, 0, 9))); }, true},
        {"solid pen 9", [](TJwwWriter& w) { w.AddSolid(Solid(0, 0, 1, 0, 1, 1, 0, 1, Att(9))); },
         false},
        {"solid type 9 is judged by colour only",
         [](TJwwWriter& w) { w.AddSolid(Solid(0, 0, 1, 0, 1, 1, 0, 1, Att(2, 0, 0, 0, 9))); },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TJwwWriter w;
        c.add(w);
        conv.Settings = {};
        conv.Settings.CB6 = true;
        ConvertDrawing(w);
        EXPECT_GT(fig.Fig3DN(), 0);
        conv.Settings.CB2 = false;
        ConvertDrawing(w);
        EXPECT_EQ(fig.Fig3DN() > 0, c.keptWithoutCB2);
    }
}

TEST_F(WindowsConversion, HiddenLayersOnlyWithCB1) {
    TJwwWriter w;
    w.EntLay[1 * 16 + 3].aanLay = 0;  // group 1, layer 3 hidden
    w.AddLine(Line(0, 0, 1, 0, Att(2, 3, 1)));
    w.AddLine(Line(0, 0, 2, 0, Att(2, 4, 1)));
    w.AddArc(Curve(0, 0, 1, 0, 1, 0, Att(2, 3, 1)));
    w.AddPoint(Point(0, 0, Att(2, 3, 1)));
    w.AddSolid(Solid(0, 0, 1, 0, 1, 1, 0, 1, Att(2, 3, 1)));
    conv.Settings.CB6 = true;
    ConvertDrawing(w);
    EXPECT_EQ(att.GetAttrLayerState(19), 3);
    EXPECT_EQ(fig.Fig3DN(), 1 + 1 + 12 + 2 + 1);
    EXPECT_EQ(At(0).lay, 19);

    conv.Settings.CB1 = false;
    ConvertDrawing(w);
    ASSERT_EQ(fig.Fig3DN(), 1);
    ExpectSegment(0, 0, 0, 2, 0);
    EXPECT_EQ(At(0).lay, 20);
}

// A dimension is judged on its own layer; its parts carry their own layers and keys.
TEST_F(WindowsConversion, DimensionOnAHiddenLayerIsLeftOutWhole) {
    TJwwWriter w;
    w.EntLay[5].aanLay = 0;
    w.AddDimension(Dimension(Att(2, 5), 1));
    TEntJwwSunpo partsHidden = Dimension(Att(2, 6), 1);
    partsHidden.Sen.att.nLayer = 5;
    w.AddDimension(partsHidden);
    conv.Settings.CB5 = false;
    ConvertDrawing(w);
    EXPECT_EQ(fig.Fig3DN(), 2 * 7);

    conv.Settings.CB1 = false;
    ConvertDrawing(w);
    ASSERT_EQ(fig.Fig3DN(), 7);
    EXPECT_EQ(At(0).lay, 5);  // the visible dimension keeps its part on the hidden layer
}

TEST_F(WindowsConversion, DimensionPartsFollowSxfModeAndIgnoreTheirFlags) {
    TJwwWriter w;
    TEntJwwSunpo plain = Dimension(Att(2), 0);
    TEntJwwSunpo sxf = Dimension(Att(2), 1);
    // Part flags that would drop a line, a point or hatching are not applied to parts.
    for (TEntJwwLine* l : {&sxf.Sen, &sxf.Ho1, &sxf.Ho2})
        l->att.sFlg = 0x2000 | 0x0020;
    for (TEntJwwTen* t : {&sxf.Te1, &sxf.Te2}) {
        t->att.sFlg = 0x0040 | 0x0020;
        t->bKariten = 1;
    }
    w.AddDimension(plain);
    w.AddDimension(sxf);
    conv.Settings.CB4 = false;
    conv.Settings.CB5 = false;
    ConvertDrawing(w);
    ASSERT_EQ(fig.Fig3DN(), 1 + 1 + 2 + 2 * 2);
    ExpectSegment(0, 0, 0, 100, 0);
    ExpectSegment(1, 0, 0, 100, 0);
    ExpectSegment(2, 0, -5, 0, 0);
    ExpectSegment(3, 100, -5, 100, 0);
    ExpectSegment(4, -0.5, 0, 0.5, 0);  // the "+" marker of Te1
    ExpectSegment(5, 0, 0.5, 0, -0.5);
    ExpectSegment(6, 99.5, 0, 100.5, 0);
    const int layers[] = {1, 1, 2, 2, 3, 3, 3, 3};
    const int keys[] = {3, 3, 4, 4, 5, 5, 5, 5};
    for (int i = 0; i < fig.Fig3DN(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(At(i).lay, layers[i]);
        EXPECT_EQ(At(i).col, keys[i]);
    }

    conv.Settings.CB3 = false;
    ConvertDrawing(w);
    EXPECT_EQ(fig.Fig3DN(), 0);
}

TEST_F(WindowsConversion, AuxiliaryDimensionPartsLeftOutOneByOne) {
    TJwwWriter w;
    TEntJwwSunpo d = Dimension(Att(9, 0, 0, 0, 9), 1);  // the dimension's own pen plays no part
    d.Ho1.att.nPenStyle = 9;
    d.Te2.att.nPenColor = 9;
    d.Te1.att.nPenStyle = 9;  // points are judged by colour only
    w.AddDimension(d);
    conv.Settings.CB2 = false;
    ConvertDrawing(w);
    ASSERT_EQ(fig.Fig3DN(), 1 + 1 + 2);
    ExpectSegment(0, 0, 0, 100, 0);
    ExpectSegment(1, 100, -5, 100, 0);
    ExpectSegment(2, -0.5, 0, 0.5, 0);
}

TEST_F(WindowsConversion, TemporaryPointsNeverCodePointsAlways) {
    TJwwWriter w;
    TEntJwwTen temporary = Point(1, 1);
    temporary.bKariten = 1;
    TEntJwwTen code = Point(2, 3, Att(2, 0, 0, 0, 100));
    code.nCode = 7;
    code.radKaitenKaku = 0.5;
    code.dBairitsu = 2;
    w.AddPoint(temporary);
    w.AddPoint(code);
    ConvertDrawing(w);
    ASSERT_EQ(fig.Fig3DN(), 2);
    ExpectSegment(0, 1.5, 3, 2.5, 3);
    ExpectSegment(1, 2, 3.5, 2, 2.5);

    conv.Settings.CB5 = false;
    ConvertDrawing(w);
    EXPECT_EQ(fig.Fig3DN(), 0);
}

TEST_F(WindowsConversion, FullCurvesStartAtParameterZero) {
    TJwwWriter w;
    w.AddArc(Curve(10, 20, 5, 1.0, 0.5, 1));
    w.AddArc(Curve(10, 20, 5, 1.0, 0.5, 2));  // not a full curve: an arc
    ConvertDrawing(w);
    ASSERT_EQ(fig.Fig3DN(), 24);
    ExpectSegment(0, 15, 20, 10 + 5 * std::cos(kTurn / 12), 20 + 5 * std::sin(kTurn / 12));
    EXPECT_NEAR(At(11).p[1].x, 15, 1e-9);
    EXPECT_NEAR(At(12).p[0].x, 10 + 5 * std::cos(1.0), 1e-9);
    EXPECT_NEAR(At(12).p[0].y, 20 + 5 * std::sin(1.0), 1e-9);
    EXPECT_NEAR(At(23).p[1].x, 10 + 5 * std::cos(1.5), 1e-9);
    EXPECT_NEAR(At(23).p[1].y, 20 + 5 * std::sin(1.5), 1e-9);
}

TEST_F(WindowsConversion, EllipsesPassFlatteningAndTiltOn) {
    TJwwWriter w;
    TEntJwwEnko e = Curve(1, 2, 10, 0.3, 2.0, 0, Att(4, 7));
    e.dHenpeiRitsu = 0.4;
    e.radKatamukiKaku = 0.6;
    w.AddArc(e);
    w.EntLgrp[0].adScale = 3;
    ConvertDrawing(w);
    ExpectPrimitives(
        Expected([](TConverter& c) { c.DataTransSubArc1(7, 4, 3, 1, 2, 10, 0.4, 0.6, 0.3, 2.0); }));
}

// ---- Solids ----

TEST_F(WindowsConversion, FlatSolidsWithCoincidingCorners) {
    TJwwWriter w;
    w.AddSolid(Solid(0, 0, 10, 0, 10, 0, 5, 5));          // 2nd = 3rd: a line, 4th ignored
    w.AddSolid(Solid(0, 0, 10, 0, 10, 10, 10, 10));       // 3rd = 4th: a triangle
    w.AddSolid(Solid(0, 0, 10, 0, 10, 10, 0, 10));        // a quadrilateral
    w.AddSolid(Solid(0, 0, 0, 10, 10, 10, 10, 0));        // clockwise: stored reversed
    w.AddSolid(Solid(0, 0, 10, 0, 10 + 1e-13, 0, 3, 3));  // within 1e-12: still a line
    w.EntLgrp[0].adScale = 2;
    conv.Settings.CB6 = true;
    ConvertDrawing(w);
    ASSERT_EQ(fig.Fig3DN(), 5);
    ExpectSegment(0, 0, 0, 20, 0);
    EXPECT_EQ(At(1).typ, kFigTypTri);
    EXPECT_EQ(At(1).p[2].x, 20);
    EXPECT_EQ(At(1).p[2].y, 20);
    EXPECT_EQ(At(2).typ, kFigTypSqr);
    EXPECT_EQ(At(3).typ, kFigTypSqr);
    for (int i = 2; i < 4; ++i) {
        const T3DdataField& q = At(i);
        EXPECT_TRUE(TFigList::FigIsCCW(q.p[0].x, q.p[0].y, q.p[1].x, q.p[1].y, q.p[2].x, q.p[2].y));
    }
    ExpectSegment(4, 0, 0, 20, 0);
}

// An arc of one or more whole turns placed through a block gives the segments of the same arc
// drawn in place, under every kind of insert.
TEST_F(WindowsConversion, WholeTurnsSurviveBlockPlacement) {
    struct Insert {
        const char* name;
        double sx, sy, rot;
        // The arc of centre (1, 2), radius 5, start 0.5 and sweep d drawn in place.
        TEntJwwEnko (*inPlace)(double d);
    };
    const Insert inserts[] = {
        {"identity", 1, 1, 0, [](double d) { return Curve(11, 22, 5, 0.5, d, 0); }},
        {"rotation", 1, 1, 0.3,
         [](double d) {
             return Curve(10 + std::cos(0.3) - 2 * std::sin(0.3),
                          20 + std::sin(0.3) + 2 * std::cos(0.3), 5, 0.8, d, 0);
         }},
        {"mirror", -1, 1, 0,
         [](double d) { return Curve(9, 22, 5, std::numbers::pi - 0.5, -d, 0); }},
        {"non-uniform scale", 2, 1, 0,
         [](double d) {
             TEntJwwEnko e = Curve(12, 22, 10, 0.5, d, 0);
             e.dHenpeiRitsu = 0.5;
             return e;
         }},
    };
    // Undirected segments, compared in any order.
    const auto segments = [&] {
        std::vector<std::array<double, 4>> out;
        for (int i = 0; i < fig.Fig3DN(); ++i) {
            const T3Dpoint &a = At(i).p[0], &b = At(i).p[1];
            const bool swap = std::tie(a.x, a.y) > std::tie(b.x, b.y);
            out.push_back(swap ? std::array{b.x, b.y, a.x, a.y} : std::array{a.x, a.y, b.x, b.y});
        }
        return out;
    };
    for (const double sweep : {kTurn, -kTurn, 1.5 * kTurn}) {
        for (const Insert& ins : inserts) {
            SCOPED_TRACE(testing::Message() << ins.name << " sweep " << sweep);
            TJwwWriter placed;
            TEntJwwBlockDef def;
            def.nNumber = 1;
            def.strName = "arc";
            test::AddMember(def, Curve(1, 2, 5, 0.5, sweep, 0));
            placed.AddBlockDef(def);
            TEntJwwBlock insert;
            insert.att = Att(2);
            insert.DPKijunTen_x = 10;
            insert.DPKijunTen_y = 20;
            insert.dBairitsuX = ins.sx;
            insert.dBairitsuY = ins.sy;
            insert.radKaitenKaku = ins.rot;
            insert.nNumber = 1;
            placed.AddBlock(insert);
            ConvertDrawing(placed);
            const auto got = segments();
            TJwwWriter drawn;
            drawn.AddArc(ins.inPlace(sweep));
            ConvertDrawing(drawn);
            const auto want = segments();
            ASSERT_EQ(got.size(), want.size());
            for (const auto& w : want) {
                const bool found = std::any_of(got.begin(), got.end(), [&](const auto& g) {
                    for (int k = 0; k < 4; ++k) {
                        if (std::fabs(g[k] - w[k]) > 1e-9) return false;
                    }
                    return true;
                });
                EXPECT_TRUE(found) << w[0] << " " << w[1] << " " << w[2] << " " << w[3];
            }
        }
    }
}

TEST_F(WindowsConversion, LinesAndFlatSolidsWithANonFiniteCoordinateAreDropped) {
    TJwwWriter w;
    w.AddLine(Line(0, 0, kNaN, 1));
    w.AddLine(Line(0, 0, 1, std::numeric_limits<double>::infinity()));
    w.AddSolid(Solid(0, 0, 10, 0, 10, 10, kNaN, 10));
    w.AddSolid(Solid(0, 0, 10, 0, 10, 10, 10, 10));
    TEntJwwSunpo d = Dimension(Att(2), 0);
    d.Sen.end_x = kNaN;
    w.AddDimension(d);
    conv.Settings.CB6 = true;
    ConvertDrawing(w);
    ASSERT_EQ(fig.Fig3DN(), 1);
    EXPECT_EQ(At(0).typ, kFigTypTri);
}

TEST_F(WindowsConversion, CurvedSolidsChooseTheirFill) {
    const double ch = 0.5, tilt = 0.2, sa = 0.4, da = 2.0;
    struct Case {
        const char* name;
        uint8_t kind;
        double code;
        std::function<void(TConverter&)> build;
    };
    // Centre (3, 4) and radius 8 on layer 0 with key 2, at scale 10.
    const Case cases[] = {
        {"101 code 100.7: full disc", 101, 100.7,
         [&](TConverter& c) { c.DataTransSubArc2(0, 2, 10, 3, 4, 8, ch, tilt, 0, kTurn); }},
        {"101 code 0: pie", 101, 0.9,
         [&](TConverter& c) { c.DataTransSubArc2(0, 2, 10, 3, 4, 8, ch, tilt, sa, da); }},
        {"101 code 5: bow", 101, 5,
         [&](TConverter& c) { c.DataTransSubArc3(0, 2, 10, 3, 4, 8, ch, tilt, sa, da); }},
        {"101 code -1: to the tangent corner", 101, -1,
         [&](TConverter& c) { c.DataTransSubArc4(0, 2, 10, 3, 4, 8, ch, tilt, sa, da); }},
        {"111 code 1: full outline", 111, 1,
         [&](TConverter& c) { c.DataTransSubArc1(0, 2, 10, 3, 4, 8, ch, tilt, 0, kTurn); }},
        {"111 code 0: arc outline", 111, 0,
         [&](TConverter& c) { c.DataTransSubArc1(0, 2, 10, 3, 4, 8, ch, tilt, sa, da); }},
        {"105 ring keeps the outer flattening", 105, 3,
         [&](TConverter& c) { c.DataTransSubArc5(0, 2, 10, 3, 4, 8, ch, 3, ch, tilt, sa, da); }},
        {"102 ring keeps the band width", 102, 6,
         [&](TConverter& c) {
             c.DataTransSubArc5(0, 2, 10, 3, 4, 8, ch, 6, (8 * ch - 8) / 6 + 1, tilt, sa, da);
         }},
        {"105 ring with no inner radius: pie", 105, 0,
         [&](TConverter& c) { c.DataTransSubArc2(0, 2, 10, 3, 4, 8, ch, tilt, sa, da); }},
        {"102 ring with no inner radius: pie", 102, 0,
         [&](TConverter& c) { c.DataTransSubArc2(0, 2, 10, 3, 4, 8, ch, tilt, sa, da); }},
        {"255 ring whose inner flattening vanishes: pie", 255, 1,
         [&](TConverter& c) { c.DataTransSubArc2(0, 2, 10, 3, 4, 8, ch, tilt, sa, da); }},
    };
    conv.Settings.CB6 = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TJwwWriter w;
        w.EntLgrp[0].adScale = 10;
        w.AddSolid(CurvedSolid(c.kind, 8, ch, tilt, sa, da, c.code));
        ConvertDrawing(w);
        ExpectPrimitives(Expected(c.build));
        EXPECT_GT(fig.Fig3DN(), 0);
    }
}

TEST_F(WindowsConversion, Ring105WithoutFlatteningIsAPie) {
    TJwwWriter w;
    w.AddSolid(CurvedSolid(105, 8, 0, 0, 0.4, 2.0, 3));
    conv.Settings.CB6 = true;
    ConvertDrawing(w);
    ExpectPrimitives(
        Expected([](TConverter& c) { c.DataTransSubArc2(0, 2, 1, 3, 4, 8, 0, 0, 0.4, 2.0); }));
}

TEST_F(WindowsConversion, OwnSolidColoursShareKeysAfterThePens) {
    TJwwWriter w;
    const uint32_t a = 0x00123456, b = 0x00654321;
    for (uint32_t c : {a, b, a}) {
        TEntJwwSolid s = Solid(0, 0, 1, 0, 1, 1, 0, 1, Att(10));
        s.Color = c;
        w.AddSolid(s);
    }
    conv.Settings.CB6 = true;
    ConvertDrawing(w);
    ASSERT_EQ(fig.Fig3DN(), 3);
    EXPECT_EQ(At(0).col, 266);
    EXPECT_EQ(At(1).col, 267);
    EXPECT_EQ(At(2).col, 266);
    EXPECT_EQ(fig.FigColKeyValue(266), static_cast<int32_t>(a));
    EXPECT_EQ(fig.FigColKeyValue(267), static_cast<int32_t>(b));
}

// ---- Filters on flags ----

TEST_F(WindowsConversion, DimensionAndHatchFlagsPerKind) {
    enum Kind { kLine, kCurve, kPoint, kSolid };
    struct Case {
        Kind kind;
        uint16_t flag;
        bool cb3Drops, cb4Drops;
    };
    const Case cases[] = {
        {kLine, 0x2000, true, false},   {kLine, 0x0040, false, false},
        {kLine, 0x0020, false, true},   {kCurve, 0x0040, true, false},
        {kCurve, 0x2000, false, false}, {kCurve, 0x0020, false, true},
        {kPoint, 0x0040, true, false},  {kPoint, 0x2000, false, false},
        {kPoint, 0x0020, false, true},  {kSolid, 0x2000, false, false},
        {kSolid, 0x0040, false, false}, {kSolid, 0x0020, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " flag " << c.flag);
        TJwwWriter w;
        const TEntJwwAttr a = Att(2, 0, 0, c.flag);
        if (c.kind == kLine) w.AddLine(Line(0, 0, 1, 0, a));
        if (c.kind == kCurve) w.AddArc(Curve(0, 0, 1, 0, 1, 0, a));
        if (c.kind == kPoint) w.AddPoint(Point(0, 0, a));
        if (c.kind == kSolid) w.AddSolid(Solid(0, 0, 1, 0, 1, 1, 0, 1, a));
        for (int off : {0, 3, 4}) {
            conv.Settings = {};
            conv.Settings.CB6 = true;
            if (off == 3) conv.Settings.CB3 = false;
            if (off == 4) conv.Settings.CB4 = false;
            ConvertDrawing(w);
            const bool drops = (off == 3 && c.cb3Drops) || (off == 4 && c.cb4Drops);
            EXPECT_EQ(fig.Fig3DN() == 0, drops) << "CB" << off << " off";
        }
    }
}

// ---- Scale ----

TEST_F(WindowsConversion, EveryEntityTakesTheScaleOfGroupZero) {
    TJwwWriter w;
    w.EntLgrp[0].adScale = 100;
    w.EntLgrp[1].adScale = 50;
    w.AddLine(Line(1, 2, 3, 4, Att(2, 0, 0)));
    w.AddLine(Line(1, 2, 3, 4, Att(2, 0, 1)));
    w.AddPoint(Point(2, 3, Att(2, 0, 1)));
    ConvertDrawing(w);
    ASSERT_EQ(fig.Fig3DN(), 4);
    ExpectSegment(0, 100, 200, 300, 400);
    ExpectSegment(1, 100, 200, 300, 400);
    EXPECT_EQ(At(1).lay, 16);
    ExpectSegment(2, 150, 300, 250, 300);  // the marker grows with the scale
    ExpectSegment(3, 200, 350, 200, 250);
}

TEST_F(WindowsConversion, BrokenGroupZeroScaleConvertsAtOne) {
    for (const double sc : {0.0, kNaN, std::numeric_limits<double>::infinity()}) {
        SCOPED_TRACE(sc);
        TJwwWriter w;
        w.EntLgrp[0].adScale = sc;
        w.AddLine(Line(1, 2, 3, 4));
        ConvertDrawing(w);
        ASSERT_EQ(fig.Fig3DN(), 1);
        ExpectSegment(0, 1, 2, 3, 4);

        TJwsHeaderValues h;
        h.adScale[0] = sc;
        ConvertSymbol(w, h);
        ASSERT_EQ(fig.Fig3DN(), 1);
        ExpectSegment(0, 1, 2, 3, 4);
    }
}

TEST_F(WindowsConversion, SymbolsUseTheirOwnGroupZeroScale) {
    TJwwWriter w;
    w.AddLine(Line(1, 2, 3, 4, Att(150, 2, 1)));
    w.AddArc(Curve(0, 0, 1, 0, 1, 1));
    TEntJwwBlockDef def;
    def.nNumber = 1;
    def.strName = "b";
    test::AddMember(def, Line(0, 0, 1, 0, Att(3)));
    w.AddBlockDef(def);
    TEntJwwBlock insert;
    insert.att = Att(1);
    insert.DPKijunTen_x = 5;
    insert.dBairitsuX = 1;
    insert.dBairitsuY = 1;
    insert.nNumber = 1;
    w.AddBlock(insert);
    TJwsHeaderValues h;
    h.adScale[0] = 20;
    h.adScale[1] = 7;
    ConvertSymbol(w, h);
    ASSERT_EQ(fig.Fig3DN(), 2 + 12);
    ExpectSegment(0, 20, 40, 60, 80);
    EXPECT_EQ(At(0).lay, 18);
    EXPECT_EQ(At(0).col, 59);
    ExpectSegment(1, 100, 0, 120, 0);  // the exploded block member
    EXPECT_EQ(At(1).col, 3);
    ExpectSegment(2, 20, 0, 20 * std::cos(kTurn / 12), 20 * std::sin(kTurn / 12));
    EXPECT_EQ(jws.EntBlockN, 0);
}

TEST_F(WindowsConversion, SymbolLayersAreNeverHidden) {
    TJwwWriter w;
    w.AddLine(Line(1, 2, 3, 4, Att(2, 15, 15)));
    conv.Settings.CB1 = false;
    ConvertSymbol(w);
    ASSERT_EQ(fig.Fig3DN(), 1);
    EXPECT_EQ(At(0).lay, 255);
}

// A drawing converted after another starts from an empty list and the new colour table.
TEST_F(WindowsConversion, EachFileStartsAfresh) {
    TJwwWriter first;
    TEntJwwSolid s = Solid(0, 0, 1, 0, 1, 1, 0, 1, Att(10));
    s.Color = 0x00ABCDEF;
    first.AddSolid(s);
    first.AddLine(Line(0, 0, 1, 1));
    conv.Settings.CB6 = true;
    ConvertDrawing(first);
    EXPECT_EQ(fig.Fig3DN(), 2);
    EXPECT_EQ(fig.FigColKeyN, 266);

    TJwwWriter second;
    second.AddLine(Line(5, 5, 6, 6));
    ConvertDrawing(second);
    ASSERT_EQ(fig.Fig3DN(), 1);
    ExpectSegment(0, 5, 5, 6, 6);
    EXPECT_EQ(fig.FigColKeyN, 265);
}

// Damaged symbols convert without a crash and within bounds: every prefix, and every byte
// patched to +1, -1, 0 and 0xFF.
TEST_F(WindowsConversion, DamagedSymbolsConvertSafely) {
    TJwwWriter w;
    w.AddLine(Line(1, 2, 3, 4));
    w.AddArc(Curve(0, 0, 5, 0.5, 2, 0));
    w.AddPoint(Point(1, 1));
    w.AddSolid(CurvedSolid(102, 8, 0.5, 0, 0.4, 2, 6));
    w.AddDimension(Dimension(Att(2), 1));
    TEntJwwBlockDef inner;
    inner.nNumber = 2;
    inner.strName = "i";
    test::AddMember(inner, Line(0, 0, 1, 0, Att(3)));
    TEntJwwBlockDef outer;
    outer.nNumber = 1;
    outer.strName = "o";
    test::AddMember(outer, Curve(0, 0, 1, 0, kTurn, 1));
    TEntJwwBlock insert;
    insert.att = Att(1);
    insert.dBairitsuX = insert.dBairitsuY = 2;
    insert.nNumber = 2;
    test::AddMember(outer, insert);
    w.AddBlockDef(inner);
    w.AddBlockDef(outer);
    insert.nNumber = 1;
    w.AddBlock(insert);
    const std::string full = test::JwsBytes(w);
    conv.Settings.CB6 = true;

    const auto convert = [&](const std::string& bytes) {
        jws.FileInBytes(Buffer(bytes));
        ResetAttributesForOtherFile(att);
        jws.SetGAttLayer(att);
        conv.DataTransJWS(jws);
        EXPECT_LE(fig.Fig3DN(), 100000);
    };
    for (size_t n = 0; n <= full.size(); ++n) {
        SCOPED_TRACE(n);
        convert(full.substr(0, n));
    }
    EXPECT_EQ(fig.Fig3DN(), 1 + 12 + 2 + 12 + 7 + 12 + 1);
    for (size_t i = 0; i < full.size(); ++i) {
        for (const int delta : {1, -1, 0x100, 0x1FF}) {
            SCOPED_TRACE(testing::Message() << "byte " << i << " change " << delta);
            std::string bytes = full;
            const int v = static_cast<unsigned char>(bytes[i]);
            bytes[i] = static_cast<char>(delta == 0x100 ? 0 : delta == 0x1FF ? 0xFF : v + delta);
            convert(bytes);
        }
    }
}

}  // namespace
}  // namespace velmora
