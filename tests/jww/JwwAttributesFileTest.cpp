#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <span>
#include <string>

#include "attr/GraAttribute.h"
#include "jww/JwwAttributes.h"
#include "jww/JwwData.h"
#include "support/JwwEncoder.h"
#include "support/TestFiles.h"

namespace velmora {
namespace {

std::span<const std::byte> AsBytes(const std::string& s) {
    return {reinterpret_cast<const std::byte*>(s.data()), s.size()};
}

// Reads a drawing and installs it the way the batch run does.
void InstallDrawing(TJwwData& jww, TgraAttribute& att) {
    ResetAttributesForJwwFile(att);
    jww.FileColorSet(att);
    jww.FileLtypeSet(att);
    jww.SetGAttLayer(att);
}

TEST(JwwAttributesFile, EncodedDrawingInstallsExactlyTheExpectedSlots) {
    test::TJwwWriter w(700);
    w.Header.nMaxDrawWid = 0;
    w.Header.nPrtDpi = 1;              // pen width and pitch unit 0.085
    w.EntCol[0].aPenColor = 0x000000;  // dark background
    w.EntCol[3].aPenColor = 0x0000FF;
    w.EntCol[3].anPenWidth = 4;
    w.EntCol[3].adPrtTenHankei = 0.7;
    w.EntCol[9].aPenColor = 0x123456;  // the auxiliary pen is not installed
    w.EntColS[5].aPenColor = 0x00FF00;
    w.EntColS[5].anPenWidth = 25;
    w.EntColS[5].adPrtTenHankei = 0.3;
    w.EntColS[5].astrUDColorName = "みどり";
    w.EntLtp1[2].alLType = static_cast<int32_t>(0xFF00FF00u);
    w.EntLtp1[2].anPrtTokushuSenPich = 2;
    w.EntLtp2[1].alLType = static_cast<int32_t>(0xF0F0F0F0u);
    w.EntLtp2[1].anPrtTokushuSenPich = 1;
    w.EntLtp2[1].anPrtRandSenWide = 10;
    w.EntLtpS[4].anUDLTypeSegment = 2;
    w.EntLtpS[4].aadUDLTypePitch[1] = 5;
    w.EntLtpS[4].aadUDLTypePitch[2] = 1.5;
    w.EntLgrp[2].anGLay = 0;
    w.EntLgrp[3].adScale = 50;
    w.EntLgrp[3].aStrGLayName = "立面";
    w.EntLay[0x35].aanLay = 0;
    w.EntLay[0x36].aanLay = 1;
    w.EntLay[0x36].aStrLayName = "寸法";

    TJwwData jww;
    const std::string bytes = w.Bytes();
    ASSERT_TRUE(jww.FileInBytes(AsBytes(bytes))) << jww.LastError();
    TgraAttribute att;
    PrepareAttributesAtStartup(att);
    InstallDrawing(jww, att);

    // Every slot must be what the writer's tables ask for, installed into a fresh table.
    TgraAttribute expected;
    PrepareAttributesAtStartup(expected);
    // The drawing switches the background kind but not the colour slots: pen 9, which the
    // drawing does not install, keeps the colour of the background the reset found.
    expected.SetBackColor(1);
    expected.SetAttrCol(3, 0xFFFF0000u, 4 * 0.085, 0.7);
    for (int n = 1; n <= 8; ++n) {
        if (n == 3) continue;
        expected.SetAttrCol(n, ColorRefToArgb(w.EntCol[n].aPenColor),
                            w.EntCol[n].anPenWidth * 0.085, w.EntCol[n].adPrtTenHankei);
    }
    for (int i = 1; i <= 256; ++i) {
        const auto& c = w.EntColS[static_cast<size_t>(i)];
        expected.SetAttrCol(100 + i, ColorRefToArgb(c.aPenColor), c.anPenWidth * 0.01,
                            c.adPrtTenHankei);
    }
    EXPECT_EQ(att.GetBackColorNo(), 1);
    for (int n = 0; n < TgraAttribute::jwvColN; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(att.GetAttrColcol_(n), expected.GetAttrColcol_(n));
        EXPECT_DOUBLE_EQ(att.GetAttrColwid_(n), expected.GetAttrColwid_(n));
        EXPECT_DOUBLE_EQ(att.GetAttrColten_(n), expected.GetAttrColten_(n));
    }
    EXPECT_EQ(att.GetAttrColcol(3), 0xFFFF0000u);
    EXPECT_DOUBLE_EQ(att.GetAttrColwid(3), 0.34);
    EXPECT_EQ(att.GetAttrColcol(9), 0xFFFF80FFu);
    EXPECT_EQ(att.GetAttrColcol(105), 0xFF00FF00u);
    EXPECT_DOUBLE_EQ(att.GetAttrColwid(105), 0.25);

    // Line type 4 (slot 3): 0xFF00FF00 with bit pitch 2 * 0.085.
    EXPECT_EQ(att.GetAttrTypseg(4), 4);
    EXPECT_DOUBLE_EQ(att.GetAttrTyppa1(4, 0), 8 * 2 * 0.085);
    EXPECT_DOUBLE_EQ(att.GetAttrTyppa1(4, 1), -8 * 2 * 0.085);
    EXPECT_DOUBLE_EQ(att.GetAttrTyppit(4), 32 * 2 * 0.085);
    // Line type 12 (slot 10): random type with the file's amplitude.
    EXPECT_EQ(att.GetAttrTypseg(12), 8);
    EXPECT_DOUBLE_EQ(att.GetAttrTypamp(12), 10 * 0.085);
    // SXF user line type 4 is line type 34.
    EXPECT_EQ(att.GetAttrTypseg(34), 2);
    EXPECT_EQ(att.GetAttrTyppa1(34, 0), 5.0);
    EXPECT_EQ(att.GetAttrTyppa1(34, 1), -1.5);
    EXPECT_EQ(att.GetAttrTyppit(34), 6.5);

    for (int i = 0; i < 256; ++i) {
        SCOPED_TRACE(i);
        int st = 1;  // group and layer in the writer's state 2
        if (i / 16 == 2 || i == 0x35) st = 3;
        if (i == 0x36) st = 2;
        EXPECT_EQ(att.GetAttrLayerState(i), st);
        EXPECT_DOUBLE_EQ(att.GetAttrLayerScale(i), i / 16 == 3 ? 0.02 : 1.0);
    }
    EXPECT_EQ(att.GetAttrLayerGName(0x36), "[3] 立面");
    EXPECT_EQ(att.GetAttrLayerName(0x36), "(6) 寸法");

    // The next file's reset then brings the dark defaults.
    ResetAttributesForJwwFile(att);
    EXPECT_EQ(att.GetAttrColcol(9), 0xFFC08080u);
    EXPECT_EQ(att.GetAttrColcol(2), 0xFFFFFFFFu);
}

TEST(JwwAttributesFile, OldVersionLeavesSxfColoursBlackAndUsesOldUnits) {
    test::TJwwWriter w(400);
    w.Header.nMaxDrawWid = 0;
    w.Header.nPrtDpi = 1;
    w.EntCol[1].anPenWidth = 10;
    w.EntLtp1[0].alLType = -1;
    w.EntLtp1[0].anPrtTokushuSenPich = 1;
    TJwwData jww;
    const std::string bytes = w.Bytes();
    ASSERT_TRUE(jww.FileInBytes(AsBytes(bytes))) << jww.LastError();
    TgraAttribute att;
    InstallDrawing(jww, att);
    EXPECT_DOUBLE_EQ(att.GetAttrColwid(1), 10 * 0.042);
    EXPECT_DOUBLE_EQ(att.GetAttrTyppa1(2, 0), 32 * 0.035);
    EXPECT_EQ(att.GetAttrColcol(102), 0xFF000000u);
    EXPECT_EQ(att.GetAttrColwid(102), 0.0);
    EXPECT_EQ(att.GetAttrTypseg(31), 0);
}

TEST(JwwAttributesFile, EmptyReaderKeepsDefaults) {
    TJwwData jww;
    TgraAttribute att;
    att.SetAttrLayer(4, 3);
    InstallDrawing(jww, att);
    const TgraAttribute fresh;
    for (int n = 0; n < TgraAttribute::jwvColN; ++n) {
        EXPECT_EQ(att.GetAttrColcol_(n), fresh.GetAttrColcol_(n));
    }
    EXPECT_EQ(att.GetAttrTypseg(2), 3);
    EXPECT_EQ(att.GetAttrLayerState(4), 1);
}

TEST(JwwAttributesFile, CorpusDrawingsInstall) {
    const auto files = test::CorpusFiles(".jww");
    if (files.empty()) GTEST_SKIP() << "no corpus";
    for (const auto& f : files) {
        SCOPED_TRACE(f.string());
        TJwwData jww;
        ASSERT_TRUE(jww.FileIn(f.string())) << jww.LastError();
        TgraAttribute att;
        PrepareAttributesAtStartup(att);
        InstallDrawing(jww, att);
        for (int i = 0; i < TgraAttribute::jwvLayN; ++i) {
            const double sc = att.GetAttrLayerScale(i);
            EXPECT_TRUE(std::isfinite(sc) && sc > 0) << i;
            const int st = att.GetAttrLayerState(i);
            EXPECT_TRUE(st >= 1 && st <= 3) << i;
        }
        for (int n = 0; n < TgraAttribute::jwvTypN; ++n) {
            EXPECT_LE(att.GetAttrTypseg_(n), 32);
            EXPECT_TRUE(std::isfinite(att.GetAttrTyppit_(n)));
        }
        for (int n = 0; n < TgraAttribute::jwvColN; ++n) {
            EXPECT_EQ(att.GetAttrColcol_(n) >> 24, 0xFFu) << n;
        }
        // The corpus notes these two as drawn on a dark background with nMaxDrawWid -300.
        const std::string name = f.filename().string();
        if (name == "2blocks.jww" || name == "out1_in2.jww") {
            EXPECT_EQ(att.GetBackColorNo(), 1);
            EXPECT_EQ(jww.Enthd.nMaxDrawWid, -300);
            EXPECT_DOUBLE_EQ(att.GetAttrColwid(1), jww.EntCol[1].anPenWidth * 0.01);
        }
    }
}

}  // namespace
}  // namespace velmora
