#include "jww/JwwAttributes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "attr/GraAttribute.h"

namespace velmora {
namespace {

TEST(JwwAttributeUnits, PenWidthUnitAtEveryBoundary) {
    const struct {
        int32_t wid, ver, dpi;
        double unit;
    } cases[] = {
        {-1, 600, 1, 1.0},         {-2, 600, 1, 0.5},  {-100, 600, 1, 0.01}, {-101, 600, 1, 0.01},
        {INT32_MIN, 600, 1, 0.01}, {0, 420, 1, 0.042}, {0, 421, 1, 0.085},   {0, 421, 2, 0.042},
        {0, 421, 0, 0.042},        {5, 700, 1, 0.085}, {5, 300, 2, 0.042},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.wid << " " << c.ver << " " << c.dpi);
        EXPECT_DOUBLE_EQ(JwwPenWidthUnit(c.wid, c.ver, c.dpi), c.unit);
    }
}

TEST(JwwAttributeUnits, LineTypePitchUnitAtEveryBoundary) {
    const struct {
        int32_t wid, ver, dpi;
        double unit;
    } cases[] = {
        {0, 420, 1, 0.035},  {0, 420, 2, 0.035},    {0, 421, 1, 0.085},
        {0, 421, 2, 0.042},  {0, 421, 3, 0.042},    {0, 421, 0, 0.035},
        {-1, 421, 1, 0.035}, {-100, 700, 2, 0.035}, {-101, 700, 1, 0.035},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.wid << " " << c.ver << " " << c.dpi);
        EXPECT_DOUBLE_EQ(JwwLtypePitchUnit(c.wid, c.ver, c.dpi), c.unit);
    }
}

TEST(JwwAttributeColours, ColorRefToArgbSwapsRedAndBlue) {
    EXPECT_EQ(ColorRefToArgb(0x000000FF), 0xFFFF0000u);
    EXPECT_EQ(ColorRefToArgb(0x00FF0000), 0xFF0000FFu);
    EXPECT_EQ(ColorRefToArgb(0x00123456), 0xFF563412u);
    EXPECT_EQ(ColorRefToArgb(0), 0xFF000000u);
    EXPECT_EQ(ColorRefToArgb(0x7F123456), 0xFF563412u);  // bits 24..30 ignored
}

TEST(JwwAttributeColours, BackgroundThresholds) {
    const struct {
        int32_t c;
        int kind;
    } cases[] = {{0x000000, 1},  {0x141414, 1},  {0x151414, -1}, {0x141415, -1},
                 {0xFFFFFF, 0},  {0xEBEBEB, 0},  {0xEBEBEA, -1}, {0xEAEBEB, -1},
                 {0x808080, -1}, {0x0000FF, -1}, {0x01FFFFFF, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.c);
        EXPECT_EQ(JwwBackColorKind(c.c), c.kind);
    }
}

struct ColourTables {
    TEntJwwHeader hd;
    std::vector<TEntJwwColorNo> col = std::vector<TEntJwwColorNo>(10);
    std::vector<TEntJwwColorExNo> colS = std::vector<TEntJwwColorExNo>(257);
};

TEST(JwwAttributeColours, InstallsPensAndSxfColoursButNotPenNine) {
    ColourTables t;
    t.hd.jwVer = 600;
    t.hd.nMaxDrawWid = -1;
    t.col[0].aPenColor = 0x808080;
    for (int n = 1; n <= 9; ++n) {
        t.col[n].aPenColor = 0x000010 * n;
        t.col[n].anPenWidth = n;
        t.col[n].adPrtTenHankei = n * 0.5;
    }
    t.colS[1].aPenColor = 0x0000FF;
    t.colS[1].anPenWidth = 35;
    t.colS[1].adPrtTenHankei = 0.25;
    t.colS[256].aPenColor = 0x00FF00;

    TgraAttribute att;
    JwwInstallColors(att, t.hd, t.col, t.colS);
    EXPECT_EQ(att.GetAttrColcol(1), 0xFF100000u);
    EXPECT_EQ(att.GetAttrColwid(3), 3.0);
    EXPECT_EQ(att.GetAttrColten(8), 4.0);
    EXPECT_EQ(att.GetAttrColcol(8), 0xFF800000u);
    // Pen 9 keeps the default colour, width and radius.
    EXPECT_EQ(att.GetAttrColcol(9), 0xFFFF80FFu);
    EXPECT_EQ(att.GetAttrColwid(9), 0.01);
    EXPECT_EQ(att.GetAttrColten(9), 0.2);
    EXPECT_EQ(att.GetAttrColcol(101), 0xFFFF0000u);
    EXPECT_DOUBLE_EQ(att.GetAttrColwid(101), 0.35);
    EXPECT_EQ(att.GetAttrColten(101), 0.25);
    EXPECT_EQ(att.GetAttrColcol(356), 0xFF00FF00u);
    // A zero-filled SXF entry becomes opaque black of width 0.
    EXPECT_EQ(att.GetAttrColcol(200), 0xFF000000u);
    EXPECT_EQ(att.GetAttrColwid(200), 0.0);
    EXPECT_EQ(att.GetAttrColten(200), 0.0);
    EXPECT_EQ(att.GetBackColorNo(), 0);
}

