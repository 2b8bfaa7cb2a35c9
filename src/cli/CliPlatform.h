#pragma once

#include <atomic>
#include <iosfwd>
#include <optional>
#include <string>

#include "app/Platform.h"

namespace velmora {

// The platform of the command line: log lines go to standard output as they are made,
// messages to standard error; Escape is an interrupt (Ctrl-C) seen through a flag that the
// signal handler sets; the folder chooser is a prompt on the terminal.
class TCliPlatform final : public IPlatform {
  public:
    TCliPlatform(std::string programFolder, const std::atomic<bool>& interrupted, std::ostream& out,
                 std::ostream& err);

    std::string ProgramFolder() override { return programFolder_; }
    std::string DesktopFolder() override;
    std::string DocumentsFolder() override;
    bool EscapeDown() override { return interrupted_.load(); }
    void ShowMessage(const std::string& text) override;
    std::optional<std::string> BrowseForFolder(const std::string& startFolder,
                                               const std::string& caption) override;
    void ProcessEvents() override;
    void ClearLog() override {}
    void AddLog(const std::string& line) override;
    void ShowLogPage() override {}
    // A file converted only in part is named on standard error.
    void FileDone(const std::string& src, const TFileResult& result) override;

  private:
    std::string programFolder_;
    const std::atomic<bool>& interrupted_;
    std::ostream& out_;
    std::ostream& err_;
};

// An XDG user folder ("DESKTOP", "DOCUMENTS"): the environment variable XDG_<name>_DIR, then
// the user-dirs.dirs file of the configuration folder, then ~/<fallback>. Empty without a home.
std::string XdgUserDir(const std::string& name, const std::string& fallback);

}  // namespace velmora
