#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

#include <filesystem>

#include "app/Settings.h"
#include "cli/CliOptions.h"
#include "support/TestFiles.h"
#include "util/Func2.h"

namespace velmora {
namespace {

using test::BinDir;
using test::ReadBytes;
using test::RunCommand;
using test::TScopedTempDir;
using test::WriteBytes;

std::filesystem::path U8(const std::string& s) {
    return std::filesystem::path(std::u8string(s.begin(), s.end()));
}

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        if (c == '\'') {
            q += "'\\''";
        } else {
            q += c;
        }
    }
    return q + "'";
}

// Runs velmora-cli in dir with the given arguments; standard error goes to dir/err.txt.
// Settings come from a file in dir so that a velmora.dat beside the program plays no part.
class CliRun : public ::testing::Test {
  protected:
    void SetUp() override {
        cli_ = (BinDir() / "velmora-cli").string();
        if (!std::filesystem::exists(cli_)) GTEST_SKIP() << "velmora-cli not built";
        dir_ = dir_holder_.File("");
        ASSERT_TRUE(SaveDatFile(dir_ + "defaults.dat", TFormState{}));
    }

    test::TCommandResult Cli(const std::string& args,
                             const std::string& settings = "defaults.dat") {
        const std::string cmd = "cd " + Quote(dir_) + " && " + Quote(cli_) + " --settings " +
                                Quote(settings) + " " + args + " 2>err.txt </dev/null";
        return RunCommand(cmd);
    }
    std::string Err() const { return ReadBytes(U8(dir_ + "err.txt")); }
    std::string Touch(const std::string& name) {
        WriteBytes(U8(dir_ + name), "x");
        return dir_ + name;
    }

    TScopedTempDir dir_holder_;
    std::string dir_;
    std::string cli_;
};

TEST_F(CliRun, LogsSixLinesForTwoDrawingsAndExitsOne) {
    MakeFolder(dir_ + "OUT");
    Touch("a.jww");
    Touch("B.JWW");
    Touch("notes.txt");
    const auto r = Cli("-o OUT a.jww B.JWW notes.txt");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, dir_ + "a.jww\n→ " + dir_ + "OUT/a.dae\n　…… 変換失敗\n" + dir_ + "B.JWW\n→ " +
                         dir_ + "OUT/B.dae\n　…… 変換失敗\n");
    EXPECT_NE(Err().find("notes.txt"), std::string::npos);
    EXPECT_FALSE(FileThere(dir_ + "OUT/a.dae"));
}

TEST_F(CliRun, BranchNumbersAndJapaneseNames) {
    MakeFolder(dir_ + "出力");
    WriteBytes(U8(dir_ + "出力/図面.dae"), "old");
    Touch("図面.jww");
    Touch("図面.jwc");
    const auto r = Cli("--output=出力 図面.jww 図面.jwc");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, dir_ + "図面.jww\n→ " + dir_ + "出力/図面~1.dae\n　…… 変換失敗\n" + dir_ +
                         "図面.jwc\n→ " + dir_ + "出力/図面~1.dae\n　…… 変換失敗\n");
    EXPECT_EQ(ReadBytes(U8(dir_ + "出力/図面.dae")), "old");
}

TEST_F(CliRun, MissingOutputFolderPrintsTheMessageLogsNothingExitsTwo) {
    Touch("a.jww");
    const auto r = Cli("-o missing a.jww");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(Err().find("指定したフォルダが見つかりません。\n" + dir_ + "missing/"),
              std::string::npos);
}

TEST_F(CliRun, SettingsFileIsReadButNeverWritten) {
    TFormState s;
    s.SetRadioButtonFl(3, true);  // beside the source
    s.Edit3 = "1";                // clamped by the run, but the file keeps it
    ASSERT_TRUE(SaveDatFile(dir_ + "my.dat", s));
    const std::string before = ReadBytes(U8(dir_ + "my.dat"));
    Touch("a.jws");
    const auto r = Cli("a.jws", "my.dat");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, dir_ + "a.jws\n→ " + dir_ + "a.dae\n　…… 変換失敗\n");
    EXPECT_EQ(ReadBytes(U8(dir_ + "my.dat")), before);
    EXPECT_FALSE(FileThere(dir_ + "none.dat"));
}

