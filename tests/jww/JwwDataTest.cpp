#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "JwwTestHelpers.h"

namespace velmora::test {
namespace {

// A drawing reader as the application sets it up, without writing images.
struct TReader : TJwwData {
    TReader() { BindImageExr = true; }
};

TEST(JwwFileCheck, AcceptsMagicAndVersionRange) {
    struct Case {
        std::string bytes;
        bool ok;
    };
    const auto file = [](std::string_view magic, int32_t ver) {
        TJwwBytes b;
        b.Raw(magic);
        b.I32(ver);
        return b.Data();
    };
    const Case cases[] = {
        {file("JwwData.", 220), true},
        {file("JwwData.", 700), true},
        {file("JwwData.", 219), false},
        {file("JwwData.", 701), false},
        {file("JwwData,", 600), false},
        {file("jwwData.", 600), false},
        {"JwwData.", false},
        {file("JwwData.", 600).substr(0, 11), false},
        {"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.size());
        TJwwData d;
        const auto buf = FreshBuffer(c.bytes);
        EXPECT_EQ(d.FileCheckBytes(buf), c.ok);
    }
}

TEST(JwwFileIn, TwelveByteFilePassesCheckButFailsToRead) {
    TJwwBytes b;
    b.Raw("JwwData.");
    b.I32(600);
    TJwwData d;
    EXPECT_TRUE(d.FileCheckBytes(FreshBuffer(b.Data())));
    EXPECT_FALSE(ReadJww(d, b.Data()));
    EXPECT_EQ(d.LastError().rfind("File I/O Error", 0), 0u);
}

TEST(JwwFileIn, RejectsBadMagicAndVersion) {
    TJwwWriter w(701);
    TJwwData d;
    EXPECT_FALSE(ReadJww(d, w.Bytes()));
    EXPECT_EQ(d.LastError(), "JWW-Version Error");
    std::string bytes = TJwwWriter(600).Bytes();
    bytes[3] = 'W';
    EXPECT_FALSE(ReadJww(d, bytes));
    EXPECT_EQ(d.LastError(), "JWW-Header Error");
}

TEST(JwwFileIn, EmptyDrawingHasNoObjects) {
    for (int32_t ver : {600, 700}) {
        TReader d;
        ASSERT_TRUE(ReadJww(d, TJwwWriter(ver).Bytes())) << ver;
        EXPECT_EQ(d.Enthd.n1, 0);
        EXPECT_EQ(d.Enthd.n2, 0);
        EXPECT_TRUE(d.EntNo.empty());
        EXPECT_EQ(d.EntLineN + d.EntEnkoN + d.EntTenN + d.EntMojiN + d.EntSunpoN + d.EntSolidN +
                      d.EntBlockN + d.EntBlockDefN + d.EntBlockTreeN,
                  0);
        EXPECT_EQ(d.BindImageN, 0);
        EXPECT_EQ(d.EntLgrp.size(), 16u);
        EXPECT_EQ(d.EntLay.size(), 256u);
        EXPECT_EQ(d.EntColS.size(), 257u);
        EXPECT_EQ(d.EntLtpS.size(), 33u);
    }
}

// Three lines and a circle, then a second circle: the classes receive indices 1 and 5.
TEST(JwwObjects, ClassTagsFollowOneCounter) {
    TJwwWriter w(600);
    for (int i = 0; i < 3; ++i)
        w.AddLine(Line(i, 0, i, 10));
    w.AddArc(Circle(0, 0, 5));
    w.AddArc(Circle(1, 1, 2));
    const std::string s = w.ObjectStreamBytes();
    const auto u16 = [&s](size_t at) {
        return static_cast<unsigned>(static_cast<uint8_t>(s[at]) |
                                     (static_cast<uint8_t>(s[at + 1]) << 8));
    };
    EXPECT_EQ(u16(0), 5u);
    EXPECT_EQ(u16(2), 0xFFFFu);
    EXPECT_EQ(u16(6), 8u);
    EXPECT_EQ(s.substr(8, 8), "CDataSen");
    const size_t second = 16 + 47;
    EXPECT_EQ(u16(second), 0x8001u);
    EXPECT_EQ(u16(second + 2 + 47), 0x8001u);
    const size_t circle = second + 2 * (2 + 47);
    EXPECT_EQ(u16(circle), 0xFFFFu);
    EXPECT_EQ(s.substr(circle + 6, 9), "CDataEnko");
    EXPECT_EQ(u16(circle + 15 + 75), 0x8005u);

    TReader d;
    ASSERT_TRUE(ReadJww(d, w.Bytes()));
    ASSERT_EQ(d.EntLineN, 3);
    ASSERT_EQ(d.EntEnkoN, 2);
    EXPECT_DOUBLE_EQ(d.EntLine[2].start_x, 2);
    EXPECT_DOUBLE_EQ(d.EntEnko[1].dHankei, 2);
    const std::vector<std::pair<int, int>> order = {{1, 0}, {1, 1}, {1, 2}, {2, 0}, {2, 1}};
    ASSERT_EQ(d.EntNo.size(), order.size());
    for (size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(d.EntNo[i].EntType, order[i].first);
        EXPECT_EQ(d.EntNo[i].EntNo, order[i].second);
    }
}

TEST(JwwObjects, LongClassReferencesResolveLikeShortOnes) {
    for (TJwwClassRef form : {TJwwClassRef::Long, TJwwClassRef::LongBit31}) {
        TJwwWriter w(700);
        w.ClassRef = form;
        w.AddLine(Line(0, 0, 1, 1));
        w.AddArc(Circle(0, 0, 5));
        w.AddLine(Line(2, 2, 3, 3));
        w.AddArc(Circle(0, 0, 6));
        TReader d;
        ASSERT_TRUE(ReadJww(d, w.Bytes()));
        EXPECT_EQ(d.EntLineN, 2);
        ASSERT_EQ(d.EntEnkoN, 2);
        EXPECT_DOUBLE_EQ(d.EntLine[1].end_y, 3);
        EXPECT_DOUBLE_EQ(d.EntEnko[1].dHankei, 6);
    }
}

TEST(JwwObjects, StrayTagsAreSkippedWithoutCounting) {
    TJwwWriter w(700);
    w.AddLine(Line(0, 0, 1, 1));
    w.AddRaw(std::string("\x01\x00", 2));  // below 0x8000: names no class
    w.AddRaw(std::string("\x00\x80", 2));  // index 0: the null object
    w.AddRaw(std::string("\x09\x80", 2));  // an index no class has
    w.AddLine(Line(2, 2, 3, 3));
    TReader d;
    ASSERT_TRUE(ReadJww(d, w.Bytes()));
    EXPECT_EQ(d.EntLineN, 2);
    EXPECT_EQ(d.Enthd.n1, 2);
}

TEST(JwwObjects, EveryKindReadsBackWithItsFields) {
    TJwwWriter w(700);
    w.AddLine(Line(1, 2, 3, 4, 105));
    TEntJwwEnko e = Circle(5, 6, 7);
    e.radKaishiKaku = 0.5;
    e.radKatamukiKaku = 0.25;
    e.dHenpeiRitsu = 0.5;
    e.bZenEnFlg = 0;
    w.AddArc(e);
    TEntJwwTen plain;
    plain.att = Attr(3);
    plain.start_x = 8;
    plain.bKariten = 1;
    plain.nCode = 99;  // not stored for a plain point
    w.AddPoint(plain);
    TEntJwwTen code = plain;
    code.att.nPenStyle = 100;
    code.nCode = 4;
    code.radKaitenKaku = 1.5;
    code.dBairitsu = 3;
    w.AddPoint(code);
    w.AddText(Text("寸法 ABC"));
    w.AddDimension(Dimension(true));
    TEntJwwSolid own;
    own.att = Attr(10);
    own.DPoint3_y = 9;
    own.Color = 0x00336699;
    w.AddSolid(own);
    TEntJwwSolid pen = own;
    pen.att.nPenColor = 3;
    w.AddSolid(pen);
    TEntJwwBlock ins;
    ins.att = Attr(1);
    ins.DPKijunTen_x = 11;
    ins.dBairitsuX = 2;
    ins.dBairitsuY = 3;
    ins.radKaitenKaku = 0.1;
    ins.nNumber = 42;
    w.AddBlock(ins);

    TReader d;
    ASSERT_TRUE(ReadJww(d, w.Bytes())) << d.LastError();
    EXPECT_EQ(d.EntLine[0].att.nPenColor, 105);
    EXPECT_EQ(d.EntLine[0].att.nPenWidth, 25);
    EXPECT_EQ(d.EntLine[0].att.sFlg, 0x0020);
    EXPECT_EQ(d.EntLine[0].att.lGroup, 7u);
    EXPECT_DOUBLE_EQ(d.EntLine[0].end_y, 4);
    EXPECT_DOUBLE_EQ(d.EntEnko[0].radKatamukiKaku, 0.25);
    EXPECT_DOUBLE_EQ(d.EntEnko[0].dHenpeiRitsu, 0.5);
    EXPECT_EQ(d.EntEnko[0].att.nGLayer, 1);
    EXPECT_EQ(d.EntEnko[0].att.nLayer, 3);
    ASSERT_EQ(d.EntTenN, 2);
    EXPECT_EQ(d.EntTen[0].nCode, 0u);
    EXPECT_DOUBLE_EQ(d.EntTen[0].dBairitsu, 1.0);
    EXPECT_EQ(d.EntTen[0].bKariten, 1u);
    EXPECT_EQ(d.EntTen[1].nCode, 4u);
    EXPECT_DOUBLE_EQ(d.EntTen[1].radKaitenKaku, 1.5);
    EXPECT_DOUBLE_EQ(d.EntTen[1].dBairitsu, 3);
    EXPECT_EQ(d.EntMoji[0].str, "寸法 ABC");
    EXPECT_EQ(d.EntMoji[0].strFontName, "ＭＳ ゴシック");
    EXPECT_DOUBLE_EQ(d.EntMoji[0].degKakudo, 30);
    EXPECT_EQ(d.EntMoji[0].nMojiShu, 2u);
    const TEntJwwSunpo& s = d.EntSunpo[0];
    EXPECT_EQ(s.att.nPenColor, 5);
    EXPECT_DOUBLE_EQ(s.Sen.end_x, 100);
    EXPECT_EQ(s.Moji.str, "100");
    EXPECT_EQ(s.bSxfMode, 1);
    EXPECT_DOUBLE_EQ(s.Ho2.start_x, 100);
    EXPECT_EQ(s.Te1.nCode, 5u);
    EXPECT_DOUBLE_EQ(s.Te1.dBairitsu, 2.0);
    EXPECT_DOUBLE_EQ(s.Te2.start_x, 100);
    EXPECT_EQ(s.Kt2.att.nPenColor, 8);
    ASSERT_EQ(d.EntSolidN, 2);
    EXPECT_EQ(d.EntSolid[0].Color, 0x00336699u);
    EXPECT_EQ(d.EntSolid[1].Color, 0u);
    EXPECT_DOUBLE_EQ(d.EntSolid[1].DPoint3_y, 9);
    EXPECT_EQ(d.EntBlock[0].nNumber, 42u);
    EXPECT_DOUBLE_EQ(d.EntBlock[0].dBairitsuY, 3);
    const int kinds[] = {1, 2, 3, 3, 4, 5, 6, 6, 7};
    ASSERT_EQ(d.EntNo.size(), std::size(kinds));
    for (size_t i = 0; i < std::size(kinds); ++i)
        EXPECT_EQ(d.EntNo[i].EntType, kinds[i]);
    EXPECT_EQ(d.EntNo[3].EntNo, 1);
    EXPECT_EQ(d.EntNo[7].EntNo, 1);
}

TEST(JwwObjects, SolidOfOwnColourIsFourBytesLonger) {
    TJwwWriter own(700), pen(700);
    TEntJwwSolid s;
    s.att = Attr(10);
    own.AddSolid(s);
    s.att.nPenColor = 9;
    pen.AddSolid(s);
    EXPECT_EQ(own.ObjectStreamBytes().size(), pen.ObjectStreamBytes().size() + 4);
}

TEST(JwwObjects, Version350ReadsShortRecordsWithoutPenWidth) {
    TJwwWriter w(350);
    w.AddLine(Line(1, 2, 3, 4));
    w.AddArc(Circle(1, 1, 1));
    w.AddText(Text("x"));
    w.AddDimension(Dimension(false));
    TEntJwwSolid s;
    s.att = Attr(10);
    s.end_y = 5;
    s.Color = 0x123456;
    w.AddSolid(s);
    TEntJwwBlockDef def;
    def.att = Attr(1);
    def.nNumber = 3;
    AddMember(def, Line(9, 9, 8, 8));
    w.AddBlockDef(def);
    TReader d;
    ASSERT_TRUE(ReadJww(d, w.Bytes())) << d.LastError();
    EXPECT_EQ(d.EntLine[0].att.nPenWidth, 0);
    EXPECT_EQ(d.EntLine[0].att.nLayer, 0);
    EXPECT_EQ(d.EntLine[0].att.sFlg, 0x0020);
    EXPECT_DOUBLE_EQ(d.EntLine[0].end_y, 4);
    EXPECT_EQ(d.EntEnko[0].att.nPenWidth, 0);
    EXPECT_EQ(d.EntEnko[0].att.nLayer, 3);
    EXPECT_EQ(d.EntMoji[0].str, "x");
    EXPECT_EQ(d.EntSunpo[0].Moji.att.nPenWidth, 0);
    EXPECT_EQ(d.EntSolid[0].Color, 0x123456u);
    EXPECT_DOUBLE_EQ(d.EntSolid[0].end_y, 5);
    ASSERT_EQ(d.EntBlockDefN, 1);
    EXPECT_EQ(d.EntBlockDef[0].att.nPenWidth, 0);
    EXPECT_EQ(d.EntBlockDef[0].nNumber, 3u);
    EXPECT_DOUBLE_EQ(d.EntBlockDef[0].mLine[0].start_x, 9);
}

TEST(JwwObjects, DimensionsBefore420HaveNoSxfParts) {
    for (int32_t ver : {419, 420}) {
        SCOPED_TRACE(ver);
        TJwwWriter w(ver);
        w.AddDimension(Dimension(true));
        w.AddLine(Line(7, 7, 7, 7));  // must stay in step after the dimension
        TReader d;
        ASSERT_TRUE(ReadJww(d, w.Bytes())) << d.LastError();
        ASSERT_EQ(d.EntSunpoN, 1);
        ASSERT_EQ(d.EntLineN, 1);
        EXPECT_DOUBLE_EQ(d.EntLine[0].start_x, 7);
        const TEntJwwSunpo& s = d.EntSunpo[0];
        if (ver == 419) {
            EXPECT_EQ(s.bSxfMode, 0);
            for (const TEntJwwTen* t : {&s.Te1, &s.Te2, &s.Kt1, &s.Kt2}) {
                EXPECT_EQ(t->att.nPenStyle, 0);
                EXPECT_EQ(t->att.nPenColor, s.att.nPenColor);
                EXPECT_EQ(t->att.nGLayer, 3);
                EXPECT_EQ(t->att.nLayer, 2);
                EXPECT_DOUBLE_EQ(t->start_x, 0);
                EXPECT_EQ(t->nCode, 0u);
                EXPECT_DOUBLE_EQ(t->dBairitsu, 1.0);
            }
            EXPECT_EQ(s.Ho1.att.nPenColor, s.att.nPenColor);
            EXPECT_EQ(s.Ho1.att.nPenStyle, s.att.nPenStyle);
            EXPECT_DOUBLE_EQ(s.Ho2.start_x, 0);
        } else {
            EXPECT_EQ(s.bSxfMode, 1);
            EXPECT_EQ(s.Te1.att.nPenStyle, 100);
            EXPECT_EQ(s.Te1.nCode, 5u);
            EXPECT_DOUBLE_EQ(s.Te2.start_x, 100);
            EXPECT_DOUBLE_EQ(s.Te2.dBairitsu, 1.0);
        }
    }
}

TEST(JwwObjects, CodePointInDimensionAddsTwentyBytes) {
    TJwwWriter plain(420), coded(420);
    plain.AddDimension(Dimension(false));
    coded.AddDimension(Dimension(true));
    EXPECT_EQ(coded.ObjectStreamBytes().size(), plain.ObjectStreamBytes().size() + 20);
}

TEST(JwwBlockDefs, LongTimeStampBecomesThePosition) {
    TJwwWriter w(700);
    w.AddLine(Line(0, 0, 1, 0));  // introduces CDataSen in the main list
    TEntJwwBlockDef a;
    a.att = Attr(1);
    a.nNumber = 1;
    a.dtime = 12345;
    a.strName = "部品A";
    AddMember(a, Line(5, 5, 6, 6));
    AddMember(a, Circle(0, 0, 1));
    TEntJwwBlockDef b;
    b.nNumber = 2;
    b.dtime = 0xFFFFFFFF;
    b.bRefferd = 1;
    b.strName = "B";
    AddMember(b, Circle(0, 0, 2));
    TEntJwwBlock nested;
    nested.nNumber = 1;
    AddMember(b, nested);
    AddMember(b, Line(1, 1, 2, 2));
    w.AddBlockDef(a);
    w.AddBlockDef(b);
    const std::string stream = w.ObjectStreamBytes();
    // The members refer to the line class of the main list instead of naming it again.
    EXPECT_EQ(stream.find("CDataSen"), stream.rfind("CDataSen"));

    TReader d;
    ASSERT_TRUE(ReadJww(d, w.Bytes())) << d.LastError();
    ASSERT_EQ(d.EntBlockDefN, 2);
    EXPECT_EQ(d.Enthd.n2, 2);
    const TEntJwwBlockDef& da = d.EntBlockDef[0];
    const TEntJwwBlockDef& db = d.EntBlockDef[1];
    EXPECT_EQ(da.dtime, 12345u);
    EXPECT_EQ(db.dtime, 2u);
    EXPECT_EQ(da.strName, "部品A");
    EXPECT_EQ(db.bRefferd, 1u);
    EXPECT_EQ(da.N, 2);
    EXPECT_EQ(da.mLineN, 1);
    EXPECT_EQ(da.mEnkoN, 1);
    EXPECT_DOUBLE_EQ(da.mLine[0].start_x, 5);
    ASSERT_EQ(db.N, 3);
    EXPECT_EQ(db.mBlockN, 1);
    EXPECT_EQ(db.mBlock[0].nNumber, 1u);
    EXPECT_DOUBLE_EQ(db.mLine[0].end_x, 2);
    EXPECT_EQ(db.mNo[1].EntType, kJwwBlock);
    EXPECT_EQ(db.mNo[2].EntType, kJwwLine);
    EXPECT_EQ(db.ref_no, -1);
}

TEST(JwwObjects, ObjectCutOffAtTheEndIsDropped) {
    TJwwWriter w(600);
    for (int i = 0; i < 3; ++i)
        w.AddLine(Line(i, i, i, i));
    const std::string full = w.Bytes();
    const size_t third = w.ObjectStreamOffset() + 2 + (14 + 47) + (2 + 47);
    // Keep the third line's tag but none of its data.
    const std::string cut = full.substr(0, third + 2);
    TReader d;
    EXPECT_FALSE(ReadJww(d, cut));
    EXPECT_EQ(d.EntLineN, 2);
    ASSERT_EQ(d.EntNo.size(), 3u);
    EXPECT_EQ(d.EntNo[2].EntType, 0);
    EXPECT_EQ(d.EntNo[2].EntNo, 0);
    // A partly delivered fixed part is dropped too: its missing coordinates would otherwise
    // read as zero and draw a stray line to the origin.
    const std::string part = full.substr(0, third + 2 + 47 - 8);
    EXPECT_FALSE(ReadJww(d, part));
    EXPECT_EQ(d.EntLineN, 2);
    EXPECT_EQ(d.EntNo[2].EntType, 0);
}

TEST(JwwObjects, DeclaredCountAboveObjectsKeepsOrderTableLength) {
    TJwwWriter w(600);
    w.MainCountOverride = 5;
    for (int i = 0; i < 3; ++i)
        w.AddLine(Line(i, i, i, i));
    TReader d;
    EXPECT_FALSE(ReadJww(d, w.Bytes()));
    EXPECT_EQ(d.Enthd.n1, 5);
    EXPECT_EQ(d.EntLineN, 3);
    ASSERT_EQ(d.EntNo.size(), 5u);
    EXPECT_EQ(d.EntNo[3].EntType, 0);
    EXPECT_EQ(d.EntNo[4].EntType, 0);
}

TEST(JwwObjects, UnknownOrOverlongClassEndsTheRead) {
    for (size_t len : {size_t{9}, size_t{2048}}) {
        TJwwWriter w(700);
        w.MainCountOverride = 2;
        w.AddLine(Line(1, 1, 1, 1));
        TJwwBytes tag;
        tag.U16(0xFFFF);
        tag.U16(1);
        tag.U16(static_cast<uint16_t>(len));
        tag.Raw(std::string(len, 'C'));
        tag.Raw(std::string(100, '\0'));
        w.AddRaw(tag.Data());
        TReader d;
        EXPECT_FALSE(ReadJww(d, w.Bytes()));
        EXPECT_EQ(d.LastError().rfind("File I/O Error", 0), 0u) << d.LastError();
        EXPECT_EQ(d.EntLineN, 1);
    }
}

TEST(JwwObjects, NonFiniteTextSizesAreRepaired) {
    TJwwWriter w(700);
    TEntJwwMoji m = Text("t");
    m.dSizeX = std::numeric_limits<double>::quiet_NaN();
    m.dSizeY = std::numeric_limits<double>::infinity();
    m.dKankaku = -std::numeric_limits<double>::infinity();
    w.AddText(m);
    TEntJwwSunpo s = Dimension(false);
    s.Moji.dSizeY = std::numeric_limits<double>::quiet_NaN();
    w.AddDimension(s);
    w.EntMoj[3].adMojiY = std::numeric_limits<double>::quiet_NaN();
    w.EntMoj[4].adMojiD = std::numeric_limits<double>::infinity();
    w.Header.dMojiSizeX = std::numeric_limits<double>::infinity();
    w.Header.dMojiKankaku = std::numeric_limits<double>::quiet_NaN();
    TReader d;
    ASSERT_TRUE(ReadJww(d, w.Bytes()));
    EXPECT_DOUBLE_EQ(d.EntMoji[0].dSizeX, 3.0);
    EXPECT_DOUBLE_EQ(d.EntMoji[0].dSizeY, 3.0);
    EXPECT_DOUBLE_EQ(d.EntMoji[0].dKankaku, 0.0);
    EXPECT_DOUBLE_EQ(d.EntSunpo[0].Moji.dSizeY, 3.0);
    EXPECT_DOUBLE_EQ(d.EntMoj[3].adMojiY, 3.0);
    EXPECT_DOUBLE_EQ(d.EntMoj[4].adMojiD, 0.0);
    EXPECT_DOUBLE_EQ(d.Enthd.dMojiSizeX, 3.0);
    EXPECT_DOUBLE_EQ(d.Enthd.dMojiKankaku, 0.0);
}

TEST(JwwStrings, AllFormsDecode) {
    const std::string longAscii(300, 'a');
    const std::string longKanji = [] {
        std::string s;
        for (int i = 0; i < 300; ++i)
            s += "図";
        return s;
    }();
    for (TJwwStringForm form : {TJwwStringForm::Cp932, TJwwStringForm::Utf16}) {
        for (const std::string& text : {std::string(), std::string("層 1"), longAscii, longKanji}) {
            SCOPED_TRACE(text.size());
            TJwwBytes b;
            b.String(text, form);
            b.U8(0x5A);  // the next field must start right after
            const auto buf = FreshBuffer(b.Data());
            TByteCursor c(buf);
            TJwwData d;
            std::string out;
            ASSERT_TRUE(d.ReadString(c, out));
            EXPECT_EQ(out, text);
            EXPECT_EQ(d.MojiEncode, form == TJwwStringForm::Utf16);
            uint8_t next = 0;
            ASSERT_TRUE(c.ReadU8(next));
            EXPECT_EQ(next, 0x5A);
        }
    }
}

TEST(JwwStrings, ControlsAndNulHandling) {
    TJwwBytes b;
    b.String("a\r\nb\tc");
    b.Raw(
        std::string("\x05"
                    "ab\0cd",
                    6));
    const auto buf = FreshBuffer(b.Data());
    TByteCursor c(buf);
    TJwwData d;
    std::string s;
    ASSERT_TRUE(d.ReadStringNoCtrl(c, s));
    EXPECT_EQ(s, "abc");
    ASSERT_TRUE(d.ReadString(c, s));
    EXPECT_EQ(s, "ab");
    ASSERT_TRUE(d.ReadString(c, s));  // nothing left: empty
    EXPECT_EQ(s, "");
}

TEST(JwwStrings, LengthBeyondTheDataFails) {
    for (std::string bytes : {std::string("\x05"
                                          "abc"),
                              std::string("\xFF\x10\x00"
                                          "ab",
                                          5),
                              std::string("\xFF\xFE\xFF\x03"
                                          "ab",
                                          6),
                              std::string("\xFF\x01")}) {
        const auto buf = FreshBuffer(bytes);
        TByteCursor c(buf);
        TJwwData d;
        std::string s;
        EXPECT_FALSE(d.ReadString(c, s));
    }
}

TEST(JwwHeader, MemoKeepsLineBreaksAndNamesLoseThem) {
    for (TJwwStringForm form : {TJwwStringForm::Cp932, TJwwStringForm::Utf16}) {
        TJwwWriter w(700);
        w.StringForm = form;
        w.Header.strMemo = "一行目\r\n二行目";
        w.EntLay[17].aStrLayName = "壁\t線";
        w.EntLgrp[15].aStrGLayName = "group\n15";
        w.EntColS[256].astrUDColorName = "last";
        w.EntLtpS[32].astrUDLTypeName = "dash";
        w.EntLtpS[32].aadUDLTypePitch[10] = 7.5;
        TReader d;
        ASSERT_TRUE(ReadJww(d, w.Bytes()));
        EXPECT_EQ(d.Enthd.strMemo, "一行目\r\n二行目");
        EXPECT_EQ(d.EntLay[17].aStrLayName, "壁線");
        EXPECT_EQ(d.EntLgrp[15].aStrGLayName, "group15");
        EXPECT_EQ(d.EntColS[256].astrUDColorName, "last");
        EXPECT_EQ(d.EntLtpS[32].astrUDLTypeName, "dash");
        EXPECT_DOUBLE_EQ(d.EntLtpS[32].aadUDLTypePitch[10], 7.5);
        EXPECT_EQ(d.MojiEncode, form == TJwwStringForm::Utf16);
    }
}

TEST(JwwHeader, PrintValueSplitsIntoDpiAndFlag) {
    TJwwWriter w(700);
    w.Header.nPrtDpi = 1;
    w.Header.nPrtDispOnlyNonDraw = 2;
    TReader d;
    ASSERT_TRUE(ReadJww(d, w.Bytes()));
    EXPECT_EQ(d.Enthd.nPrtDpi, 1);
    EXPECT_EQ(d.Enthd.nPrtDispOnlyNonDraw, 2);
}

// Each conditional header item is read exactly when its version condition holds; the items
// after it stay in step either way.
TEST(JwwHeader, ItemsFollowTheirVersionConditions) {
    for (int32_t v :
         {220, 222, 223, 224, 225, 229, 230, 231, 299, 300, 350, 351, 419, 420, 421, 699, 700}) {
        SCOPED_TRACE(v);
        TJwwWriter w(v);
        TEntJwwHeader& h = w.Header;
        h.dTenkuuZuLevel = 16.5;
        for (int i = 1; i <= 8; ++i) {
            h.dZoomJumpBairitsu[i] = 10 + i;
            h.nZoomJumpGLay[i] = i;
        }
        h.dMojiBG = 19.5;
        h.lnDrawTime = 29;
        h.dEye_V_Ichi_3 = 30.5;
        h.dEnHankeiSnpou = 31.5;
        h.SolidColor = 32;
        w.EntColS[1].aPenColor = 33;
        w.EntColS[256].adPrtTenHankei = 34.5;
        w.EntLtpS[1].anUDLTypeSegment = 36;
        h.adMojiKijunZureY2 = 42.5;
        h.nMMTani3D = 17;
        h.nMaxDrawWid = -300;
        w.AddLine(Line(1, 2, 3, 4));
        TReader d;
        ASSERT_TRUE(ReadJww(d, w.Bytes())) << d.LastError();
        const TEntJwwHeader& r = d.Enthd;
        EXPECT_EQ(r.jwVer, v);
        EXPECT_EQ(r.nMaxDrawWid, -300);
        EXPECT_EQ(r.nMMTani3D, 17);
        EXPECT_DOUBLE_EQ(r.dTenkuuZuLevel, v >= 300 ? 16.5 : 0.0);
        EXPECT_DOUBLE_EQ(r.dZoomJumpBairitsu[4], 14);
        EXPECT_DOUBLE_EQ(r.dZoomJumpBairitsu[5], v >= 231 ? 15 : 1.0);
        EXPECT_EQ(r.nZoomJumpGLay[1], v >= 231 ? 1 : -1);
        EXPECT_DOUBLE_EQ(r.dMojiBG, v >= 231 ? 19.5 : 0.0);
        EXPECT_EQ(r.lnDrawTime, v >= 223 ? 29 : 0);
        EXPECT_DOUBLE_EQ(r.dEye_V_Ichi_3, v >= 223 ? 30.5 : 0.0);
        EXPECT_DOUBLE_EQ(r.dEnHankeiSnpou, v >= 225 ? 31.5 : 0.0);
        EXPECT_EQ(r.SolidColor, v >= 230 ? 32 : 0);
        EXPECT_EQ(d.EntColS[1].aPenColor, v >= 420 ? 33 : 0);
        EXPECT_DOUBLE_EQ(d.EntColS[256].adPrtTenHankei, v >= 420 ? 34.5 : 0.0);
        EXPECT_EQ(d.EntLtpS[1].anUDLTypeSegment, v >= 420 ? 36 : 0);
        EXPECT_DOUBLE_EQ(r.adMojiKijunZureY2, 42.5);
        EXPECT_DOUBLE_EQ(d.EntLgrp[3].adScale, 1.0);
        EXPECT_EQ(d.EntLay[255].aanLay, 2);
        ASSERT_EQ(d.EntLineN, 1);
        EXPECT_DOUBLE_EQ(d.EntLine[0].end_y, 4);
    }
}

TEST(JwwData, DataInitResetsToTheEmptyDrawing) {
    TJwwWriter w(700);
    w.AddLine(Line(0, 0, 1, 1));
    w.AddImage("a.png", "abc");
    TReader d;
    d.BindImageFolder = "/nonexistent/";
    ASSERT_TRUE(ReadJww(d, w.Bytes()));
    ASSERT_EQ(d.BindImageN, 1);
    d.DataFree();
    EXPECT_EQ(d.EntLineN, 0);
    EXPECT_TRUE(d.EntLine.empty());
    EXPECT_TRUE(d.EntLay.empty());
    EXPECT_EQ(d.BindImageN, 0);
    EXPECT_EQ(d.Enthd.jwVer, 0);
    EXPECT_DOUBLE_EQ(d.Enthd.dPrtBairitsu, 1.0);
    EXPECT_DOUBLE_EQ(d.Enthd.dZoomJumpBairitsu[8], 1.0);
    EXPECT_EQ(d.Enthd.nZoomJumpGLay[8], -1);
    EXPECT_TRUE(d.BindImageExr);
    EXPECT_EQ(d.BindImageFolder, "/nonexistent/");
}

}  // namespace
}  // namespace velmora::test
