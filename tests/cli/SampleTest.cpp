#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/Settings.h"
#include "support/SampleDrawing.h"
#include "support/TestFiles.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using test::BinDir;
using test::ReadBytes;
using test::RunCommand;
using test::SourceDir;
using test::TScopedTempDir;
using test::WriteBytes;

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1))
        ++n;
    return n;
}

// The bundled sample must stay what its source builds: edit the source, then regenerate with
// VELMORA_UPDATE_SAMPLE=1.
TEST(SampleDrawing, CommittedFileMatchesItsSource) {
    const fs::path file = SourceDir() / "samples" / "sample.jww";
    const std::string bytes = test::SampleDrawingBytes();
    if (std::getenv("VELMORA_UPDATE_SAMPLE")) WriteBytes(file, bytes);
    ASSERT_TRUE(fs::exists(file));
    EXPECT_TRUE(ReadBytes(file) == bytes) << "samples/sample.jww is stale";
}

class CliOnSample : public ::testing::Test {
  protected:
    void SetUp() override {
        cli_ = (BinDir() / "velmora-cli").string();
        if (!fs::exists(cli_)) GTEST_SKIP() << "velmora-cli not built";
        SaveDatFile(dir_.File("none.dat"), TFormState{});
        sample_ = dir_.File("sample.jww");
        WriteBytes(sample_, test::SampleDrawingBytes());
    }
    test::TCommandResult Cli(const std::string& args) {
        return RunCommand("'" + cli_ + "' --settings '" + dir_.File("none.dat") + "' " + args +
                          " 2>/dev/null </dev/null");
    }

    TScopedTempDir dir_;
    std::string cli_;
    std::string sample_;
};

TEST_F(CliOnSample, InfoReportsWhatTheDrawingHoldsBeforeExpansion) {
    const auto r = Cli("--info '" + sample_ + "'");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "{\"file\": \"" + sample_ +
                  "\", \"kind\": \"jww\", \"check\": true, \"read\": true, \"version\": 600, "
                  "\"lines\": 6, \"arcs\": 3, \"points\": 4, \"texts\": 1, \"dimensions\": "
                  "1, \"solids\": 2, \"blocks\": 2, \"block_defs\": 2, \"images\": 0}\n");
}

TEST_F(CliOnSample, InfoMarksFilesThatFailTheirCheck) {
    const std::string fake = dir_.File("fake.jwc");
    WriteBytes(fake, "not a drawing");
    const auto r = Cli("--info '" + fake + "'");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("\"kind\": \"jwc\", \"check\": false, \"read\": false"),
              std::string::npos);
    EXPECT_NE(r.out.find("\"virtual_points\": 0}"), std::string::npos);
    EXPECT_EQ(Cli("--info").status, 2);
}

// Default settings: solids off, points and dimensions on, 12 segments per circle.
TEST_F(CliOnSample, ConvertsWithTheDefaults) {
    const auto r = Cli("-o '" + dir_.File("") + "' '" + sample_ + "'");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("　…… 変換完了"), std::string::npos);
    const std::string dae = ReadBytes(dir_.Path() / "sample.dae");
    // 5 walls and the auxiliary line; 12 segments for each of the door arc, the table and the
    // bath; a "+" marker (two segments) for each of the 3 points and the dimension's 2 end
    // points (the temporary point is left out); the dimension's line and extension lines; per
    // wall-unit placement its line, 2 windows of 4 lines and a 12-segment circle.
    const size_t expectedLines = 6 + 3 * 12 + 3 * 2 + 2 * 2 + 3 + 2 * (1 + 2 * 4 + 12);
    EXPECT_EQ(Count(dae, "<lines count=\"1\""), expectedLines);
    // Solids are off by default, so nothing is filled.
    EXPECT_EQ(Count(dae, "<triangles"), 0u);
    EXPECT_NE(dae.find("<node id=\"Layer0\""), std::string::npos);
    EXPECT_NE(dae.find("<node id=\"Layer4\""), std::string::npos);
    EXPECT_EQ(dae.find("<node id=\"Layer5\""), std::string::npos);  // solids only
}

}  // namespace
}  // namespace velmora
