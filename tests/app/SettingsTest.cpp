#include "app/Settings.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/TestFiles.h"
#include "util/Func2.h"

namespace velmora {
namespace {

using test::ReadBytes;
using test::TScopedTempDir;
using test::WriteBytes;

std::string Lines(std::initializer_list<const char*> lines) {
    std::string s;
    for (const char* l : lines) {
        s += l;
        s += "\r\n";
    }
    return s;
}

TFormState EveryControlChanged() {
    TFormState s;
    s.Fm1x = -20;
    s.Fm1y = 7;
    s.Fm1w = 0;
    s.Fm1h = 1234;
    s.SetRadioButtonFl(4, true);
    s.EditFl1 = "/home/利用者/出力フォルダ/";
    s.Label1 = "C:\\図面\\";
    s.LabelPreFolder = "/tmp/前回/";
    s.Fidx = 3;
    s.gstyle = "Aqua Light Slate";
    s.CheckBox1 = false;
    s.CheckBox2 = false;
    s.CheckBox3 = false;
    s.CheckBox4 = false;
    s.CheckBox5 = false;
    s.CheckBox6 = true;
    s.ComboBox1 = 3;
    s.ComboBox2 = 7;
    s.ComboBox3 = 2;
    s.Edit2 = "2.5";
    s.SetRadioButton(7, true);
    s.Edit3 = "24";
    s.Edit4 = "7.5";
    s.Edit5 = "6";
    s.Edit6 = "0.25";
    s.Edit7 = "8";
    return s;
}

TEST(SettingsFile, RoundTripOfEveryControl) {
    TScopedTempDir dir;
    const std::string fn = dir.File("velmora.dat");
    const TFormState written = EveryControlChanged();
    ASSERT_TRUE(SaveDatFile(fn, written));
    TFormState read;
    ASSERT_TRUE(OpenDatFile(fn, "/exe/", read));
    EXPECT_EQ(read, written);

    const std::string text = ReadBytes(dir.Path() / "velmora.dat");
    size_t crlf = 0;
    for (size_t p = text.find("\r\n"); p != std::string::npos; p = text.find("\r\n", p + 2))
        ++crlf;
    // The 31 lines every version reads, then the output format.
    EXPECT_EQ(crlf, 32u);
    EXPECT_NE(text.find("\r\n8\r\n2\r\n"), std::string::npos);
    EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);
    EXPECT_NE(text.find("\r\n" + TextToHexUtf8("/home/利用者/出力フォルダ/") + "\r\n"),
              std::string::npos);
    // Nothing but ASCII beyond the style name.
    for (unsigned char c : text)
        EXPECT_LT(c, 0x80);
}

TEST(SettingsFile, FileOfThirtyOneLinesGivesTheDefaultFormat) {
    TScopedTempDir dir;
    const std::string fn = dir.File("velmora.dat");
    TFormState s = EveryControlChanged();
    ASSERT_TRUE(SaveDatFile(fn, s));
    std::string text = ReadBytes(dir.Path() / "velmora.dat");
    text.resize(text.size() - 3);  // the last line, "2\r\n"
    WriteBytes(dir.Path() / "velmora.dat", text);
    TFormState read;
    read.ComboBox3 = 1;
    ASSERT_TRUE(OpenDatFile(fn, "/exe/", read));
    EXPECT_EQ(read.ComboBox3, 0);
    s.ComboBox3 = 0;
    EXPECT_EQ(read, s);
}

TEST(SettingsFile, DefaultsWhenMissing) {
    TScopedTempDir dir;
    TFormState s = EveryControlChanged();
    EXPECT_TRUE(OpenDatFile(dir.File("none.dat"), "/exe/", s));
    TFormState want;
    want.LabelPreFolder = "/exe/";
    EXPECT_EQ(s, want);
    EXPECT_TRUE(s.RadioButtonFl(1));
    EXPECT_TRUE(s.RadioButton(5));
    EXPECT_EQ(s.Edit3, "12");
}

TEST(SettingsFile, DefaultFileMatchesTheWrittenDefaults) {
    TScopedTempDir dir;
    TFormState s;
    s.LabelPreFolder = "C:\\";
    ASSERT_TRUE(SaveDatFile(dir.File("d.dat"), s));
    EXPECT_EQ(ReadBytes(dir.Path() / "d.dat"),
              Lines({"50",     "50", "480",     "480", "1",  "0",  "0", "0",  "0", "",  "",
                     "433A5C", "1",  "Windows", "1",   "1",  "1",  "1", "1",  "0", "0", "0",
                     "1",      "1",  "0",       "0",   "12", "10", "4", "10", "4", "0"}));
}

TEST(SettingsFile, ShortFileGivesZeroFalseAndEmpty) {
    TScopedTempDir dir;
    const std::string fn = dir.File("short.dat");
    WriteBytes(dir.Path() / "short.dat", "100\r\n200\r\n");
    TFormState s;
    ASSERT_TRUE(OpenDatFile(fn, "/exe/", s));
    EXPECT_EQ(s.Fm1x, 100);
    EXPECT_EQ(s.Fm1y, 200);
    EXPECT_EQ(s.Fm1w, 0);
    for (int n = 1; n <= 5; ++n)
        EXPECT_FALSE(s.RadioButtonFl(n)) << n;
    for (int n = 5; n <= 7; ++n)
        EXPECT_FALSE(s.RadioButton(n)) << n;
    EXPECT_EQ(s.LabelPreFolder, "");
    EXPECT_EQ(s.gstyle, "");
    EXPECT_FALSE(s.CheckBox1);
    EXPECT_EQ(s.Edit2, "0");
    EXPECT_EQ(s.Edit3, "0");
    EXPECT_EQ(s.Edit6, "0");
}

TEST(SettingsFile, RadioGroupsLastTrueWins) {
    TScopedTempDir dir;
    const std::string fn = dir.File("r.dat");
    WriteBytes(dir.Path() / "r.dat",
               Lines({"1",       "2", "3", "4", "0", "0", "1", "0", "1", "",  "",  "",  "1",
                      "Windows", "1", "1", "1", "1", "1", "0", "0", "0", "1", "1", "1", "0"}));
    TFormState s;
    ASSERT_TRUE(OpenDatFile(fn, "/exe/", s));
    for (int n = 1; n <= 5; ++n)
        EXPECT_EQ(s.RadioButtonFl(n), n == 5) << n;
    EXPECT_TRUE(s.RadioButton(6));
    EXPECT_FALSE(s.RadioButton(5));

    TFormState g;
    g.SetRadioButtonFl(3, true);
    g.SetRadioButtonFl(1, false);  // unchecking another leaves the group alone
    EXPECT_TRUE(g.RadioButtonFl(3));
    g.SetRadioButtonFl(3, false);
    for (int n = 1; n <= 5; ++n)
        EXPECT_FALSE(g.RadioButtonFl(n));
    g.SetRadioButtonFl(9, true);  // no such button
    EXPECT_FALSE(g.RadioButtonFl(9));
}

TEST(SettingsFile, DamagedValues) {
    struct {
        const char* line10;
        const char* folder;
    } const cases[] = {
        {"433A5C616263", "C:\\abc"},
        {"433AZZ5C", "C:"},
        {"C3", ""},
        {"E59BB3E99DA2", "図面"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line10);
        TScopedTempDir dir;
        WriteBytes(dir.Path() / "x.dat",
                   Lines({"abc", "",       "",     "",     "",   "",           "",     "",
                          "",    c.line10, "433A", "",     "x",  "Some Style", "yes",  "TRUE",
                          "on",  "○",      " 1",   "1",    "9",  "-1",         "1.50", "",
                          "",    "",       "1e3",  "junk", "05", "2e1",        "-7"}));
        TFormState s;
        ASSERT_TRUE(OpenDatFile(dir.File("x.dat"), "/exe/", s));
        EXPECT_EQ(s.EditFl1, c.folder);
        EXPECT_EQ(s.Label1, "C:");  // reading goes on after a bad folder line
        EXPECT_EQ(s.Fm1x, 0);
        EXPECT_EQ(s.Fidx, 0);
        EXPECT_EQ(s.gstyle, "Some Style");
        EXPECT_FALSE(s.CheckBox1);
        EXPECT_TRUE(s.CheckBox2);
        EXPECT_TRUE(s.CheckBox3);
        EXPECT_TRUE(s.CheckBox4);
        EXPECT_FALSE(s.CheckBox5);
        EXPECT_EQ(s.ComboBox1, 9);
        EXPECT_EQ(s.ComboBox2, -1);
        EXPECT_EQ(s.Edit2, "1.5");
        EXPECT_EQ(s.Edit3, "0");
        EXPECT_EQ(s.Edit4, "0");
        EXPECT_EQ(s.Edit5, "5");
        EXPECT_EQ(s.Edit6, "20");
        EXPECT_EQ(s.Edit7, "-7");
    }
}

TEST(SettingsFile, LfOnlyAndBinaryJunkAreRead) {
    TScopedTempDir dir;
    WriteBytes(dir.Path() / "lf.dat", "60\n70\n");
    TFormState s;
    ASSERT_TRUE(OpenDatFile(dir.File("lf.dat"), "/exe/", s));
    EXPECT_EQ(s.Fm1x, 60);
    EXPECT_EQ(s.Fm1y, 70);

    std::string junk(5000, '\0');
    for (size_t i = 0; i < junk.size(); ++i)
        junk[i] = static_cast<char>(i * 37);
    WriteBytes(dir.Path() / "junk.dat", junk);
    EXPECT_TRUE(OpenDatFile(dir.File("junk.dat"), "/exe/", s));
}

TEST(SettingsFile, UnwritableFileReportsAndLeavesNothing) {
    TScopedTempDir dir;
    EXPECT_FALSE(SaveDatFile(dir.File("no/such/folder/v.dat"), TFormState{}));
    EXPECT_FALSE(SaveDatFile("", TFormState{}));
    // A folder where the file should be.
    MakeFolder(dir.File("v.dat"));
    EXPECT_FALSE(SaveDatFile(dir.File("v.dat"), TFormState{}));
}

TEST(SettingsFile, TextLinesCannotBreakTheLineStructure) {
    TScopedTempDir dir;
    TFormState s;
    s.gstyle = "a\r\nb";
    s.Edit2 = "3\n";
    ASSERT_TRUE(SaveDatFile(dir.File("s.dat"), s));
    TFormState r;
    ASSERT_TRUE(OpenDatFile(dir.File("s.dat"), "/exe/", r));
    EXPECT_EQ(r.gstyle, "ab");
    EXPECT_EQ(r.Edit2, "3");
    EXPECT_EQ(r.Edit7, "4");
}

}  // namespace
}  // namespace velmora
