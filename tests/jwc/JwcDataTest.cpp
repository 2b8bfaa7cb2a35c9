#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "attr/GraAttribute.h"
#include "jwc/JwcData.h"
#include "jwc/JwcRead.h"
#include "jwc/JwkData.h"
#include "support/JwcEncoder.h"
#include "support/TestFiles.h"

namespace velmora {
namespace {

using test::EncodeJwc;
using test::TJwcFile;

std::span<const std::byte> Span(const std::vector<std::byte>& v) {
    return std::span(v.data(), v.size());
}

std::string AsText(const std::vector<std::byte>& v) {
    return std::string(reinterpret_cast<const char*>(v.data()), v.size());
}

TJwcFile SmallDrawing() {
    TJwcFile f;
    f.psize = 99;  // keeps stored units
    f.lines = {{1, 2, 3, 4, 2, 3, 0x12, 0, 0x20, 0}, {5, 6, 7, 8}};
    f.arcs = {{10, 20, 5, 5000, test::FixedDeg(30), test::FixedDeg(120), test::FixedDeg(-45), 1, 2,
               0x21}};
    f.texts = {{0, 0, 10, 0, "AB", 1, 0x10}, {0, 5, 10, 5, "\x82\xA0\x01x"}};
    f.tens = {{7, 8, 0x22, 4, 0x40, 1}};
    f.groupScale[0] = 50;
    f.groupScale[2] = 100;
    f.layerNames[0x12] = "wall";
    f.groupNames[1] = "plan";
    f.mjPen[3] = 2;
    f.mjWidth[3] = 40;
    f.vtenX[100] = 9;
    f.vtenLay[100] = 3;
    return f;
}

TEST(JwcData, ReadsEveryTableAndRecordOfAWholeDrawing) {
    test::TJwcLayout layout;
    const auto bytes = EncodeJwc(SmallDrawing(), &layout);
    // The fixed offsets of the format, so that encoder and reader cannot drift together.
    EXPECT_EQ(layout.tables, 800u);
    EXPECT_EQ(layout.groupScales, 1797u);
    EXPECT_EQ(layout.lines, 1797u + 64 + 16 + 256 + 16 + 256 + 16);
    EXPECT_EQ(layout.end - layout.names, 256u * 8 + 16 * 16);
    TJwcData d;
    ASSERT_TRUE(d.FileInBytes(Span(bytes))) << d.ErrorText() << " at " << d.ErrorOffset();
    EXPECT_EQ(d.Enthd.jwID, "jw_cad(c)data.......  f");
    EXPECT_TRUE(d.Enthd.scaleF);
    EXPECT_FLOAT_EQ(d.Enthd.dataUnit, 1.0f);
    ASSERT_EQ(d.lineN, 2);
    ASSERT_EQ(d.EntLine.size(), 2u);
    EXPECT_FLOAT_EQ(d.EntLine[0].x1, 1);
    EXPECT_FLOAT_EQ(d.EntLine[0].y2, 4);
    EXPECT_EQ(d.EntLine[0].typ, 2);
    EXPECT_EQ(d.EntLine[0].col, 3);
    EXPECT_EQ(d.EntLine[0].lay, 0x12);
    EXPECT_EQ(d.EntLine[0].flg2, 0x20);
    ASSERT_EQ(d.arcN, 1);
    const TEntJwcArc2& a = d.EntArc[0];
    EXPECT_FLOAT_EQ(a.r, 5);
    EXPECT_FLOAT_EQ(a.h, 0.5f);
    EXPECT_FLOAT_EQ(a.st, 30);
    EXPECT_FLOAT_EQ(a.et, 120);
    EXPECT_FLOAT_EQ(a.tt, -45);
    EXPECT_EQ(a.lay, 0x21);
    ASSERT_EQ(d.mojiN, 2);
    EXPECT_EQ(d.MojiText(0), "AB");
    EXPECT_EQ(d.EntMoji[0].lay, 0x10);
    // Shift-JIS decoded, control characters removed.
    EXPECT_EQ(d.MojiText(1), "\xE3\x81\x82x");
    EXPECT_EQ(d.EntMoji[0].p, 0x6000 * 16 + 0x10);
    ASSERT_EQ(d.tenN, 1);
    EXPECT_FLOAT_EQ(d.EntTen[0].x, 7);
    EXPECT_EQ(d.EntTen[0].lay, 0x22);
    EXPECT_EQ(d.EntTen[0].flg1, 0x40);
    EXPECT_FLOAT_EQ(d.EntLgrp[0].scale, 50);
    EXPECT_EQ(d.EntLgrp[1].name, "plan");
    EXPECT_EQ(d.EntLay[0x12].name, "wall");
    EXPECT_EQ(d.EntMjtp.size(), 12u);
    EXPECT_EQ(d.EntMjtp[3].penNo, 2);
    EXPECT_EQ(d.EntMjtp[3].width, 40);
    EXPECT_FLOAT_EQ(d.EntVten[100].x, 9);
    EXPECT_EQ(d.EntVten[100].lay, 3);
    EXPECT_TRUE(d.ErrorText().empty());
}

TEST(JwcData, DataUnitFollowsPaperSize) {
    struct Case {
        int32_t psize, drawWidth;
        float unit;
    };
    const Case cases[] = {
        {0, 518, 1189.0f / 518}, {3, 420, 1.0f},  {4, 0, 297.0f / 518},    {8, 1000, 1.682f},
        {14, 1000, 100.0f},      {5, 200, 1.0f},  {6, 200, 1.0f},          {7, 200, 1.0f},
        {15, 200, 1.0f},         {-1, 200, 1.0f}, {12, 0, 10000.0f / 518},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.psize);
        TJwcFile f;
        f.psize = c.psize;
        f.drawWidth = c.drawWidth;
        f.lines = {{0, 0, static_cast<float>(c.drawWidth == 0 ? 518 : c.drawWidth), 0}};
        TJwcData d;
        ASSERT_TRUE(d.FileInBytes(Span(EncodeJwc(f))));
        EXPECT_FLOAT_EQ(d.Enthd.dataUnit, c.unit);
        EXPECT_EQ(d.Enthd.drawWidth, c.drawWidth == 0 ? 518 : c.drawWidth);
        EXPECT_NEAR(d.EntLine[0].x2, c.unit * (c.drawWidth == 0 ? 518 : c.drawWidth), 1e-3);
    }
}

TEST(JwcData, A4WithDefaultWidthMakes518UnitsThe297MillimetreSide) {
    TJwcFile f;
    f.psize = 4;
    f.drawWidth = 0;
    f.lines = {{0, 0, 518, 0}};
    f.tens = {{518, 259}};
    f.vtenY[0] = 518;
    TJwcData d;
    ASSERT_TRUE(d.FileInBytes(Span(EncodeJwc(f))));
    EXPECT_NEAR(d.EntLine[0].x2 - d.EntLine[0].x1, 297.0, 1e-4);
    EXPECT_NEAR(d.EntTen[0].y, 148.5, 1e-4);
    EXPECT_NEAR(d.EntVten[0].y, 297.0, 1e-4);
}

TEST(JwcData, OldDrawingsStoreGroupScalesAsWords) {
    TJwcFile f = SmallDrawing();
    f.jwID = "jw_cad(c)data.......  e";
    TJwcData d;
    ASSERT_TRUE(d.FileInBytes(Span(EncodeJwc(f))));
    EXPECT_FALSE(d.Enthd.scaleF);
    EXPECT_FLOAT_EQ(d.EntLgrp[0].scale, 50);
    EXPECT_FLOAT_EQ(d.EntLgrp[2].scale, 100);
    // Everything after the 32-byte table still lines up.
    EXPECT_EQ(d.EntLgrp[3].srchF, 1);
    EXPECT_FLOAT_EQ(d.EntLine[1].x2, 7);
    EXPECT_EQ(d.MojiText(0), "AB");
    EXPECT_FLOAT_EQ(d.EntTen[0].y, 8);
    EXPECT_EQ(d.EntLgrp[1].name, "plan");

    // A short jwID has no 23rd character at all.
    f.jwID = "jw_cad(c)data.......";
    ASSERT_TRUE(d.FileInBytes(Span(EncodeJwc(f))));
    EXPECT_FALSE(d.Enthd.scaleF);
    EXPECT_EQ(d.EntLay[0x12].name, "wall");
}

TEST(JwcData, EqualTextAddressesMeanNoTextBlock) {
    TJwcFile f = SmallDrawing();
    f.textEnd = int64_t{f.textSegment} * 16 + f.textOffset;
    TJwcData d;
    ASSERT_TRUE(d.FileInBytes(Span(EncodeJwc(f))));
    ASSERT_EQ(d.mojiN, 2);
    EXPECT_TRUE(d.MojiText(0).empty());
    EXPECT_TRUE(d.MojiText(1).empty());
    EXPECT_EQ(d.tenN, 1);
    EXPECT_FLOAT_EQ(d.EntTen[0].x, 7);
}

TEST(JwcData, TextAddressesOutsideTheBlockGiveEmptyTexts) {
    TJwcFile f;
    const int64_t start = int64_t{f.textSegment} * 16 + f.textOffset;
    f.texts = {{0, 0, 0, 0, "first"},
               {0, 0, 0, 0, "second", 1, 0, 0, 0, start - 1},
               {0, 0, 0, 0, "third", 1, 0, 0, 0, start + 32},  // the block holds 32 bytes
               {0, 0, 0, 0, "fourth", 1, 0, 0, 0, start + 2},
               {0, 0, 0, 0, "fifth", 1, 0, 0, 0, 0x10FFEF}};
    TJwcData d;
    ASSERT_TRUE(d.FileInBytes(Span(EncodeJwc(f))));
    ASSERT_EQ(d.mojiN, 5);
    EXPECT_EQ(d.MojiText(0), "first");
    EXPECT_EQ(d.MojiText(1), "");
    EXPECT_EQ(d.MojiText(2), "");
    // Inside the block, not at a string start: the rest of that string.
    EXPECT_EQ(d.MojiText(3), "rst");
    EXPECT_EQ(d.MojiText(4), "");
}

TEST(JwcData, TextsIntoOneLongStringAreCappedAndShareTheWork) {
    TJwcFile f;
    const int64_t start = int64_t{f.textSegment} * 16 + f.textOffset;
    f.texts.resize(3000);
    f.texts[0].text = std::string(60000, 'a');
    for (size_t i = 1; i < f.texts.size(); ++i)
        f.texts[i].address = start + static_cast<int64_t>(i % 7);
    f.texts[2999].address = start + 60000 - 5;
    TJwcData d;
    ASSERT_TRUE(d.FileInBytes(Span(EncodeJwc(f))));
    ASSERT_EQ(d.mojiN, 3000);
    EXPECT_EQ(d.MojiText(0).size(), kJwcTextMax);
    EXPECT_EQ(d.MojiText(1), d.MojiText(0));
    EXPECT_EQ(d.MojiText(2999), "aaaaa");
}

TEST(JwcData, TextRecordsAddressBySegmentTimesSixteenPlusOffset) {
    TJwcFile f;
    f.textSegment = 0x5FFF;
    f.textOffset = 0x0020;  // the same linear start as 6000:0010
    f.texts = {{0, 0, 0, 0, "abc"}};
    TJwcData d;
    ASSERT_TRUE(d.FileInBytes(Span(EncodeJwc(f))));
    EXPECT_EQ(d.Enthd.sBufAdr1, 0x60010);
    EXPECT_EQ(d.Enthd.sBufAdr2, 0x60014);
    EXPECT_EQ(d.EntMoji[0].p, 0x60010);
    EXPECT_EQ(d.MojiText(0), "abc");
}

TEST(JwcData, MissingHeaderParametersReadAsZero) {
    TJwcFile f;
    f.lines = {{0, 0, 518, 0}, {1, 1, 2, 2}};
    f.block2 = "2,0,0,0";  // no psize (0 -> A0) and no drawWidth (518)
    f.block3 = "";
    f.block4 = test::RealModeAddress(0x6000, 0x0010) + "," + test::RealModeAddress(0x6000, 0x0010);
    TJwcData d;
    ASSERT_TRUE(d.FileInBytes(Span(EncodeJwc(f))));
    EXPECT_EQ(d.Enthd.psize, 0);
    EXPECT_EQ(d.Enthd.drawWidth, 518);
    EXPECT_EQ(d.Enthd.curFno, 0);
    EXPECT_FLOAT_EQ(d.Enthd.arLen, 0);
    EXPECT_FLOAT_EQ(d.Enthd.dataUnit, 1189.0f / 518);
    ASSERT_EQ(d.lineN, 2);
    EXPECT_NEAR(d.EntLine[0].x2, 1189.0, 1e-3);
}

TEST(JwcData, UnreadableHeaderNumbersReadAsZero) {
    TJwcFile f;
    f.lines = {{0, 0, 1, 0}};
    f.block2 = "1,x,,0,0,1,1,1,1,abc,0,99,2,1,0,0,5,10,0,0,0,0,0,0,0,5,5,0,0,1,518,0";
    TJwcData d;
    ASSERT_TRUE(d.FileInBytes(Span(EncodeJwc(f))));
    EXPECT_EQ(d.Enthd.arcCount, 0);
    EXPECT_EQ(d.Enthd.mojiCount, 0);
    EXPECT_FLOAT_EQ(d.Enthd.wLayScale, 0);
    EXPECT_EQ(d.lineN, 1);
}

TEST(JwcData, ArcFlatteningAndFixedPointAngles) {
    TJwcFile f;
    f.psize = 99;
    f.arcs = {{0, 0, 1, 10000, 5898240, 0, 0}, {0, 0, 1, 0, -5898240, 65536 * 360, 32768}};
    TJwcData d;
    ASSERT_TRUE(d.FileInBytes(Span(EncodeJwc(f))));
    EXPECT_FLOAT_EQ(d.EntArc[0].h, 1.0f);
    EXPECT_FLOAT_EQ(d.EntArc[0].st, 90.0f);
    EXPECT_FLOAT_EQ(d.EntArc[1].h, 0.0f);
    EXPECT_FLOAT_EQ(d.EntArc[1].st, -90.0f);
    EXPECT_FLOAT_EQ(d.EntArc[1].et, 360.0f);
    EXPECT_FLOAT_EQ(d.EntArc[1].tt, 0.5f);
}

// A count the file cannot hold is a cut section: the whole records left are read (never more
// than the bytes can hold), and reading stops there.
TEST(JwcData, CountsTheFileCannotHoldKeepWhatIsThere) {
    constexpr size_t kRest = SIZE_MAX;  // every whole record the bytes left hold
    struct Case {
        const char* name;
        int32_t lines, arcs, texts, tens;
        size_t keptLines, keptArcs, keptTens;
    };
    const Case cases[] = {
        {"negative lines", -1, 1, 0, 0, 0, 0, 0},
        {"huge lines", 0x7FFFFFFF, 1, 0, 0, kRest, 0, 0},
        {"huge arcs", 2, 100000000, 0, 0, 2, kRest, 0},
        {"negative texts", 2, 1, -5, 0, 2, 1, 0},
        {"huge points", 2, 1, 0, 1000000, 2, 1, kRest},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TJwcFile f = SmallDrawing();
        f.texts.clear();
        f.tens.clear();
        f.lineCount = c.lines;
        f.arcCount = c.arcs;
        f.mojiCount = c.texts;
        f.tenCount = c.tens;
        test::TJwcLayout layout;
        const auto bytes = EncodeJwc(f, &layout);
        const auto rest = [&](size_t start, size_t size, size_t want) {
            return want == kRest ? (bytes.size() - start) / size : want;
        };
        TJwcData d;
        EXPECT_FALSE(d.FileInBytes(Span(bytes)));
        EXPECT_EQ(d.ErrorText(), "File I/O Error");
        EXPECT_EQ(d.EntLine.size(), rest(layout.lines, 22, c.keptLines));
        EXPECT_EQ(d.EntArc.size(), rest(layout.lines + 22 * d.EntLine.size(), 32, c.keptArcs));
        EXPECT_EQ(d.EntTen.size(), rest(layout.tens, 12, c.keptTens));
        EXPECT_EQ(static_cast<size_t>(d.lineN), d.EntLine.size());
        EXPECT_EQ(static_cast<size_t>(d.arcN), d.EntArc.size());
        // The tables before the records were read.
        EXPECT_FLOAT_EQ(d.EntLgrp[0].scale, 50);
    }
}

TEST(JwcData, LayerStatesFollowTheGroupAndLayerFlags) {
    struct Case {
        uint8_t gDisp, gSrch, lDisp, lSrch;
        int state;
    };
    const Case cases[] = {
        {0, 1, 1, 1, 3}, {2, 1, 1, 1, 3},  // only bit 0 counts
        {1, 0, 1, 1, 2}, {1, 0, 1, 0, 2}, {1, 0, 0, 1, 3}, {1, 1, 1, 1, 1},
        {1, 1, 1, 0, 2}, {1, 1, 0, 1, 3}, {1, 1, 0, 0, 3}, {3, 3, 3, 3, 1},
    };
    TJwcFile f;
    for (size_t i = 0; i < std::size(cases); ++i) {
        f.groupDisp[i] = cases[i].gDisp;
        f.groupSrch[i] = cases[i].gSrch;
        f.layDisp[i * 16 + 5] = cases[i].lDisp;
        f.laySrch[i * 16 + 5] = cases[i].lSrch;
    }
    f.groupScale[1] = 50;
    f.groupScale[2] = 0;
    f.groupScale[3] = std::numeric_limits<float>::quiet_NaN();
    f.groupScale[4] = std::numeric_limits<float>::infinity();
    f.groupNames[1] = "Plan";
    f.layerNames[0x15] = "Wall";
    TJwcData d;
    ASSERT_TRUE(d.FileInBytes(Span(EncodeJwc(f))));
    TgraAttribute att;
    d.SetGAttLayer(att);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(att.GetAttrLayerState(static_cast<int>(i * 16 + 5)), cases[i].state);
    }
    EXPECT_DOUBLE_EQ(att.GetAttrLayerScale(0x15), 1.0 / 50);
    EXPECT_DOUBLE_EQ(att.GetAttrLayerScale(0x25), 1.0);
    EXPECT_DOUBLE_EQ(att.GetAttrLayerScale(0x35), 1.0);
    EXPECT_DOUBLE_EQ(att.GetAttrLayerScale(0x45), 1.0);
    EXPECT_DOUBLE_EQ(d.GroupScale(1), 50);
    EXPECT_DOUBLE_EQ(d.GroupScale(2), 1);
    EXPECT_DOUBLE_EQ(d.GroupScale(3), 1);
    EXPECT_DOUBLE_EQ(d.GroupScale(4), 1);
    EXPECT_EQ(att.GetAttrLayerGName(0x15), "[1] Plan");
    EXPECT_EQ(att.GetAttrLayerName(0x15), "(5) Wall");
}

