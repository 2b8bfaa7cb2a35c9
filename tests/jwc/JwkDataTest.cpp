#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "attr/GraAttribute.h"
#include "jwc/JwcData.h"
#include "jwc/JwkData.h"
#include "support/JwcEncoder.h"
#include "support/TestFiles.h"

namespace velmora {
namespace {

using test::EncodeJwk;
using test::TJwcTextRec;
using test::TJwkFile;

std::span<const std::byte> Span(const std::vector<std::byte>& v) {
    return std::span(v.data(), v.size());
}

TJwcTextRec Text(std::string s, std::optional<int64_t> address = std::nullopt) {
    TJwcTextRec t;
    t.text = std::move(s);
    t.address = address;
    return t;
}

TJwkFile SmallSymbol() {
    TJwkFile f;
    f.lines = {{0, 0, 100, 0, 1, 2, 0x31, 0, 0x20, 0x20}};
    f.arcs = {{5, 5, 2, 10000, test::FixedDeg(90), test::FixedDeg(90), 0, 9, 9, 3}};
    f.tens = {{3, 4, 0x05, 7, 0x20, 0}};
    f.texts = {Text("door"), Text("\x8C\xCB\x1F!")};
    f.texts[1].lay = 0x44;
    f.orgX = "12.5";
    f.orgY = "-3";
    f.dispScale = "2";
    f.scale = "50";
    return f;
}

TEST(JwkData, ReadsRecordsAsStoredWithPointsBeforeTexts) {
    TJwkData k;
    ASSERT_TRUE(k.FileInBytes(Span(EncodeJwk(SmallSymbol())))) << k.ErrorText();
    EXPECT_EQ(k.Enthd.jwID, "jw_cad(c)sym........");
    EXPECT_FLOAT_EQ(k.Enthd.org_x, 12.5f);
    EXPECT_FLOAT_EQ(k.Enthd.org_y, -3);
    EXPECT_FLOAT_EQ(k.Enthd.dispScale, 2);
    EXPECT_FLOAT_EQ(k.Enthd.scale, 50);
    ASSERT_EQ(k.lineN, 1);
    // No paper-size factor: a 100 long line stays 100 long.
    EXPECT_FLOAT_EQ(k.EntLine[0].x2 - k.EntLine[0].x1, 100);
    EXPECT_EQ(k.EntLine[0].lay, 0x31);
    EXPECT_EQ(k.EntLine[0].flg3, 0x20);
    ASSERT_EQ(k.arcN, 1);
    EXPECT_FLOAT_EQ(k.EntArc[0].h, 1);
    EXPECT_FLOAT_EQ(k.EntArc[0].st, 90);
    EXPECT_EQ(k.EntArc[0].typ, 9);
    EXPECT_EQ(k.EntArc[0].lay, 3);
    ASSERT_EQ(k.tenN, 1);
    EXPECT_FLOAT_EQ(k.EntTen[0].y, 4);
    EXPECT_EQ(k.EntTen[0].col, 7);
    EXPECT_EQ(k.EntTen[0].flg1, 0x20);
    ASSERT_EQ(k.mojiN, 2);
    EXPECT_EQ(k.MojiText(0), "door");
    EXPECT_EQ(k.EntMoji[1].p, 5);
    EXPECT_EQ(k.MojiText(1), "\xE6\x88\xB8!");  // "戸!"
    EXPECT_EQ(k.EntMoji[1].lay, 0x44);
}

TEST(JwkData, UnusableScalesBecomeOne) {
    for (const char* scale : {"0", "-5", "1e-15", "abc", ""}) {
        SCOPED_TRACE(scale);
        TJwkFile f = SmallSymbol();
        f.scale = scale;
        TJwkData k;
        ASSERT_TRUE(k.FileInBytes(Span(EncodeJwk(f))));
        EXPECT_FLOAT_EQ(k.Enthd.scale, 1);
        TgraAttribute att;
        att.SetAttrLayer(200, 3, 0.25);
        k.SetGAttLayer(att);
        EXPECT_EQ(att.GetAttrLayerState(200), 1);
        EXPECT_DOUBLE_EQ(att.GetAttrLayerScale(200), 1.0);
    }
}

TEST(JwkData, EveryLayerShowsWithTheSymbolScale) {
    TJwkData k;
    ASSERT_TRUE(k.FileInBytes(Span(EncodeJwk(SmallSymbol()))));
    TgraAttribute att;
    for (int i = 0; i < 256; i += 17)
        att.SetAttrLayer(i, 3, 1.0, "x", "y");
    k.SetGAttLayer(att);
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(att.GetAttrLayerState(i), 1) << i;
        ASSERT_DOUBLE_EQ(att.GetAttrLayerScale(i), 1.0 / 50) << i;
    }
    EXPECT_EQ(att.GetAttrLayerGName(0x11), "[1] ");
    EXPECT_EQ(att.GetAttrLayerName(0x11), "(1) ");
}

TEST(JwkData, TextBlockAndOffsets) {
    TJwkFile f = SmallSymbol();
    f.texts = {Text("a"), Text("b", -1), Text("c", 6), Text("d", 1000000), Text("e", 1)};
    // Block: "a\0b\0c\0d\0e\0" = 10 bytes; offset 6 is "d", offset 1 the NUL after "a".
    TJwkData k;
    ASSERT_TRUE(k.FileInBytes(Span(EncodeJwk(f))));
    ASSERT_EQ(k.mojiN, 5);
    EXPECT_EQ(k.MojiText(0), "a");
    EXPECT_EQ(k.MojiText(1), "");
    EXPECT_EQ(k.MojiText(2), "d");
    EXPECT_EQ(k.MojiText(3), "");
    EXPECT_EQ(k.MojiText(4), "");

    f.strSpace = 0;
    ASSERT_TRUE(k.FileInBytes(Span(EncodeJwk(f))));
    EXPECT_EQ(k.mojiN, 5);
    for (size_t i = 0; i < k.EntMoji.size(); ++i)
        EXPECT_TRUE(k.MojiText(i).empty());

    // Strings longer than the declared block are cut at its end.
    f.strSpace = 3;
    ASSERT_TRUE(k.FileInBytes(Span(EncodeJwk(f))));
    EXPECT_EQ(k.MojiText(0), "a");
    EXPECT_EQ(k.MojiText(2), "");
}

// A count the file cannot hold keeps the whole records that are there and stops the reading.
TEST(JwkData, CountsTheFileCannotHoldKeepWhatIsThere) {
    struct Case {
        const char* name;
        int32_t lines, arcs, tens, texts;
        size_t keptLines, keptTens;
    };
    const Case cases[] = {
        {"negative lines", -3, 1, 1, 2, 0, 0},
        {"huge arcs", 1, 0x40000000, 1, 2, 1, 0},
        {"huge points", 1, 1, 2000, 2, 1, 5},  // the 60 bytes of texts and block left
        {"negative texts", 1, 1, 1, -1, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TJwkFile f = SmallSymbol();
        f.lineCount = c.lines;
        f.arcCount = c.arcs;
        f.tenCount = c.tens;
        f.mojiCount = c.texts;
        TJwkData k;
        EXPECT_FALSE(k.FileInBytes(Span(EncodeJwk(f))));
        EXPECT_EQ(k.ErrorText(), "File I/O Error");
        EXPECT_EQ(k.EntLine.size(), c.keptLines);
        EXPECT_EQ(k.EntTen.size(), c.keptTens);
        EXPECT_TRUE(k.EntMoji.empty());
    }
}

TEST(JwkData, DefaultsAndDataFree) {
    TJwkData k;
    ASSERT_EQ(k.EntMjtp.size(), 12u);
    EXPECT_EQ(k.EntMjtp[0].width, 0);
    EXPECT_EQ(k.EntMjtp[1].penNo, 1);
    EXPECT_EQ(k.EntMjtp[1].width, 20);
    EXPECT_EQ(k.EntMjtp[2].width, 25);
    EXPECT_EQ(k.EntMjtp[2].height, 25);
    EXPECT_EQ(k.EntMjtp[2].dist, 5);
    EXPECT_EQ(k.EntMjtp[10].penNo, 5);
    EXPECT_EQ(k.EntMjtp[10].height, 100);
    EXPECT_EQ(k.EntMjtp[11].penNo, 0);
    EXPECT_FLOAT_EQ(k.Enthd.scale, 1);
    EXPECT_FLOAT_EQ(k.Enthd.dispScale, 1);

    ASSERT_TRUE(k.FileInBytes(Span(EncodeJwk(SmallSymbol()))));
    EXPECT_EQ(k.EntMjtp[2].dist, 5);  // not in the file: the defaults stay
    k.DataFree();
    EXPECT_TRUE(k.EntMjtp.empty());
    EXPECT_TRUE(k.EntLine.empty() && k.EntArc.empty() && k.EntTen.empty() && k.EntMoji.empty());
    EXPECT_EQ(k.lineN + k.arcN + k.tenN + k.mojiN, 0);
    EXPECT_FLOAT_EQ(k.Enthd.scale, 1);
    EXPECT_TRUE(k.Enthd.jwID.empty());
}

TEST(JwkData, EveryPrefixReadsSafely) {
    const auto bytes = EncodeJwk(SmallSymbol());
    const size_t blockSize = 5 + 5;  // "door\0" and the four-byte text with its NUL
    for (size_t n = 0; n <= bytes.size(); ++n) {
        const std::vector<std::byte> prefix(bytes.begin(), bytes.begin() + n);
        TJwkData k;
        // A text block cut short still counts as read when it got any byte.
        EXPECT_EQ(k.FileInBytes(Span(prefix)), n > bytes.size() - blockSize) << n;
        EXPECT_EQ(static_cast<size_t>(k.lineN), k.EntLine.size());
        // Every record lying wholly inside the prefix is kept, and nothing more.
        const auto whole = [n](size_t start, size_t size, size_t count) {
            return n < start ? size_t{0} : std::min(count, (n - start) / size);
        };
        const TJwkFile f = SmallSymbol();
        const size_t lines = 400, arcs = lines + 22 * f.lines.size();
        const size_t tens = arcs + 32 * f.arcs.size(), texts = tens + 12 * f.tens.size();
        EXPECT_EQ(k.EntLine.size(), whole(lines, 22, f.lines.size())) << n;
        EXPECT_EQ(k.EntArc.size(), whole(arcs, 32, f.arcs.size())) << n;
        EXPECT_EQ(k.EntTen.size(), whole(tens, 12, f.tens.size())) << n;
        EXPECT_EQ(k.EntMoji.size(), whole(texts, 24, f.texts.size())) << n;
    }
}

TEST(JwkData, BytePatchesNeverBreakTheReader) {
    const auto bytes = EncodeJwk(SmallSymbol());
    TgraAttribute att;
    for (size_t i = 0; i < bytes.size(); ++i) {
        for (int v : {-1, 1, 0x100, 0x1FF}) {
            std::vector<std::byte> patched(bytes);
            const int old = std::to_integer<int>(patched[i]);
            const int now = v == 0x100 ? 0 : v == 0x1FF ? 0xFF : (old + v) & 0xFF;
            patched[i] = static_cast<std::byte>(now);
            TJwkData k;
            (void)k.FileInBytes(Span(patched));
            k.SetGAttLayer(att);
            ASSERT_GT(att.GetAttrLayerScale(0), 0.0);
        }
    }
}

TEST(JwkData, FileInFromDiskAndTheDrawingMagicIsNotASymbol) {
    test::TScopedTempDir dir;
    const std::string sym = dir.File("mark.jwk");
    const auto bytes = EncodeJwk(SmallSymbol());
    test::WriteBytes(sym, std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    TJwkData k;
    EXPECT_TRUE(k.FileCheck(sym));
    ASSERT_TRUE(k.FileIn(sym));
    EXPECT_EQ(k.mojiN, 2);
    EXPECT_FALSE(k.FileIn(dir.File("absent.jwk")));
    EXPECT_EQ(k.mojiN, 0);

    const std::string drawingMagic = "jw_cad(c)data.......";
    const std::string symbolMagic = "jw_cad(c)sym........";
    const auto span = [](const std::string& s) {
        return std::span(reinterpret_cast<const std::byte*>(s.data()), s.size());
    };
    EXPECT_FALSE(TJwkData::FileCheckBytes(span(drawingMagic)));
    EXPECT_TRUE(TJwkData::FileCheckBytes(span(symbolMagic)));
    EXPECT_FALSE(TJwkData::FileCheckBytes(span(symbolMagic.substr(0, 19))));
}

}  // namespace
}  // namespace velmora
