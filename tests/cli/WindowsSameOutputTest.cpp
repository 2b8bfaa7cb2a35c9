#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>

#include "support/TestFiles.h"

// The Windows program, run through Wine, writes the same documents as the program of this
// system for every corpus drawing. Under the sanitizers Wine would inherit their runtime, so
// only the plain build compares.

#if !defined(_WIN32) && !defined(__SANITIZE_ADDRESS__)
namespace velmora {
namespace {

namespace fs = std::filesystem;

std::string Quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string Text(const fs::path& p) {
    const std::u8string u = p.u8string();
    return {u.begin(), u.end()};
}

// The document without its two time stamps.
std::string Timeless(const std::string& doc) {
    static const std::regex stamps("<(created|modified)>[^<]*</(created|modified)>");
    return std::regex_replace(doc, stamps, "<$1/>");
}

TEST(WindowsSameOutput, EveryCorpusFileGivesTheSameDocument) {
    const fs::path exe = VELMORA_WINDOWS_CLI;
    const fs::path wine = "/usr/lib/wine/wine64";
    if (!fs::exists(exe) || !fs::exists(wine)) GTEST_SKIP() << "no Windows build or no Wine";
    if (!test::CorpusDir()) GTEST_SKIP() << "no corpus";
    std::vector<fs::path> files;
    for (const char* ext : {".jww", ".jws", ".jwc", ".jwk"}) {
        for (const fs::path& f : test::CorpusFiles(ext))
            files.push_back(f);
    }
    ASSERT_FALSE(files.empty());
    test::TScopedTempDir dir;
    fs::create_directory(dir.Path() / "linux");
    fs::create_directory(dir.Path() / "windows");
    // An empty settings file: the defaults, whatever a settings file beside either program says.
    test::WriteBytes(dir.Path() / "defaults.dat", "");
    std::string names;
    for (const fs::path& f : files)
        names += " " + Quoted(Text(f));
    const std::string linux = Quoted(Text(test::BinDir() / "velmora-cli")) + " --settings " +
                              Quoted(dir.File("defaults.dat")) + " -o " + Quoted(dir.File("linux"));
    ASSERT_EQ(test::RunCommand(linux + names + " 2>/dev/null </dev/null").status, 0);
    // The prefix the Windows build's own tests use: a new one would take seconds to create.
    const std::string prefix = Text(exe.parent_path().parent_path() / "wineprefix");
    const test::TCommandResult win = test::RunCommand(
        "WINEPREFIX=" + Quoted(prefix) + " WINEDEBUG=-all " + Quoted(Text(wine)) + " " +
        Quoted(Text(exe)) + " --settings " + Quoted(dir.File("defaults.dat")) + " -o " +
        Quoted(dir.File("windows")) + names + " 2>/dev/null </dev/null");
    ASSERT_EQ(win.status, 0) << win.out;
    // The Windows log names the files the Windows way.
    EXPECT_NE(win.out.find(":\\"), std::string::npos) << win.out;
    for (const fs::path& f : files) {
        SCOPED_TRACE(Text(f));
        const fs::path dae = fs::path(f.filename()).replace_extension(".dae");
        // Two corpus files of one stem get ~1 in both runs alike.
        const std::string l = test::ReadBytes(dir.Path() / "linux" / dae);
        const std::string w = test::ReadBytes(dir.Path() / "windows" / dae);
        ASSERT_FALSE(l.empty());
        const std::string a = Timeless(l), b = Timeless(w);
        const size_t at = std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first - a.begin();
        EXPECT_TRUE(a == b) << "documents differ at byte " << at << ": " << a.substr(at, 60)
                            << " | " << b.substr(at, 60);
    }
}

}  // namespace
}  // namespace velmora
#endif
