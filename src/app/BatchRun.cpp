#include "app/BatchRun.h"

#include <cmath>
#include <exception>
#include <numbers>
#include <utility>

#include "app/Settings.h"
#include "util/Func2.h"

namespace velmora {

namespace {

constexpr const char* kConverted = "変換完了";
constexpr const char* kFailed = "変換失敗";
constexpr const char* kEscapeLine = "[ESC]を押しましたので中断します。";
constexpr const char* kFolderMissing = "指定したフォルダが見つかりません。\r\n";

template <typename T>
T Clamp(T v, T lo, T hi) {
    if (v < lo) return lo;
    if (v > hi) return hi;
    return v;
}

// Clears a flag when the run ends, however it ends.
class TRunningGuard {
  public:
    explicit TRunningGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~TRunningGuard() { flag_ = false; }
    TRunningGuard(const TRunningGuard&) = delete;
    TRunningGuard& operator=(const TRunningGuard&) = delete;

  private:
    bool& flag_;
};

}  // namespace

TBatchRun::TBatchRun(IPlatform& platform, IConversionEngine& engine, TFormState& state,
                     std::string datFileName)
    : platform_(platform), engine_(engine), state_(state), datFileName_(std::move(datFileName)) {}

bool TBatchRun::HasInputExtension(const std::string& fn) {
    return IsInputExtension(GetFileExtLower(fn));
}

bool TBatchRun::PickupFile(const std::string& fn) {
    if (running_) return false;
    // A name no path may hold has no extension, so it never qualifies.
    if (fn.empty() || !HasInputExtension(fn) || !FileThere(fn)) return false;
    FList_.push_back(fn);
    return true;
}

TRunReport TBatchRun::Intake(const std::vector<std::string>& names) {
    if (running_) return {TRunEnd::Refused, 0, 0};
    FList_.clear();
    for (const std::string& name : names)
        PickupFile(name);
    if (FList_.empty()) return {};
    return RunProc();
}

bool TBatchRun::ChooseOutputFolder(std::string& folder, TRunEnd& end) {
    auto existing = [&](const std::string& dir) {
        folder = AddPathDelimiter(dir);
        // An empty name would otherwise become the root folder.
        if (!dir.empty() && FolderThere(folder)) return true;
        platform_.ShowMessage(kFolderMissing + folder);
        end = TRunEnd::FolderMissing;
        return false;
    };
    if (state_.RadioButtonFl(1)) return existing(platform_.DesktopFolder());
    if (state_.RadioButtonFl(2)) return existing(platform_.DocumentsFolder());
    if (state_.RadioButtonFl(3)) {
        folder.clear();
        return true;
    }
    if (state_.RadioButtonFl(4)) return existing(state_.EditFl1);
    // Ask every time, also when no button is checked.
    const std::string start =
        FolderThere(state_.LabelPreFolder) ? state_.LabelPreFolder : platform_.ProgramFolder();
    const std::optional<std::string> chosen = platform_.BrowseForFolder(start, kBrowseCaption);
    if (!chosen) {
        end = TRunEnd::Cancelled;
        return false;
    }
    state_.LabelPreFolder = AddPathDelimiter(*chosen);
    return existing(*chosen);
}

void TBatchRun::CaptureSettings() {
    TConvertSettings& s = settings_;
    TFormState& f = state_;
    s.CB1 = f.CheckBox1;
    s.CB2 = f.CheckBox2;
    s.CB3 = f.CheckBox3;
    s.CB4 = f.CheckBox4;
    s.CB5 = f.CheckBox5;
    s.CB6 = f.CheckBox6;
    switch (f.ComboBox1) {
        case 1:
            s.SaveScale = 10;
            break;
        case 2:
            s.SaveScale = 100;
            break;
        case 3:
            s.SaveScale = 1000;
            break;
        default:
            s.SaveScale = 1;
            break;
    }
    s.TenType = f.ComboBox2;

    double ten = TextToReal(f.Edit2);
    if (ten == 0) ten = 1;
    s.TenSize = Clamp(ten, 0.00001, 10000.0);
    f.Edit2 = RealToText(s.TenSize);

    s.ArcSepType = 0;
    if (f.RadioButton(6)) s.ArcSepType = 1;
    if (f.RadioButton(7)) s.ArcSepType = 2;

    s.ArcSep = Clamp(TextToInt(f.Edit3), 3, 3600);
    f.Edit3 = IntToText(s.ArcSep);
    s.ArcSep1 = Clamp(TextToInt(f.Edit5), 3, 3600);
    f.Edit5 = IntToText(s.ArcSep1);
    s.ArcSep2 = Clamp(TextToInt(f.Edit7), 3, 3600);
    f.Edit7 = IntToText(s.ArcSep2);

    const double degrees = Clamp(TextToReal(f.Edit4), 0.1, 90.0);
    f.Edit4 = RealToText(degrees);
    s.ArcSepAng = degrees / 180 * std::numbers::pi;

    s.ArcSepLen = Clamp(TextToReal(f.Edit6), 0.001, 1000.0);
    f.Edit6 = RealToText(s.ArcSepLen);
}

TRunReport TBatchRun::RunProc() {
    TRunReport report;
    if (running_) {
        report.End = TRunEnd::Refused;
        return report;
    }
    if (FList_.empty()) return report;
    const TRunningGuard guard(running_);

    std::string folder;
    if (!ChooseOutputFolder(folder, report.End)) return report;
    const bool beside = state_.RadioButtonFl(3);

    // Saved before the capture, so the file keeps the texts as the user left them.
    SettingsSaveFailed = !datFileName_.empty() && !SaveDatFile(datFileName_, state_);

    CaptureSettings();
    engine_.SetSettings(settings_);
    platform_.ClearLog();

    report.End = TRunEnd::Finished;
    for (const std::string& src : FList_) {
        if (platform_.EscapeDown()) {
            platform_.AddLog(kEscapeLine);
            report.End = TRunEnd::Escaped;
            break;
        }
        const std::string name =
            ChangeExtSafe(beside ? src : folder + ExtractFileName(src), ".dae");
        const std::optional<std::string> dst =
            GetBranchFileName(name, HostPathStyle(), BranchLimit);
        platform_.AddLog(src);
        platform_.AddLog("→ " + dst.value_or(name));
        TFileResult result;
        if (dst) {
            result = RunProc1(src, *dst);
        } else {
            // Every branch number is taken: the one name left is an existing file.
            result.Result = kFailed;
        }
        if (result.EndsRun) {
            platform_.ShowMessage(result.Error);
            report.End = TRunEnd::CannotCreate;
            break;
        }
        platform_.AddLog("　…… " + result.Result);
        platform_.FileDone(src, result);
        if (result.Result == kConverted) {
            ++report.Converted;
        } else {
            ++report.Failed;
        }
        platform_.ProcessEvents();
    }
    engine_.Fig3DClear();
    platform_.ShowLogPage();
    return report;
}

TFileResult TBatchRun::RunProc1(const std::string& src, const std::string& dst) {
    TFileResult r;
    r.Result = kConverted;
    try {
        IFileKind* kind = engine_.Kind(GetFileExtLower(src));
        // Without a reader that accepts the file nothing is written: the primitive list may
        // still hold another file's drawing.
        if (kind != nullptr && kind->FileCheck(src)) {
            kind->FileIn(src);
            kind->ResetAttributes();
            kind->SetGAttLayer();
            kind->Convert();
            std::string error;
            if (engine_.SaveDae(dst, error) == TSaveResult::CannotCreate) {
                r.EndsRun = true;
                r.Error = error.empty() ? "Cannot create file \"" + dst + "\"." : error;
            }
        }
    } catch (const std::exception&) {
        // An engine failure costs this file only.
    }
    try {
        engine_.FreeAll();
    } catch (const std::exception&) {
    }
    if (!FileThere(dst)) r.Result = kFailed;
    return r;
}

}  // namespace velmora
