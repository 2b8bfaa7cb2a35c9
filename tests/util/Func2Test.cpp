#include "util/Func2.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "support/TestFiles.h"

namespace velmora {
namespace {

using test::TScopedTempDir;
using test::WriteBytes;

TEST(Numbers, RoundDigitsModes) {
    struct {
        int digits, mode;
        double x, want;
    } const cases[] = {
        {3, 0, 0.50196, 0.501}, {3, 0, -0.25098, -0.25}, {3, 1, 0.5001, 0.501},
        {3, 2, 0.5005, 0.501},  {0, 2, -2.5, -3},        {12, 0, 1.7, 1},
        {3, 1, 0.5, 0.5},       {10, 2, 1.26, 1},        {1, 2, 0.25, 0.3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_NEAR(RoundDigits(c.digits, c.mode, c.x), c.want, 1e-12);
    }
}

TEST(Numbers, RotateQuarterTurnCounterClockwise) {
    const double h = std::numbers::pi / 2;
    EXPECT_NEAR(RotateX(2, 1, 1, 1, h), 1, 1e-12);
    EXPECT_NEAR(RotateY(2, 1, 1, 1, h), 2, 1e-12);
    double a = 1, b = 2;
    SwapReal(a, b);
    EXPECT_EQ(a, 2);
    EXPECT_EQ(b, 1);
}

TEST(TextNumbers, TextToIntAcceptsOnlyCompleteIntegers) {
    struct {
        const char* s;
        int32_t want;
    } const cases[] = {
        {"12", 12},
        {" 12", 12},
        {"12 ", 0},
        {"$1F", 31},
        {"0x1F", 31},
        {"0X1f", 31},
        {"x1F", 31},
        {"", 0},
        {"1.5", 0},
        {"-7", -7},
        {"+7", 7},
        {"-", 0},
        {"$", 0},
        {"0x", 0},
        {"$FFFFFFFF", -1},
        {"$100000000", 0},
        {"2147483647", 2147483647},
        {"2147483648", 0},
        {"-2147483648", INT32_MIN},
        {"99999999999999999999", 0},
        {"１２", 0},
        {"12abc", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.s);
        EXPECT_EQ(TextToInt(c.s), c.want);
    }
}

TEST(TextNumbers, TextToRealUsesDotOnly) {
    struct {
        const char* s;
        double want;
    } const cases[] = {
        {"1.5", 1.5}, {"1,5", 0},     {"2e3", 2000}, {" -0.25", -0.25}, {"", 0},    {".5", 0.5},
        {"5.", 5},    {"1e", 0},      {"e3", 0},     {"1.5 ", 0},       {"inf", 0}, {"nan", 0},
        {"1e999", 0}, {"1E-5", 1e-5}, {"+3", 3},     {"abc", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.s);
        EXPECT_EQ(TextToReal(c.s), c.want);
    }
}

TEST(TextNumbers, RealToTextShortestAndReadsBack) {
    struct {
        double x;
        const char* want;
    } const cases[] = {
        {0, "0"},
        {0.1, "0.1"},
        {3, "3"},
        {0.00001, "1E-5"},
        {1.5, "1.5"},
        {10000, "10000"},
        {-2.5, "-2.5"},
        {1.5e20, "1.5E20"},
        {0.0001, "0.0001"},
        {1e15, "1E15"},
        {123456789012345, "123456789012345"},
        {1.0 / 3, "0.333333333333333"},
        {9.9999999999999999, "10"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.want);
        EXPECT_EQ(RealToText(c.x), c.want);
        EXPECT_NEAR(TextToReal(RealToText(c.x)), c.x, std::fabs(c.x) * 1e-14);
    }
    EXPECT_EQ(RealToText(std::nan("")), "0");
}

TEST(TextNumbers, TextToBoolSpellings) {
    for (const char* yes : {"true", "On", "○", "T", "tr", "TRU", "1", "１", "真", "正", "on"}) {
        SCOPED_TRACE(yes);
        EXPECT_TRUE(TextToBool(yes));
    }
    for (const char* no : {"yes", "0", " 1", "", "off", "false", "1 "}) {
        SCOPED_TRACE(no);
        EXPECT_FALSE(TextToBool(no));
    }
    EXPECT_EQ(BoolToText(true), "1");
    EXPECT_EQ(BoolToText(false), "0");
    EXPECT_EQ(IntToText(-42), "-42");
}

TEST(Text, CountsInUtf16UnitsWithJapaneseText) {
    EXPECT_EQ(PosIndex("b", "abc"), 1);
    EXPECT_EQ(PosIndex("d", "abc"), -1);
    EXPECT_EQ(PosIndex("図面", "変換図面"), 2);
    EXPECT_EQ(CopyText("変換図面.jww", 2, 2), "図面");
    EXPECT_EQ(CopyText("abc", 5, 1), "");
    EXPECT_EQ(CopyText("abc", 1, 0), "");
    // A character beyond the basic plane takes two units.
    EXPECT_EQ(PosIndex("a", "\U00020B9Fa"), 2);
    EXPECT_EQ(RemoveBlanks(" 図\u3000面\t x"), "図面x");
}

TEST(Text, CaseMappingLeavesJapaneseAlone) {
    EXPECT_EQ(UpperText("abc図面ａ"), "ABC図面Ａ");
    EXPECT_EQ(LowerText("PLAN.JWW図"), "plan.jww図");
}

TEST(Text, HexUtf8Examples) {
    EXPECT_EQ(TextToHexUtf8("C:\\"), "433A5C");
    EXPECT_EQ(HexUtf8ToText("433A5C"), "C:\\");
    EXPECT_EQ(TextToHexUtf8(""), "");
    EXPECT_EQ(HexUtf8ToText(""), "");
    EXPECT_EQ(HexUtf8ToText("433A5C616263"), "C:\\abc");
    EXPECT_EQ(HexUtf8ToText("433AZZ5C"), "C:");
    EXPECT_EQ(HexUtf8ToText("C3"), "");
    EXPECT_EQ(HexUtf8ToText("433a5c"), "C:\\");
    EXPECT_EQ(HexTextToBytes("433A5"), (std::vector<uint8_t>{0x43, 0x3A, 0x05, 0}));
    EXPECT_EQ(HexTextToBytes(""), (std::vector<uint8_t>{0}));
    const std::string folder = "/home/利用者/図面フォルダ/";
    EXPECT_EQ(HexUtf8ToText(TextToHexUtf8(folder)), folder);
    EXPECT_EQ(TextToHexUtf8("図"), "E59BB3");
    // A sign or blank inside a pair is not a hex digit.
    EXPECT_EQ(HexUtf8ToText("41-1"), "A");
    EXPECT_EQ(HexUtf8ToText("41 1"), "A");
}

struct TPathCase {
    TPathStyle style;
    const char* in;
    const char* want;
};

TEST(Paths, AddPathDelimiterBothConventions) {
    const TPathCase cases[] = {
        {TPathStyle::Windows, "C:", "C:"},
        {TPathStyle::Windows, "C:\\a\\", "C:\\a\\"},
        {TPathStyle::Windows, "C:\\a", "C:\\a\\"},
        {TPathStyle::Windows, "", "\\"},
        {TPathStyle::Posix, "/a", "/a/"},
        {TPathStyle::Posix, "/a/", "/a/"},
        {TPathStyle::Posix, "", "/"},
        {TPathStyle::Posix, "C:", "C:/"},
        {TPathStyle::Posix, "/図面", "/図面/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(AddPathDelimiter(c.in, c.style), c.want);
    }
    EXPECT_EQ(PathDelimiterChar(TPathStyle::Windows), '\\');
    EXPECT_EQ(PathDelimiterChar(TPathStyle::Posix), '/');
}

TEST(Paths, GetFileExtLowerBothConventions) {
    const TPathCase cases[] = {
        {TPathStyle::Windows, "C:\\x.y\\file", ""},
        {TPathStyle::Windows, "a.JWW", ".jww"},
        {TPathStyle::Windows, "file.", "."},
        {TPathStyle::Windows, "C:\\図面\\平面図.JWS", ".jws"},
        {TPathStyle::Windows, "C:file", ""},
        {TPathStyle::Windows, "a<b.jww", ""},
        {TPathStyle::Windows, "a\tb.jww", ""},
        {TPathStyle::Posix, "/x.y/file", ""},
        {TPathStyle::Posix, "/data/PLAN.JWW", ".jww"},
        {TPathStyle::Posix, "file.", "."},
        {TPathStyle::Posix, "/図面/平面図.Jwc", ".jwc"},
        {TPathStyle::Posix, "a<b|c.jww", ".jww"},
        {TPathStyle::Posix, "dir\\x.jww", ".jww"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(GetFileExtLower(c.in, c.style), c.want);
    }
    EXPECT_EQ(GetFileExtLower(std::string("a\0b.jww", 7), TPathStyle::Posix), "");
}

TEST(Paths, ChangeExtAndSplitBothConventions) {
    EXPECT_EQ(ChangeExtSafe("C:\\a\\x.jww", ".dae", TPathStyle::Windows), "C:\\a\\x.dae");
    EXPECT_EQ(ChangeExtSafe("C:\\a.b\\x", ".dae", TPathStyle::Windows), "C:\\a.b\\x.dae");
    EXPECT_EQ(ChangeExtSafe("a|b.jww", ".dae", TPathStyle::Windows), "");
    EXPECT_EQ(ChangeExtSafe("/a.b/x", ".dae", TPathStyle::Posix), "/a.b/x.dae");
    EXPECT_EQ(ChangeExtSafe("/図面/平面図.JWW", ".dae", TPathStyle::Posix), "/図面/平面図.dae");
    EXPECT_EQ(ChangeExtSafe("/a/x.jww", "", TPathStyle::Posix), "/a/x");
    EXPECT_EQ(ExtractFileName("C:\\a\\x.jww", TPathStyle::Windows), "x.jww");
    EXPECT_EQ(ExtractFilePath("C:\\a\\x.jww", TPathStyle::Windows), "C:\\a\\");
    EXPECT_EQ(ExtractFileName("/a\\b/x.jww", TPathStyle::Posix), "x.jww");
    EXPECT_EQ(ExtractFilePath("/a/図面.jww", TPathStyle::Posix), "/a/");
    EXPECT_EQ(ExtractFilePath("x.jww", TPathStyle::Posix), "");
}

TEST(Paths, PlainFileNames) {
    for (const char* ok : {"x.bmp", "図面.jpg", "a b"})
        EXPECT_TRUE(IsPlainFileName(ok)) << ok;
    for (const char* bad : {"", ".", "..", "a/b", "a\\b", "C:x", "a*", "a?", "a\"b", "a\nb"})
        EXPECT_FALSE(IsPlainFileName(bad)) << bad;
}

TEST(Files, BranchNumbersInBothConventions) {
    TScopedTempDir dir;
    const std::string plan = dir.File("plan.dae");
    EXPECT_EQ(GetBranchFileName(plan, TPathStyle::Posix), plan);
    WriteBytes(plan, "x");
    EXPECT_EQ(GetBranchFileName(plan, TPathStyle::Posix), dir.File("plan~1.dae"));
    WriteBytes(dir.File("plan~1.dae"), "x");
    EXPECT_EQ(GetBranchFileName(plan, TPathStyle::Posix), dir.File("plan~2.dae"));
    // The extension comes back lower-cased; the stem keeps its case.
    WriteBytes(dir.File("ROOM.DAE"), "x");
    EXPECT_EQ(GetBranchFileName(dir.File("ROOM.DAE"), TPathStyle::Posix), dir.File("ROOM~1.dae"));
    // A folder of that name is taken too.
    MakeFolder(dir.File("図面.dae"));
    EXPECT_EQ(GetBranchFileName(dir.File("図面.dae"), TPathStyle::Posix), dir.File("図面~1.dae"));
    // Windows names on this host: the same rule with "\" as delimiter.
    const std::string winName = dir.File("w.x.DAE");
    WriteBytes(winName, "x");
    EXPECT_EQ(GetBranchFileName(winName, TPathStyle::Windows), dir.File("w.x~1.dae"));
}

TEST(Files, BranchNumbersExhaustedGiveNoName) {
    TScopedTempDir dir;
    for (const char* n : {"plan.dae", "plan~1.dae", "plan~2.dae", "plan~3.dae"})
        WriteBytes(dir.File(n), "x");
    EXPECT_EQ(GetBranchFileName(dir.File("plan.dae"), TPathStyle::Posix, 3), std::nullopt);
    EXPECT_EQ(GetBranchFileName(dir.File("plan.dae"), TPathStyle::Posix, 4),
              dir.File("plan~4.dae"));
}

TEST(Files, FolderAndFileRoutines) {
    TScopedTempDir dir;
    const std::string sub = dir.File("一/二/");
    EXPECT_TRUE(MakeFolder(sub));
    EXPECT_TRUE(FolderThere(sub));
    EXPECT_FALSE(FileThere(sub));
    const std::string f = sub + "図.txt";
    WriteBytes(std::filesystem::path(std::u8string(f.begin(), f.end())), "abc");
    EXPECT_TRUE(FileThere(f));
    EXPECT_EQ(ReadWholeFile(f), "abc");
    EXPECT_FALSE(EraseFolder(sub));  // not empty
    EXPECT_TRUE(EraseFile(f));
    EXPECT_FALSE(EraseFile(f));
    EXPECT_EQ(ReadWholeFile(f), std::nullopt);
    EXPECT_TRUE(EraseFolder(sub));
    EXPECT_FALSE(EraseFolder(sub));
    EXPECT_FALSE(MakeFolder(""));
    EXPECT_FALSE(FileThere(""));
}

TEST(Files, OpenForWritingStartsEveryFileEmpty) {
    TScopedTempDir dir;
    const auto writeOver = [](const std::string& fn, const char* text) {
        std::FILE* f = OpenForWriting(fn);
        if (f == nullptr) return false;
        std::fputs(text, f);
        return std::fclose(f) == 0;
    };
    const std::string made = dir.File("新.dae");
    ASSERT_TRUE(writeOver(made, "abcdef"));
    EXPECT_EQ(ReadWholeFile(made), "abcdef");
    ASSERT_TRUE(writeOver(made, "xy"));  // no tail of the longer text remains
    EXPECT_EQ(ReadWholeFile(made), "xy");
    EXPECT_EQ(OpenForWriting(dir.File("無い/a.dae")), nullptr);
}

}  // namespace
}  // namespace velmora
