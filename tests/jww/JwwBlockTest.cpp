#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <numbers>

#include "JwwTestHelpers.h"
#include "jww/JwwBlock.h"
#include "support/TestFiles.h"

namespace velmora::test {
namespace {

constexpr double kPi = std::numbers::pi;

TEntJwwBlock Insert(uint32_t number, double x, double y, double sx = 1, double sy = 1,
                    double rot = 0) {
    TEntJwwBlock b;
    b.att = Attr(1, 5, 2);
    b.DPKijunTen_x = x;
    b.DPKijunTen_y = y;
    b.dBairitsuX = sx;
    b.dBairitsuY = sy;
    b.radKaitenKaku = rot;
    b.nNumber = number;
    return b;
}

TEntJwwBlockDef Def(uint32_t number, std::string name) {
    TEntJwwBlockDef d;
    d.att = Attr(3, 9, 4);
    d.nNumber = number;
    d.strName = std::move(name);
    return d;
}

// Entity arrays built in memory, as a reader leaves them.
struct TScene {
    TJwwEntities ents;
    int32_t n1 = 0;
    int32_t n2 = 0;
    std::vector<TEntJwwLayerGroup> groups = std::vector<TEntJwwLayerGroup>(16);

    TScene() {
        for (TEntJwwLayerGroup& g : groups)
            g.adScale = 1;
    }
    void AddDef(const TEntJwwBlockDef& d) {
        ents.EntBlockDef.push_back(d);
        ents.EntBlockDefN = ++n2;
    }
    void AddInsert(const TEntJwwBlock& b) {
        ents.EntBlock.push_back(b);
        ents.EntNo.push_back({kJwwBlock, ents.EntBlockN++});
        ++n1;
    }
    void AddLine(const TEntJwwLine& l) {
        ents.EntLine.push_back(l);
        ents.EntNo.push_back({kJwwLine, ents.EntLineN++});
        ++n1;
    }
    bool Explode(const TBlockBudget& budget = {}) {
        MakeBlockTree(ents, budget);
        return BlockExplode(ents, n1, n2, groups, budget);
    }
};

// One member placed once by an insert with the given scale and rotation at (px, py).
template <class T>
TScene PlaceOne(const T& member, double sx, double sy, double rot, double px = 0, double py = 0) {
    TScene s;
    TEntJwwBlockDef d = Def(1, "D");
    AddMember(d, member);
    s.AddDef(d);
    s.AddInsert(Insert(1, px, py, sx, sy, rot));
    EXPECT_TRUE(s.Explode());
    return s;
}

TEntJwwEnko Arc(double r, double f, double tilt, double start, double sweep, bool full) {
    TEntJwwEnko e = Circle(3, -2, r);
    e.dHenpeiRitsu = f;
    e.radKatamukiKaku = tilt;
    e.radKaishiKaku = start;
    e.radEnkoKaku = sweep;
    e.bZenEnFlg = full ? 1 : 0;
    return e;
}

void ArcPoint(const TEntJwwEnko& e, double phi, double& x, double& y) {
    const double lx = e.dHankei * std::cos(phi), ly = e.dHankei * e.dHenpeiRitsu * std::sin(phi);
    const double c = std::cos(e.radKatamukiKaku), s = std::sin(e.radKatamukiKaku);
    x = e.start_x + c * lx - s * ly;
    y = e.start_y + s * lx + c * ly;
}

void Map(double sx, double sy, double rot, double px, double py, double& x, double& y) {
    const double u = x * sx, v = y * sy;
    x = px + u * std::cos(rot) - v * std::sin(rot);
    y = py + u * std::sin(rot) + v * std::cos(rot);
}

// The image of every source point lies on the new ellipse, and an arc's new ends and middle are
// the images of the source ends (exchanged under a mirror) and middle.
TEST(JwwBlockEnko, ImagePointsLieOnTheExplodedEllipse) {
    struct Case {
        TEntJwwEnko e;
        double sx, sy, rot;
    };
    const Case cases[] = {
        {Arc(10, 1, 0, 0, 2 * kPi, true), 2, 1, 0},
        {Arc(10, 1, 0, 0, 2 * kPi, true), 1, 2, 0},
        {Arc(10, 1, 0, 0, kPi / 2, false), -1, 1, 0},
        {Arc(10, 0.5, 0.3, 0, 2 * kPi, true), 3, 3, 0},
        {Arc(10, 0.5, 0.3, 0, 2 * kPi, true), 3, 3, kPi / 6},
        {Arc(10, 0.5, 0.3, 0.4, 2.0, false), 2, -3, 0.7},
        {Arc(7, 0.3, 1.1, 5.5, 1.5, false), 1.5, 0.4, 2.5},
        {Arc(7, 1, 0, 1.0, -2.0, false), 1, 1, kPi / 2},
        {Arc(4, 2.0, 0.2, 3.0, 4.0, false), -2, -0.5, 1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sx << " " << c.sy << " " << c.rot);
        const TScene s = PlaceOne(c.e, c.sx, c.sy, c.rot, 100, 50);
        ASSERT_EQ(s.ents.EntEnkoN, 1);
        const TEntJwwEnko& r = s.ents.EntEnko[0];
        EXPECT_GT(r.dHankei, 0);
        const double minor = r.dHankei * r.dHenpeiRitsu;
        for (int i = 0; i < 24; ++i) {
            double x = 0, y = 0;
            ArcPoint(c.e, i * kPi / 12, x, y);
            Map(c.sx, c.sy, c.rot, 100, 50, x, y);
            const double dx = x - r.start_x, dy = y - r.start_y;
            const double u = dx * std::cos(r.radKatamukiKaku) + dy * std::sin(r.radKatamukiKaku);
            const double v = -dx * std::sin(r.radKatamukiKaku) + dy * std::cos(r.radKatamukiKaku);
            EXPECT_NEAR(u * u / (r.dHankei * r.dHankei) + v * v / (minor * minor), 1, 1e-9);
        }
        EXPECT_EQ(r.bZenEnFlg, c.e.bZenEnFlg);
        if (c.e.bZenEnFlg == 1) continue;
        EXPECT_GE(r.radEnkoKaku, 0);
        const bool mirror = c.sx * c.sy < 0;
        const double s0 = c.e.radKaishiKaku, d0 = c.e.radEnkoKaku;
        const double from = d0 >= 0 ? s0 : s0 + d0, to = d0 >= 0 ? s0 + d0 : s0;
        const double expect[3] = {mirror ? to : from, s0 + d0 / 2, mirror ? from : to};
        const double got[3] = {r.radKaishiKaku, r.radKaishiKaku + r.radEnkoKaku / 2,
                               r.radKaishiKaku + r.radEnkoKaku};
        for (int k = 0; k < 3; ++k) {
            double ex = 0, ey = 0, gx = 0, gy = 0;
            ArcPoint(c.e, expect[k], ex, ey);
            Map(c.sx, c.sy, c.rot, 100, 50, ex, ey);
            ArcPoint(r, got[k], gx, gy);
            EXPECT_NEAR(gx, ex, 1e-7) << k;
            EXPECT_NEAR(gy, ey, 1e-7) << k;
        }
    }
}

TEST(JwwBlockEnko, CircleUnderUnequalScalesBecomesEllipseAlongTheLongerAxis) {
    const TScene a = PlaceOne(Circle(0, 0, 10), 2, 1, 0);
    EXPECT_NEAR(a.ents.EntEnko[0].dHankei, 20, 1e-12);
    EXPECT_NEAR(a.ents.EntEnko[0].dHenpeiRitsu, 0.5, 1e-12);
    EXPECT_NEAR(a.ents.EntEnko[0].radKatamukiKaku, 0, 1e-12);
    const TScene b = PlaceOne(Circle(0, 0, 10), 1, 2, 0);
    EXPECT_NEAR(b.ents.EntEnko[0].dHankei, 20, 1e-12);
    EXPECT_NEAR(b.ents.EntEnko[0].dHenpeiRitsu, 0.5, 1e-12);
    EXPECT_NEAR(b.ents.EntEnko[0].radKatamukiKaku, kPi / 2, 1e-12);
}

TEST(JwwBlockEnko, QuarterArcMirroredStaysCounterClockwise) {
    const TScene s = PlaceOne(Arc(10, 1, 0, 0, kPi / 2, false), -1, 1, 0);
    const TEntJwwEnko& r = s.ents.EntEnko[0];
    EXPECT_NEAR(r.radKatamukiKaku, kPi, 1e-12);
    EXPECT_NEAR(r.radKaishiKaku, 3 * kPi / 2, 1e-12);
    EXPECT_NEAR(r.radEnkoKaku, kPi / 2, 1e-12);
    EXPECT_NEAR(r.dHenpeiRitsu, 1, 1e-12);
}

// A circle has no axis of its own to find: turned with its insert it keeps its start where the
// insert turns it, whatever the rounding of the math library.
TEST(JwwBlockEnko, TurnedCircleFollowsTheInsertRotation) {
    const struct {
        double sx, sy, rot;
    } cases[] = {{1, 1, 0.7}, {2.5, 2.5, 1.9}, {-1, 1, 0.4}, {1, 1, -2.2}, {3, -3, 3.0}};
    for (const auto& c : cases) {
        const TScene s = PlaceOne(Arc(10, 1, 0.25, 0, 2 * kPi, true), c.sx, c.sy, c.rot);
        const TEntJwwEnko& r = s.ents.EntEnko[0];
        // The point the source starts at, carried by the insert, is where the image starts.
        double gx = 0, gy = 0;
        ArcPoint(r, r.radKaishiKaku, gx, gy);
        const double ux = std::cos(0.25) * c.sx, uy = std::sin(0.25) * c.sy;
        const double ex = ux * std::cos(c.rot) - uy * std::sin(c.rot);
        const double ey = ux * std::sin(c.rot) + uy * std::cos(c.rot);
        EXPECT_NEAR(gx - r.start_x, 10 * ex, 1e-9) << c.rot;
        EXPECT_NEAR(gy - r.start_y, 10 * ey, 1e-9) << c.rot;
        EXPECT_NEAR(r.dHenpeiRitsu, 1, 1e-12);
    }
}

TEST(JwwBlockEnko, UniformScaleKeepsFlatteningAndAddsRotationToTilt) {
    const TEntJwwEnko e = Arc(10, 0.5, 0.3, 0, 2 * kPi, true);
    const TScene a = PlaceOne(e, 3, 3, 0);
    EXPECT_DOUBLE_EQ(a.ents.EntEnko[0].dHankei, 30);
    EXPECT_NEAR(a.ents.EntEnko[0].dHenpeiRitsu, 0.5, 1e-15);
    EXPECT_NEAR(a.ents.EntEnko[0].radKatamukiKaku, 0.3, 1e-15);
    const TScene b = PlaceOne(e, 3, 3, kPi / 6);
    EXPECT_NEAR(b.ents.EntEnko[0].dHankei, 30, 1e-12);
    EXPECT_NEAR(b.ents.EntEnko[0].dHenpeiRitsu, 0.5, 1e-12);
    EXPECT_NEAR(b.ents.EntEnko[0].radKatamukiKaku, 0.3 + kPi / 6, 1e-12);
}

TEST(JwwBlockTree, EmptyDrawingAndDrawingWithoutInsertsStayAsTheyAre) {
    TScene s;
    EXPECT_TRUE(s.Explode());
    s.AddLine(Line(1, 2, 3, 4));
    s.AddDef(Def(1, "unused"));
    s.ents.EntBlockNum = 7;
    EXPECT_TRUE(MakeBlockTree(s.ents));
    EXPECT_EQ(s.ents.EntBlockTreeN, 0);
    EXPECT_EQ(s.ents.EntBlockNum, 7);  // left as it was
    EXPECT_EQ(s.ents.EntBlockDef[0].ref_no, -1);
    EXPECT_TRUE(BlockExplode(s.ents, s.n1, s.n2, s.groups));
    EXPECT_EQ(s.ents.EntLineN, 1);
    EXPECT_EQ(s.n1, 1);
    EXPECT_EQ(s.ents.EntBlockDefN, 1);
}

// Definition A holds B at (10, 0); the drawing places A at (100, 100) turned by 90 degrees.
TJwwWriter NestedDrawing() {
    TJwwWriter w(700);
    w.AddLine(Line(0, 0, 1, 1));
    TEntJwwBlockDef unused = Def(7, "unused");
    AddMember(unused, Line(0, 0, 5, 5));
    TEntJwwBlockDef a = Def(1, "A");
    AddMember(a, Line(0, 0, 0, 1));
    AddMember(a, Insert(2, 10, 0));
    TEntJwwBlockDef b = Def(2, "B");
    AddMember(b, Line(3, 4, 5, 6));
    AddMember(b, Circle(3, 4, 1));
    w.AddBlockDef(unused);
    w.AddBlockDef(a);
    w.AddBlockDef(b);
    w.AddBlock(Insert(1, 100, 100, 1, 1, kPi / 2));
    w.AddLine(Line(2, 2, 3, 3));
    return w;
}

TEST(JwwBlockTree, NestedInsertCarriesTheAccumulatedMatrix) {
    TJwwData d;
    ASSERT_TRUE(ReadJww(d, NestedDrawing().Bytes())) << d.LastError();
    ASSERT_EQ(d.EntBlockTreeN, 2);
    const TEntJwwBlockTree& top = d.EntBlockTree[0];
    const TEntJwwBlockTree& nested = d.EntBlockTree[1];
    EXPECT_EQ(top.defno, 1);
    EXPECT_EQ(top.name, "A");
    EXPECT_EQ(nested.level, 1);
    EXPECT_EQ(nested.parent, 0);
    EXPECT_EQ(nested.no, 2u);
    EXPECT_EQ(nested.defno, 2);
    EXPECT_EQ(nested.att.nGLayer, 4);  // the containing definition's attribute
    EXPECT_NEAR(nested.x, 100, 1e-12);
    EXPECT_NEAR(nested.y, 110, 1e-12);
    EXPECT_EQ(d.EntBlockDef[0].ref_no, -1);
    EXPECT_EQ(d.EntBlockDef[1].ref_no, 0);
    EXPECT_EQ(d.EntBlockDef[2].ref_no, 1);
    EXPECT_EQ(d.EntBlockNum, 2);

    ASSERT_TRUE(d.BlockExplode());
    // Own lines first, then A's line, then B's members.
    ASSERT_EQ(d.EntLineN, 4);
    EXPECT_DOUBLE_EQ(d.EntLine[1].start_x, 2);
    EXPECT_NEAR(d.EntLine[2].end_x, 99, 1e-12);
    EXPECT_NEAR(d.EntLine[2].end_y, 100, 1e-12);
    const TEntJwwLine& l = d.EntLine[3];
    EXPECT_NEAR(l.start_x, 100 - 4, 1e-12);
    EXPECT_NEAR(l.start_y, 110 + 3, 1e-12);
    EXPECT_NEAR(l.end_x, 100 - 6, 1e-12);
    EXPECT_NEAR(l.end_y, 110 + 5, 1e-12);
    EXPECT_NEAR(d.EntEnko[0].start_x, 96, 1e-12);
    EXPECT_NEAR(d.EntEnko[0].start_y, 113, 1e-12);

    // File order: line, insert, line; then the expanded members.
    const std::vector<TEntJwwNo> order = {{kJwwLine, 0}, {kJwwNone, 0}, {kJwwLine, 1},
                                          {kJwwLine, 2}, {kJwwLine, 3}, {kJwwEnko, 0}};
    ASSERT_EQ(d.EntNo.size(), order.size());
    for (size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(d.EntNo[i].EntType, order[i].EntType) << i;
        EXPECT_EQ(d.EntNo[i].EntNo, order[i].EntNo) << i;
    }
    EXPECT_EQ(d.Enthd.n1, 6);
    EXPECT_EQ(d.Enthd.n2, 0);
    EXPECT_EQ(d.EntBlockN, 0);
    EXPECT_EQ(d.EntBlockDefN, 0);
    EXPECT_EQ(d.EntBlockTreeN, 0);
    EXPECT_EQ(d.EntBlockNum, 0);
    EXPECT_TRUE(d.BlockExplode());
    EXPECT_EQ(d.EntLineN, 4);
}

TEST(JwwBlockTree, InsertOfMissingDefinitionAddsNothing) {
    TScene s;
    TEntJwwBlockDef d = Def(1, "D");
    AddMember(d, Line(0, 0, 1, 0));
    s.AddDef(d);
    s.AddInsert(Insert(99, 0, 0));
    s.AddInsert(Insert(1, 5, 5));
    MakeBlockTree(s.ents);
    ASSERT_EQ(s.ents.EntBlockTreeN, 2);
    EXPECT_EQ(s.ents.EntBlockTree[0].defno, -1);
    EXPECT_TRUE(s.ents.EntBlockTree[0].name.empty());
    ASSERT_TRUE(BlockExplode(s.ents, s.n1, s.n2, s.groups));
    ASSERT_EQ(s.ents.EntLineN, 1);
    EXPECT_DOUBLE_EQ(s.ents.EntLine[0].start_x, 5);
    EXPECT_EQ(s.n1, 3);
}

TEST(JwwBlockTree, FirstDefinitionOfANumberWins) {
    TScene s;
    TEntJwwBlockDef first = Def(1, "first");
    AddMember(first, Line(0, 0, 1, 0));
    TEntJwwBlockDef second = Def(1, "second");
    AddMember(second, Circle(0, 0, 1));
    s.AddDef(first);
    s.AddDef(second);
    s.AddInsert(Insert(1, 0, 0));
    ASSERT_TRUE(s.Explode());
    EXPECT_EQ(s.ents.EntLineN, 1);
    EXPECT_EQ(s.ents.EntEnkoN, 0);
}

TEST(JwwBlockExplode, LayerOfInsertUnlessBit40KeepsMembersOwn) {
    for (uint8_t style : {uint8_t{1}, uint8_t{0x41}}) {
        SCOPED_TRACE(int(style));
        TScene s;
        TEntJwwBlockDef d = Def(1, "D");
        TEntJwwLine l = Line(0, 0, 1, 0);
        l.att.nGLayer = 7;
        l.att.nLayer = 11;
        AddMember(d, l);
        TEntJwwSunpo dim = Dimension(false);
        AddMember(d, dim);
        s.AddDef(d);
        TEntJwwBlock b = Insert(1, 0, 0);
        b.att.nPenStyle = style;
        s.AddInsert(b);
        ASSERT_TRUE(s.Explode());
        const bool own = style & 0x40;
        EXPECT_EQ(s.ents.EntLine[0].att.nGLayer, own ? 7 : 2);
        EXPECT_EQ(s.ents.EntLine[0].att.nLayer, own ? 11 : 5);
        const TEntJwwSunpo& r = s.ents.EntSunpo[0];
        const TEntJwwAttr* src[] = {&dim.att,     &dim.Sen.att, &dim.Moji.att,
                                    &dim.Ho1.att, &dim.Ho2.att, &dim.Te1.att,
                                    &dim.Te2.att, &dim.Kt1.att, &dim.Kt2.att};
        const TEntJwwAttr* got[] = {&r.att,     &r.Sen.att, &r.Moji.att, &r.Ho1.att, &r.Ho2.att,
                                    &r.Te1.att, &r.Te2.att, &r.Kt1.att,  &r.Kt2.att};
        for (size_t i = 0; i < 9; ++i) {
            EXPECT_EQ(got[i]->nGLayer, own ? src[i]->nGLayer : 2) << i;
            EXPECT_EQ(got[i]->nLayer, own ? src[i]->nLayer : 5) << i;
        }
        EXPECT_EQ(s.ents.EntLine[0].att.nPenColor, l.att.nPenColor);
    }
}

TEST(JwwBlockExplode, MarkerPointTurnsWithTheInsert) {
    TEntJwwTen marker;
    marker.att = Attr(1);
    marker.att.nPenStyle = 100;
    marker.start_x = 1;
    marker.nCode = 4;
    marker.radKaitenKaku = 0.25;
    marker.dBairitsu = 3;
    marker.bKariten = 1;
    const TScene a = PlaceOne(marker, 1, 1, kPi / 2);
    EXPECT_NEAR(a.ents.EntTen[0].radKaitenKaku, 0.25 + kPi / 2, 1e-12);
    EXPECT_NEAR(a.ents.EntTen[0].start_y, 1, 1e-12);
    EXPECT_EQ(a.ents.EntTen[0].nCode, 4u);
    EXPECT_EQ(a.ents.EntTen[0].dBairitsu, 3);
    EXPECT_EQ(a.ents.EntTen[0].bKariten, 1u);
    const TScene b = PlaceOne(marker, 1, 1, kPi);
    EXPECT_NEAR(b.ents.EntTen[0].radKaitenKaku, 0.25 + 2 * kPi, 1e-12);
    TEntJwwTen plain = marker;
    plain.att.nPenStyle = 1;
    const TScene c = PlaceOne(plain, 1, 1, kPi / 2);
    EXPECT_EQ(c.ents.EntTen[0].nCode, 0u);
    EXPECT_EQ(c.ents.EntTen[0].radKaitenKaku, 0);
    EXPECT_EQ(c.ents.EntTen[0].dBairitsu, 1);
}

TEntJwwSolid CurvedSolid(uint8_t kind, double sweep, double code) {
    TEntJwwSolid s;
    s.att = Attr(10);
    s.att.nPenStyle = kind;
    s.start_x = 1;
    s.start_y = 2;
    s.end_x = 10;  // semi-axis
    s.end_y = 1;   // flattening
    s.DPoint2_x = 0;
    s.DPoint2_y = 0.5;
    s.DPoint3_x = sweep;
    s.DPoint3_y = code;
    s.Color = 0x123456;
    return s;
}

TEST(JwwBlockExplode, SolidsMapCornersOrCurves) {
    TEntJwwSolid quad = CurvedSolid(1, 0, 0);
    quad.end_x = 3;
    quad.end_y = 4;
    quad.DPoint2_x = 5;
    quad.DPoint2_y = 6;
    quad.DPoint3_x = 7;
    quad.DPoint3_y = 8;
    const TScene q = PlaceOne(quad, 2, 2, 0, 10, 0);
    const TEntJwwSolid& rq = q.ents.EntSolid[0];
    EXPECT_DOUBLE_EQ(rq.start_x, 12);
    EXPECT_DOUBLE_EQ(rq.DPoint3_y, 16);
    EXPECT_EQ(rq.Color, 0x123456u);

    // A full ring under a non-uniform scale keeps its start and sweep.
    const TScene ring = PlaceOne(CurvedSolid(105, 2 * kPi, 4), 2, 1, 0);
    const TEntJwwSolid& r = ring.ents.EntSolid[0];
    EXPECT_NEAR(r.end_x, 20, 1e-12);
    EXPECT_NEAR(r.end_y, 0.5, 1e-12);
    EXPECT_NEAR(r.DPoint3_y, 8, 1e-12);
    EXPECT_DOUBLE_EQ(r.DPoint2_y, 0.5);
    EXPECT_DOUBLE_EQ(r.DPoint3_x, 2 * kPi);

    // A partial disc of kind 101 maps its arc ends; its code is kept.
    const TScene disc = PlaceOne(CurvedSolid(101, kPi / 2, 3), -1, 1, 0);
    const TEntJwwSolid& dsc = disc.ents.EntSolid[0];
    EXPECT_DOUBLE_EQ(dsc.DPoint3_y, 3);
    EXPECT_NEAR(dsc.DPoint3_x, kPi / 2, 1e-12);
    EXPECT_NEAR(dsc.start_x, -1, 1e-12);
}

TEST(JwwBlockExplode, ZeroScaleGivesFiniteValues) {
    TScene s;
    TEntJwwBlockDef d = Def(1, "D");
    AddMember(d, Line(1, 2, 3, 4));
    AddMember(d, Arc(10, 0.5, 0.3, 0.2, 1.0, false));
    AddMember(d, Circle(1, 1, 5));
    TEntJwwTen marker;
    marker.att.nPenStyle = 100;
    AddMember(d, marker);
    AddMember(d, Text("abc"));
    AddMember(d, Text("^@BMpic,0,75,1,2,3,4"));
    TEntJwwSunpo dim = Dimension(true);
    dim.Moji.att.nPenWidth = 0x02 | 0x20;
    AddMember(d, dim);
    AddMember(d, CurvedSolid(106, 1.0, 0));
    AddMember(d, CurvedSolid(120, 1.0, 2));
    s.AddDef(d);
    for (const auto& [sx, sy] : {std::pair{0.0, 1.0}, {1.0, 0.0}, {0.0, 0.0}})
        s.AddInsert(Insert(1, 5, 5, sx, sy, 0.4));
    ASSERT_TRUE(s.Explode());
    const auto finite = [](std::initializer_list<double> vs) {
        for (double v : vs)
            if (!std::isfinite(v)) return false;
        return true;
    };
    for (const TEntJwwEnko& e : s.ents.EntEnko)
        EXPECT_TRUE(finite({e.start_x, e.start_y, e.dHankei, e.dHenpeiRitsu, e.radKaishiKaku,
                            e.radEnkoKaku, e.radKatamukiKaku}));
    for (const TEntJwwMoji& m : s.ents.EntMoji) {
        EXPECT_TRUE(finite(
            {m.start_x, m.start_y, m.end_x, m.end_y, m.dSizeX, m.dSizeY, m.dKankaku, m.degKakudo}));
        EXPECT_GE(m.dSizeX, 0.0001);
    }
    for (const TEntJwwSunpo& m : s.ents.EntSunpo)
        EXPECT_TRUE(finite({m.Moji.start_x, m.Moji.end_x, m.Moji.dSizeX, m.Te1.radKaitenKaku}));
    for (const TEntJwwSolid& m : s.ents.EntSolid)
        EXPECT_TRUE(finite(
            {m.start_x, m.end_x, m.end_y, m.DPoint2_x, m.DPoint2_y, m.DPoint3_x, m.DPoint3_y}));
    EXPECT_EQ(s.ents.EntEnkoN, 6);
}

// Processor time, so that other work on a shared machine does not count.
double Seconds(std::clock_t since) {
    return static_cast<double>(std::clock() - since) / CLOCKS_PER_SEC;
}

TEST(JwwBlockBounds, SelfAndMutuallyReferencingDefinitionsStop) {
    TScene s;
    TEntJwwBlockDef a = Def(1, "A");
    AddMember(a, Line(0, 0, 1, 0));
    AddMember(a, Insert(1, 1, 0));
    AddMember(a, Insert(2, 0, 1));
    TEntJwwBlockDef b = Def(2, "B");
    AddMember(b, Line(0, 0, 0, 1));
    AddMember(b, Insert(1, 2, 0));
    s.AddDef(a);
    s.AddDef(b);
    s.AddInsert(Insert(1, 0, 0));
    const std::clock_t start = std::clock();
    EXPECT_TRUE(MakeBlockTree(s.ents));
    // A; under it A (stops) and B; under B, A (stops).
    ASSERT_EQ(s.ents.EntBlockTreeN, 4);
    EXPECT_EQ(s.ents.EntBlockTree[3].parent, 2);
    EXPECT_EQ(s.ents.EntBlockTree[3].defno, 0);
    ASSERT_TRUE(BlockExplode(s.ents, s.n1, s.n2, s.groups));
    EXPECT_EQ(s.ents.EntLineN, 4);
    EXPECT_LT(Seconds(start), 0.5);
}

// Nine levels each placing the next ten times: 10^9 placements nominally.
TScene ExponentialScene() {
    TScene s;
    for (uint32_t level = 1; level <= 9; ++level) {
        TEntJwwBlockDef d = Def(level, "L" + std::to_string(level));
        AddMember(d, Line(0, 0, 1, 1));
        if (level < 9) {
            for (int i = 0; i < 10; ++i)
                AddMember(d, Insert(level + 1, i, 0));
        }
        s.AddDef(d);
    }
    s.AddInsert(Insert(1, 0, 0));
    for (int i = 0; i < 10; ++i)
        s.AddInsert(Insert(2, 0, i));
    return s;
}

TEST(JwwBlockBounds, ExponentialNestingStopsAtTheBudget) {
    TScene s = ExponentialScene();
    const std::clock_t start = std::clock();
    EXPECT_FALSE(MakeBlockTree(s.ents));
    EXPECT_EQ(s.ents.EntBlockTreeN, kMaxBlockTreeNodes);
    EXPECT_EQ(s.ents.BudgetStop, "block tree budget");  // reported as a partial conversion
    EXPECT_GE(s.ents.EntBlockNum, 6);
    TJwwBlockExploder x(s.ents, s.n1, s.groups);
    ASSERT_TRUE(x.BlockExplode(s.n2));
    EXPECT_FALSE(x.Truncated());
    // One line per node: breadth first, the budget holds whole upper levels.
    EXPECT_EQ(s.ents.EntLineN, kMaxBlockTreeNodes);
    EXPECT_EQ(s.n1, 11 + s.ents.EntLineN);
    EXPECT_EQ(s.ents.EntBlockTreeN, 0);
    EXPECT_LT(Seconds(start), 1.5);  // sanitizer builds included
}

TEST(JwwBlockBounds, LongChainOfDistinctDefinitionsStopsAtTheWalkBudget) {
    TScene s;
    constexpr uint32_t kDefs = 20000;
    for (uint32_t i = 1; i <= kDefs; ++i) {
        TEntJwwBlockDef d = Def(i, "C");
        AddMember(d, Line(0, 0, 1, 0));
        AddMember(d, Insert(i + 1, 1, 0));
        s.AddDef(d);
    }
    s.AddInsert(Insert(1, 0, 0));
    const std::clock_t start = std::clock();
    EXPECT_FALSE(MakeBlockTree(s.ents));
    EXPECT_GT(s.ents.EntBlockTreeN, 1000);
    EXPECT_LT(s.ents.EntBlockTreeN, static_cast<int32_t>(kDefs));
    ASSERT_TRUE(BlockExplode(s.ents, s.n1, s.n2, s.groups));
    EXPECT_EQ(s.ents.EntLineN, s.n1 - 1);
    EXPECT_LT(Seconds(start), 1.0);
}

TEST(JwwBlockBounds, EntityBudgetCutsTheExpansionAndStillCleansUp) {
    TScene s = ExponentialScene();
    TBlockBudget budget;
    budget.maxNodes = 5000;
    budget.maxEntities = 123;
    EXPECT_FALSE(MakeBlockTree(s.ents, budget));
    EXPECT_EQ(s.ents.EntBlockTreeN, 5000);
    TJwwBlockExploder x(s.ents, s.n1, s.groups, budget);
    ASSERT_TRUE(x.BlockExplode(s.n2));
    EXPECT_TRUE(x.Truncated());
    EXPECT_EQ(s.ents.EntLineN, 123);
    EXPECT_EQ(x.Appended(), 123);
    EXPECT_EQ(s.n1, 11 + 123);
    EXPECT_EQ(s.ents.EntBlockDefN, 0);
    EXPECT_EQ(s.n2, 0);
    for (const TEntJwwNo& no : s.ents.EntNo)
        EXPECT_NE(no.EntType, kJwwBlock);
}

TEST(JwwBlockBounds, CurveBudgetCountsCirclesAndCurvedSolids) {
    TScene s;
    TEntJwwBlockDef d = Def(1, "D");
    AddMember(d, Circle(0, 0, 1));
    AddMember(d, Line(0, 0, 1, 0));
    TEntJwwSolid disc;
    disc.att.nPenStyle = 111;
    disc.end_x = 1;
    disc.end_y = 1;
    AddMember(d, disc);
    s.AddDef(d);
    for (int i = 0; i < 10; ++i)
        s.AddInsert(Insert(1, i, 0, 2, 1));
    TBlockBudget budget;
    budget.maxCurves = 7;
    TJwwBlockExploder x(s.ents, s.n1, s.groups, budget);
    MakeBlockTree(s.ents, budget);
    ASSERT_TRUE(x.BlockExplode(s.n2));
    EXPECT_TRUE(x.Truncated());
    // Circle, line, disc per placement: the fourth placement stops after its circle.
    EXPECT_EQ(s.ents.EntEnkoN + s.ents.EntSolidN, 7);
    EXPECT_EQ(s.ents.EntLineN, 3);
    EXPECT_EQ(s.ents.BudgetStop, "block curve budget");
}

TEST(JwwBlockBounds, MemberIndicesOutsideTheArraysAreSkipped) {
    TScene s;
    TEntJwwBlockDef d = Def(1, "D");
    AddMember(d, Line(0, 0, 1, 0));
    d.mNo.push_back({kJwwLine, 5});
    d.mNo.push_back({kJwwSunpo, -1});
    d.mNo.push_back({42, 0});
    d.N = 20;  // more than mNo holds
    d.mBlockN = 3;
    s.AddDef(d);
    s.AddInsert(Insert(1, 0, 0));
    ASSERT_TRUE(s.Explode());
    EXPECT_EQ(s.ents.EntLineN, 1);
    EXPECT_EQ(s.ents.EntSunpoN, 0);
}

// Every byte of the object stream of a drawing whose definitions hold every kind of member,
// patched: the explosion never fails and every value it computes is finite.
TEST(JwwBlockBounds, PatchedDrawingsExplodeToFiniteValues) {
    TJwwWriter w(700);
    TEntJwwBlockDef inner = Def(2, "in");
    AddMember(inner, Arc(5, 0.5, 0.2, 0.1, 2, false));
    TEntJwwSolid ring;
    ring.att.nPenStyle = 106;
    ring.end_x = 4;
    ring.end_y = 0.5;
    ring.DPoint3_x = 1;
    ring.DPoint3_y = 2;
    AddMember(inner, ring);
    TEntJwwBlockDef outer = Def(1, "out");
    AddMember(outer, Line(1, 2, 3, 4));
    TEntJwwTen marker;
    marker.att.nPenStyle = 100;
    marker.radKaitenKaku = 1;
    AddMember(outer, marker);
    AddMember(outer, Text("^@BMpic,10,5,1,2,3,4"));
    TEntJwwSunpo dim = Dimension(true);
    dim.Moji.att.nPenWidth = 0x02 | 0x20 | 0x40 | 2 * 4096;
    AddMember(outer, dim);
    AddMember(outer, Insert(2, 3, 0, 2, 0.5, 0.7));
    w.AddBlockDef(outer);
    w.AddBlockDef(inner);
    w.AddBlock(Insert(1, 10, 10, -1.5, 2, 0.3));
    const std::string full = w.Bytes();
    const auto finite = [](std::initializer_list<double> vs) {
        for (double v : vs)
            if (!std::isfinite(v)) return false;
        return true;
    };
    for (size_t i = w.ObjectStreamOffset(); i < full.size(); ++i) {
        for (const uint8_t patch : {uint8_t{0}, uint8_t{0xFF}, uint8_t(full[i] + 1)}) {
            std::string bytes = full;
            bytes[i] = static_cast<char>(patch);
            TJwwData d;
            ReadJww(d, bytes);
            const int32_t lines = d.EntLineN, arcs = d.EntEnkoN, texts = d.EntMojiN,
                          dims = d.EntSunpoN, solids = d.EntSolidN;
            ASSERT_TRUE(d.BlockExplode()) << i;
            ASSERT_EQ(static_cast<int32_t>(d.EntNo.size()), d.Enthd.n1) << i;
            for (int32_t k = lines; k < d.EntLineN; ++k) {
                const TEntJwwLine& l = d.EntLine[k];
                ASSERT_TRUE(finite({l.start_x, l.start_y, l.end_x, l.end_y})) << i;
            }
            for (int32_t k = arcs; k < d.EntEnkoN; ++k) {
                const TEntJwwEnko& e = d.EntEnko[k];
                ASSERT_TRUE(finite({e.start_x, e.dHankei, e.dHenpeiRitsu, e.radKaishiKaku,
                                    e.radEnkoKaku, e.radKatamukiKaku}))
                    << i;
            }
            for (int32_t k = texts; k < d.EntMojiN; ++k) {
                const TEntJwwMoji& m = d.EntMoji[k];
                ASSERT_TRUE(finite({m.start_x, m.end_y, m.dSizeX, m.dSizeY, m.degKakudo})) << i;
            }
            for (int32_t k = dims; k < d.EntSunpoN; ++k) {
                const TEntJwwSunpo& m = d.EntSunpo[k];
                ASSERT_TRUE(finite({m.Sen.end_x, m.Moji.start_x, m.Moji.end_y, m.Moji.degKakudo,
                                    m.Te1.radKaitenKaku, m.Ho2.end_y}))
                    << i;
            }
            for (int32_t k = solids; k < d.EntSolidN; ++k) {
                const TEntJwwSolid& m = d.EntSolid[k];
                ASSERT_TRUE(finite({m.start_x, m.end_x, m.end_y, m.DPoint2_x, m.DPoint2_y,
                                    m.DPoint3_x, m.DPoint3_y}))
                    << i;
            }
        }
    }
}

TEST(JwwBlockCorpus, DrawingsWithBlocksExplode) {
    const auto files = CorpusFiles(".jww");
    if (files.empty()) GTEST_SKIP() << "no corpus";
    for (const auto& file : files) {
        const std::u8string u8 = file.u8string();
        const std::string path(u8.begin(), u8.end());
        SCOPED_TRACE(path);
        TJwwData d;
        ASSERT_TRUE(d.FileIn(path)) << d.LastError();
        const int32_t before = d.EntLineN + d.EntEnkoN + d.EntTenN + d.EntMojiN + d.EntSolidN;
        const int32_t nodes = d.EntBlockTreeN;
        ASSERT_TRUE(d.BlockExplode());
        const int32_t after = d.EntLineN + d.EntEnkoN + d.EntTenN + d.EntMojiN + d.EntSolidN;
        if (nodes > 0) {
            EXPECT_GT(after, before);
        }
        EXPECT_EQ(d.EntBlockN + d.EntBlockDefN + d.EntBlockTreeN, 0);
        ASSERT_EQ(static_cast<int32_t>(d.EntNo.size()), d.Enthd.n1);
        const int32_t counts[] = {0,          d.EntLineN,  d.EntEnkoN,  d.EntTenN,
                                  d.EntMojiN, d.EntSunpoN, d.EntSolidN, 0};
        for (const TEntJwwNo& no : d.EntNo) {
            ASSERT_GE(no.EntType, 0);
            ASSERT_LT(no.EntType, 7);
            if (no.EntType > 0) {
                EXPECT_LT(no.EntNo, counts[no.EntType]);
            }
        }
        for (const TEntJwwEnko& e : d.EntEnko)
            EXPECT_TRUE(std::isfinite(e.dHankei) && std::isfinite(e.radKaishiKaku));
    }
}

}  // namespace
}  // namespace velmora::test
