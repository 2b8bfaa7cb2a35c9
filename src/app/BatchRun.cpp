#include "app/BatchRun.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <future>
#include <numbers>
#include <utility>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <process.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

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

std::filesystem::path PathOf(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// Why a reader refused a file, as far as its first bytes tell.
std::string RejectReason(const std::string& src, const std::string& ext) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(PathOf(src), ec);
    if (ec) return "cannot be read (" + ec.message() + ")";
    if (size == 0) return "empty file";
    if (ext == ".jww" || ext == ".jws") {
        std::ifstream in(PathOf(src), std::ios::binary);
        char head[12] = {};
        in.read(head, sizeof head);
        const std::string magic = ext == ".jww" ? "JwwData." : "JwsData.";
        if (in.gcount() == sizeof head && std::string(head, 8) == magic) {
            const auto b = [&](int i) {
                return static_cast<uint32_t>(static_cast<uint8_t>(head[i]));
            };
            const auto version = static_cast<int32_t>(b(8) | b(9) << 8 | b(10) << 16 | b(11) << 24);
            return "unsupported version " + IntToText(version);
        }
    }
    return "not a " + ext + " file";
}

// Creates path exclusively (it must not exist yet); false when it exists or cannot be made,
// with err as errno tells it.
bool CreateExclusive(const std::string& path, int& err) {
#ifdef _WIN32
    // The name goes to the system as UTF-16: a narrow name would be read in the ANSI code page.
    const HANDLE h = CreateFileW(PathOf(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        switch (GetLastError()) {
            case ERROR_FILE_EXISTS:
            case ERROR_ALREADY_EXISTS:
                err = EEXIST;
                break;
            case ERROR_PATH_NOT_FOUND:
            case ERROR_FILE_NOT_FOUND:
                err = ENOENT;
                break;
            case ERROR_DISK_FULL:
            case ERROR_HANDLE_DISK_FULL:
                err = ENOSPC;
                break;
            case ERROR_WRITE_PROTECT:
                err = EROFS;
                break;
            default:
                err = EACCES;
                break;
        }
        return false;
    }
    CloseHandle(h);
    return true;
#else
    std::FILE* f = std::fopen(path.c_str(), "wbx");
    if (f == nullptr) {
        err = errno;
        return false;
    }
    std::fclose(f);
    return true;
#endif
}

}  // namespace

std::string ProgressText(int index, int count, const std::string& src) {
    return "変換中 " + IntToText(index) + "/" + IntToText(count) + ": " + ExtractFileName(src);
}

std::string TempOutputName(const std::string& dst, unsigned counter) {
#ifdef _WIN32
    const long pid = _getpid();
#else
    const long pid = getpid();
#endif
    return ExtractFilePath(dst) + ".velmora-" + IntToText(pid) + "-" + IntToText(counter) + ".tmp";
}

bool RenameNoReplace(const std::string& from, const std::string& to) {
#ifdef _WIN32
    // Without the replace flag the move fails on an existing target, atomically.
    return MoveFileExW(PathOf(from).c_str(), PathOf(to).c_str(), MOVEFILE_WRITE_THROUGH) != 0;
#elif defined(__EMSCRIPTEN__)
    // The browser's in-memory files know no hard links; nothing else writes there while the
    // run does.
    std::error_code ec;
    if (std::filesystem::exists(PathOf(to), ec)) return false;
    std::filesystem::rename(PathOf(from), PathOf(to), ec);
    return !ec;
#else
    // A hard link is made only when the name is free, atomically.
    if (link(from.c_str(), to.c_str()) != 0) return false;
    unlink(from.c_str());
    return true;
#endif
}

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
    platform_.FormTextsChanged(state_);
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
    s.Format = (f.ComboBox3 == 1 || f.ComboBox3 == 2) ? static_cast<TOutputFormat>(f.ComboBox3)
                                                      : TOutputFormat::Dae;

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
    platform_.FormTextsChanged(state_);
    // A stop asked for during a file abandons it within moments, not only between files.
    settings_.Stop = &stopRequested_;
    engine_.SetSettings(settings_);
    platform_.ClearLog();

    report.End = TRunEnd::Finished;
    stopRequested_ = false;
    int index = 0;
    for (const std::string& src : FList_) {
        ++index;
        if (stopRequested_ || platform_.EscapeDown()) {
            platform_.AddLog(kEscapeLine);
            report.End = TRunEnd::Escaped;
            break;
        }
        const std::string name = ChangeExtSafe(beside ? src : folder + ExtractFileName(src),
                                               OutputExtension(settings_.Format));
        const std::optional<std::string> dst =
            GetBranchFileName(name, HostPathStyle(), BranchLimit);
        platform_.Progress(ProgressText(index, FListN(), src));
        platform_.AddLog(src);
        platform_.AddLog("→ " + dst.value_or(name));
        TFileResult result;
        if (dst) {
            result = RunProc1(src, *dst);
        } else {
            // Every branch number is taken: the one name left is an existing file.
            result.Result = kFailed;
            result.Reason = "every branch number of the output name is taken";
        }
        if (result.EndsRun) {
            platform_.ShowMessage(result.Error);
            report.End = TRunEnd::CannotCreate;
            break;
        }
        if (result.Result != kConverted) result.Damage = TDamage{};
        platform_.AddLog("　…… " + result.Result + DamageNote(result.Damage));
        platform_.FileDone(src, result);
        if (result.Result == kConverted) {
            ++report.Converted;
            if (result.Damage.Kind != TDamage::TKind::None) ++report.Partial;
        } else {
            ++report.Failed;
        }
        // The file the stop abandoned is the last one: say why, even when no other follows.
        if (result.Stopped) {
            platform_.AddLog(kEscapeLine);
            report.End = TRunEnd::Escaped;
            break;
        }
        platform_.ProcessEvents();
    }
    engine_.Fig3DClear();
    platform_.Progress("");
    platform_.ShowLogPage();
    return report;
}

