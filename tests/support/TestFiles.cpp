#include "support/TestFiles.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

namespace velmora::test {

namespace fs = std::filesystem;

std::optional<fs::path> SharedDir() {
    std::error_code ec;
    const fs::path dir = VELMORA_SHARED_DIR;
    if (fs::is_directory(dir, ec)) return dir;
    return std::nullopt;
}

std::optional<fs::path> CorpusDir() {
    auto shared = SharedDir();
    std::error_code ec;
    if (shared && fs::is_directory(*shared / "corpus", ec)) return *shared / "corpus";
    return std::nullopt;
}

std::optional<fs::path> SchemaFile() {
    auto shared = SharedDir();
    std::error_code ec;
    if (shared && fs::is_regular_file(*shared / "schema" / "collada_schema_1_4_1.xsd", ec)) {
        return *shared / "schema" / "collada_schema_1_4_1.xsd";
    }
    return std::nullopt;
}

std::vector<fs::path> CorpusFiles(std::string_view ext) {
    std::vector<fs::path> files;
    auto dir = CorpusDir();
    if (!dir) return files;
    for (const auto& entry : fs::directory_iterator(*dir)) {
        std::string e = entry.path().extension().string();
        std::transform(e.begin(), e.end(), e.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        if (entry.is_regular_file() && e == ext) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

fs::path BinDir() {
    return VELMORA_BIN_DIR;
}
fs::path SourceDir() {
    return VELMORA_SOURCE_DIR;
}

TScopedTempDir::TScopedTempDir() {
    std::random_device rd;
    for (;;) {
        path_ = fs::temp_directory_path() / ("velmora-test-" + std::to_string(rd()));
        std::error_code ec;
        if (fs::create_directory(path_, ec)) break;
    }
}

TScopedTempDir::~TScopedTempDir() {
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

std::string TScopedTempDir::File(std::string_view name) const {
    fs::path p = path_ / fs::path(std::u8string(name.begin(), name.end()));
    const std::u8string u = p.make_preferred().u8string();
    return std::string(u.begin(), u.end());
}

namespace {
fs::path FromUtf8(const std::string& s) {
    return fs::path(std::u8string(s.begin(), s.end()));
}
}  // namespace

void WriteBytes(const std::string& utf8File, std::string_view bytes) {
    WriteBytes(FromUtf8(utf8File), bytes);
}

std::string ReadBytes(const std::string& utf8File) {
    return ReadBytes(FromUtf8(utf8File));
}

void WriteBytes(const fs::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TCommandResult RunCommand(const std::string& command) {
    TCommandResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    std::array<char, 4096> buffer;
    size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        result.out.append(buffer.data(), n);
    const int status = pclose(pipe);
#ifdef _WIN32
    result.status = status;  // the exit code itself
#else
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    return result;
}

bool HaveCommand(std::string_view name) {
    return RunCommand("command -v " + std::string(name) + " >/dev/null 2>&1").status == 0;
}

}  // namespace velmora::test