TEST_F(CliRun, AskEveryTimeWithoutTerminalNamesTheOption) {
    TFormState s;
    s.SetRadioButtonFl(5, true);
    ASSERT_TRUE(SaveDatFile(dir_ + "ask.dat", s));
    Touch("a.jww");
    const auto r = Cli("a.jww", "ask.dat");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(Err().find("-o"), std::string::npos);
}

TEST_F(CliRun, UsageErrorsExitTwo) {
    Touch("a.jww");
    Touch("notes.txt");
    for (const char* args :
         {"--scale 7 a.jww", "--bogus a.jww", "--arc-min 5 a.jww", "--marker star a.jww",
          "--points=maybe a.jww", "", "-o", "notes.txt missing.jww", "-o . --beside a.jww",
          "--arc-count 5 --arc-angle 3 a.jww", "--help=x"}) {
        SCOPED_TRACE(args);
        const auto r = Cli(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_FALSE(Err().empty());
    }
}

TEST_F(CliRun, MessagesSayWhatHappenedAndWhatToDo) {
    Touch("a.jww");
    MakeFolder(dir_ + "plans.jww");
    WriteBytes(U8(dir_ + "empty.jww"), "");
    WriteBytes(U8(dir_ + "new.jww"), std::string("JwwData.\x20\x4e\0\0", 12));
    struct {
        const char* args;
        int status;
        const char* err;  // a text standard error must hold
    } const cases[] = {
        {"-o '' a.jww", 2, "output folder must not be empty"},
        {"--output= a.jww", 2, "output folder must not be empty"},
        {"--settings missing.dat a.jww", 2, "no such file: missing.dat"},
        {"--marker-size abc a.jww", 2, "from 0.00001 to 10000"},
        {"--arc-count 99999 a.jww", 2, "from 3 to 3600"},
        {"--arc-angle 0 a.jww", 2, "from 0.1 to 90"},
        {"--beside plans.jww/ a.jww", 1, "a folder, not a file): plans.jww/"},
        {"--beside a.jww", 1, "a.jww: not a .jww file"},
        {"--beside empty.jww", 1, "empty.jww: empty file"},
        {"--beside new.jww", 1, "new.jww: unsupported version 20000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        EXPECT_EQ(Cli(c.args).status, c.status);
        EXPECT_NE(Err().find(c.err), std::string::npos) << Err();
    }
    // No choice anywhere: the desktop, and a missing one names the ways out.
    const std::string env = "HOME=" + Quote(dir_) + " XDG_CONFIG_HOME=" + Quote(dir_) + " ";
    EXPECT_EQ(
        RunCommand("cd " + Quote(dir_) + " && " + env + Quote(cli_) + " a.jww 2>err.txt").status,
        2);
    EXPECT_NE(Err().find("-o DIR"), std::string::npos);
    EXPECT_NE(Err().find("--beside"), std::string::npos);
    EXPECT_NE(Cli("--help").out.find("the desktop"), std::string::npos);

    // A folder that cannot be written into is named, with what to do.
    MakeFolder(dir_ + "ro");
    std::filesystem::permissions(
        U8(dir_ + "ro"), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const std::filesystem::path sample = test::SourceDir() / "samples" / "sample.jww";
    std::filesystem::copy_file(sample, U8(dir_ + "s.jww"));
#ifndef _WIN32
    // Root writes anywhere, and Windows ignores the permission bits on folders.
    if (geteuid() != 0) {
        EXPECT_EQ(Cli("-o ro s.jww").status, 2);
        EXPECT_NE(Err().find("Cannot write into the folder \"" + dir_ + "ro/\""),
                  std::string::npos);
        EXPECT_NE(Err().find("Choose another output folder"), std::string::npos);
    }
#endif
}

TEST_F(CliRun, HelpAndVersion) {
    auto r = Cli("--version");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Velmora 1.10\n");
    r = Cli("--help");
    EXPECT_EQ(r.status, 0);
    for (const char* opt : {"--output", "--beside", "--desktop", "--documents", "--hidden-layers",
                            "--solids", "--scale", "--marker-size", "--arc-length", "--arc-min"})
        EXPECT_NE(r.out.find(opt), std::string::npos) << opt;
}

TEST_F(CliRun, DesktopAndDocumentsFollowTheUserFolders) {
    MakeFolder(dir_ + "desk");
    MakeFolder(dir_ + "Documents");
    Touch("a.jww");
    // A home without a desktop folder: the desktop is a missing folder.
    const std::string env = "HOME=" + Quote(dir_) + " XDG_CONFIG_HOME=" + Quote(dir_) + " ";
    const std::string base = "cd " + Quote(dir_) + " && " + env;
    auto r = RunCommand(base + Quote(cli_) + " --settings defaults.dat --desktop a.jww 2>err.txt");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(Err().find(dir_ + "Desktop/"), std::string::npos);
    r = RunCommand(base + "XDG_DESKTOP_DIR=" + Quote(dir_ + "desk") + " " + Quote(cli_) +
                   " --settings defaults.dat --desktop a.jww 2>err.txt");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("→ " + dir_ + "desk/a.dae\n"), std::string::npos);
    r = RunCommand(base + Quote(cli_) + " --settings defaults.dat --documents a.jww 2>err.txt");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("→ " + dir_ + "Documents/a.dae\n"), std::string::npos);
}

TEST(CliOptions, OptionsSetTheFormState) {
    std::string error;
    const auto o = ParseCommandLine({"-o",
                                     "/out",
                                     "--hidden-layers=off",
                                     "--aux",
                                     "off",
                                     "--dimensions=on",
                                     "--hatching=off",
                                     "--points=off",
                                     "--solids=on",
                                     "--scale",
                                     "1000",
                                     "--marker",
                                     "filled-diamond",
                                     "--marker-size",
                                     "2.5",
                                     "--arc-length",
                                     "3",
                                     "--arc-min",
                                     "6",
                                     "a.jww",
                                     "--",
                                     "-b.jww"},
                                    error);
    ASSERT_TRUE(o) << error;
    TFormState s;
    o->ApplyTo(s);
    EXPECT_TRUE(s.RadioButtonFl(4));
    EXPECT_EQ(s.EditFl1, AddPathDelimiter("/out"));
    EXPECT_FALSE(s.CheckBox1);
    EXPECT_FALSE(s.CheckBox2);
    EXPECT_TRUE(s.CheckBox3);
    EXPECT_FALSE(s.CheckBox4);
    EXPECT_FALSE(s.CheckBox5);
    EXPECT_TRUE(s.CheckBox6);
    EXPECT_EQ(s.ComboBox1, 3);
    EXPECT_EQ(s.ComboBox2, 6);
    EXPECT_EQ(s.Edit2, "2.5");
    EXPECT_TRUE(s.RadioButton(7));
    EXPECT_EQ(s.Edit6, "3");
    EXPECT_EQ(s.Edit7, "6");
    EXPECT_EQ(s.Edit5, "4");
    EXPECT_EQ(o->Files, (std::vector<std::string>{"a.jww", "-b.jww"}));
}

TEST(CliOptions, ArcModesAndUntouchedState) {
    std::string error;
    TFormState s;
    s.SetRadioButtonFl(3, true);
    s.CheckBox6 = true;
    auto o = ParseCommandLine({"--arc-angle=5", "--arc-min=8", "x.jww"}, error);
    ASSERT_TRUE(o) << error;
    o->ApplyTo(s);
    EXPECT_TRUE(s.RadioButton(6));
    EXPECT_EQ(s.Edit4, "5");
    EXPECT_EQ(s.Edit5, "8");
    EXPECT_TRUE(s.RadioButtonFl(3));  // no output option: as the settings say
    EXPECT_TRUE(s.CheckBox6);
    o = ParseCommandLine({"--arc-count", "24"}, error);
    ASSERT_TRUE(o);
    o->ApplyTo(s);
    EXPECT_TRUE(s.RadioButton(5));
    EXPECT_EQ(s.Edit3, "24");
    const char* markers[] = {"plus",   "cross",         "square",         "diamond",
                             "circle", "filled-square", "filled-diamond", "disc"};
    for (int i = 0; i < 8; ++i) {
        o = ParseCommandLine({"--marker", markers[i]}, error);
        ASSERT_TRUE(o);
        EXPECT_EQ(o->ComboBox2, i);
    }
    const char* formats[] = {"dae", "dae-compact", "glb"};
    for (int i = 0; i < 3; ++i) {
        o = ParseCommandLine({std::string("--format=") + formats[i]}, error);
        ASSERT_TRUE(o);
        o->ApplyTo(s);
        EXPECT_EQ(s.ComboBox3, i);
    }
    EXPECT_FALSE(ParseCommandLine({"--format=obj"}, error));
}

}  // namespace
}  // namespace velmora
