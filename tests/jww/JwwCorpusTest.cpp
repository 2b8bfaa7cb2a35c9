#include <gtest/gtest.h>

#include <map>

#include "JwwTestHelpers.h"
#include "support/TestFiles.h"

namespace velmora::test {
namespace {

// Counts of the main list as stored, from the corpus notes.
struct TExpected {
    int lines, arcs, ellipses, points, temporary, texts, solids, inserts, defs;
    bool utf16;
};

std::map<std::string, TExpected> Expected() {
    return {
        {"2blocks.jww", {0, 0, 0, 0, 0, 6, 0, 2, 2, true}},
        {"Test3.jww", {104, 6, 0, 33, 11, 56, 0, 0, 0, false}},
        {"out1_in2.jww", {1, 0, 0, 0, 0, 6, 0, 1, 1, true}},
        {"sample.jww", {2265, 69, 0, 87, 0, 64, 0, 54, 20, false}},
        {"Ａマンション平面例.jww", {1394, 215, 12, 10, 0, 56, 79, 0, 0, false}},
    };
}

std::string Utf8Name(const std::filesystem::path& p) {
    const std::u8string u = p.filename().u8string();
    return std::string(u.begin(), u.end());
}

TEST(JwwCorpus, EveryDrawingReadsCompletelyWithItsCounts) {
    const auto files = CorpusFiles(".jww");
    if (files.empty()) GTEST_SKIP() << "no corpus";
    for (const auto& file : files) {
        const std::string name = Utf8Name(file);
        SCOPED_TRACE(name);
        const std::u8string u8 = file.u8string();
        const std::string path(u8.begin(), u8.end());
        TJwwData d;
        d.BindImageExr = true;
        ASSERT_TRUE(d.FileCheck(path));
        ASSERT_TRUE(d.FileIn(path)) << d.LastError() << " at " << d.LastErrorOffset();
        EXPECT_EQ(static_cast<int32_t>(d.EntNo.size()), d.Enthd.n1);
        EXPECT_EQ(d.EntBlockDefN, d.Enthd.n2);
        const auto expected = Expected();
        const auto it = expected.find(name);
        if (it == expected.end()) continue;
        const TExpected& e = it->second;
        int ellipses = 0, temporary = 0;
        for (const TEntJwwEnko& a : d.EntEnko)
            ellipses += a.dHenpeiRitsu != 1.0;
        for (const TEntJwwTen& t : d.EntTen)
            temporary += t.bKariten != 0;
        EXPECT_EQ(d.EntLineN, e.lines);
        EXPECT_EQ(d.EntEnkoN, e.arcs);
        EXPECT_EQ(ellipses, e.ellipses);
        EXPECT_EQ(d.EntTenN, e.points);
        EXPECT_EQ(temporary, e.temporary);
        EXPECT_EQ(d.EntMojiN, e.texts);
        EXPECT_EQ(d.EntSunpoN, 0);
        EXPECT_EQ(d.EntSolidN, e.solids);
        EXPECT_EQ(d.EntBlockN, e.inserts);
        EXPECT_EQ(d.EntBlockDefN, e.defs);
        EXPECT_EQ(d.MojiEncode, e.utf16);
        EXPECT_EQ(d.Enthd.n1, e.lines + e.arcs + e.points + e.texts + e.solids + e.inserts);
    }
}

TEST(JwwCorpus, TruncatedDrawingsNeverBreakTheReader) {
    const auto files = CorpusFiles(".jww");
    if (files.empty()) GTEST_SKIP() << "no corpus";
    for (const auto& file : files) {
        SCOPED_TRACE(Utf8Name(file));
        const std::string full = ReadBytes(file);
        TJwwData d;
        d.BindImageExr = true;
        const size_t step = std::max<size_t>(1, full.size() / 300);
        for (size_t n = 0; n < full.size(); n += step) {
            EXPECT_FALSE(ReadJww(d, std::string_view(full).substr(0, n))) << n;
        }
        for (size_t n = full.size() > 64 ? full.size() - 64 : 0; n < full.size(); ++n) {
            EXPECT_FALSE(ReadJww(d, std::string_view(full).substr(0, n))) << n;
        }
    }
}

}  // namespace
}  // namespace velmora::test