TEST(JwcData, LayersOfAnUnreadDrawingStayDefault) {
    TJwcData d;
    EXPECT_FALSE(d.FileInBytes({}));
    TgraAttribute att;
    att.SetAttrLayer(7, 3, 0.5);
    d.SetGAttLayer(att);
    EXPECT_EQ(att.GetAttrLayerState(7), 1);
    EXPECT_DOUBLE_EQ(att.GetAttrLayerScale(7), 1.0);
    EXPECT_DOUBLE_EQ(d.GroupScale(0), 1.0);
}

TEST(JwcData, DataInitAndDataFreeRestoreTheDefaults) {
    TJwcData d;
    ASSERT_TRUE(d.FileInBytes(Span(EncodeJwc(SmallDrawing()))));
    d.DataFree();
    EXPECT_EQ(d.lineN + d.arcN + d.mojiN + d.tenN, 0);
    EXPECT_TRUE(d.EntLine.empty() && d.EntArc.empty() && d.EntMoji.empty() && d.EntTen.empty());
    EXPECT_TRUE(d.EntVten.empty() && d.EntMjtp.empty() && d.EntLgrp.empty() && d.EntLay.empty());
    const TEntJwcHeader& h = d.Enthd;
    EXPECT_TRUE(h.jwID.empty());
    EXPECT_TRUE(h.scaleF);
    EXPECT_EQ(h.lineCount, 0);
    EXPECT_EQ(h.curMpcol, 1);
    EXPECT_EQ(h.psize, 3);
    EXPECT_EQ(h.lcol, 2);
    EXPECT_EQ(h.drawWidth, 518);
    EXPECT_FLOAT_EQ(h.lpitch2, 10);
    EXPECT_FLOAT_EQ(h.arAng, 15);
    EXPECT_FLOAT_EQ(h.dlinDist[4], 100);
    EXPECT_EQ(h.sBufAdr1, 0x60000);
    EXPECT_EQ(h.sBufAdr2, 0x60000);
    EXPECT_FLOAT_EQ(h.dataUnit, 1);
    EXPECT_TRUE(h.para.empty());
}

