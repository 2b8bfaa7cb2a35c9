#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "JwwTestHelpers.h"
#include "support/TestFiles.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;

struct TReader : TJwwData {
    TReader() { BindImageExr = true; }
};

// A small drawing with every object kind, a nested definition and two images.
TJwwWriter SmallDrawing(int32_t version) {
    TJwwWriter w(version);
    w.AddLine(Line(0, 0, 10, 0));
    w.AddArc(Circle(5, 5, 2));
    TEntJwwTen p;
    p.att = Attr(3);
    p.att.nPenStyle = 100;
    p.nCode = 2;
    w.AddPoint(p);
    w.AddText(Text("文字"));
    w.AddDimension(Dimension(true));
    TEntJwwSolid s;
    s.att = Attr(10);
    s.Color = 0xFF;
    w.AddSolid(s);
    TEntJwwBlock ins;
    ins.nNumber = 1;
    ins.dBairitsuX = ins.dBairitsuY = 1;
    w.AddBlock(ins);
    w.AddLine(Line(1, 1, 2, 2));
    TEntJwwBlockDef def;
    def.nNumber = 1;
    def.dtime = 0x80000001;
    def.strName = "blk";
    AddMember(def, Line(0, 0, 1, 1));
    AddMember(def, Text("m"));
    TEntJwwBlock nested;
    nested.nNumber = 2;
    AddMember(def, nested);
    w.AddBlockDef(def);
    TEntJwwBlockDef inner;
    inner.nNumber = 2;
    AddMember(inner, Circle(0, 0, 1));
    w.AddBlockDef(inner);
    w.AddImage("a.bmp", std::string(40, 'x'));
    w.AddImage("b.jpg.gz", std::string(5, 'y'));
    return w;
}

TEST(JwwHostile, SmallDrawingsReadCompletely) {
    for (int32_t v : {300, 420, 700}) {
        TReader d;
        EXPECT_TRUE(ReadJww(d, SmallDrawing(v).Bytes())) << v << " " << d.LastError();
        EXPECT_EQ(d.EntBlockDefN, 2);
        EXPECT_EQ(d.EntBlockDef[0].N, 3);
        EXPECT_EQ(d.BindImageN, v >= 700 ? 2 : 0);
    }
}

// A stop raised while a large drawing reads ends the read early, as damaged, so that a run
// abandoning the file need not wait for the rest of it.
TEST(JwwHostile, StopEndsTheReadEarly) {
    TJwwWriter w(700);
    for (int i = 0; i < 20000; ++i)
        w.AddLine(Line(i, 0, i, 1));
    const std::vector<std::byte> buf = FreshBuffer(w.Bytes());
    TStopFlag stop{false};
    TReader d;
    d.Stop = &stop;
    ASSERT_TRUE(d.FileInBytes(buf));
    EXPECT_EQ(d.EntLineN, 20000);
    stop = true;
    EXPECT_FALSE(d.FileInBytes(buf));
    EXPECT_EQ(d.LastError(), "stopped");
    EXPECT_LT(d.EntLineN, 20000);
}

// Every proper prefix of a valid file is a damaged file: read without fault and reported.
TEST(JwwHostile, EveryPrefixFailsCleanly) {
    for (int32_t v : {350, 700}) {
        const TJwwWriter w = SmallDrawing(v);
        const std::string full = w.Bytes();
        TReader d;
        for (size_t n = 0; n < full.size(); ++n) {
            const std::vector<std::byte> buf = FreshBuffer(std::string_view(full).substr(0, n));
            ASSERT_FALSE(d.FileInBytes(buf)) << v << " prefix " << n;
            ASSERT_LE(d.EntLineN, 2);
        }
    }
}

// A prefix keeps every line that lies wholly inside it, in order, and none that is cut.
TEST(JwwHostile, EveryPrefixKeepsTheLinesWhollyInsideIt) {
    for (int32_t v : {350, 700}) {
        SCOPED_TRACE(v);
        // Where each line ends: the stream of k lines is longer than the empty one by exactly
        // the bytes of those k lines, which follow the two-byte count.
        std::vector<size_t> ends;
        TJwwWriter w(v);
        const size_t empty = w.ObjectStreamBytes().size();
        for (int k = 0; k < 4; ++k) {
            w.AddLine(Line(k, k + 1, k + 2, k + 3));
            ends.push_back(w.ObjectStreamOffset() + 2 + w.ObjectStreamBytes().size() - empty);
        }
        const std::string full = w.Bytes();
        TReader d;
        for (size_t n = w.ObjectStreamOffset(); n < full.size(); ++n) {
            ASSERT_FALSE(d.FileInBytes(FreshBuffer(std::string_view(full).substr(0, n)))) << n;
            const auto whole =
                std::count_if(ends.begin(), ends.end(), [n](size_t e) { return e <= n; });
            ASSERT_EQ(d.EntLineN, whole) << n;
            for (int i = 0; i < d.EntLineN; ++i)
                ASSERT_EQ(d.EntLine[static_cast<size_t>(i)].end_y, i + 3) << n;
        }
    }
}

