#pragma once

#include <optional>
#include <string>

namespace velmora {

struct TFileResult;
struct TFormState;

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
    // The run changed these texts of the form: the clamped edits Edit2 .. Edit7 (at capture)
    // and LabelPreFolder (after the folder chooser). A window shows them at once. A run writes
    // nothing else into the form, so what the user changes while it runs stays.
    virtual void FormTextsChanged(const TFormState& state) { (void)state; }
    // Whether the front end keeps handling its events (repaint, Escape) while a file converts:
    // the engine then works on a second thread and ProcessEvents is called every few
    // milliseconds until it is done. Every platform call still comes from the run's thread.
    virtual bool KeepsResponsive() { return false; }
    // The text that tells which file is converting ("変換中 3/50: plan.jww"); empty when the
    // run is over and the usual status returns.
    virtual void Progress(const std::string& text) { (void)text; }
    // The temporary file the current document is being written to; empty once it is renamed
    // or removed. A front end that can die mid-write (a second Ctrl-C) removes it then.
    virtual void OutputPending(const std::string& tempPath) { (void)tempPath; }
    // Called once per converted or failed file, after its outcome line: a front end may tell
    // more than the log line does (the command line's standard error).
    virtual void FileDone(const std::string& src, const TFileResult& result) {
        (void)src;
        (void)result;
    }
};

}  // namespace velmora
