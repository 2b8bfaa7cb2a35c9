#include "app/FormRules.h"

#include <algorithm>

#include "util/Func2.h"

namespace velmora {

TOpenDialogRequest OpenDialogRequest(const TFormState& state) {
    TOpenDialogRequest request;
    request.Title = "変換元ファイルを指定";
    request.InitialFolder = state.Label1;
    request.Filters = {
        {"Jw_cad ファイル(*.jw?)", {"*.jww", "*.jwc", "*.jws", "*.jwk"}},
        {"Jw_cad 図面ファイル", {"*.jww", "*.jwc"}},
        {"Jw_cad 図面ファイル(win)", {"*.jww"}},
        {"Jw_cad 図面ファイル(dos)", {"*.jwc"}},
        {"Jw_cad 図形ファイル", {"*.jws", "*.jwk"}},
        {"Jw_cad 図形ファイル(win)", {"*.jws"}},
        {"Jw_cad 図形ファイル(dos)", {"*.jwk"}},
        {"全てのファイル(*.*)", {"*"}},
    };
    request.FilterIndex = state.Fidx;
    return request;
}

void AcceptOpenDialog(const TOpenDialogResult& chosen, TFormState& state) {
    if (!chosen.Files.empty()) {
        state.Label1 = AddPathDelimiter(ExtractFilePath(chosen.Files.front()));
    }
    state.Fidx = chosen.FilterIndex;
}

bool SaysUnsupported(const std::vector<std::string>& names, const TRunReport& report) {
    return report.End == TRunEnd::NotStarted && !names.empty();
}

bool FrameOnSomeScreen(const TScreenRect& frame, const std::vector<TScreenRect>& screens) {
    const int w = std::max(frame.Width, 1);
    const int h = std::max(frame.Height, 1);
    return std::any_of(screens.begin(), screens.end(), [&](const TScreenRect& s) {
        return frame.Left < s.Left + s.Width && s.Left < frame.Left + w &&
               frame.Top < s.Top + s.Height && s.Top < frame.Top + h;
    });
}

}  // namespace velmora