TEST(JwwAttributeColours, BackgroundColourSwitchesTheKind) {
    const struct {
        int32_t bg;
        int before, after;
    } cases[] = {{0x000000, 0, 1}, {0x141414, 0, 1}, {0xFFFFFF, 1, 0},
                 {0xEBEBEB, 1, 0}, {0x808080, 1, 1}, {0x808080, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bg);
        ColourTables t;
        t.col[0].aPenColor = c.bg;
        TgraAttribute att;
        att.SetBackColor(c.before);
        JwwInstallColors(att, t.hd, t.col, t.colS);
        EXPECT_EQ(att.GetBackColorNo(), c.after);
    }
}

TEST(JwwAttributeColours, MissingTablesChangeNothing) {
    TgraAttribute att;
    const TEntJwwHeader hd;
    JwwInstallColors(att, hd, {}, {});
    EXPECT_EQ(att.GetAttrColcol(2), 0xFF000000u);
    EXPECT_EQ(att.GetAttrColcol(102), 0xFFFF0000u);
    JwwInstallLtypes(att, hd, {}, {}, {}, {});
    EXPECT_EQ(att.GetAttrTypseg(2), 3);
    // A short SXF table installs what it has.
    ColourTables t;
    t.colS.resize(3);
    t.colS[2].aPenColor = 0x00FFFF;
    JwwInstallColors(att, t.hd, t.col, t.colS);
    EXPECT_EQ(att.GetAttrColcol(102), 0xFFFFFF00u);
    EXPECT_EQ(att.GetAttrColcol(103), 0xFF00FF00u);
}

