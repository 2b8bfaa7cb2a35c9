#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <span>
#include <vector>

#include "attr/GraAttribute.h"
#include "geometry/Converter.h"
#include "geometry/FigList.h"
#include "jwc/JwcData.h"
#include "jwc/JwkData.h"
#include "support/JwcEncoder.h"

namespace velmora {
namespace {

using test::TJwcArcRec;
using test::TJwcFile;
using test::TJwcLineRec;
using test::TJwcTenRec;
using test::TJwkFile;

std::span<const std::byte> Span(const std::vector<std::byte>& v) {
    return std::span(v.data(), v.size());
}

TJwcLineRec Line(float x1, float y1, float x2, float y2, uint8_t typ = 1, uint8_t col = 1,
                 uint8_t lay = 0) {
    TJwcLineRec e;
    e.x1 = x1;
    e.y1 = y1;
    e.x2 = x2;
    e.y2 = y2;
    e.typ = typ;
    e.col = col;
    e.lay = lay;
    return e;
}

struct DosConversion : ::testing::Test {
    TFigList fig;
    TgraAttribute att;
    TConverter conv{fig, att};
    TJwcData jwc;
    TJwkData jwk;

    void ConvertDrawing(const TJwcFile& f) {
        ASSERT_TRUE(jwc.FileInBytes(Span(test::EncodeJwc(f))));
        jwc.SetGAttLayer(att);
        conv.DataTransJWC(jwc);
    }
    void ConvertSymbol(const TJwkFile& f) {
        ASSERT_TRUE(jwk.FileInBytes(Span(test::EncodeJwk(f))));
        jwk.SetGAttLayer(att);
        conv.DataTransJWK(jwk);
    }
    void ExpectSegment(int i, double x1, double y1, double x2, double y2) {
        SCOPED_TRACE(i);
        ASSERT_LT(i, fig.Fig3DN());
        const T3DdataField& p = fig.Fig3D(static_cast<size_t>(i));
        EXPECT_EQ(p.typ, kFigTypLine);
        EXPECT_NEAR(p.p[0].x, x1, 1e-9);
        EXPECT_NEAR(p.p[0].y, y1, 1e-9);
        EXPECT_NEAR(p.p[1].x, x2, 1e-9);
        EXPECT_NEAR(p.p[1].y, y2, 1e-9);
    }
};

// The list is sized once, and exactly, from the counts taken before converting, arcs of any
// sweep and every marker shape included.
TEST_F(DosConversion, TheListIsSizedOnce) {
    TJwcFile f;
    f.lines.push_back({0, 0, 100, 0, 1, 2, 0});
    for (const double end : {0.0, 30.0, 359.0}) {
        test::TJwcArcRec a;
        a.r = 400;
        a.st = test::FixedDeg(10);
        a.et = test::FixedDeg(end);
        f.arcs.push_back(a);
    }
    f.tens.push_back({10, 10, 2, 5});
    conv.Settings.CB5 = true;
    conv.Settings.ArcSepLen = 3;
    for (int sep = 0; sep <= 2; ++sep) {
        for (int shape = 0; shape <= 7; ++shape) {
            SCOPED_TRACE(testing::Message() << sep << " " << shape);
            conv.Settings.ArcSepType = sep;
            conv.Settings.TenType = shape;
            ConvertDrawing(f);
            EXPECT_GT(fig.Fig3DN(), 3);
            EXPECT_EQ(fig.Fig3DMoves(), 0);
            EXPECT_EQ(fig.Entries().capacity(), static_cast<size_t>(fig.Fig3DN()));
        }
    }
}

TEST_F(DosConversion, DrawingsTakeTheFirstGroupScaleAndSymbolsNone) {
    TJwcFile d;
    d.psize = 99;
    d.groupScale[0] = 50;
    d.groupScale[1] = 7;  // other groups do not matter
    d.lines = {Line(1, 2, 3, 4, 1, 3, 0x17)};
    ConvertDrawing(d);
    ASSERT_EQ(fig.Fig3DN(), 1);
    ExpectSegment(0, 50, 100, 150, 200);
    EXPECT_EQ(fig.Fig3D(0).lay, 0x17);
    EXPECT_EQ(fig.Fig3D(0).col, 3);
    EXPECT_EQ(fig.FigColKeyN, 265);

    TJwkFile k;
    k.scale = "50";
    k.lines = d.lines;
    ConvertSymbol(k);
    ASSERT_EQ(fig.Fig3DN(), 1);
    ExpectSegment(0, 1, 2, 3, 4);
}

TEST_F(DosConversion, AnUnusableGroupScaleConvertsAtFullSize) {
    TJwcFile d;
    d.psize = 99;
    d.groupScale[0] = 0;
    d.lines = {Line(1, 2, 3, 4)};
    ConvertDrawing(d);
    ExpectSegment(0, 1, 2, 3, 4);
}

TEST_F(DosConversion, FiltersFollowTheirOwnFlags) {
    // Each entity is dropped by exactly one switched-off box; the flags of the other kinds
    // must not trigger it.
    const auto flags = [](uint8_t typ, uint8_t f1, uint8_t f2, uint8_t f3, uint8_t lay) {
        TJwcLineRec l = Line(0, 0, 1, 0, typ, 9, lay);
        l.flg1 = f1;
        l.flg2 = f2;
        l.flg3 = f3;
        TJwcArcRec a;
        a.r = 1;
        a.typ = typ;
        a.col = 9;
        a.lay = lay;
        a.flg1 = f1;
        a.flg2 = f2;
        a.flg3 = f3;
        TJwcTenRec t;
        t.lay = lay;
        t.flg1 = f1;
        t.flg2 = f2;
        return std::tuple{l, a, t};
    };
    struct Case {
        const char* name;
        uint8_t typ, f1, f2, f3, lay;
        bool TConvertSettings::*box;
        bool lineOut, arcOut, tenOut;
    };
    const Case cases[] = {
        {"hidden layer", 1, 0, 0, 0, 0x21, &TConvertSettings::CB1, true, true, true},
        {"aux type 9", 9, 0, 0, 0, 0, &TConvertSettings::CB2, true, true, false},
        {"aux colour alone", 1, 0, 0, 0, 0, &TConvertSettings::CB2, false, false, false},
        {"line dimension flg3", 1, 0, 0, 0x20, 0, &TConvertSettings::CB3, true, false, false},
        {"arc dimension flg2", 1, 0, 0x40, 0, 0, &TConvertSettings::CB3, false, true, false},
        {"point dimension flg1", 1, 0x40, 0, 0, 0, &TConvertSettings::CB3, false, false, true},
        {"hatch flg2", 1, 0, 0x20, 0, 0, &TConvertSettings::CB4, true, true, false},
        {"point hatch flg1", 1, 0x20, 0, 0, 0, &TConvertSettings::CB4, false, false, true},
        {"flg1 0x20 is no line hatch", 1, 0x20, 0, 0, 0, &TConvertSettings::CB4, false, false,
         true},
    };
    for (const Case& s : cases) {
        SCOPED_TRACE(s.name);
        auto [line, arc, ten] = flags(s.typ, s.f1, s.f2, s.f3, s.lay);
        TJwcFile d;
        d.psize = 99;
        d.groupDisp[2] = 0;  // group 2 hidden: layer 0x21 in state 3
        d.lines = {line};
        d.arcs = {arc};
        d.tens = {ten};
        for (bool on : {true, false}) {
            conv.Settings = TConvertSettings{};
            conv.Settings.*s.box = on;
            ConvertDrawing(d);
            int lines = 0, arcSegments = 0, tenSegments = 0;
            for (int i = 0; i < fig.Fig3DN(); ++i) {
                const T3DdataField& p = fig.Fig3D(static_cast<size_t>(i));
                if (p.col == 9 && p.p[0].y == 0 && p.p[1].y == 0 && p.p[1].x == 1)
                    ++lines;
                else if (p.col == 9)
                    ++arcSegments;
                else
                    ++tenSegments;
            }
            EXPECT_EQ(lines, (!on && s.lineOut) ? 0 : 1) << on;
            EXPECT_EQ(arcSegments, (!on && s.arcOut) ? 0 : 12) << on;
            EXPECT_EQ(tenSegments, (!on && s.tenOut) ? 0 : 2) << on;
        }
    }
}

TEST_F(DosConversion, EqualStartAndEndMakeAFullCircleFromZero) {
    TJwcFile d;
    d.psize = 99;
    TJwcArcRec a;
    a.x = 10;
    a.y = 20;
    a.r = 2;
    a.st = test::FixedDeg(30);
    a.et = test::FixedDeg(30);
    TJwcArcRec quarter = a;
    quarter.st = 0;
    quarter.et = test::FixedDeg(90);
    quarter.flattening = 5000;
    quarter.tt = test::FixedDeg(90);
    d.arcs = {a, quarter};
    d.groupScale[0] = 2;
    ConvertDrawing(d);
    ASSERT_EQ(fig.Fig3DN(), 24);
    ExpectSegment(0, 24, 40, 20 + 4 * std::cos(M_PI / 6), 40 + 4 * std::sin(M_PI / 6));
    ExpectSegment(11, 20 + 4 * std::cos(M_PI / 6 * 11), 40 + 4 * std::sin(M_PI / 6 * 11), 24, 40);
    // Quarter arc of an ellipse (other axis 1) tilted by 90 degrees: from (10, 22) to (9, 20).
    EXPECT_NEAR(fig.Fig3D(12).p[0].x, 20, 1e-9);
    EXPECT_NEAR(fig.Fig3D(12).p[0].y, 44, 1e-9);
    EXPECT_NEAR(fig.Fig3D(23).p[1].x, 18, 1e-9);
    EXPECT_NEAR(fig.Fig3D(23).p[1].y, 40, 1e-9);
}

TEST_F(DosConversion, PointsOnlyWithTheirBox) {
    TJwkFile k;
    TJwcTenRec plain, hatch;
    plain.x = 1;
    hatch.x = 5;
    hatch.flg1 = 0x20;
    k.tens = {plain, hatch};
    conv.Settings.CB5 = false;
    ConvertSymbol(k);
    EXPECT_EQ(fig.Fig3DN(), 0);
    conv.Settings.CB5 = true;
    conv.Settings.CB4 = false;
    ConvertSymbol(k);
    ASSERT_EQ(fig.Fig3DN(), 2);
    ExpectSegment(0, 0.5, 0, 1.5, 0);
    conv.Settings.CB4 = true;
    ConvertSymbol(k);
    EXPECT_EQ(fig.Fig3DN(), 4);
}

TEST_F(DosConversion, TextsAndVirtualPointsYieldNothing) {
    TJwcFile d;
    test::TJwcTextRec t;
    t.text = "note";
    d.texts = {t, t};
    d.vtenX[0] = 5;
    // A list left from an earlier file is emptied first.
    conv.DataTransSubLine(0, 1, 0, 0, 1, 1);
    ConvertDrawing(d);
    EXPECT_EQ(fig.Fig3DN(), 0);

    TJwkFile k;
    k.texts = {t};
    ConvertSymbol(k);
    EXPECT_EQ(fig.Fig3DN(), 0);
}

TEST_F(DosConversion, LinesWithCoordinatesThatAreNoNumberAreDropped) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    TJwcFile d;
    d.psize = 99;
    d.groupScale[0] = 1e30f;  // 1e30 * 1e10 is still finite in double
    d.lines = {Line(nan, 0, 1, 1), Line(0, inf, 1, 1), Line(0, 0, 1e10f, 1)};
    ConvertDrawing(d);
    ASSERT_EQ(fig.Fig3DN(), 1);
    EXPECT_DOUBLE_EQ(fig.Fig3D(0).p[1].x, static_cast<double>(1e30f) * static_cast<double>(1e10f));
}

TEST_F(DosConversion, ATruncatedDrawingConvertsWhatWasRead) {
    TJwcFile d;
    d.psize = 99;
    d.lines = {Line(0, 0, 1, 1), Line(0, 0, 2, 2)};
    d.lineCount = 1000;  // more than the file holds: the whole records there are read
    ASSERT_FALSE(jwc.FileInBytes(Span(test::EncodeJwc(d))));
    jwc.SetGAttLayer(att);
    conv.DataTransJWC(jwc);
    // The two lines come first; the bytes after them are read as the records they fill.
    ASSERT_GE(fig.Fig3DN(), 2);
    EXPECT_DOUBLE_EQ(fig.Fig3D(0).p[1].x, 1.0);
    EXPECT_DOUBLE_EQ(fig.Fig3D(1).p[1].x, 2.0);
}

}  // namespace
}  // namespace velmora
