#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "support/JwcEncoder.h"
#include "support/JwwEncoder.h"
#include "support/TestFiles.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using test::BinDir;
using test::HaveCommand;
using test::ReadBytes;
using test::RunCommand;
using test::SchemaFile;
using test::TScopedTempDir;
using test::WriteBytes;

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1))
        ++n;
    return n;
}

std::string Str(const std::vector<std::byte>& bytes) {
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

test::TJwcFile Drawing() {
    test::TJwcFile f;
    f.groupScale[0] = 50;
    f.lines.push_back({0, 0, 100, 0, 1, 2, 0});
    test::TJwcArcRec circle;
    circle.x = 50, circle.y = 50, circle.r = 20, circle.col = 3, circle.lay = 1;
    f.arcs.push_back(circle);  // start equal to end: a full circle
    f.tens.push_back({10, 10, 2, 5});
    f.texts.push_back({0, -10, 30, -10, "図面"});
    return f;
}

test::TJwkFile Symbol() {
    test::TJwkFile f;
    f.lines.push_back({0, 0, 10, 10, 1, 4, 0});
    test::TJwcArcRec quarter;
    quarter.r = 5, quarter.st = test::FixedDeg(0), quarter.et = test::FixedDeg(90);
    f.arcs.push_back(quarter);
    return f;
}

class DosEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        cli_ = (BinDir() / "velmora-cli").string();
        if (!fs::exists(cli_)) GTEST_SKIP() << "velmora-cli not built";
        SaveDatFile(dir_.File("none.dat"), TFormState{});
    }
    test::TCommandResult Convert(const std::vector<std::string>& names) {
        std::string cmd =
            "'" + cli_ + "' --settings '" + dir_.File("none.dat") + "' -o '" + dir_.File("") + "'";
        for (const std::string& n : names)
            cmd += " '" + dir_.File(n) + "'";
        return RunCommand(cmd + " 2>/dev/null </dev/null");
    }
    std::string Dae(const std::string& name) { return ReadBytes(dir_.Path() / name); }

    TScopedTempDir dir_;
    std::string cli_;
};

// 12 segments per circle with the default settings, a "+" marker of two segments per point;
// texts are not converted.
TEST_F(DosEndToEnd, DrawingAndSymbolBecomeDocuments) {
    WriteBytes(dir_.Path() / "plan.jwc", Str(test::EncodeJwc(Drawing())));
    WriteBytes(dir_.Path() / "part.jwk", Str(test::EncodeJwk(Symbol())));
    const auto r = Convert({"plan.jwc", "part.jwk"});
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(Count(r.out, "変換完了"), 2u) << r.out;

    const std::string plan = Dae("plan.dae");
    EXPECT_EQ(Count(plan, "<lines count=\"1\""), 1u + 12u + 2u);
    // DOS colour bytes are their own keys; layers as stored.
    for (const char* id : {"layer0-C2", "layer1-C3", "layer2-C5"}) {
        EXPECT_NE(plan.find(std::string("<geometry id=\"") + id + "\""), std::string::npos) << id;
    }
    const std::string part = Dae("part.dae");
    EXPECT_EQ(Count(part, "<lines count=\"1\""), 1u + 12u);

    if (const auto schema = SchemaFile(); schema && HaveCommand("xmllint")) {
        for (const char* name : {"plan.dae", "part.dae"}) {
            const auto v = RunCommand("xmllint --noout --schema '" + schema->string() + "' '" +
                                      dir_.File(name) + "' 2>&1");
            EXPECT_EQ(v.status, 0) << name << ": " << v.out;
        }
    }
    if (HaveCommand("assimp")) {
        for (const char* name : {"plan.dae", "part.dae"}) {
            const auto v = RunCommand("assimp info '" + dir_.File(name) + "' 2>&1");
            EXPECT_EQ(v.status, 0) << name << ": " << v.out;
            EXPECT_NE(v.out.find("Vertices:"), std::string::npos) << name << ": " << v.out;
        }
    }
}