TEST(JwwAttributeLineTypes, PatternDecoding) {
    const double q = 0.25;
    const struct {
        uint32_t pattern;
        std::vector<double> segs;
    } cases[] = {
        {0xFFFFFFFFu, {32 * q}},
        {0u, {-32 * q}},
        {0xFF00FF00u, {8 * q, -8 * q, 8 * q, -8 * q}},
        {0x0000FFFFu, {-16 * q, 16 * q}},
        {0x80000001u, {q, -30 * q, q}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        TgraAttribute att;
        JwwDecodeLtypePattern(att, 3, static_cast<int32_t>(c.pattern), q);
        ASSERT_EQ(att.GetAttrTypseg_(3), static_cast<int>(c.segs.size()));
        double pit = 0;
        for (size_t i = 0; i < c.segs.size(); ++i) {
            EXPECT_DOUBLE_EQ(att.GetAttrTyppa1_(3, static_cast<int>(i)), c.segs[i]);
            pit += std::fabs(c.segs[i]);
        }
        EXPECT_DOUBLE_EQ(att.GetAttrTyppit_(3), pit);
    }
    TgraAttribute att;
    JwwDecodeLtypePattern(att, 3, static_cast<int32_t>(0xAAAAAAAAu), 1.0);
    EXPECT_EQ(att.GetAttrTypseg_(3), 32);
    EXPECT_EQ(att.GetAttrTyppa1_(3, 31), -1.0);
    EXPECT_EQ(att.GetAttrTyppit_(3), 32.0);
}

TEST(JwwAttributeLineTypes, InstallsEveryTableIntoItsSlots) {
    TEntJwwHeader hd;
    hd.jwVer = 600;
    hd.nMaxDrawWid = 0;
    hd.nPrtDpi = 2;  // pitch unit 0.042
    std::vector<TEntJwwLineTypeNo> l1(8), l3(4);
    std::vector<TEntJwwRandomLineNo> l2(5);
    std::vector<TEntJwwLineTypeExNo> ls(33);
    l1[0].alLType = static_cast<int32_t>(0xFF00FF00u);
    l1[0].anPrtTokushuSenPich = 10;
    l1[0].anTokushuSenPich = 99;  // screen pitch: not used
    l2[4].alLType = -1;
    l2[4].anPrtTokushuSenPich = 2;
    l2[4].anPrtRandSenWide = 50;
    l3[3].alLType = 0x0000FFFF;
    l3[3].anPrtTokushuSenPich = 1;
    ls[1].anUDLTypeSegment = 3;
    ls[1].aadUDLTypePitch = {0, 4, 1, 2, 9, 9, 9, 9, 9, 9, 9};
    ls[2].anUDLTypeSegment = 12;
    ls[2].aadUDLTypePitch = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    ls[3].anUDLTypeSegment = -3;
    ls[32].anUDLTypeSegment = 1;
    ls[32].aadUDLTypePitch[1] = 7;

    TgraAttribute att;
    JwwInstallLtypes(att, hd, l1, l2, l3, ls);
    const double p = 0.042;
    EXPECT_EQ(att.GetAttrTypseg_(0), 0);
    EXPECT_EQ(att.GetAttrTypseg_(1), 4);
    EXPECT_DOUBLE_EQ(att.GetAttrTyppa1_(1, 1), -8 * 10 * p);
    EXPECT_EQ(att.GetAttrTypamp_(1), 0.0);
    // Zero-filled entries give one gap of length 0.
    EXPECT_EQ(att.GetAttrTypseg_(2), 1);
    EXPECT_EQ(att.GetAttrTyppit_(2), 0.0);
    EXPECT_DOUBLE_EQ(att.GetAttrTypamp_(13), 50 * p);
    EXPECT_EQ(att.GetAttrTypseg_(13), 1);
    EXPECT_DOUBLE_EQ(att.GetAttrTyppa1_(13, 0), 32 * 2 * p);
    EXPECT_EQ(att.GetAttrTypamp_(9), 0.0);  // random types take the file's amplitude
    EXPECT_EQ(att.GetAttrTypseg_(17), 2);
    EXPECT_DOUBLE_EQ(att.GetAttrTyppa1_(17, 1), 16 * p);

    EXPECT_EQ(att.GetAttrTypseg(31), 3);
    EXPECT_EQ(att.GetAttrTyppa1(31, 0), 4.0);
    EXPECT_EQ(att.GetAttrTyppa1(31, 1), -1.0);
    EXPECT_EQ(att.GetAttrTyppa1(31, 2), 2.0);
    EXPECT_EQ(att.GetAttrTyppit(31), 7.0);
    EXPECT_EQ(att.GetAttrTypseg(32), 10);
    EXPECT_EQ(att.GetAttrTyppa1(32, 9), -10.0);
    EXPECT_EQ(att.GetAttrTyppit(32), 55.0);
    EXPECT_EQ(att.GetAttrTypseg(33), 0);
    EXPECT_EQ(att.GetAttrTyppit(33), 0.0);
    EXPECT_EQ(att.GetAttrTypseg(62), 1);
    EXPECT_EQ(att.GetAttrTyppit(62), 7.0);
}

TEST(JwwAttributeLayers, StateOfEveryGroupAndLayerCombination) {
    const int groupStates[] = {0, 1, 2, 3, -1};
    const int layerStates[] = {0, 1, 2, 3, -1};
    const int expected[5][5] = {
        {3, 3, 3, 3, 3},  // group hidden
        {3, 2, 2, 2, 2},  // group shown only
        {3, 2, 1, 1, 1}, {3, 2, 1, 1, 1}, {3, 2, 1, 1, 1},
    };
    for (int g = 0; g < 5; ++g) {
        for (int l = 0; l < 5; ++l) {
            SCOPED_TRACE(testing::Message() << groupStates[g] << " " << layerStates[l]);
            EXPECT_EQ(JwwLayerState(groupStates[g], layerStates[l]), expected[g][l]);
        }
    }
}

TEST(JwwAttributeLayers, InstallsStatesScalesAndNames) {
    std::vector<TEntJwwLayerGroup> grp(16);
    std::vector<TEntJwwLayer> lay(256);
    for (int g = 0; g < 16; ++g) {
        grp[g].anGLay = 2;
        grp[g].adScale = 100;
    }
    for (int i = 0; i < 256; ++i)
        lay[i].aanLay = 2;
    grp[0].anGLay = 0;  // hides the whole group
    grp[1].aStrGLayName = "平面";
    grp[2].adScale = 0;
    grp[3].adScale = std::numeric_limits<double>::quiet_NaN();
    grp[4].adScale = std::numeric_limits<double>::infinity();
    grp[5].adScale = -50;
    lay[0x1B].aStrLayName = "壁";
    lay[0x1C].aanLay = 0;

    TgraAttribute att;
    att.SetAttrLayer(0x1F, 3);  // left over from the previous file
    JwwInstallLayers(att, grp, lay);
    for (int l = 0; l < 16; ++l)
        EXPECT_EQ(att.GetAttrLayerState(l), 3);
    EXPECT_EQ(att.GetAttrLayerState(0x1B), 1);
    EXPECT_EQ(att.GetAttrLayerState(0x1C), 3);
    EXPECT_EQ(att.GetAttrLayerState(0x1F), 1);
    EXPECT_EQ(att.GetAttrLayerGName(0x1B), "[1] 平面");
    EXPECT_EQ(att.GetAttrLayerName(0x1B), "(B) 壁");
    EXPECT_DOUBLE_EQ(att.GetAttrLayerScale(0x1B), 0.01);
    for (int g : {2, 3, 4, 5}) {
        SCOPED_TRACE(g);
        EXPECT_EQ(att.GetAttrLayerScale(g * 16 + 7), 1.0);
        EXPECT_EQ(att.GetAttrLayerState(g * 16 + 7), 1);
    }
    // Layers after a bad group are still installed.
    EXPECT_DOUBLE_EQ(att.GetAttrLayerScale(0xFF), 0.01);
    EXPECT_EQ(att.GetAttrLayerName(0xFF), "(F) ");
}

TEST(JwwAttributeLayers, MissingTablesLeaveDefaultLayers) {
    TgraAttribute att;
    att.SetAttrLayer(3, 3, 0.5);
    JwwInstallLayers(att, {}, {});
    EXPECT_EQ(att.GetAttrLayerState(3), 1);
    EXPECT_EQ(att.GetAttrLayerScale(3), 1.0);
}

}  // namespace
}  // namespace velmora