void TBatchRun::Await(const std::function<void()>& step) {
    if (!platform_.KeepsResponsive()) {
        step();
        return;
    }
    // The engine is touched by the worker only; the platform only by this thread.
    std::future<void> done = std::async(std::launch::async, step);
    while (done.wait_for(std::chrono::milliseconds(15)) != std::future_status::ready)
        platform_.ProcessEvents();
    done.get();
}

std::string DamageNote(const TDamage& damage) {
    switch (damage.Kind) {
        case TDamage::TKind::File:
            return "（ファイルが壊れています。読めた部分だけを変換しました）";
        case TDamage::TKind::Budget:
            return "（図形が多すぎるため一部を省きました）";
        case TDamage::TKind::None:
            break;
    }
    return {};
}

TFileResult TBatchRun::RunProc1(const std::string& src, const std::string& dst) {
    TFileResult r;
    r.Result = kConverted;
    // The document is written under a temporary name and gets its own name only when it is
    // complete, so an interrupted write never leaves a truncated file under an output name.
    std::string temp;
    bool renamed = false;
    try {
        const std::string ext = GetFileExtLower(src);
        IFileKind* kind = engine_.Kind(ext);
        // Without a reader that accepts the file nothing is written: the primitive list may
        // still hold another file's drawing.
        if (kind == nullptr) {
            r.Reason = "no reader for " + ext + " files";
        }
        bool accepted = false;
        if (kind != nullptr) Await([&] { accepted = kind->FileCheck(src); });
        if (kind != nullptr && !accepted) r.Reason = RejectReason(src, ext);
        if (accepted) {
            // A stop asked for meanwhile abandons the file between its steps.
            Await([&] {
                kind->FileIn(src);
                if (stopRequested_) return;
                kind->ResetAttributes();
                kind->SetGAttLayer();
                kind->Convert();
            });
            r.Damage = kind->Damage();
        }
        if (accepted && stopRequested_) {
            r.Reason = "stopped";
        } else if (accepted) {
            int err = 0;
            for (int attempt = 0; attempt < 100 && temp.empty(); ++attempt) {
                const std::string candidate = TempOutputName(dst, ++tempCounter_);
                if (CreateExclusive(candidate, err)) temp = candidate;
                if (err != EEXIST) break;
            }
            std::string error;
            if (temp.empty()) {
                const std::string folder = ExtractFilePath(dst);
                r.EndsRun = true;
                r.Error = "Cannot write into the folder \"" + folder + "\": " + std::strerror(err) +
                          ". Choose another output folder.";
            } else {
                platform_.OutputPending(temp);
                TSaveResult saved = TSaveResult::Failed;
                Await([&] { saved = engine_.SaveDae(temp, error); });
                // The user knows the file by its own name.
                for (size_t at = error.find(temp); at != std::string::npos;
                     at = error.find(temp, at + dst.size()))
                    error.replace(at, temp.size(), dst);
                if (saved == TSaveResult::Written && stopRequested_) {
                    r.Reason = "stopped";
                } else if (saved == TSaveResult::Written) {
                    renamed = RenameNoReplace(temp, dst);
                    if (!renamed) r.Reason = "the output name was taken while writing";
                } else if (saved == TSaveResult::CannotCreate) {
                    r.EndsRun = true;
                    r.Error = error.empty() ? "Cannot create file \"" + dst + "\"." : error;
                } else {
                    r.Reason = error.empty() ? "could not write " + dst : error;
                }
            }
        }
    } catch (const std::bad_alloc&) {
        r.Reason = "out of memory";
    } catch (const std::exception& e) {
        // An engine failure costs this file only.
        r.Reason = e.what();
    }
    if (!temp.empty()) {
        if (!renamed) EraseFile(temp);
        platform_.OutputPending("");
    }
    try {
        Await([&] { engine_.FreeAll(); });
    } catch (const std::exception&) {
    }
    if (!renamed || !FileThere(dst)) {
        r.Result = kFailed;
        if (r.Reason.empty()) r.Reason = "no output was written";
        r.Stopped = stopRequested_;
    }
    return r;
}

}  // namespace velmora
