// The page's front end over the batch run. The page writes the dropped files into the
// in-memory file system, calls velmora_run with the settings and the names, and reads the
// outputs back from the one output folder, so every rule of a run (log lines, branch numbers,
// the damaged-file note) is the run's own.
#include <emscripten/em_js.h>
#include <emscripten/emscripten.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "app/BatchRun.h"
#include "app/ConversionEngine.h"
#include "app/FormState.h"
#include "util/CodePage.h"
#include "util/Func2.h"
#include "web/Cp932Table.h"

EM_JS(void, PostLog, (const char* line), { Module.onLog(UTF8ToString(line)); });
EM_JS(void, PostProgress, (const char* text), { Module.onProgress(UTF8ToString(text)); });
EM_JS(void, PostMessage, (const char* text), { Module.onMessage(UTF8ToString(text)); });
// The page's stop button, seen between files: a shared flag when the page is cross-origin
// isolated (the worker is busy in the run and takes no message until it ends).
EM_JS(bool, StopAsked, (), { return !!Module.stopFlag && Atomics.load(Module.stopFlag, 0) != 0; });

namespace {

class TWebPlatform final : public velmora::IPlatform {
  public:
    std::string ProgramFolder() override { return "/"; }
    std::string DesktopFolder() override { return {}; }
    std::string DocumentsFolder() override { return {}; }
    bool EscapeDown() override { return StopAsked(); }
    void ShowMessage(const std::string& text) override { PostMessage(text.c_str()); }
    std::optional<std::string> BrowseForFolder(const std::string&, const std::string&) override {
        return std::nullopt;
    }
    void ProcessEvents() override {}
    void ClearLog() override {}
    void AddLog(const std::string& line) override { PostLog(line.c_str()); }
    void ShowLogPage() override {}
    void Progress(const std::string& text) override { PostProgress(text.c_str()); }
};

// "key=value" lines into the form state; unknown keys are ignored, missing ones keep the
// defaults of a first start.
void ApplySettings(const std::string& text, velmora::TFormState& f) {
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq);
        const std::string value = line.substr(eq + 1);
        const int n = velmora::TextToInt(value);
        bool* const boxes[] = {&f.CheckBox1, &f.CheckBox2, &f.CheckBox3,
                               &f.CheckBox4, &f.CheckBox5, &f.CheckBox6};
        std::string* const edits[] = {&f.Edit2, &f.Edit3, &f.Edit4, &f.Edit5, &f.Edit6, &f.Edit7};
        if (key.size() == 9 && key.rfind("CheckBox", 0) == 0 && key[8] >= '1' && key[8] <= '6') {
            *boxes[key[8] - '1'] = n != 0;
        } else if (key.size() == 5 && key.rfind("Edit", 0) == 0 && key[4] >= '2' && key[4] <= '7') {
            *edits[key[4] - '2'] = value;
        } else if (key == "ComboBox1") {
            f.ComboBox1 = n;
        } else if (key == "ComboBox2") {
            f.ComboBox2 = n;
        } else if (key == "ComboBox3") {
            f.ComboBox3 = n;
        } else if (key == "RadioButton") {
            f.SetRadioButton(n, true);
        }
    }
}

struct TWebApp {
    TWebPlatform platform;
    std::unique_ptr<velmora::IConversionEngine> engine{
        velmora::MakeConversionEngine("/tmp/velmora/")};
};

}  // namespace

extern "C" {

// Converts the files (one name per line) into the folder with the settings (key=value lines).
// Returns the number of files that failed; the log and the outputs reach the page as they
// come. The page's 3D view asks for a glTF of a COLLADA output only when it shows it, by a
// second run of the one file.
EMSCRIPTEN_KEEPALIVE int velmora_run(const char* settings, const char* files, const char* folder) {
    static TWebApp app;  // one engine for the page's life, as the window keeps one
    std::error_code ec;
    std::filesystem::create_directories("/tmp/velmora", ec);
    std::filesystem::create_directories(folder, ec);
    velmora::TFormState state;
    ApplySettings(settings, state);
    state.SetRadioButtonFl(4, true);
    state.EditFl1 = folder;
    std::vector<std::string> names;
    std::istringstream in(files);
    std::string name;
    while (std::getline(in, name))
        if (!name.empty()) names.push_back(name);
    velmora::TBatchRun run(app.platform, *app.engine, state, "");
    const velmora::TRunReport report = run.Intake(names);
    return report.Failed;
}

// Writes the decode table of code page 932 (Cp932Table.h) to /cp932.txt, for the comparison with
// the native route; returns 0 when written.
EMSCRIPTEN_KEEPALIVE int velmora_cp932_table() {
    std::ofstream out("/cp932.txt", std::ios::binary);
    out << velmora::Cp932DecodeTable(
        [](std::string_view bytes) { return velmora::Cp932ToUtf8(bytes); });
    return out.good() ? 0 : 1;
}
}
