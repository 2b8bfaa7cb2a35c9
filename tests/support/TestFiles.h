#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::test {

// The shared folder beside the repository (real drawings, schema); std::nullopt when it is
// absent, so tests that need it can skip.
std::optional<std::filesystem::path> SharedDir();
std::optional<std::filesystem::path> CorpusDir();
std::optional<std::filesystem::path> SchemaFile();
// Every corpus file with one of the given extensions (lower-case, with "."), sorted.
std::vector<std::filesystem::path> CorpusFiles(std::string_view ext);

// The folder holding the built programs (velmora-cli, velmora).
std::filesystem::path BinDir();
std::filesystem::path SourceDir();

// A fresh empty folder, removed with everything in it when the object goes.
class TScopedTempDir {
  public:
    TScopedTempDir();
    ~TScopedTempDir();
    TScopedTempDir(const TScopedTempDir&) = delete;
    TScopedTempDir& operator=(const TScopedTempDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }
    // UTF-8 text of Path() / name, "/" in name written as the host's delimiter.
    std::string File(std::string_view name) const;

  private:
    std::filesystem::path path_;
};

void WriteBytes(const std::filesystem::path& file, std::string_view bytes);
std::string ReadBytes(const std::filesystem::path& file);
// The same for a UTF-8 name: a narrow path would be read in the ANSI code page on Windows.
void WriteBytes(const std::string& utf8File, std::string_view bytes);
std::string ReadBytes(const std::string& utf8File);

// Runs a shell command; returns its exit status and what it wrote on standard output.
struct TCommandResult {
    int status = -1;
    std::string out;
};
TCommandResult RunCommand(const std::string& command);
bool HaveCommand(std::string_view name);

}  // namespace velmora::test