TEST(JwcData, HeaderThatCannotBeReadLeavesAnEmptyDrawing) {
    const auto bytes = EncodeJwc(SmallDrawing());
    for (size_t cut : {size_t{0}, size_t{200}, size_t{400}, size_t{600}}) {
        SCOPED_TRACE(cut);
        const std::vector<std::byte> prefix(bytes.begin(), bytes.begin() + cut);
        TJwcData d;
        EXPECT_FALSE(d.FileInBytes(Span(prefix)));
        EXPECT_TRUE(d.Enthd.jwID.empty());
        EXPECT_TRUE(d.EntLgrp.empty());
        EXPECT_EQ(d.Enthd.lineCount, 0);
    }
}

TEST(JwcData, EveryPrefixReadsSafelyAndOnlyTheWholeFileSucceeds) {
    test::TJwcLayout layout;
    const auto bytes = EncodeJwc(SmallDrawing(), &layout);
    ASSERT_EQ(layout.end, bytes.size());
    for (size_t n = 0; n <= bytes.size(); ++n) {
        const std::vector<std::byte> prefix(bytes.begin(), bytes.begin() + n);
        TJwcData d;
        // The last group name may be cut short: a read that gets some bytes counts.
        EXPECT_EQ(d.FileInBytes(Span(prefix)), n > bytes.size() - 16) << n;
        // Every record lying wholly inside the prefix is kept, and nothing more.
        const auto whole = [n](size_t start, size_t size, size_t count) {
            return n < start ? size_t{0} : std::min(count, (n - start) / size);
        };
        EXPECT_EQ(d.EntLine.size(), whole(layout.lines, 22, 2)) << n;
        EXPECT_EQ(d.EntArc.size(), whole(layout.arcs, 32, 1)) << n;
        EXPECT_EQ(d.EntMoji.size(), whole(layout.texts, 24, 2)) << n;
        EXPECT_EQ(d.EntTen.size(), whole(layout.tens, 12, 1)) << n;
    }
}