TEST(JwwHostile, PatchedBytesNeverBreakTheReader) {
    const TJwwWriter w = SmallDrawing(700);
    const std::string full = w.Bytes();
    // The header tables are plain numbers and strings; the object stream holds the tags,
    // counts and lengths that steer the reader, so it is swept whole, the header sparsely.
    const size_t start = w.ObjectStreamOffset();
    TReader d;
    const auto t0 = std::chrono::steady_clock::now();
    for (size_t i = 0; i < full.size(); i += (i < start ? 7 : 1)) {
        for (int patch = 0; patch < 4; ++patch) {
            std::string bytes = full;
            const auto b = static_cast<uint8_t>(bytes[i]);
            const uint8_t values[] = {static_cast<uint8_t>(b + 1), static_cast<uint8_t>(b - 1), 0,
                                      0xFF};
            bytes[i] = static_cast<char>(values[patch]);
            ReadJww(d, bytes);
            ASSERT_LE(d.EntNo.size(), bytes.size());
            ASSERT_LE(d.BindImage.size(), bytes.size());
        }
    }
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(120));
}

TEST(JwwHostile, CountsLargerThanTheDataStayBounded) {
    struct Case {
        const char* what;
        TJwwWriter w;
    };
    std::vector<Case> cases;
    {
        TJwwWriter w(700);
        w.MainCountOverride = 0xFFFFFFF0u;
        w.AddLine(Line(0, 0, 1, 1));
        cases.push_back({"main list", w});
    }
    {
        TJwwWriter w(700);
        w.BlockDefCountOverride = 0x7FFFFFFFu;
        cases.push_back({"block definitions", w});
    }
    {
        TJwwWriter w(600);
        TEntJwwBlockDef def;
        def.N = 0;
        w.AddBlockDef(def);
        cases.push_back({"members", w});
    }
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string bytes = c.w.Bytes();
        if (std::string_view(c.what) == "members") {
            // The member count is the last field of the definition: make it 0xFFFF, 0xFFFFFFFF.
            bytes.resize(bytes.size() - 2);
            bytes += std::string("\xFF\xFF\xFF\xFF\xFF\xFF", 6);
        }
        TReader d;
        EXPECT_FALSE(ReadJww(d, bytes));
        EXPECT_FALSE(d.LastError().empty());
        // A list count beyond the data is a cut file: the objects there are kept.
        EXPECT_EQ(d.EntLineN, std::string_view(c.what) == "main list" ? 1 : 0);
        EXPECT_LE(d.EntNo.size(), bytes.size());
        EXPECT_LE(d.EntBlockDef.size(), bytes.size());
    }
    // Image count.
    TJwwWriter w(700);
    w.WriteImageSection = false;
    std::string bytes = w.Bytes() + std::string("\xFF\xFF\xFF\x7F", 4);
    TReader d;
    EXPECT_FALSE(ReadJww(d, bytes));
    EXPECT_TRUE(d.BindImage.empty());
}

TEST(JwwHostile, DamagedTagsCannotLoop) {
    // A run of tags that name no class, then the end of the data.
    TJwwWriter w(700);
    w.MainCountOverride = 3;
    w.AddLine(Line(0, 0, 1, 1));
    std::string bytes = w.HeaderBytes() + w.ObjectStreamBytes();
    bytes.resize(bytes.size() - 2);  // drop the definition count
    for (int i = 0; i < 1000; ++i)
        bytes += std::string("\x01\x00", 2);
    TReader d;
    EXPECT_FALSE(ReadJww(d, bytes));
    EXPECT_EQ(d.EntLineN, 1);
}

TEST(JwwImages, Version699IsNotReadPastItsBlockDefinitions) {
    for (int32_t v : {699, 700}) {
        TJwwWriter w(v);
        w.AddImage("pic.png", "12345");
        std::string bytes = w.Bytes();
        if (v == 699) bytes += w.ImageSectionBytes();
        TReader d;
        ASSERT_TRUE(ReadJww(d, bytes)) << v;
        ASSERT_EQ(d.BindImageN, v >= 700 ? 1 : 0);
        if (v >= 700) {
            EXPECT_EQ(d.BindImage[0].Fname, "pic.png");
            EXPECT_EQ(d.BindImage[0].Fsize, 5);
        }
    }
}

