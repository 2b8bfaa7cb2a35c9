#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "JwwTestHelpers.h"
#include "attr/GraAttribute.h"
#include "jww/JwsData.h"
#include "support/JwsEncoder.h"
#include "support/TestFiles.h"

namespace velmora::test {
namespace {

constexpr size_t kJwsHeaderSize = 452;

bool ReadJws(TJwsData& d, std::string_view bytes) {
    const std::vector<std::byte> buf = FreshBuffer(bytes);
    return d.FileInBytes(buf);
}

bool CheckJws(TJwsData& d, std::string_view bytes) {
    const std::vector<std::byte> buf = FreshBuffer(bytes);
    return d.FileCheckBytes(buf);
}

std::string WithVersion(std::string bytes, int32_t ver) {
    std::memcpy(bytes.data() + 200, &ver, sizeof ver);
    return bytes;
}

TEntJwwTen Point(double x, double y, uint16_t color = 1) {
    TEntJwwTen t;
    t.att = Attr(color);
    t.start_x = x;
    t.start_y = y;
    return t;
}

TEntJwwSolid Quad() {
    TEntJwwSolid s;
    s.att = Attr(10);
    s.start_x = 0;
    s.end_x = 10;
    s.DPoint2_x = 10;
    s.DPoint2_y = 5;
    s.DPoint3_y = 5;
    s.Color = 0x00112233;
    return s;
}

TEntJwwBlock Insert(uint32_t number, double x, double y, double sx, double sy, double rot) {
    TEntJwwBlock b;
    b.att = Attr(1);
    b.DPKijunTen_x = x;
    b.DPKijunTen_y = y;
    b.dBairitsuX = sx;
    b.dBairitsuY = sy;
    b.radKaitenKaku = rot;
    b.nNumber = number;
    return b;
}

// One object of every kind, and an insert of a definition that itself inserts another one.
TJwwWriter EveryKind(int32_t version = 700) {
    TJwwWriter w(version);
    w.AddLine(Line(1, 2, 3, 4, 2));
    w.AddArc(Circle(5, 6, 7));
    w.AddPoint(Point(8, 9, 3));
    w.AddText(Text("記号"));
    w.AddDimension(Dimension(false));
    w.AddSolid(Quad());

    TEntJwwBlockDef inner;
    inner.att = Attr(1);
    inner.nNumber = 2;
    inner.strName = "inner";
    AddMember(inner, Line(0, 0, 10, 0, 4));
    AddMember(inner, Circle(0, 0, 2));

    TEntJwwBlockDef outer;
    outer.att = Attr(1);
    outer.nNumber = 1;
    outer.strName = "outer";
    AddMember(outer, Line(0, 0, 0, 10, 5));
    AddMember(outer, Insert(2, 20, 0, 1, 1, 0));
    AddMember(outer, Point(1, 1, 6));

    w.AddBlockDef(inner);
    w.AddBlockDef(outer);
    w.AddBlock(Insert(1, 100, 50, 2, 3, 0.5));
    return w;
}

// ---- FileCheck ----

TEST(JwsFileCheck, AcceptsTheSymbolMagicWithAVersionFrom230To700) {
    const std::string good = JwsBytes(TJwwWriter(600));
    struct Case {
        const char* name;
        std::string bytes;
        bool ok;
    };
    std::string drawingMagic = good;
    drawingMagic.replace(0, 8, "JwwData.");
    std::string shortMagic = good;
    shortMagic[3] = '\0';
    std::string lowerMagic = good;
    lowerMagic[0] = 'j';
    const Case cases[] = {
        {"version 600", good, true},
        {"version 229", WithVersion(good, 229), false},
        {"version 230", WithVersion(good, 230), true},
        {"version 700", WithVersion(good, 700), true},
        {"version 701", WithVersion(good, 701), false},
        {"negative version", WithVersion(good, -600), false},
        {"drawing magic", drawingMagic, false},
        {"magic cut by a NUL", shortMagic, false},
        {"magic in other case", lowerMagic, false},
        {"header only up to the version", good.substr(0, 204), true},
        {"drawing file", TJwwWriter(600).Bytes(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TJwsData d;
        EXPECT_EQ(CheckJws(d, c.bytes), c.ok);
    }
}

TEST(JwsFileCheck, RejectsEveryFileShorterThanTheVersion) {
    const std::string good = JwsBytes(TJwwWriter(600));
    TJwsData d;
    for (size_t n = 0; n < 204; ++n) {
        SCOPED_TRACE(n);
        EXPECT_FALSE(CheckJws(d, good.substr(0, n)));
    }
}

TEST(JwsFileCheck, ReadsFromAFileAndRejectsAMissingOne) {
    TScopedTempDir dir;
    WriteBytes(dir.Path() / "a.jws", JwsBytes(TJwwWriter(700)));
    WriteBytes(dir.Path() / "b.jws", WithVersion(JwsBytes(TJwwWriter(700)), 229));
    TJwsData d;
    EXPECT_TRUE(d.FileCheck(dir.File("a.jws")));
    EXPECT_FALSE(d.FileCheck(dir.File("b.jws")));
    EXPECT_FALSE(d.FileCheck(dir.File("missing.jws")));
}

// ---- ReadHeader ----

TEST(JwsReadHeader, KeepsBasePointAndTheSixteenGroupScales) {
    TJwsHeaderValues h;
    h.BasePoint_x = -12.5;
    h.BasePoint_y = 7.25;
    for (size_t g = 0; g < 16; ++g)
        h.adScale[g] = 10.0 * static_cast<double>(g + 1);
    TJwsData d;
    ASSERT_TRUE(ReadJws(d, JwsBytes(TJwwWriter(420), h)));
    EXPECT_EQ(d.Enthd.jwID, "JwsData");
    EXPECT_EQ(d.Enthd.jwVer, 420);
    EXPECT_EQ(d.Enthd.BasePoint_x, -12.5);
    EXPECT_EQ(d.Enthd.BasePoint_y, 7.25);
    ASSERT_EQ(d.EntLgrp.size(), 16u);
    for (size_t g = 0; g < 16; ++g) {
        SCOPED_TRACE(g);
        EXPECT_EQ(d.EntLgrp[g].adScale, h.adScale[g]);
        EXPECT_EQ(d.EntLgrp[g].anGLay, 2);
        EXPECT_EQ(d.EntLgrp[g].anWriteLay, 0);
        EXPECT_EQ(d.EntLgrp[g].anGLayProtect, 0);
        EXPECT_TRUE(d.EntLgrp[g].aStrGLayName.empty());
    }
    EXPECT_TRUE(d.EntMoj.empty());
    EXPECT_EQ(d.BindImageN, 0);
}

TEST(JwsReadHeader, BadMagicVersionOrShortHeaderLeavesAnEmptySymbol) {
    const std::string good = JwsBytes(EveryKind());
    std::string drawingMagic = good;
    drawingMagic.replace(0, 8, "JwwData.");
    struct Case {
        const char* name;
        std::string bytes;
        const char* error;
    };
    const Case cases[] = {
        {"drawing magic", drawingMagic, "JWS-Header Error"},
        {"version 229", WithVersion(good, 229), "JWS-Version Error"},
        {"version 701", WithVersion(good, 701), "JWS-Version Error"},
        {"header cut before My2", good.substr(0, kJwsHeaderSize - 1), "File I/O Error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TJwsData d;
        EXPECT_FALSE(ReadJws(d, c.bytes));
        EXPECT_EQ(d.LastError().rfind(c.error, 0), 0u) << d.LastError();
        EXPECT_EQ(d.Enthd.n1, 0);
        EXPECT_EQ(d.EntLineN, 0);
        EXPECT_EQ(d.EntBlockDefN, 0);
        EXPECT_EQ(d.EntBlockTreeN, 0);
    }
}

// ---- FileIn ----

TEST(JwsFileIn, ReadsEveryKindOfObjectAtOldAndNewVersions) {
    for (const int32_t ver : {230, 351, 420, 600, 700}) {
        SCOPED_TRACE(ver);
        TJwsData d;
        ASSERT_TRUE(ReadJws(d, JwsBytes(EveryKind(ver)))) << d.LastError();
        EXPECT_EQ(d.Enthd.n1, 7);
        EXPECT_EQ(d.Enthd.n2, 2);
        ASSERT_EQ(d.EntLineN, 1);
        EXPECT_EQ(d.EntLine[0].start_x, 1);
        EXPECT_EQ(d.EntLine[0].end_y, 4);
        EXPECT_EQ(d.EntLine[0].att.nPenColor, 2);
        ASSERT_EQ(d.EntEnkoN, 1);
        EXPECT_EQ(d.EntEnko[0].dHankei, 7);
        ASSERT_EQ(d.EntTenN, 1);
        EXPECT_EQ(d.EntTen[0].start_y, 9);
        ASSERT_EQ(d.EntMojiN, 1);
        EXPECT_EQ(d.EntMoji[0].str, "記号");
        ASSERT_EQ(d.EntSunpoN, 1);
        EXPECT_EQ(d.EntSunpo[0].Sen.end_x, 100);
        ASSERT_EQ(d.EntSolidN, 1);
        EXPECT_EQ(d.EntSolid[0].Color, 0x00112233u);
        ASSERT_EQ(d.EntBlockN, 1);
        ASSERT_EQ(d.EntBlockDefN, 2);
        EXPECT_EQ(d.EntBlockDef[1].strName, "outer");
        EXPECT_GT(d.EntBlockTreeN, 0);  // the tree is built by FileIn
    }
}

void ExpectSameAttr(const TEntJwwAttr& a, const TEntJwwAttr& b) {
    EXPECT_EQ(a.nPenStyle, b.nPenStyle);
    EXPECT_EQ(a.nPenColor, b.nPenColor);
    EXPECT_EQ(a.nPenWidth, b.nPenWidth);
    EXPECT_EQ(a.nLayer, b.nLayer);
    EXPECT_EQ(a.nGLayer, b.nGLayer);
    EXPECT_EQ(a.sFlg, b.sFlg);
}

// The symbol's blocks expand into exactly what the same object stream gives in a drawing.
TEST(JwsFileIn, NestedBlocksExplodeExactlyAsInADrawing) {
    const TJwwWriter w = EveryKind();
    TJwsData s;
    TJwwData d;
    ASSERT_TRUE(ReadJws(s, JwsBytes(w)));
    ASSERT_TRUE(ReadJww(d, w.Bytes()));
    ASSERT_EQ(s.EntBlockTreeN, d.EntBlockTreeN);
    EXPECT_TRUE(s.BlockExplode());
    EXPECT_TRUE(d.BlockExplode());

    ASSERT_EQ(s.EntLineN, d.EntLineN);
    ASSERT_EQ(s.EntLineN, 3);  // the plain one, the outer member, the inner member
    for (int i = 0; i < s.EntLineN; ++i) {
        SCOPED_TRACE(i);
        const TEntJwwLine &a = s.EntLine[i], &b = d.EntLine[i];
        ExpectSameAttr(a.att, b.att);
        EXPECT_DOUBLE_EQ(a.start_x, b.start_x);
        EXPECT_DOUBLE_EQ(a.start_y, b.start_y);
        EXPECT_DOUBLE_EQ(a.end_x, b.end_x);
        EXPECT_DOUBLE_EQ(a.end_y, b.end_y);
    }
    ASSERT_EQ(s.EntEnkoN, d.EntEnkoN);
    ASSERT_EQ(s.EntEnkoN, 2);
    for (int i = 0; i < s.EntEnkoN; ++i) {
        SCOPED_TRACE(i);
        const TEntJwwEnko &a = s.EntEnko[i], &b = d.EntEnko[i];
        ExpectSameAttr(a.att, b.att);
        EXPECT_DOUBLE_EQ(a.start_x, b.start_x);
        EXPECT_DOUBLE_EQ(a.start_y, b.start_y);
        EXPECT_DOUBLE_EQ(a.dHankei, b.dHankei);
        EXPECT_DOUBLE_EQ(a.dHenpeiRitsu, b.dHenpeiRitsu);
        EXPECT_DOUBLE_EQ(a.radKatamukiKaku, b.radKatamukiKaku);
        EXPECT_DOUBLE_EQ(a.radKaishiKaku, b.radKaishiKaku);
        EXPECT_DOUBLE_EQ(a.radEnkoKaku, b.radEnkoKaku);
        EXPECT_EQ(a.bZenEnFlg, b.bZenEnFlg);
    }
    ASSERT_EQ(s.EntTenN, d.EntTenN);
    ASSERT_EQ(s.EntTenN, 2);
    for (int i = 0; i < s.EntTenN; ++i) {
        SCOPED_TRACE(i);
        EXPECT_DOUBLE_EQ(s.EntTen[i].start_x, d.EntTen[i].start_x);
        EXPECT_DOUBLE_EQ(s.EntTen[i].start_y, d.EntTen[i].start_y);
    }
    EXPECT_EQ(s.EntBlockN, 0);
    EXPECT_EQ(d.EntBlockN, 0);

    // The inner line (0,0)-(10,0) sits at (20,0) in the outer definition, which is scaled
    // (2, 3), turned by 0.5 and moved to (100, 50).
    const TEntJwwLine& inner = s.EntLine[2];
    const double c = std::cos(0.5), sn = std::sin(0.5);
    EXPECT_NEAR(inner.start_x, 100 + 40 * c, 1e-9);
    EXPECT_NEAR(inner.start_y, 50 + 40 * sn, 1e-9);
    EXPECT_NEAR(inner.end_x, 100 + 60 * c, 1e-9);
    EXPECT_NEAR(inner.end_y, 50 + 60 * sn, 1e-9);
}

TEST(JwsFileIn, ReadsFromAFileAndFailsOnAMissingOne) {
    TScopedTempDir dir;
    WriteBytes(dir.Path() / "s.jws", JwsBytes(EveryKind()));
    TJwsData d;
    ASSERT_TRUE(d.FileIn(dir.File("s.jws")));
    EXPECT_EQ(d.EntLineN, 1);
    EXPECT_FALSE(d.FileIn(dir.File("missing.jws")));
    EXPECT_EQ(d.EntLineN, 0);
    d.DataFree();
    EXPECT_TRUE(d.Enthd.jwID.empty());
}

TEST(JwsFileIn, StringsLoseControlCharactersAndMarkUtf16) {
    for (const TJwwStringForm form : {TJwwStringForm::Cp932, TJwwStringForm::Utf16}) {
        SCOPED_TRACE(form == TJwwStringForm::Utf16 ? "UTF-16" : "CP932");
        TJwwWriter w(700);
        w.StringForm = form;
        w.AddText(Text("記\t号\r\nX"));
        TJwsData d;
        ASSERT_TRUE(ReadJws(d, JwsBytes(w)));
        ASSERT_EQ(d.EntMojiN, 1);
        EXPECT_EQ(d.EntMoji[0].str, "記号X");
        EXPECT_EQ(d.MojiEncode, form == TJwwStringForm::Utf16);
    }
}

// A symbol has no image section whatever its version: bytes after the definitions are not
// read as images.
TEST(JwsFileIn, NeverReadsAnImageSection) {
    TJwwWriter w(700);
    w.AddLine(Line(1, 2, 3, 4));
    w.AddImage("a.bmp", "image data");
    TJwsData d;
    d.BindImageExp = true;
    d.BindImageExr = true;
    TScopedTempDir dir;
    d.BindImageFolder = dir.File("");
    ASSERT_TRUE(ReadJws(d, JwsBytes(w) + w.ImageSectionBytes()));
    EXPECT_EQ(d.EntLineN, 1);
    EXPECT_EQ(d.BindImageN, 0);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

// Every prefix of a symbol reads without a crash, and what it keeps is a prefix of the whole.
TEST(JwsFileIn, TruncationAtEveryByteKeepsWhatWasRead) {
    TJwwWriter w(700);
    for (int i = 0; i < 4; ++i)
        w.AddLine(Line(i, i + 1, i + 2, i + 3, 1));
    w.AddArc(Circle(5, 6, 7));
    w.AddPoint(Point(8, 9, 3));
    w.AddDimension(Dimension(true));
    TEntJwwBlockDef def;
    def.att = Attr(1);
    def.nNumber = 1;
    def.strName = "d";
    AddMember(def, Line(0, 0, 1, 1, 4));
    w.AddBlockDef(def);
    w.AddBlock(Insert(1, 10, 10, 1, 1, 0));
    const std::string full = JwsBytes(w);
    TJwsData whole;
    ASSERT_TRUE(ReadJws(whole, full));

    int lastLines = 0;
    for (size_t n = 0; n < full.size(); ++n) {
        SCOPED_TRACE(n);
        TJwsData d;
        EXPECT_FALSE(ReadJws(d, full.substr(0, n)));
        ASSERT_LE(d.EntLineN, whole.EntLineN);
        EXPECT_GE(d.EntLineN, n < kJwsHeaderSize ? 0 : lastLines);
        // Every line lying wholly inside the prefix is kept.
        const size_t list = kJwsHeaderSize + 2;
        EXPECT_EQ(static_cast<size_t>(d.EntLineN),
                  n < list + 61 ? 0 : std::min<size_t>(4, 1 + (n - list - 61) / 49));
        // A line cut inside its fixed part is kept with the fields that got no bytes at 0
        // (only a read that delivers nothing drops an object), so only the earlier ones match.
        for (int i = 0; i + 1 < d.EntLineN; ++i) {
            EXPECT_EQ(d.EntLine[i].start_x, whole.EntLine[i].start_x);
            EXPECT_EQ(d.EntLine[i].end_y, whole.EntLine[i].end_y);
        }
        EXPECT_LE(d.EntEnkoN, whole.EntEnkoN);
        EXPECT_LE(d.EntTenN, whole.EntTenN);
        EXPECT_LE(d.EntSunpoN, whole.EntSunpoN);
        EXPECT_LE(d.EntBlockDefN, whole.EntBlockDefN);
        lastLines = d.EntLineN;
        // The block tree is built whatever was read, and explosion stays bounded.
        d.BlockExplode();
    }
    EXPECT_EQ(lastLines, whole.EntLineN);
}

// ---- SetGAttLayer ----

TEST(JwsSetGAttLayer, EveryLayerShownWithTheInverseScaleOfItsGroup) {
    TJwsHeaderValues h;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    h.adScale = {100, 50, 0, nan, inf, -inf, 0.5, 1, 2, 3, 4, 5, 6, 7, 8, -20};
    TJwsData d;
    ASSERT_TRUE(ReadJws(d, JwsBytes(TJwwWriter(700), h)));
    TgraAttribute att;
    PrepareAttributesAtStartup(att);
    for (int i = 0; i < 256; ++i)
        att.SetAttrLayer(i, 3, 9.0);  // left over from an earlier file
    d.SetGAttLayer(att);
    for (int i = 0; i < 256; ++i) {
        SCOPED_TRACE(i);
        const double sc = h.adScale[static_cast<size_t>(i / 16)];
        // The table itself turns a negative scale into 1.
        const double expected = (sc > 0 && std::isfinite(sc)) ? 1.0 / sc : 1.0;
        EXPECT_EQ(att.GetAttrLayerState(i), 1);
        EXPECT_DOUBLE_EQ(att.GetAttrLayerScale(i), expected);
    }
}

TEST(JwsSetGAttLayer, AnEmptySymbolShowsEveryLayerAtScaleOne) {
    TJwsData d;
    TgraAttribute att;
    PrepareAttributesAtStartup(att);
    d.SetGAttLayer(att);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(att.GetAttrLayerState(i), 1);
        EXPECT_EQ(att.GetAttrLayerScale(i), 1.0);
    }
}

}  // namespace
}  // namespace velmora::test