TEST(JwcData, CutInsideItsFifthLineKeepsTheFourBefore) {
    TJwcFile f = SmallDrawing();
    f.lines.resize(8, f.lines[0]);
    test::TJwcLayout layout;
    const auto bytes = EncodeJwc(f, &layout);
    const std::vector<std::byte> cut(bytes.begin(), bytes.begin() + layout.lines + 4 * 22 + 10);
    TJwcData d;
    EXPECT_FALSE(d.FileInBytes(Span(cut)));
    EXPECT_EQ(d.ErrorOffset(), layout.lines + 4 * 22);
    ASSERT_EQ(d.EntLine.size(), 4u);
    EXPECT_FLOAT_EQ(d.EntLine[3].x1, 1);
    EXPECT_TRUE(d.EntArc.empty());
}

TEST(JwcData, BytePatchesNeverBreakTheReader) {
    const auto bytes = EncodeJwc(SmallDrawing());
    TgraAttribute att;
    for (size_t i = 0; i < bytes.size(); ++i) {
        for (int delta : {1, -1, 0x100, 0x1FF}) {
            std::vector<std::byte> patched(bytes);
            const auto old = std::to_integer<int>(patched[i]);
            patched[i] = static_cast<std::byte>(delta == 0x100   ? 0
                                                : delta == 0x1FF ? 0xFF
                                                                 : (old + delta) & 0xFF);
            TJwcData d;
            (void)d.FileInBytes(Span(patched));
            d.SetGAttLayer(att);
            ASSERT_EQ(static_cast<size_t>(d.lineN), d.EntLine.size());
            ASSERT_EQ(static_cast<size_t>(d.tenN), d.EntTen.size());
        }
    }
}

