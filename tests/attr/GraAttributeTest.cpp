#include "attr/GraAttribute.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace velmora {
namespace {

constexpr uint32_t Argb(uint32_t r, uint32_t g, uint32_t b) {
    return 0xFF000000u + r * 65536u + g * 256u + b;
}

TEST(GraAttributeSlots, PenColourNumbersMapToSlotsAtEveryBoundary) {
    const struct {
        int jn, slot;
    } cases[] = {{-1, -1},  {0, -1},  {1, 0},     {9, 8},    {10, -1},  {11, -1},
                 {100, -1}, {101, 9}, {356, 264}, {357, -1}, {1000, -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.jn);
        EXPECT_EQ(TgraAttribute::GetColSlot(c.jn), c.slot);
    }
}

TEST(GraAttributeSlots, LineTypeNumbersMapToSlotsAtEveryBoundary) {
    const struct {
        int jn, slot;
    } cases[] = {{0, -1},  {1, 0},   {9, 8},   {10, -1}, {11, 9},  {19, 17},
                 {20, -1}, {30, -1}, {31, 18}, {62, 49}, {63, -1}, {-5, -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.jn);
        EXPECT_EQ(TgraAttribute::GetTypSlot(c.jn), c.slot);
    }
}

TEST(GraAttributeColours, PenWithoutSlotChangesNothing) {
    TgraAttribute att;
    const TgraAttribute before = att;
    for (int jn : {0, 10, 11, 100, 357}) {
        att.SetAttrCol(jn, 0xFF123456u, 9.0, 9.0);
        att.SetAttrCol(jn, 9.0);
    }
    att.SetAttrCol_(-1, 0xFF123456u, 9.0, 9.0);
    att.SetAttrCol_(265, 0xFF123456u, 9.0, 9.0);
    for (int n = 0; n < TgraAttribute::jwvColN; ++n) {
        EXPECT_EQ(att.GetAttrColcol_(n), before.GetAttrColcol_(n));
        EXPECT_EQ(att.GetAttrColwid_(n), before.GetAttrColwid_(n));
        EXPECT_EQ(att.GetAttrColten_(n), before.GetAttrColten_(n));
    }
}

TEST(GraAttributeColours, BothNumberingsAddressTheSameSlot) {
    TgraAttribute att;
    att.SetAttrCol(356, 0xFF010203u, 0.7, 0.8);
    EXPECT_EQ(att.GetAttrColcol_(264), 0xFF010203u);
    EXPECT_EQ(att.GetAttrColwid_(264), 0.7);
    EXPECT_EQ(att.GetAttrColten_(264), 0.8);
    att.SetAttrCol_(9, 0xFF0A0B0Cu);
    EXPECT_EQ(att.GetAttrColcol(101), 0xFF0A0B0Cu);
    att.SetAttrCol(5, 0.9, 1.1);  // width and radius only
    EXPECT_EQ(att.GetAttrColcol(5), Argb(192, 0, 192));
    EXPECT_EQ(att.GetAttrColwid(5), 0.9);
    EXPECT_EQ(att.GetAttrColten(5), 1.1);
}

TEST(GraAttributeColours, InvalidNumbersGiveDocumentedDefaults) {
    TgraAttribute att;
    for (int n : {-1, 265}) {
        EXPECT_EQ(att.GetAttrColcol_(n), 0xFFFFFFFFu);
        EXPECT_EQ(att.GetAttrColwid_(n), 0.0);
        EXPECT_EQ(att.GetAttrColten_(n), 0.1);
    }
    EXPECT_EQ(att.GetAttrColcol(10), 0xFFFFFFFFu);
    att.SetBackColor(1);
    EXPECT_EQ(att.GetAttrColcol(0), 0xFF000000u);
}

TEST(GraAttributeColours, DefaultsForLightAndDarkBackgrounds) {
    TgraAttribute att;
    EXPECT_EQ(att.GetAttrColcol(1), Argb(0, 192, 192));
    EXPECT_EQ(att.GetAttrColcol(2), Argb(0, 0, 0));
    EXPECT_EQ(att.GetAttrColcol(8), Argb(255, 0, 128));
    EXPECT_EQ(att.GetAttrColcol(102), Argb(255, 0, 0));
    EXPECT_EQ(att.GetAttrColcol(116), Argb(128, 128, 128));
    EXPECT_EQ(att.GetAttrColcol(117), 0xFF000000u);  // ForeColor
    EXPECT_EQ(att.GetAttrColcol(356), 0xFF000000u);

    // Switching the background alone keeps the light colours.
    att.SetBackColor(1);
    EXPECT_EQ(att.GetBackColorNo(), 1);
    EXPECT_EQ(att.GetAttrColcol(2), Argb(0, 0, 0));
    att.SetDefaultColor();
    EXPECT_EQ(att.GetAttrColcol(1), Argb(0, 255, 255));
    EXPECT_EQ(att.GetAttrColcol(2), Argb(255, 255, 255));
    EXPECT_EQ(att.GetAttrColcol(6), Argb(32, 32, 255));
    EXPECT_EQ(att.GetAttrColcol(8), Argb(160, 0, 0));
    EXPECT_EQ(att.GetAttrColcol(9), Argb(192, 128, 128));
    EXPECT_EQ(att.GetAttrColcol(101), Argb(255, 255, 255));
    EXPECT_EQ(att.GetAttrColcol(117), 0xFFFFFFFFu);
    EXPECT_EQ(att.GetBackColor(), 0xFF000000u);
    EXPECT_EQ(att.GetForeColor(), 0xFFFFFFFFu);
}

TEST(GraAttributeColours, BackgroundKindOutsideZeroAndOneIsIgnored) {
    TgraAttribute att;
    att.SetBackColor(1);
    att.SetBackColor(2);
    att.SetBackColor(-1);
    EXPECT_EQ(att.GetBackColorNo(), 1);
    EXPECT_EQ(att.GetBackColor(), 0xFF000000u);
}

TEST(GraAttributeColours, DefaultWidthsAndPointRadii) {
    TgraAttribute att;
    const double widths[] = {0.1, 0.15, 0.2, 0.25, 0.3, 0.35, 0.4, 0.5, 0.01, 0.18};
    const double radii[] = {0.2, 0.3, 0.4, 0.5, 0.5, 0.5, 0.5, 0.5, 0.2, 0.2};
    for (int n = 0; n < 10; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(att.GetAttrColwid_(n), widths[n]);
        EXPECT_EQ(att.GetAttrColten_(n), radii[n]);
    }
    EXPECT_EQ(att.GetAttrColwid_(264), 0.18);
    EXPECT_EQ(att.GetAttrColten_(264), 0.2);
}

TEST(GraAttributeColours, PrintThresholds) {
    TgraAttribute att;
    const uint32_t light = Argb(240, 240, 240);
    att.SetAttrCol_(3, light);
    att.SetAttrCol_(30, light);
    att.SetPrintMode(true, -1, 20, -1);
    EXPECT_EQ(att.GetAttrColcol_(3), 0xFF000000u);
    EXPECT_EQ(att.GetAttrColcol_(30), light);
    int sk0 = 0, sk1 = 0, sk2 = 0;
    EXPECT_TRUE(att.GetPrintMode(sk0, sk1, sk2));
    EXPECT_EQ(sk0, -1);
    EXPECT_EQ(sk1, 20);
    EXPECT_EQ(sk2, -1);

    att.SetPrintMode(true, -1, -1, 20);
    EXPECT_EQ(att.GetAttrColcol_(3), light);
    EXPECT_EQ(att.GetAttrColcol_(30), 0xFF000000u);
    att.SetAttrCol_(31, Argb(240, 234, 240));  // one channel below 255 - 20
    EXPECT_EQ(att.GetAttrColcol_(31), Argb(240, 234, 240));

    // Two-tone: light enough in every channel becomes white, anything else black.
    att.SetPrintMode(true, 20, -1, -1);
    EXPECT_EQ(att.GetAttrColcol_(3), 0xFFFFFFFFu);
    EXPECT_EQ(att.GetAttrColcol_(31), 0xFF000000u);
    EXPECT_EQ(att.GetAttrColcol(102), 0xFF000000u);

    att.SetPrintMode(false, 20, 20, 20);
    EXPECT_EQ(att.GetAttrColcol_(3), light);
}

TEST(GraAttributeLayers, DefaultNamesAndOutOfRangeGetters) {
    TgraAttribute att;
    EXPECT_EQ(att.GetAttrLayerGName(0x2B), "[2] ");
    EXPECT_EQ(att.GetAttrLayerName(0x2B), "(B) ");
    EXPECT_EQ(att.GetAttrLayerGName(255), "[F] ");
    for (int n : {-1, 256}) {
        EXPECT_EQ(att.GetAttrLayerState(n), 1);
        EXPECT_EQ(att.GetAttrLayerScale(n), 1.0);
        EXPECT_EQ(att.GetAttrLayerGName(n), "");
        EXPECT_EQ(att.GetAttrLayerName(n), "");
        int st = 9;
        double sc = 9;
        std::string g = "x", l = "y";
        EXPECT_FALSE(att.GetAttrLayer(n, st, sc, g, l));
        EXPECT_EQ(st, 9);
        EXPECT_EQ(g, "x");
    }
    att.SetAttrLayer(256, 3, 0.5, "G", "L");
    att.SetAttrLayer(-1, 3);
    EXPECT_EQ(att.GetAttrLayerState(255), 1);
    EXPECT_EQ(att.GetAttrLayerState(0), 1);
}

TEST(GraAttributeLayers, SetAttrLayerClampsStateAndScale) {
    TgraAttribute att;
    att.SetAttrLayer(5, 7, 0.0, "G", "L");
    int st = 0;
    double sc = 0;
    std::string g, l;
    ASSERT_TRUE(att.GetAttrLayer(5, st, sc, g, l));
    EXPECT_EQ(st, 1);
    EXPECT_EQ(sc, 1.0);
    EXPECT_EQ(g, "[0] G");
    EXPECT_EQ(l, "(5) L");

    const double badScales[] = {-2.0, std::numeric_limits<double>::infinity(),
                                std::numeric_limits<double>::quiet_NaN()};
    for (double bad : badScales) {
        att.SetAttrLayer(7, 3, bad);
        EXPECT_EQ(att.GetAttrLayerScale(7), 1.0);
        EXPECT_EQ(att.GetAttrLayerState(7), 3);
    }
    att.SetAttrLayer(7, 0);
    EXPECT_EQ(att.GetAttrLayerState(7), 1);
    att.SetAttrLayer(7, 2, 0.01);
    EXPECT_EQ(att.GetAttrLayerState(7), 2);
    EXPECT_EQ(att.GetAttrLayerScale(7), 0.01);
    EXPECT_EQ(att.GetAttrLayerName(7), "(7) ");  // names kept

    att.SetDefaultLayer();
    EXPECT_EQ(att.GetAttrLayerState(7), 1);
    EXPECT_EQ(att.GetAttrLayerName(5), "(5) ");
}

TEST(GraAttributeLineTypes, DefaultsAndPitches) {
    TgraAttribute att;
    EXPECT_EQ(att.GetAttrTypseg_(0), 0);
    EXPECT_EQ(att.GetAttrTyppit_(0), 0.0);
    EXPECT_EQ(att.GetAttrTypseg(2), 3);
    EXPECT_NEAR(att.GetAttrTyppit(2), 1.44, 1e-12);
    EXPECT_EQ(att.GetAttrTyppa1(2, 1), -2 * 0.36);

    const double expected[] = {0.6, 0.6, -0.6, -0.6, 0.6, 0.6, -0.6, -0.6, 0.6, -0.6};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(att.GetAttrTyppa1_(9, i), expected[i]) << i;
    EXPECT_EQ(att.GetAttrTypseg_(9), 32);
    EXPECT_EQ(att.GetAttrTypamp_(9), 0.3);
    EXPECT_NEAR(att.GetAttrTyppit_(9), 19.2, 1e-9);
    EXPECT_EQ(att.GetAttrTypamp(15), 0.6);
    EXPECT_NEAR(att.GetAttrTyppit(15), 96.0, 1e-9);

    const struct {
        int jn, seg;
        double pit;
    } cases[] = {{9, 3, 1.44}, {16, 5, 20.8},   {19, 3, 47.0}, {31, 0, 0.0},
                 {32, 2, 7.5}, {45, 10, 20.25}, {46, 0, 0.0},  {62, 0, 0.0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.jn);
        EXPECT_EQ(att.GetAttrTypseg(c.jn), c.seg);
        EXPECT_NEAR(att.GetAttrTyppit(c.jn), c.pit, 1e-9);
        EXPECT_EQ(att.GetAttrTypamp(c.jn), 0.0);
    }
}

TEST(GraAttributeLineTypes, EntriesAreStoredOnlyBelowSegAndSegStaysInsideThePattern) {
    TgraAttribute att;
    att.SetAttrTyppa1_(1, 3, 5.0);  // seg is 3
    EXPECT_EQ(att.GetAttrTyppa1_(1, 3), 0.0);
    att.SetAttrTyppa1_(1, -1, 5.0);
    att.SetAttrTyppa1_(1, 2, 5.0);
    EXPECT_EQ(att.GetAttrTyppa1_(1, 2), 5.0);

    att.SetAttrTypseg_(20, 1000);
    EXPECT_EQ(att.GetAttrTypseg_(20), 32);
    att.SetAttrTyppa1_(20, 32, 1.0);
    att.SetAttrTyppa1_(20, 31, -2.0);
    att.SetAttrTypPit_(20);
    EXPECT_EQ(att.GetAttrTyppit_(20), 6 + 6 + 2.0);
    att.SetAttrTypScale(2.0);
    EXPECT_EQ(att.GetAttrTyppa1_(20, 31), -4.0);
    EXPECT_EQ(att.GetAttrTyppit_(20), 28.0);

    att.SetAttrTypseg_(20, -4);
    EXPECT_EQ(att.GetAttrTypseg_(20), 0);
    att.SetAttrTypPit_(20);
    EXPECT_EQ(att.GetAttrTyppit_(20), 0.0);

    // Out of range slots: setters ignored, getters 0.
    att.SetAttrTypseg_(50, 3);
    att.SetAttrTypseg(10, 3);
    att.SetAttrTypamp_(-1, 2.0);
    EXPECT_EQ(att.GetAttrTypseg_(50), 0);
    EXPECT_EQ(att.GetAttrTypseg(10), 0);
    EXPECT_EQ(att.GetAttrTyppa1_(0, 32), 0.0);
    EXPECT_EQ(att.GetAttrTyppat_(50)[0], 0.0);
}

TEST(GraAttributeLineTypes, PatternCopyClearsAndStopsAtSeg) {
    TgraAttribute att;
    att.SetAttrTypseg(32, 3);
    const std::vector<double> pat = {1, -2, 3, -4, 5};
    att.SetAttrTyppat(32, pat);
    att.SetAttrTypPit(32);
    const auto pa = att.GetAttrTyppat(32);
    EXPECT_EQ(pa[0], 1);
    EXPECT_EQ(pa[2], 3);
    EXPECT_EQ(pa[3], 0);
    EXPECT_EQ(att.GetAttrTyppit(32), 6.0);

    att.SetAttrTypseg(32, 4);
    const std::vector<double> shortPat = {7};
    att.SetAttrTyppat(32, shortPat);
    EXPECT_EQ(att.GetAttrTyppa1(32, 0), 7);
    EXPECT_EQ(att.GetAttrTyppa1(32, 1), 0);
}

TEST(GraAttributeSequences, StartupAndPerFileResets) {
    TgraAttribute att;
    PrepareAttributesAtStartup(att);
    EXPECT_EQ(att.GetDispHojo(), 1);
    EXPECT_EQ(att.GetDispKijun(), 1);
    EXPECT_EQ(att.GetGrayColor(), 0xFF808080u);
    EXPECT_FALSE(att.GetDisplayMode());
    EXPECT_EQ(att.GetBackColorNo(), 0);

    // A drawing switched to a dark background and changed pens and line types.
    att.SetBackColor(1);
    att.SetAttrCol(2, 0xFF112233u, 5.0, 6.0);
    att.SetAttrTypseg_(1, 0);
    att.SetAttrLayer(3, 3);

    TgraAttribute jww = att;
    ResetAttributesForJwwFile(jww);
    EXPECT_EQ(jww.GetAttrColcol(2), Argb(255, 255, 255));  // background kind survives
    EXPECT_EQ(jww.GetAttrColwid(2), 0.15);
    EXPECT_EQ(jww.GetAttrColten(2), 0.3);
    EXPECT_EQ(jww.GetAttrTypseg_(1), 3);
    EXPECT_EQ(jww.GetAttrLayerState(3), 3);  // layers are the reader's business

    TgraAttribute other = att;
    ResetAttributesForOtherFile(other);
    EXPECT_EQ(other.GetBackColorNo(), 1);
    EXPECT_EQ(other.GetAttrColcol(2), Argb(255, 255, 255));
    EXPECT_EQ(other.GetAttrColcol(200), 0xFFFFFFFFu);
}

TEST(GraAttributeSequences, TwoTablesAreIndependent) {
    TgraAttribute a;
    TgraAttribute b;
    a.SetBackColor(1);
    a.SetDefaultColor();
    a.SetAttrLayer(0, 3);
    EXPECT_EQ(b.GetAttrColcol(2), 0xFF000000u);
    EXPECT_EQ(b.GetAttrLayerState(0), 1);
    a.SetAll1Color(true, 0xFF00FF00u);
    EXPECT_TRUE(a.GetAll1ColorState());
    EXPECT_EQ(a.GetAll1Color(), 0xFF00FF00u);
    a.SetAll1Color(false);
    EXPECT_EQ(a.GetAll1Color(), 0xFF00FF00u);
    EXPECT_FALSE(b.GetAll1ColorState());
}

}  // namespace
}  // namespace velmora
