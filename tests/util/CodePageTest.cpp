#include "util/CodePage.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(CodePage, Cp932RoundTripOfJapaneseText) {
    // "図面" in code page 932.
    const std::string sjis = "\x90\x7D\x96\xCA";
    EXPECT_EQ(Cp932ToUtf8(sjis), "図面");
    EXPECT_EQ(Utf8ToCp932("図面"), sjis);
    EXPECT_EQ(Cp932ToUtf8("abc"), "abc");
    // Half-width katakana is a single byte.
    EXPECT_EQ(Cp932ToUtf8("\xB1"), "ｱ");
}

TEST(CodePage, DamagedCp932KeepsWhatFollows) {
    // A lead byte followed by a byte that cannot trail it.
    EXPECT_EQ(Cp932ToUtf8("\x90\x0A"
                          "A"),
              "\xEF\xBF\xBD\nA");
    const std::string tail = Cp932ToUtf8("a\x82");
    EXPECT_EQ(tail.substr(0, 1), "a");
    EXPECT_EQ(Utf8ToCp932("a\U0001F600b"), "a?b");
}

// Where code page tables disagree, the drawings' program (a Windows program) used Microsoft's
// mapping; both builds must give it.
TEST(CodePage, Cp932FollowsTheWindowsTableWhereTablesDiffer) {
    const struct {
        const char* sjis;
        const char* utf8;
    } cases[] = {
        {"\x81\x60", "\uFF5E"}, {"\x81\x61", "\u2225"}, {"\x81\x7C", "\uFF0D"},
        {"\x81\x91", "\uFFE0"}, {"\x81\x92", "\uFFE1"}, {"\x81\xCA", "\uFFE2"},
        {"\x81\x5F", "\uFF3C"}, {"\x5C", "\\"},         {"\x7E", "~"},
        {"\xFA\x40", "\u2170"}, {"\xED\x40", "\u7E8A"}, {"\x87\x40", "\u2460"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Cp932ToUtf8(c.sjis), c.utf8) << c.utf8;
        // The NEC-selected IBM extensions encode back to the IBM row.
        if (std::string(c.sjis) != "\xED\x40") {
            EXPECT_EQ(Utf8ToCp932(c.utf8), c.sjis) << c.utf8;
        }
    }
}

TEST(CodePage, Utf16) {
    EXPECT_EQ(Utf16LeToUtf8(std::string("\xF3\x56\x62\x97", 4)), "図面");
    EXPECT_EQ(Utf8ToUtf16Le("図"), std::string("\xF3\x56", 2));
    EXPECT_EQ(Utf16LeToUtf8(std::string("A\0B", 3)), "A");  // odd last byte dropped
    EXPECT_EQ(Utf16LeToUtf8(std::string("\x00\xD8", 2)), "\xEF\xBF\xBD");
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16("\U00020B9F図")), "\U00020B9F図");
    EXPECT_EQ(Utf8ToUtf16("\U00020B9F").size(), 2u);
}

TEST(CodePage, Utf8Validity) {
    EXPECT_TRUE(IsValidUtf8("図面abc"));
    EXPECT_TRUE(IsValidUtf8(""));
    for (const char* bad :
         {"\xC3", "\xC0\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80", "\xE5\x9B"}) {
        EXPECT_FALSE(IsValidUtf8(bad)) << bad;
    }
}

}  // namespace
}  // namespace velmora