TEST(JwcData, FileCheckAcceptsOnlyTheDrawingMagic) {
    test::TScopedTempDir dir;
    const std::string jwc = dir.File("plan.jwc");
    const std::string misnamed = dir.File("plan.jwk");
    const std::string symbol = dir.File("mark.jwc");
    test::WriteBytes(jwc, AsText(EncodeJwc(SmallDrawing())));
    test::WriteBytes(misnamed, AsText(EncodeJwc(SmallDrawing())));
    test::WriteBytes(symbol, AsText(test::EncodeJwk({})));
    TJwcData d;
    TJwkData k;
    EXPECT_TRUE(d.FileCheck(jwc));
    EXPECT_FALSE(k.FileCheck(misnamed));  // a drawing named as a symbol
    EXPECT_FALSE(d.FileCheck(symbol));    // a symbol named as a drawing
    EXPECT_TRUE(k.FileCheck(symbol));
    EXPECT_FALSE(d.FileCheck(dir.File("absent.jwc")));
    EXPECT_FALSE(d.FileCheck(dir.Path().string()));

    const std::string exact = "jw_cad(c)data.......";
    const std::pair<std::string, bool> heads[] = {
        {exact, true},
        {exact + "X", true},  // only the first 20 bytes count
        {exact.substr(0, 19), false},
        {"jw_cad(c)data" + std::string(1, '\0') + "......", false},
        {"JW_CAD(c)data.......", false},
        {"jw_cad(c)sym........", false},
    };
    for (const auto& [head, ok] : heads) {
        const auto* p = reinterpret_cast<const std::byte*>(head.data());
        EXPECT_EQ(TJwcData::FileCheckBytes(std::span(p, head.size())), ok) << head;
    }
}

