#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "attr/GraAttribute.h"
#include "geometry/Converter.h"
#include "geometry/FigList.h"

namespace velmora {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kEps = 1e-9;

class Tessellation : public ::testing::Test {
  protected:
    TFigList fig;
    TgraAttribute att;
    TConverter conv{fig, att};

    T3DdataField At(int i) const { return fig.Fig3D(static_cast<size_t>(i)); }
    int Count(int typ) const {
        int n = 0;
        for (int i = 0; i < fig.Fig3DN(); ++i)
            n += At(i).typ == typ;
        return n;
    }
    // Every stored face turns counter-clockwise (or has no area).
    void ExpectAllCCW() const {
        for (int i = 0; i < fig.Fig3DN(); ++i) {
            const T3DdataField& f = At(i);
            if (f.typ == kFigTypLine) continue;
            SCOPED_TRACE(i);
            const double z = (f.p[1].x - f.p[0].x) * (f.p[2].y - f.p[0].y) -
                             (f.p[1].y - f.p[0].y) * (f.p[2].x - f.p[0].x);
            EXPECT_GE(z, -1e-9);
        }
    }
};

void ExpectPoint(const T3Dpoint& p, double x, double y) {
    EXPECT_NEAR(p.x, x, kEps);
    EXPECT_NEAR(p.y, y, kEps);
    EXPECT_EQ(p.z, 0.0);
}

TEST_F(Tessellation, TriangleIsStoredCounterClockwise) {
    conv.DataTransSubTri(1, 2, 0, 0, 0, 1, 1, 0);
    ExpectPoint(At(0).p[0], 0, 0);
    ExpectPoint(At(0).p[1], 1, 0);
    ExpectPoint(At(0).p[2], 0, 1);
    conv.DataTransSubTri(1, 2, 0, 0, 1, 1, 2, 2);
    ExpectPoint(At(1).p[1], 1, 1);
    ExpectPoint(At(1).p[2], 2, 2);
}

TEST_F(Tessellation, QuadrilateralWindingIsJudgedOnAllFourCorners) {
    conv.DataTransSubSqr(1, 2, 0, 0, 0, 1, 1, 1, 1, 0);
    ExpectPoint(At(0).p[0], 0, 0);
    ExpectPoint(At(0).p[1], 1, 0);
    ExpectPoint(At(0).p[2], 1, 1);
    ExpectPoint(At(0).p[3], 0, 1);
    // Clockwise with the first three corners on one line: reversed.
    conv.DataTransSubSqr(1, 2, 0, 0, 1, 0, 2, 0, 1, -1);
    ExpectPoint(At(1).p[1], 1, -1);
    ExpectPoint(At(1).p[3], 1, 0);
    // Counter-clockwise with a clockwise turn at the second corner: kept.
    conv.DataTransSubSqr(1, 2, 0, 0, 2, 1, 4, 0, 2, 3);
    ExpectPoint(At(2).p[1], 2, 1);
    ExpectPoint(At(2).p[3], 2, 3);
}

TEST_F(Tessellation, BuildersKeepLayerAndKeyOutsideTheirRanges) {
    conv.DataTransSubLine(300, 0, 1, 2, 3, 4);
    conv.DataTransSubLine(-5, 9000, 0, 0, 0, 0);
    EXPECT_EQ(At(0).lay, 300);
    EXPECT_EQ(At(0).col, 0);
    EXPECT_EQ(At(1).lay, -5);
    EXPECT_EQ(At(1).col, 9000);
    EXPECT_EQ(At(1).typ, kFigTypLine);
}

struct TDivCase {
    int type;
    double cr, da;
    int expected;
};

TEST_F(Tessellation, DivisionCountOfEachMode) {
    const TDivCase cases[] = {
        {0, 1, 2 * kPi, 12},       {1, 1, 2 * kPi, 36},       {1, 1, kPi / 2, 9},
        {1, 1, 20 * kPi / 180, 4}, {1, 1, 15 * kPi / 180, 4}, {1, 1, 0, 4},
        {2, 50, 2 * kPi, 31},      {2, 100, 2 * kPi, 63},     {2, 0.5, 2 * kPi, 4},
        {2, 1e12, 2 * kPi, 3600},  {1, 1, 1e15, 3600},
    };
    for (const TDivCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.type << " " << c.cr << " " << c.da);
        conv.Settings.ArcSepType = c.type;
        EXPECT_EQ(conv.ArcDivisionCount(c.cr, c.da), c.expected);
    }
}

TEST_F(Tessellation, DivisionCountStaysBoundedForDegenerateSettings) {
    conv.Settings.ArcSepType = 1;
    conv.Settings.ArcSepAng = 0;
    EXPECT_EQ(conv.ArcDivisionCount(1, 1), 3600);
    EXPECT_EQ(conv.ArcDivisionCount(1, 0), conv.Settings.ArcSep1);
    conv.Settings.ArcSepType = 0;
    conv.Settings.ArcSep = 0;
    EXPECT_EQ(conv.ArcDivisionCount(1, 1), 1);
    conv.Settings.ArcSep = 100000;
    EXPECT_EQ(conv.ArcDivisionCount(1, 1), 3600);
}

