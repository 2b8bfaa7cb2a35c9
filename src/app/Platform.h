#pragma once

#include <optional>
#include <string>

namespace velmora {

struct TFileResult;

// What the batch run needs from the front end that hosts it: shell folders, the keyboard,
// dialogs, the event loop and the log. The window and the command line implement it; tests use
// a fake. Every call comes from the one thread that runs the batch.
class IPlatform {
  public:
    virtual ~IPlatform() = default;

    // The folder of the program file, with trailing delimiter.
    virtual std::string ProgramFolder() = 0;
    // The user's desktop and documents folders, without trailing delimiter requirement; empty
    // when the platform knows none.
    virtual std::string DesktopFolder() = 0;
    virtual std::string DocumentsFolder() = 0;
    // Whether Escape (or the front end's equivalent) is down at this moment; polled before
    // each file.
    virtual bool EscapeDown() = 0;
    // A modal message; returns once the user has seen it.
    virtual void ShowMessage(const std::string& text) = 0;
    // A folder chooser opened at startFolder; std::nullopt when the user cancels.
    virtual std::optional<std::string> BrowseForFolder(const std::string& startFolder,
                                                       const std::string& caption) = 0;
    // Lets the front end handle what is pending (repaint the log, see a key, a new drop).
    virtual void ProcessEvents() = 0;

    // The log sink.
    virtual void ClearLog() = 0;
    virtual void AddLog(const std::string& line) = 0;
    virtual void ShowLogPage() = 0;
    // Called once per converted or failed file, after its outcome line: a front end may tell
    // more than the log line does (the command line's standard error).
    virtual void FileDone(const std::string& src, const TFileResult& result) {
        (void)src;
        (void)result;
    }
};

}  // namespace velmora