TEST(JwcData, FileInReadsFromDiskAndFailsForAMissingFile) {
    test::TScopedTempDir dir;
    const std::string fn = dir.File("図面.jwc");
    test::WriteBytes(fn, AsText(EncodeJwc(SmallDrawing())));
    TJwcData d;
    ASSERT_TRUE(d.FileIn(fn));
    EXPECT_EQ(d.lineN, 2);
    EXPECT_FALSE(d.FileIn(dir.File("absent.jwc")));
    EXPECT_EQ(d.lineN, 0);
}

TEST(JwcRead, SplitParaFillsAFixedNumberOfParameters) {
    struct Case {
        const char* text;
        int count;
        std::vector<std::string> para;
    };
    const Case cases[] = {
        {"1,2,3", 3, {"1", "2", "3"}},
        {"1,,3", 4, {"1", "", "3", "0"}},
        {"1,2,", 4, {"1", "2", "0", "0"}},
        {"1,2,3,4", 2, {"1", "2"}},
        {"", 2, {"", "0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(SplitPara(c.text, c.count), c.para);
    }
    const std::vector<std::string> p = {std::string("12\0"
                                                    "9",
                                                    4),
                                        "6000:0010", "6000", "FFFF:FFFF", "zz:10"};
    EXPECT_EQ(ParaInt(p, 0), 12);
    EXPECT_EQ(ParaInt(p, 9), 0);
    EXPECT_EQ(ParaAddress(p, 1), 0x60010);
    EXPECT_EQ(ParaAddress(p, 2), 0x60000);
    EXPECT_EQ(ParaAddress(p, 3), 0x10FFEF);
    EXPECT_EQ(ParaAddress(p, 4), 0);
    const std::vector<std::string> reals = {"1e300", "-1e39", "1e30", "2.5"};
    EXPECT_FLOAT_EQ(ParaReal(reals, 0), 0);
    EXPECT_FLOAT_EQ(ParaReal(reals, 1), 0);
    EXPECT_FLOAT_EQ(ParaReal(reals, 2), 1e30f);
    EXPECT_FLOAT_EQ(ParaReal(reals, 3), 2.5f);
}

}  // namespace
}  // namespace velmora
