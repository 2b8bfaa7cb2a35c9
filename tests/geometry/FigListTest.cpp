#include <gtest/gtest.h>

#include "geometry/FigList.h"

namespace velmora {
namespace {

void AddLine(TFigList& fig, int lay, int col) {
    const T3Dpoint p[2] = {{0, 0, 5}, {1, 1, 5}};
    fig.Fig3DAdd(lay, col, kFigTypLine, p, 2);
}

// The list keeps planar corners; a reader of the whole entry sees z = 0, unused corners 0 and
// the layer, key and kind as given, also outside their ranges.
TEST(FigList, AppendKeepsFlatCornersAndTheGivenLayerKeyAndKind) {
    TFigList fig;
    AddLine(fig, 300, 0);
    const T3Dpoint q[4] = {{1, 2, 7}, {3, 4, 7}, {5, 6, 7}, {9, 9, 9}};
    fig.Fig3DAdd(17, 4, kFigTypTri, q, 4);
    fig.Fig3DAdd(255, kFigColKeyMax, kFigTypSqr, q, 2);
    ASSERT_EQ(fig.Fig3DN(), 3);
    const T3DdataField f = fig.Fig3D(0);
    EXPECT_TRUE(f.ext);
    EXPECT_EQ(f.typ, kFigTypLine);
    EXPECT_EQ(f.lay, 300);
    EXPECT_EQ(f.col, 0);
    EXPECT_EQ(f.p[1].x, 1.0);
    EXPECT_EQ(f.p[1].z, 0.0);
    EXPECT_EQ(f.p[2].x, 0.0);
    const T3DdataField t = fig.Fig3D(1);
    EXPECT_EQ(t.lay, 17);
    EXPECT_EQ(t.col, 4);
    EXPECT_EQ(t.p[2].y, 6.0);
    EXPECT_EQ(t.p[3].x, 0.0);
    const T3DdataField s = fig.Fig3D(2);
    EXPECT_EQ(s.lay, 255);
    EXPECT_EQ(s.col, kFigColKeyMax);
    EXPECT_EQ(s.p[1].x, 3.0);
    EXPECT_EQ(s.p[2].x, 0.0);
    EXPECT_EQ(s.p[3].y, 0.0);
    EXPECT_EQ(fig.Corners(fig.Entries()[2])[1].y, 4.0);
    EXPECT_FALSE(fig.Fig3D(3).ext);
    fig.Fig3DAdd(-2, 9000, 999, q, 4);
    EXPECT_EQ(fig.Fig3D(3).lay, -2);
    EXPECT_EQ(fig.Fig3D(3).col, 9000);
    EXPECT_EQ(fig.Fig3D(3).typ, 999);
    EXPECT_EQ(fig.Fig3D(1).lay, 17);

    // Room is a bound: one that cannot be had leaves the list growing as it goes.
    EXPECT_NO_THROW(fig.Fig3DReserve(size_t{1} << 62, 8));
    EXPECT_NO_THROW(fig.Fig3DReserve(8, size_t{1} << 33));
    fig.Fig3DReserve(1000, 2000);
    AddLine(fig, 1, 1);
    EXPECT_EQ(fig.Fig3DN(), 5);
    fig.Fig3DClear();
    EXPECT_EQ(fig.Fig3DN(), 0);
    EXPECT_EQ(fig.Entries().capacity(), 0u);
}

TEST(FigList, EmptyListCountsNothing) {
    TFigList fig;
    fig.FigCountLay();
    fig.FigCountCol(-1, 15);
    for (int v : fig.FigLay)
        EXPECT_EQ(v, 0);
    for (int v : fig.FigCol)
        EXPECT_EQ(v, 0);
}

TEST(FigList, OutOfRangeLayerAndKeyCountUnderLayer0AndKey1) {
    TFigList fig;
    AddLine(fig, 300, 0);
    AddLine(fig, -1, 9999);
    fig.FigCountLay();
    EXPECT_EQ(fig.FigLay[0], 2);
    fig.FigCountCol(0, 13);
    EXPECT_EQ(fig.FigCol[1], 2);
}

TEST(FigList, CountColSelectsLayerAndKinds) {
    TFigList fig;
    const T3Dpoint p[4] = {};
    fig.Fig3DAdd(3, 2, kFigTypLine, p, 2);
    fig.Fig3DAdd(3, 2, 2, p, 2);
    fig.Fig3DAdd(3, 2, kFigTypTri, p, 3);
    fig.Fig3DAdd(3, 4, kFigTypSqr, p, 4);
    fig.Fig3DAdd(3, 4, 99, p, 0);
    fig.Fig3DAdd(4, 2, kFigTypLine, p, 2);

    fig.FigCountCol(3, 13);
    EXPECT_EQ(fig.FigCol[2], 2);
    EXPECT_EQ(fig.FigCol[4], 1);
    fig.FigCountCol(-1, 15);
    EXPECT_EQ(fig.FigCol[2], 4);
    EXPECT_EQ(fig.FigCol[4], 2);
    fig.FigCountCol(-1, 2);
    EXPECT_EQ(fig.FigCol[2], 1);
    EXPECT_EQ(fig.FigCol[4], 0);
    fig.FigCountLay();
    EXPECT_EQ(fig.FigLay[3], 5);
    EXPECT_EQ(fig.FigLay[4], 1);
}

TEST(FigList, ColKeyIndexSearchesAllSlots) {
    TFigList fig;
    for (int v : {10, 20, 30, 0x123456, 50, 60, 70, 80, 0x123456})
        fig.FigColKeyAdd(v);
    EXPECT_EQ(fig.FigColKeyN, 9);
    EXPECT_EQ(fig.FigColKeyIndex(0x123456), 4);
    EXPECT_EQ(fig.FigColKeyIndex(0x777777), 7);
    EXPECT_EQ(fig.FigColKeyIndex(0), 10);
    EXPECT_EQ(fig.FigColKeyValue(0), 0);
    EXPECT_EQ(fig.FigColKeyValue(kFigColKeyMax + 1), 0);
}

TEST(FigList, ColKeyTableStopsAtItsLimit) {
    TFigList fig;
    for (int i = 0; i < kFigColKeyMax; ++i)
        ASSERT_EQ(fig.FigColKeyAdd(i + 1), i + 1);
    EXPECT_EQ(fig.FigColKeyAdd(42), 0);
    EXPECT_EQ(fig.FigColKeyN, kFigColKeyMax);
    fig.FigColKeyClear();
    EXPECT_EQ(fig.FigColKeyN, 0);
    EXPECT_EQ(fig.FigColKeyValue(1), 0);
}

TEST(FigList, IsCCW) {
    EXPECT_TRUE(TFigList::FigIsCCW(0, 0, 1, 0, 0, 1));
    EXPECT_FALSE(TFigList::FigIsCCW(0, 0, 0, 1, 1, 0));
    EXPECT_TRUE(TFigList::FigIsCCW(0, 0, 1, 1, 2, 2));
}

TEST(FigList, Normal) {
    const T3Dpoint o{0, 0, 0}, a{1, 0, 0}, b{0, 1, 0};
    const T3Dpoint up = TFigList::FigNormal(o, a, b);
    EXPECT_EQ(up.x, 0.0);
    EXPECT_EQ(up.y, 0.0);
    EXPECT_EQ(up.z, 1.0);
    EXPECT_EQ(TFigList::FigNormal(o, b, a).z, -1.0);
    const T3Dpoint q{3, 4, 0};
    const T3Dpoint zero = TFigList::FigNormal(q, q, q);
    EXPECT_EQ(zero.x, 0.0);
    EXPECT_EQ(zero.y, 0.0);
    EXPECT_EQ(zero.z, 0.0);
    const T3Dpoint big = TFigList::FigNormal(o, {1e5, 0, 0}, {0, 2e5, 0});
    EXPECT_DOUBLE_EQ(big.z, 1.0);

    // A quadrilateral takes the normal of its larger triangle.
    T3DdataField f;
    f.typ = kFigTypSqr;
    f.p[0] = o;
    f.p[1] = {1, 0, 0};
    f.p[2] = {2, 0, 0};
    f.p[3] = {1, 1, 0};
    EXPECT_EQ(TFigList::FigFaceNormal(f).z, 1.0);
    f.typ = kFigTypTri;
    EXPECT_EQ(TFigList::FigFaceNormal(f).z, 0.0);
}

}  // namespace
}  // namespace velmora
