#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "JwwTestHelpers.h"
#include "jww/JwwBlock.h"
#include "jww/JwwText.h"

namespace velmora::test {
namespace {

constexpr double kPi = std::numbers::pi;

TBlockMatrix Matrix(double sx, double sy, double rot, double px = 0, double py = 0) {
    TBlockMatrix m;
    m.bx = px;
    m.by = py;
    m.b1 = std::cos(rot) * sx;
    m.b2 = -std::sin(rot) * sy;
    m.b3 = std::sin(rot) * sx;
    m.b4 = std::cos(rot) * sy;
    return m;
}

struct TExplode {
    TJwwEntities ents;
    int32_t n1 = 0;
    std::vector<TEntJwwLayerGroup> groups = std::vector<TEntJwwLayerGroup>(16);
    TJwwBlockExploder x{ents, n1, groups};
    TExplode() {
        for (TEntJwwLayerGroup& g : groups)
            g.adScale = 1;
    }
};

TEntJwwMoji Horizontal(std::string s, double x0, double x1) {
    TEntJwwMoji m = Text(std::move(s));
    m.start_x = x0;
    m.start_y = 0;
    m.end_x = x1;
    m.end_y = 0;
    m.degKakudo = 0;
    m.att.sFlg = 0;
    return m;
}

TEST(JwwTextExplode, MirroredTextStillReadsForward) {
    TExplode t;
    ASSERT_TRUE(t.x.BlockExplodeMoji(Matrix(-1, 1, 0), Horizontal("abc", 0, 10), true, 0, 0));
    const TEntJwwMoji& r = t.ents.EntMoji[0];
    EXPECT_DOUBLE_EQ(r.start_x, -10);
    EXPECT_DOUBLE_EQ(r.end_x, 0);
    EXPECT_DOUBLE_EQ(r.degKakudo, 0);
    EXPECT_DOUBLE_EQ(r.dSizeX, 2.5);
    EXPECT_DOUBLE_EQ(r.dSizeY, 3.5);
    EXPECT_DOUBLE_EQ(r.dKankaku, 0.5);
    EXPECT_EQ(r.str, "abc");
    EXPECT_EQ(r.strFontName, "ＭＳ ゴシック");
}

TEST(JwwTextExplode, PureMoveKeepsKindAndRoundedSizes) {
    TEntJwwMoji m = Horizontal("abc", 0, 10);
    m.nMojiShu = 2005;
    m.dSizeX = 2.123456;
    m.dSizeY = 0;
    TExplode t;
    ASSERT_TRUE(t.x.BlockExplodeMoji(Matrix(1, 1, 0, 5, 5), m, true, 0, 0));
    ASSERT_TRUE(t.x.BlockExplodeMoji(Matrix(2, 2, 0), m, true, 0, 0));
    ASSERT_TRUE(t.x.BlockExplodeMoji(Matrix(1, 1, kPi / 2), m, true, 0, 0));
    const TEntJwwMoji& moved = t.ents.EntMoji[0];
    EXPECT_EQ(moved.nMojiShu, 2005u);
    EXPECT_DOUBLE_EQ(moved.dSizeX, 2.1235);
    EXPECT_DOUBLE_EQ(moved.dSizeY, 0.0001);
    EXPECT_DOUBLE_EQ(moved.start_x, 5);
    EXPECT_EQ(t.ents.EntMoji[1].nMojiShu, 2000u);
    EXPECT_DOUBLE_EQ(t.ents.EntMoji[1].dSizeX, 4.2469);
    const TEntJwwMoji& turned = t.ents.EntMoji[2];
    EXPECT_EQ(turned.nMojiShu, 2000u);
    EXPECT_NEAR(turned.degKakudo, 90, 1e-9);
    EXPECT_DOUBLE_EQ(turned.dSizeX, 2.1235);
}

TEST(JwwTextExplode, VerticalFlagMeasuresHeightAlongTheBaseline) {
    TExplode t;
    TEntJwwMoji m = Horizontal("abc", 0, 10);
    ASSERT_TRUE(t.x.BlockExplodeMoji(Matrix(2, 1, 0), m, true, 0, 0));
    m.att.sFlg = 0x20;
    ASSERT_TRUE(t.x.BlockExplodeMoji(Matrix(2, 1, 0), m, true, 0, 0));
    EXPECT_DOUBLE_EQ(t.ents.EntMoji[0].dSizeX, 5);
    EXPECT_DOUBLE_EQ(t.ents.EntMoji[0].dSizeY, 3.5);
    EXPECT_DOUBLE_EQ(t.ents.EntMoji[1].dSizeX, 2.5);
    EXPECT_DOUBLE_EQ(t.ents.EntMoji[1].dSizeY, 7);
}

TEST(JwwTextExplode, ImageTextsAreRebuiltForTheNewSizeAndTurn) {
    struct Case {
        std::string str;
        double sx, rot;
        std::string expected;
    };
    const Case cases[] = {
        {"^@BMpic,100,75", 2, 0, "^@BMpic,200,150"},
        {"^@BMpic,100", 1, kPi / 6, "^@BMpic,100"},
        {"^@BMpic,100,75", 1, kPi / 2, "^@BMpic,100,75,0,0,1,90"},
        {"^@BMpic,100,50,1,2,3,350", 1, kPi / 6, "^@BMpic,100,50,1,2,3,20"},
        {"^@BMpic,0,50", 0.5, 0, "^@BMpic,50,25"},
        {"^@BM写真,,x", 1, 0, "^@BM写真,100,0.0001"},
        {"^@BMpic,10,5,1,2,3,4,5,6", 1, 0, "^@BMpic,10,5,1,2,3,4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.str);
        TExplode t;
        TEntJwwMoji m = Horizontal(c.str, 3, 13);
        ASSERT_TRUE(t.x.BlockExplodeMoji(Matrix(c.sx, c.sx, c.rot, 1, 1), m, true, 0, 0));
        const TEntJwwMoji& r = t.ents.EntMoji[0];
        EXPECT_EQ(r.str, c.expected);
        EXPECT_DOUBLE_EQ(r.degKakudo, 0);
        EXPECT_DOUBLE_EQ(r.end_y, r.start_y);
        EXPECT_NEAR(r.end_x - r.start_x, MojiWidth(r.str, r.dSizeX, r.dKankaku), 1e-12);
        EXPECT_NEAR(r.start_x, 1 + 3 * c.sx * std::cos(c.rot), 1e-12);
    }
    // Not an image text without a comma.
    TExplode t;
    ASSERT_TRUE(t.x.BlockExplodeMoji(Matrix(2, 2, 0), Horizontal("^@BMpic", 0, 10), true, 0, 0));
    EXPECT_EQ(t.ents.EntMoji[0].str, "^@BMpic");
}

TEntJwwSunpo Dimension1000(uint16_t flags) {
    TEntJwwSunpo s = Dimension(true);
    s.Sen = Line(0, 0, 1000, 0);
    s.Moji = Horizontal("1000", 400, 420);
    s.Moji.att.nPenWidth = flags;
    return s;
}

TEST(JwwTextExplode, MeasuredDimensionValueIsWrittenAnew) {
    TExplode t;
    ASSERT_TRUE(t.x.BlockExplodeSunpo(Matrix(2, 2, 0), Dimension1000(0x02 | 0x20), true, 0, 0));
    const TEntJwwMoji& r = t.ents.EntSunpo[0].Moji;
    EXPECT_EQ(r.str, "2000mm");
    // Centred on the new baseline (800, 0) - (840, 0): six half-width characters 2.5 wide
    // (sizes doubled) with 0.5 between them.
    const double width = 6 * 2.5 + 5 * 0.5;
    EXPECT_NEAR(r.start_x, 820 - width / 2, 1e-12);
    EXPECT_NEAR(r.end_x, 820 + width / 2, 1e-12);
    EXPECT_DOUBLE_EQ(r.dSizeX, 5);
    EXPECT_DOUBLE_EQ(t.ents.EntSunpo[0].Sen.end_x, 2000);

    ASSERT_TRUE(
        t.x.BlockExplodeSunpo(Matrix(1, 1, 0, 7, 0), Dimension1000(0x02 | 0x20), true, 0, 0));
    EXPECT_EQ(t.ents.EntSunpo[1].Moji.str, "1000");
    EXPECT_DOUBLE_EQ(t.ents.EntSunpo[1].Moji.start_x, 407);
    ASSERT_TRUE(t.x.BlockExplodeSunpo(Matrix(2, 2, 0), Dimension1000(0x20), true, 0, 0));
    EXPECT_EQ(t.ents.EntSunpo[2].Moji.str, "1000");

    // The value uses the scale of the dimension line's layer group.
    t.groups[3].adScale = 50;
    TEntJwwSunpo scaled = Dimension1000(0x02 | 0x10 | 0x20 | 2 * 4096);
    scaled.Sen.att.nGLayer = 3;
    ASSERT_TRUE(t.x.BlockExplodeSunpo(Matrix(1, 1, kPi / 2), scaled, true, 0, 0));
    EXPECT_EQ(t.ents.EntSunpo[3].Moji.str, "50ｍ");
    EXPECT_NEAR(t.ents.EntSunpo[3].Moji.degKakudo, 90, 1e-9);
}

TEST(JwwTextExplode, DimensionWithoutSxfPartsGetsZeroParts) {
    TExplode t;
    TEntJwwSunpo s = Dimension(true);
    s.bSxfMode = 0;
    ASSERT_TRUE(t.x.BlockExplodeSunpo(Matrix(2, 2, 0.3, 4, 4), s, true, 0, 0));
    const TEntJwwSunpo& r = t.ents.EntSunpo[0];
    EXPECT_EQ(r.bSxfMode, 0);
    for (const TEntJwwLine* l : {&r.Ho1, &r.Ho2})
        EXPECT_TRUE(l->start_x == 0 && l->start_y == 0 && l->end_x == 0 && l->end_y == 0);
    for (const TEntJwwTen* p : {&r.Te1, &r.Te2, &r.Kt1, &r.Kt2}) {
        EXPECT_TRUE(p->start_x == 0 && p->start_y == 0 && p->nCode == 0 && p->dBairitsu == 0 &&
                    p->radKaitenKaku == 0 && p->bKariten == 0);
    }
    EXPECT_EQ(r.Te1.att.nPenStyle, 100);
    EXPECT_EQ(r.Ho1.att.nPenColor, 7);

    s.bSxfMode = 1;
    ASSERT_TRUE(t.x.BlockExplodeSunpo(Matrix(1, 1, kPi / 2), s, true, 0, 0));
    const TEntJwwSunpo& sxf = t.ents.EntSunpo[1];
    EXPECT_NEAR(sxf.Ho2.start_x, 5, 1e-12);
    EXPECT_NEAR(sxf.Ho2.start_y, 100, 1e-12);
    EXPECT_NEAR(sxf.Te1.radKaitenKaku, 0.25 + kPi / 2, 1e-12);
    EXPECT_EQ(sxf.Te1.nCode, 5u);
    EXPECT_EQ(sxf.Te2.nCode, 0u);
}

TEST(JwwTextValue, FlagsChooseRoundingFormatAndMarks) {
    struct Case {
        double length;
        uint16_t flags, sFlg;
        double scale;
        std::string expected;
    };
    const Case cases[] = {
        {1234.5012, 0, 0, 1, "1235"},
        {1234.5012, 2 * 4096, 0, 1, "1234.5"},
        {1234.5012, 2 * 4096 | 0x100, 0, 1, "1234.5"},
        {1234.5012, 2 * 4096 | 0x200, 0, 1, "1234.51"},
        {1234.5012, 2 * 4096 | 0x300, 0, 1, "1234.5"},
        {1234.4, 0x200, 0, 1, "1235"},
        {1234.5678, 3 * 4096 | 0x80, 0, 1, "1234.568"},
        {1200, 2 * 4096 | 0x80, 0, 1, "1200.00"},
        {1234567.5, 1 * 4096 | 0x40, 0, 1, "1,234,567.5"},
        {1200, 2 * 4096 | 0x40, 0, 1, "1,200."},
        {1200, 2 * 4096 | 0x40 | 0x80, 0, 1, "1,200.00"},
        {1200, 0x40, 0, 1, "1,200"},
        {50, 0x400, 0x100, 1, "R50"},
        {50, 0x800, 0x100, 1, "50R"},
        {50, 0x400, 0x200, 1, "φ50"},
        {50, 0x400, 0x300, 1, "R50"},
        {50, 0, 0x100, 1, "50"},
        {50, 0x08 | 0x400 | 0x20, 0x100, 1, "Ｒ５０mm"},
        {1500, 0x10 | 0x20 | 1 * 4096, 0, 1, "1.5ｍ"},
        {1500, 0x10 | 0x20 | 1 * 4096, 0, 0, "1.5ｍ"},
        {1500, 0x20, 0, 2, "3000mm"},
        {0.00001, 0x80 | 9 * 4096, 0, 1, "0.000010000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        const TEntJwwLine sen = Line(3, 4, 3, 4 + c.length);
        EXPECT_EQ(SunpoValueText(TBlockMatrix{}, c.flags, c.sFlg, sen, c.scale), c.expected);
    }
}

TEST(JwwTextRoutines, ZenkakuWidthAndNumbers) {
    EXPECT_EQ(ToZenkaku("ｶﾞｷ A1\"'\\ｰﾟ"), "ガキ　Ａ１”’￥ー°");
    EXPECT_EQ(ToZenkaku("ﾊﾟｳﾞｳ"), "パヴウ");
    EXPECT_EQ(ToZenkaku("あ~"), "あ～");
    EXPECT_EQ(ToZenkaku(""), "");

    EXPECT_DOUBLE_EQ(MojiWidth("", 2, 1), 0);
    EXPECT_DOUBLE_EQ(MojiWidth("ab", 2, 1), 2.5);
    EXPECT_DOUBLE_EQ(MojiWidth("あa", 2, 1), 4);
    EXPECT_DOUBLE_EQ(MojiWidth("ｱ", 2, 1), 1);

    EXPECT_EQ(FormatFixed(2, 1234567.891), "1234567.89");
    EXPECT_EQ(FormatNumber(2, 1234567.891), "1,234,567.89");
    EXPECT_EQ(FormatNumber(0, -1234), "-1,234");
    EXPECT_EQ(FormatNumber(0, 123), "123");
    EXPECT_EQ(FormatFixed(2, -0.0), "0.00");
    EXPECT_EQ(FormatFixed(1, std::nan("")), "0.0");

    EXPECT_EQ(CopyTextFrom("あいう", 1), "いう");
    EXPECT_EQ(CopyTextFrom("あいう", 3), "");
    EXPECT_EQ(TextToAnsiBytes("あa"),
              "\x82\xA0"
              "a");
}

TEST(JwwTextGeometry, SizesMeasureAlongAndAcrossTheImageBaseline) {
    TMojiGeom g;
    g.sx = 1;
    g.sy = 1;
    g.ex = 1;
    g.ey = 11;  // reading upwards
    g.w = 2;
    g.h = 3;
    g.d = 1;
    g.k = 1;
    // Along the baseline (the definition's Y axis) scale 4, across it 2.
    const TMojiGeom r = AffineMoji(Matrix(2, 4, 0), g);
    EXPECT_DOUBLE_EQ(r.w, 8);
    EXPECT_DOUBLE_EQ(r.d, 4);
    EXPECT_DOUBLE_EQ(r.h, 6);
    EXPECT_EQ(r.k, 0u);
    EXPECT_DOUBLE_EQ(LineDist(5, 7, 0, 0, 0, 0), 7);
    EXPECT_NEAR(LineDist(0, 2, 0, 0, 1, 1), std::sqrt(2.0), 1e-12);
}

}  // namespace
}  // namespace velmora::test