TEST_F(Tessellation, FullCircleRoutinesWithFixedCount) {
    conv.DataTransSubArc1(0, 1, 1, 0, 0, 1, 1, 0, 0, 2 * kPi);
    EXPECT_EQ(Count(kFigTypLine), 12);
    ExpectPoint(At(0).p[0], 1, 0);
    ExpectPoint(At(11).p[1], 1, 0);
    fig.Fig3DClear();
    conv.DataTransSubArc2(0, 1, 1, 0, 0, 1, 1, 0, 0, 2 * kPi);
    EXPECT_EQ(Count(kFigTypTri), 12);
    for (int i = 0; i < 12; ++i)
        ExpectPoint(At(i).p[0], 0, 0);
    ExpectAllCCW();
    fig.Fig3DClear();
    conv.DataTransSubArc5(0, 1, 1, 0, 0, 2, 1, 1, 1, 0, 0, 2 * kPi);
    EXPECT_EQ(Count(kFigTypSqr), 12);
    for (int i = 0; i < 12; ++i) {
        const T3DdataField& f = At(i);
        for (int c = 0; c < 4; ++c) {
            const double r = std::hypot(f.p[c].x, f.p[c].y);
            EXPECT_TRUE(std::fabs(r - 1) < kEps || std::fabs(r - 2) < kEps);
        }
    }
    ExpectAllCCW();
}

TEST_F(Tessellation, BowLeavesOutTheLastSliver) {
    conv.DataTransSubArc3(0, 1, 1, 0, 0, 1, 1, 0, 0, kPi);
    ASSERT_EQ(Count(kFigTypTri), 11);
    for (int i = 0; i < 11; ++i)
        ExpectPoint(At(i).p[0], -1, 0);
    ExpectAllCCW();
}

TEST_F(Tessellation, TangentApex) {
    conv.Settings.ArcSep = 3;
    conv.DataTransSubArc4(0, 1, 1, 10, 20, 1, 1, 0, 0, kPi / 2);
    ASSERT_EQ(Count(kFigTypTri), 3);
    for (int i = 0; i < 3; ++i)
        ExpectPoint(At(i).p[0], 11, 21);
    fig.Fig3DClear();
    // Parallel tangents: filled from the centre like a pie.
    conv.DataTransSubArc4(0, 1, 1, 10, 20, 1, 1, 0, 0, kPi);
    for (int i = 0; i < 3; ++i)
        ExpectPoint(At(i).p[0], 10, 20);
    ExpectAllCCW();
}

TEST_F(Tessellation, NegativeSweepCoversTheSameSegmentsReversed) {
    conv.Settings.ArcSep = 4;
    conv.DataTransSubArc1(0, 1, 1, 0, 0, 1, 1, 0, kPi / 2, -kPi / 2);
    conv.DataTransSubArc1(0, 1, 1, 0, 0, 1, 1, 0, 0, kPi / 2);
    for (int i = 0; i < 4; ++i) {
        ExpectPoint(At(i).p[0], At(7 - i).p[1].x, At(7 - i).p[1].y);
        ExpectPoint(At(i).p[1], At(7 - i).p[0].x, At(7 - i).p[0].y);
    }
    fig.Fig3DClear();
    conv.DataTransSubArc2(0, 1, 1, 0, 0, 1, 1, 0, kPi / 2, -kPi / 2);
    ExpectAllCCW();
}

TEST_F(Tessellation, ZeroSweepGivesZeroLengthSegmentsAndTheLeastCount) {
    conv.DataTransSubArc1(0, 1, 1, 0, 0, 1, 1, 0, 0.5, 0);
    EXPECT_EQ(fig.Fig3DN(), 12);
    fig.Fig3DClear();
    conv.Settings.ArcSepType = 2;
    conv.DataTransSubArc1(0, 1, 1, 0, 0, 1, 1, 0, 0.5, 0);
    EXPECT_EQ(fig.Fig3DN(), 4);
    ExpectPoint(At(3).p[1], std::cos(0.5), std::sin(0.5));
}

TEST_F(Tessellation, EllipseTiltAndScale) {
    conv.Settings.ArcSep = 4;
    conv.DataTransSubArc1(0, 1, 100, 1, 2, 2, 0.5, kPi / 2, 0, 2 * kPi);
    // Own x axis turned onto the drawing's y axis; radius 2 and 1.
    ExpectPoint(At(0).p[0], 100, 400);
    ExpectPoint(At(0).p[1], 0, 200);
    ExpectPoint(At(1).p[1], 100, 0);
}

