#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "app/Engine.h"
#include "app/FormState.h"
#include "app/Platform.h"
#include "geometry/ConvertSettings.h"
#include "util/Func2.h"

namespace velmora {

// How a run ended.
enum class TRunEnd {
    NotStarted,     // nothing to convert: the list is empty
    Refused,        // another run is going on; the list was left as it is
    FolderMissing,  // the chosen output folder does not exist; nothing saved, read or logged
    Cancelled,      // the folder chooser was cancelled; nothing saved, read or logged
    Finished,       // every file of the list had its turn
    Escaped,        // stopped by Escape before a file
    CannotCreate,   // an output file could not be created; the run ended at that file
};

struct TRunReport {
    TRunEnd End = TRunEnd::NotStarted;
    int Converted = 0;  // files logged "変換完了"
    int Failed = 0;     // files logged "変換失敗"
    int Partial = 0;    // of the converted files, those converted only in part
};

// The outcome of one file.
struct TFileResult {
    std::string Result;    // "変換完了" or "変換失敗"
    bool EndsRun = false;  // the output could not be created
    std::string Error;     // the text shown when EndsRun
    std::string Reason;    // why a file failed, for a front end that tells more than the log
    TDamage Damage;        // set when the file was converted only in part
    bool Stopped = false;  // a stop asked for during the file abandoned it
};

// The note the log appends to "変換完了" for a file converted only in part; empty otherwise.
std::string DamageNote(const TDamage& damage);

// Caption of the folder chooser of the ask-every-time mode.
inline constexpr const char* kBrowseCaption = "変換後のファイルを保存するフォルダを指定して下さい";

// The batch conversion run: takes in file names, chooses the output folder, saves the
// settings, captures and clamps the conversion settings (writing the clamped texts back into
// the form state), then converts the files one by one and logs each. The platform, engine and
// form state are owned by the front end and must outlive this object.
class TBatchRun {
  public:
    // datFileName: where a run saves the settings first; empty to never write it.
    TBatchRun(IPlatform& platform, IConversionEngine& engine, TFormState& state,
              std::string datFileName);

    // Appends fn to the list when its lower-cased extension is one of the four input kinds
    // and the file exists. Names no path may hold are skipped. Returns whether it was taken.
    bool PickupFile(const std::string& fn);
    // The step every intake shares (drop, open dialog, command line): empties the list, picks
    // up every name in order and runs when at least one was taken. A call while a run is going
    // on (from ProcessEvents) is refused: the running list never changes under it.
    TRunReport Intake(const std::vector<std::string>& names);
    // Runs the whole list. Does nothing when it is empty or a run is going on.
    TRunReport RunProc();
    // Converts one file; never writes a file for a source no reader accepts.
    TFileResult RunProc1(const std::string& src, const std::string& dst);

    // Called by a front end when it sees Escape pressed: the run stops before its next file
    // (and the file being converted is abandoned where the engine allows), even if the key
    // is released before the run looks. Ignored between runs.
    void RequestStop() {
        if (running_) stopRequested_ = true;
    }
    bool StopRequested() const { return stopRequested_; }

    // Whether a name has one of the four input extensions (".jww", ".jws", ".jwc", ".jwk").
    static bool HasInputExtension(const std::string& fn);

    const std::vector<std::string>& FList() const { return FList_; }
    int FListN() const { return static_cast<int>(FList_.size()); }
    bool Running() const { return running_; }
    // What the last run captured.
    const TConvertSettings& Settings() const { return settings_; }

    // Whether the last run could not write the settings file; the run went on regardless.
    bool SettingsSaveFailed = false;
    // Highest branch number tried for a taken output name; tests lower it.
    int BranchLimit = kMaxBranchNumber;

  private:
    // Output folder with trailing delimiter ("" beside each source); false ends the run.
    bool ChooseOutputFolder(std::string& folder, TRunEnd& end);
    void CaptureSettings();
    // Runs an engine step, on a worker thread when the platform keeps responsive.
    void Await(const std::function<void()>& step);

    IPlatform& platform_;
    IConversionEngine& engine_;
    TFormState& state_;
    std::string datFileName_;
    std::vector<std::string> FList_;
    TConvertSettings settings_;
    bool running_ = false;
    std::atomic<bool> stopRequested_{false};
    unsigned tempCounter_ = 0;  // makes the temporary output names of this process unique
};

// The status text while file index (1-based) of count is converting.
std::string ProgressText(int index, int count, const std::string& src);
// The name a document is written under before it is complete: in the folder of dst, never an
// output name (it does not end in ".dae") and unique to this process (pid and counter).
std::string TempOutputName(const std::string& dst, unsigned counter);
// Renames from to to unless to exists (also one that appeared meanwhile); false otherwise.
bool RenameNoReplace(const std::string& from, const std::string& to);

}  // namespace velmora