// The extension picks the reader; a drawing under a symbol's extension (or the reverse) is
// refused by that reader's check and yields no output.
TEST_F(DosEndToEnd, AWrongExtensionFailsWithoutOutput) {
    WriteBytes(dir_.Path() / "plan.jwk", Str(test::EncodeJwc(Drawing())));
    WriteBytes(dir_.Path() / "part.jwc", Str(test::EncodeJwk(Symbol())));
    const auto r = Convert({"plan.jwk", "part.jwc"});
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_EQ(Count(r.out, "変換失敗"), 2u) << r.out;
    EXPECT_FALSE(fs::exists(dir_.Path() / "plan.dae"));
    EXPECT_FALSE(fs::exists(dir_.Path() / "part.dae"));
}

// A drawing cut inside its fifth line converts the four before it, and says so: in the log, on
// standard error with the byte where reading stopped, in the exit status and in --info.
TEST_F(DosEndToEnd, ACutDrawingConvertsWhatWasReadAndSaysSo) {
    test::TJwcFile f = Drawing();
    f.lines.resize(8, f.lines[0]);
    test::TJwcLayout layout;
    const std::vector<std::byte> bytes = test::EncodeJwc(f, &layout);
    const size_t cut = layout.lines + 4 * 22 + 10;
    WriteBytes(dir_.Path() / "cut.jwc", Str(bytes).substr(0, cut));
    WriteBytes(dir_.Path() / "whole.jwc", Str(bytes));
    const std::string base = "'" + cli_ + "' --settings '" + dir_.File("none.dat") + "' ";
    const auto r = RunCommand(base + "-o '" + dir_.File("") + "' '" + dir_.File("whole.jwc") +
                              "' '" + dir_.File("cut.jwc") + "' 2>&1 </dev/null");
    EXPECT_EQ(r.status, 3) << r.out;
    EXPECT_EQ(Count(r.out, "　…… 変換完了\n"), 1u) << r.out;
    EXPECT_EQ(
        Count(r.out, "　…… 変換完了（ファイルが壊れています。読めた部分だけを変換しました）\n"), 1u)
        << r.out;
    EXPECT_EQ(Count(r.out, "velmora-cli: " + dir_.File("cut.jwc") + ": damaged at byte " +
                               std::to_string(layout.lines + 4 * 22) +
                               " (File I/O Error); converted what was read\n"),
              1u)
        << r.out;
    EXPECT_TRUE(fs::exists(dir_.Path() / "cut.dae"));

    const auto info = RunCommand(base + "--info '" + dir_.File("cut.jwc") + "' '" +
                                 dir_.File("whole.jwc") + "' 2>/dev/null");
    EXPECT_EQ(info.status, 0);
    EXPECT_EQ(Count(info.out, "\"read\": false, \"damage\": \"damaged at byte"), 1u) << info.out;
    EXPECT_EQ(Count(info.out, "\"lines\": 4,"), 1u) << info.out;
    EXPECT_EQ(Count(info.out, "\"lines\": 8,"), 1u) << info.out;
    EXPECT_EQ(Count(info.out, "\"virtual_points\": 0}"), 2u) << info.out;
    const auto missing = RunCommand(base + "--info '" + dir_.File("gone.jwc") + "' 2>&1");
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(Count(missing.out, "gone.jwc: cannot be read"), 1u) << missing.out;
}

// --info counts the pictures a drawing embeds, without extracting them.
TEST_F(DosEndToEnd, InfoCountsTheEmbeddedPicturesOfADrawing) {
    test::TJwwWriter w(700);
    w.AddImage("a.bmp", "BM12");
    w.AddImage("b.jpg.gz", "gz");
    WriteBytes(dir_.Path() / "pics.jww", w.Bytes());
    const auto info =
        RunCommand("'" + cli_ + "' --info '" + dir_.File("pics.jww") + "' 2>/dev/null");
    EXPECT_EQ(info.status, 0);
    EXPECT_EQ(Count(info.out, "\"read\": true"), 1u) << info.out;
    EXPECT_EQ(Count(info.out, "\"images\": 2}"), 1u) << info.out;
}

}  // namespace
}  // namespace velmora