TEST(JwwImages, WritesPlainNamesOnlyAndStaysInStep) {
    TScopedTempDir tmp;
    const fs::path work = tmp.Path() / "TEMP";
    fs::create_directories(work);
    TJwwWriter w(700);
    w.AddImage("../escape.png", "evil");
    w.AddImage("sub/x.png", "evil");
    w.AddImage("..\\y.png", "evil");
    w.AddImage("C:z.png", "evil");
    w.AddImage("", "", 0);
    w.AddImage("empty.png", "", 0);
    w.AddImage("neg.png", "", -5);
    w.AddImage("good.bmp", "GOOD");
    w.AddImage("pic.jpg.gz", "GZ");
    TJwwData d;
    d.BindImageExp = true;
    d.BindImageExr = true;
    d.BindImageFolder = tmp.File("TEMP") + "/";
    ASSERT_TRUE(ReadJww(d, w.Bytes())) << d.LastError();
    ASSERT_EQ(d.BindImageN, 9);
    EXPECT_EQ(d.BindImage[7].Fname, "good.bmp");
    EXPECT_EQ(ReadBytes(work / "good.bmp"), "GOOD");
    EXPECT_EQ(ReadBytes(work / "pic.jpg.gz"), "GZ");
    EXPECT_FALSE(fs::exists(tmp.Path() / "escape.png"));
    EXPECT_FALSE(fs::exists(work / "sub"));
    size_t files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(work))
        ++files;
    EXPECT_EQ(files, 3u);
    // A negative size copies nothing, but the file is made.
    EXPECT_EQ(ReadBytes(work / "neg.png"), "");

    // A file named like the decompressed image goes too; a file outside the folder never.
    WriteBytes(work / "pic.jpg", "unpacked");
    WriteBytes(tmp.Path() / "escape.png", "outside");
    d.BindImageDeleteGzFile();
    EXPECT_FALSE(fs::exists(work / "pic.jpg.gz"));
    EXPECT_TRUE(fs::exists(work / "good.bmp"));
    d.BindImageDeleteNonGzFile();
    EXPECT_FALSE(fs::exists(work / "good.bmp"));
    EXPECT_FALSE(fs::exists(work / "pic.jpg"));
    EXPECT_FALSE(fs::exists(work / "neg.png"));
    EXPECT_TRUE(fs::exists(tmp.Path() / "escape.png"));
}

TEST(JwwImages, UnwritableImageIsSkippedAndReadingGoesOn) {
    TScopedTempDir tmp;
    TJwwWriter w(700);
    w.AddImage("a.png", "AAAA");
    w.AddImage("b.png", "BB");
    TJwwData d;
    d.BindImageExp = true;
    d.BindImageFolder = tmp.File("missing") + "/";
    ASSERT_TRUE(ReadJww(d, w.Bytes()));
    ASSERT_EQ(d.BindImageN, 2);
    EXPECT_EQ(d.BindImage[1].Fname, "b.png");
    EXPECT_EQ(d.BindImage[1].Fsize, 2);
    EXPECT_FALSE(fs::exists(tmp.Path() / "missing"));
}

TEST(JwwImages, SectionIsSkippedWithoutFlags) {
    TJwwWriter w(700);
    w.AddImage("a.png", "AAAA");
    TJwwData d;
    ASSERT_TRUE(ReadJww(d, w.Bytes()));
    EXPECT_EQ(d.BindImageN, 0);
}

// A drawing cut inside its object list keeps every line lying wholly inside the cut, however
// many objects its count declares; a dimension of an old drawing whose value text the end of
// the file cuts off keeps its line.
TEST(JwwHostile, CutObjectListKeepsEveryWholeObject) {
    TJwwWriter w(700);
    for (int i = 0; i < 30; ++i)
        w.AddLine(Line(i, 0, i, 1));
    const std::string full = w.Bytes();
    const size_t list = w.ObjectStreamOffset() + 2;
    for (size_t n = 0; n < full.size(); ++n) {
        TReader d;
        EXPECT_FALSE(ReadJww(d, std::string_view(full).substr(0, n)));
        const size_t whole = n < list + 61 ? 0 : std::min<size_t>(30, 1 + (n - list - 61) / 49);
        ASSERT_EQ(static_cast<size_t>(d.EntLineN), whole) << n;
        if (whole > 0) {
            EXPECT_EQ(d.EntLine[whole - 1].start_x, static_cast<double>(whole - 1));
        }
    }
    // A long list cut early: its count is far more than the bytes left could hold.
    TJwwWriter many(700);
    for (int i = 0; i < 600; ++i)
        many.AddLine(Line(i, 0, i, 1));
    TReader d;
    EXPECT_FALSE(ReadJww(d, std::string_view(many.Bytes()).substr(0, list + 1000)));
    EXPECT_EQ(d.EntLineN, 20);
    EXPECT_FALSE(d.LastError().empty());

    TJwwWriter old(419);
    old.AddDimension(Dimension(false));
    const std::string dim = old.Bytes();
    // Cut inside the value text, the last thing of the dimension before the definition count.
    TReader cut;
    EXPECT_FALSE(ReadJww(cut, std::string_view(dim).substr(0, dim.size() - 4)));
    ASSERT_EQ(cut.EntSunpoN, 1);
    EXPECT_EQ(cut.EntSunpo[0].Sen.end_x, Dimension(false).Sen.end_x);
}

}  // namespace
}  // namespace velmora::test
