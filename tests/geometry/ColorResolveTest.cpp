#include "attr/GraAttribute.h"
#include "geometry/Converter.h"
#include "geometry/FigList.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

struct ColorResolveFixture : ::testing::Test {
    TFigList fig;
    TgraAttribute att;
    TConverter conv{fig, att};
};

TEST_F(ColorResolveFixture, PenColoursFillKeysInSlotOrderAsColorRef) {
    att.SetAttrCol(1, 0xFF112233u);
    att.SetAttrCol(356, 0x7FA0B0C0u);  // alpha is dropped
    conv.DataTransSubColor1();
    EXPECT_EQ(fig.FigColKeyN, 265);
    EXPECT_EQ(fig.FigColKey[1], 0x00332211);
    EXPECT_EQ(fig.FigColKey[2], 0x000000);   // pen 2, black
    EXPECT_EQ(fig.FigColKey[11], 0x0000FF);  // SXF 102, red
    EXPECT_EQ(fig.FigColKey[265], 0x00C0B0A0);
    EXPECT_EQ(fig.FigColKey[266], 0);
}

TEST_F(ColorResolveFixture, RebuildEmptiesSolidColoursOfThePreviousFile) {
    conv.DataTransSubColor1();
    conv.DataTransSubColor2(0x123456);
    EXPECT_EQ(fig.FigColKeyN, 266);
    conv.DataTransSubColor1();
    EXPECT_EQ(fig.FigColKeyN, 265);
    EXPECT_EQ(fig.FigColKey[266], 0);
}

TEST_F(ColorResolveFixture, PrintModeIsSwitchedOff) {
    att.SetAttrCol(3, 0xFFF0F0F0u);
    att.SetPrintMode(true, 20, 20, 20);
    conv.DataTransSubColor1();
    EXPECT_EQ(fig.FigColKey[3], 0x00F0F0F0);
    int a = 0, b = 0, c = 0;
    EXPECT_FALSE(att.GetPrintMode(a, b, c));
}

TEST_F(ColorResolveFixture, SolidColoursGetKeysInOrderOfFirstAppearance) {
    conv.DataTransSubColor1();
    const uint32_t A = 0x123456, B = 0x654321;
    for (uint32_t c : {A, B, A})
        conv.DataTransSubColor2(static_cast<int32_t>(c));
    EXPECT_EQ(fig.FigColKeyN, 267);
    EXPECT_EQ(conv.ColorKeyOfSolid(10, A), 266);
    EXPECT_EQ(conv.ColorKeyOfSolid(10, B), 267);
}

TEST_F(ColorResolveFixture, SolidsOfPenColoursResolveToThePenKey) {
    conv.DataTransSubColor1();
    conv.DataTransSubColor2(0x0000FF);
    conv.DataTransSubColor2(0x000000);
    EXPECT_EQ(fig.FigColKeyN, 265);
    EXPECT_EQ(conv.ColorKeyOfSolid(10, 0x0000FF), 11);
    EXPECT_EQ(conv.ColorKeyOfSolid(10, 0x000000), 2);
    // A solid with an SXF pen uses the pen, not its stored colour.
    EXPECT_EQ(conv.ColorKeyOfSolid(101, 0x123456), 10);
}

TEST_F(ColorResolveFixture, FullTableGivesKeySevenToNewColours) {
    conv.DataTransSubColor1();
    for (int i = 0; i < 6000; ++i)
        conv.DataTransSubColor2(0x01000000 + i);
    EXPECT_EQ(fig.FigColKeyN, kFigColKeyMax);
    EXPECT_EQ(conv.ColorKeyOfSolid(10, 0x01000000), 266);
    EXPECT_EQ(conv.ColorKeyOfSolid(10, 0x01000000 + 5000), 5266);
    EXPECT_EQ(conv.ColorKeyOfSolid(10, 0x01000000 + 5001), 7);
}

TEST_F(ColorResolveFixture, DarkBackgroundMakesKeyTwoWhite) {
    att.SetBackColor(1);
    att.SetDefaultColor();
    conv.DataTransSubColor1();
    EXPECT_EQ(fig.FigColKey[2], 0xFFFFFF);
}

TEST(ColorKeys, PenNumbersToKeys) {
    const struct {
        int p, key;
    } cases[] = {{1, 1},     {9, 9},    {10, 10},   {0, 0},    {50, 50},
                 {100, 100}, {101, 10}, {356, 265}, {357, 357}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.p);
        EXPECT_EQ(TConverter::ColorKeyOfPen(c.p), c.key);
    }
    EXPECT_EQ(TConverter::ColorKeyOfDosColor(5), 5);
}

}  // namespace
}  // namespace velmora