TEST_F(Tessellation, DegreeArcs) {
    conv.DataTransSubArc(0, 1, 1, 0, 0, 1, 1, 0, 30, 30);
    ASSERT_EQ(fig.Fig3DN(), 12);
    ExpectPoint(At(0).p[0], 1, 0);
    fig.Fig3DClear();
    conv.DataTransSubArc(0, 1, 1, 0, 0, 1, 1, 0, 0, 720);
    EXPECT_EQ(fig.Fig3DN(), 12);
    ExpectPoint(At(0).p[0], 1, 0);
    fig.Fig3DClear();
    conv.Settings.ArcSep = 2;
    conv.DataTransSubArc(0, 1, 1, 0, 0, 1, 1, 0, 350, 10);
    ASSERT_EQ(fig.Fig3DN(), 2);
    ExpectPoint(At(0).p[0], std::cos(-10 * kPi / 180), std::sin(-10 * kPi / 180));
    ExpectPoint(At(0).p[1], 1, 0);
    ExpectPoint(At(1).p[1], std::cos(10 * kPi / 180), std::sin(10 * kPi / 180));
}

TEST_F(Tessellation, NonFiniteCurvesAreDroppedAndHugeOnesBounded) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    conv.DataTransSubArc(0, 1, 1, 0, 0, 1, 1, 0, 0, 1e300);
    conv.DataTransSubArc(0, 1, 1, 0, 0, 1, 1, 0, 0, inf);
    const int afterDegrees = fig.Fig3DN();
    EXPECT_EQ(afterDegrees, 12);
    conv.DataTransSubArc1(0, 1, 1, nan, 0, 1, 1, 0, 0, 1);
    conv.DataTransSubArc2(0, 1, inf, 0, 0, 1, 1, 0, 0, 1);
    conv.DataTransSubArc3(0, 1, 1, 0, 0, 1, 1, 0, 0, nan);
    conv.DataTransSubArc4(0, 1, 1, 0, 0, 1, 1, nan, 0, 1);
    conv.DataTransSubArc5(0, 1, 1, 0, 0, 1, 1, inf, 1, 0, 0, 1);
    EXPECT_EQ(fig.Fig3DN(), afterDegrees);
    conv.Settings.ArcSepType = 2;
    conv.Settings.ArcSepLen = 0.001;
    conv.DataTransSubArc1(0, 1, 1, 0, 0, 1e300, 1, 0, 0, 1e300);
    EXPECT_EQ(fig.Fig3DN() - afterDegrees, 3600);
}

struct TMarkerCase {
    int type;
    int lines, tris;
};

TEST_F(Tessellation, MarkerShapes) {
    const TMarkerCase cases[] = {{0, 2, 0}, {1, 2, 0}, {2, 4, 0},  {3, 4, 0},  {4, 12, 0},
                                 {5, 0, 2}, {6, 0, 2}, {7, 0, 12}, {-1, 0, 0}, {8, 0, 0}};
    for (const TMarkerCase& c : cases) {
        SCOPED_TRACE(c.type);
        fig.Fig3DClear();
        conv.Settings.TenType = c.type;
        conv.DataTransSubTen(3, 4, 1, 0, 0);
        EXPECT_EQ(Count(kFigTypLine), c.lines);
        EXPECT_EQ(Count(kFigTypTri), c.tris);
        ExpectAllCCW();
        for (int i = 0; i < fig.Fig3DN(); ++i) {
            for (int p = 0; p < 3; ++p) {
                EXPECT_LE(std::fabs(At(i).p[p].x), 0.5 + kEps);
                EXPECT_LE(std::fabs(At(i).p[p].y), 0.5 + kEps);
            }
        }
    }
}

TEST_F(Tessellation, MarkerScale) {
    conv.DataTransSubTen(0, 1, 1, 0, 0);
    ExpectPoint(At(0).p[0], -0.5, 0);
    ExpectPoint(At(0).p[1], 0.5, 0);
    ExpectPoint(At(1).p[0], 0, 0.5);
    ExpectPoint(At(1).p[1], 0, -0.5);
    fig.Fig3DClear();
    conv.DataTransSubTen(0, 1, 100, 2, 3);
    ExpectPoint(At(0).p[0], 150, 300);
    ExpectPoint(At(0).p[1], 250, 300);
    ExpectPoint(At(1).p[0], 200, 350);
    ExpectPoint(At(1).p[1], 200, 250);
    fig.Fig3DClear();
    conv.Settings.TenType = 5;
    conv.Settings.TenSize = 2;
    conv.DataTransSubTen(0, 1, 10, 0, 0);
    ExpectPoint(At(0).p[0], -10, -10);
    ExpectPoint(At(0).p[2], 10, 10);
    ExpectPoint(At(1).p[2], -10, 10);
    fig.Fig3DClear();
    conv.Settings.TenType = 7;
    conv.Settings.TenSize = 1;
    conv.Settings.ArcSepType = 2;
    conv.DataTransSubTen(0, 1, 1, 0, 0);
    EXPECT_EQ(Count(kFigTypTri), conv.Settings.ArcSep2);
    fig.Fig3DClear();
    conv.DataTransSubTen(0, 1, 1, std::numeric_limits<double>::quiet_NaN(), 0);
    EXPECT_EQ(fig.Fig3DN(), 0);
}

}  // namespace
}  // namespace velmora
