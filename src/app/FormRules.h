#pragma once

#include <string>
#include <vector>

#include "app/BatchRun.h"
#include "app/FormState.h"

namespace velmora {

// What the two windows (Qt and Win32) share beyond the batch run: the texts they show, the
// open dialog they ask for and the few decisions they take around a run. Each window only
// draws these.

// The status line between runs.
inline constexpr const char* kStatusText =
    "※保存先フォルダに同じ名前のファイルが存在する場合は名前に枝番が付きます";
// The note that replaces it for a while when nothing of an intake could be converted.
inline constexpr const char* kUnsupportedNote = "対応していないファイルです";
inline constexpr int kNoteMilliseconds = 4000;
// Followed by the settings file name.
inline constexpr const char* kSettingsNotSaved = "設定ファイルを保存できません。\r\n";

// The client area at creation, in pixels at 96 dots per inch, and the window's font.
inline constexpr int kClientWidth = 473;
inline constexpr int kClientHeight = 457;
inline constexpr const char* kFontFace = "ＭＳ ゴシック";
inline constexpr int kFontPixels = 13;
inline constexpr int kLogFontPixels = 12;

// One entry of the open dialog's filter list: the caption the user sees and its patterns.
struct TOpenFilter {
    std::string Caption;
    std::vector<std::string> Patterns;
};

struct TOpenDialogRequest {
    std::string Title;
    std::string InitialFolder;
    std::vector<TOpenFilter> Filters;
    int FilterIndex = 1;  // 1-based; out of range selects the first
};

struct TOpenDialogResult {
    std::vector<std::string> Files;  // full UTF-8 names, in the order the dialog gives them
    int FilterIndex = 1;             // 1-based index of the filter selected at confirmation
};

// The open dialog the link label asks for: its title, the filter list, the folder and filter
// the user chose last.
TOpenDialogRequest OpenDialogRequest(const TFormState& state);
// A confirmed open dialog: the folder of the first file opens the next dialog, and its filter
// is selected again.
void AcceptOpenDialog(const TOpenDialogResult& chosen, TFormState& state);

// Whether an intake of names says kUnsupportedNote: something was handed over, none of it
// could be taken.
bool SaysUnsupported(const std::vector<std::string>& names, const TRunReport& report);

// A rectangle of the desktop: a window frame or a monitor.
struct TScreenRect {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};

// Whether a window frame saved at the last close shows on one of the screens now; a frame of
// no size counts as one pixel. A frame that shows on none (a monitor was unplugged) moves to
// the primary screen.
bool FrameOnSomeScreen(const TScreenRect& frame, const std::vector<TScreenRect>& screens);

}  // namespace velmora
