#include "cli/CliPlatform.h"

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define STDIN_FILENO 0
#define STDERR_FILENO 2
#include "app/ShellFolders.h"
#else
#include <unistd.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "app/BatchRun.h"
#include "util/Func2.h"

namespace velmora {

namespace {

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v == nullptr ? std::string() : std::string(v);
}

std::string Trim(const std::string& s) {
    size_t b = 0;
    size_t e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r'))
        --e;
    return s.substr(b, e - b);
}

// The value of KEY="$HOME/..." in user-dirs.dirs; the file is shell syntax, of which only the
// quoted form with an optional leading $HOME is defined.
std::string UserDirsEntry(const std::string& key, const std::string& home) {
    std::string config = Env("XDG_CONFIG_HOME");
    if (config.empty()) {
        if (home.empty()) return {};
        config = home + "/.config";
    }
    std::ifstream in(config + "/user-dirs.dirs");
    std::string line;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (line.rfind(key + "=", 0) != 0) continue;
        std::string v = line.substr(key.size() + 1);
        if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
        if (v.rfind("$HOME", 0) == 0) {
            if (home.empty()) return {};
            v = home + v.substr(5);
        }
        if (!v.empty() && v.front() == '/') return v;
    }
    return {};
}

}  // namespace

std::string XdgUserDir(const std::string& name, const std::string& fallback) {
    const std::string key = "XDG_" + name + "_DIR";
    std::string dir = Env(key.c_str());
    if (!dir.empty()) return dir;
    const std::string home = Env("HOME");
    dir = UserDirsEntry(key, home);
    if (!dir.empty()) return dir;
    if (home.empty()) return {};
    return AddPathDelimiter(home) + fallback;
}

TCliPlatform::TCliPlatform(std::string programFolder, const std::atomic<bool>& interrupted,
                           std::ostream& out, std::ostream& err)
    : programFolder_(std::move(programFolder)), interrupted_(interrupted), out_(out), err_(err) {}

std::string TCliPlatform::DesktopFolder() {
#ifdef _WIN32
    return ShellDesktopFolder();
#else
    return XdgUserDir("DESKTOP", "Desktop");
#endif
}

std::string TCliPlatform::DocumentsFolder() {
#ifdef _WIN32
    return ShellDocumentsFolder();
#else
    return XdgUserDir("DOCUMENTS", "Documents");
#endif
}

void TCliPlatform::ShowMessage(const std::string& text) {
    // The message texts end lines with CR LF as a window shows them; a terminal wants LF.
    std::string t;
    for (char c : text) {
        if (c != '\r') t += c;
    }
    err_ << t << '\n' << std::flush;
}

std::optional<std::string> TCliPlatform::BrowseForFolder(const std::string& startFolder,
                                                         const std::string& caption) {
    if (!isatty(STDIN_FILENO) || !isatty(STDERR_FILENO)) {
        err_ << "velmora-cli: no output folder is set and there is no terminal to ask on; "
                "name one with -o DIR (or --beside, --desktop, --documents)\n"
             << std::flush;
        return std::nullopt;
    }
    err_ << caption << "\n[" << startFolder << "]: " << std::flush;
    std::string line;
    if (!std::getline(std::cin, line) || interrupted_.load()) {
        err_ << '\n' << std::flush;
        return std::nullopt;
    }
    line = Trim(line);
    if (line.empty()) return startFolder;
    std::error_code ec;
    const std::filesystem::path p = std::filesystem::absolute(
        std::filesystem::path(std::u8string(line.begin(), line.end())), ec);
    if (ec) return line;
    const std::u8string u = p.u8string();
    return std::string(u.begin(), u.end());
}

void TCliPlatform::ProcessEvents() {
    out_.flush();
}

void TCliPlatform::AddLog(const std::string& line) {
    out_ << line << '\n' << std::flush;
}

void TCliPlatform::FileDone(const std::string& src, const TFileResult& result) {
    if (result.Result == "変換失敗") {
        err_ << "velmora-cli: " << src << ": " << result.Reason << '\n' << std::flush;
        return;
    }
    const TDamage& d = result.Damage;
    if (d.Kind == TDamage::TKind::File) {
        err_ << "velmora-cli: " << src << ": damaged at byte " << d.Offset << " (" << d.What
             << "); converted what was read\n";
    } else if (d.Kind == TDamage::TKind::Budget) {
        err_ << "velmora-cli: " << src << ": the " << d.What
             << " stopped the block explosion; converted what was read\n";
    }
}

}  // namespace velmora
