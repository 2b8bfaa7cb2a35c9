#include "cli/CliOptions.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <string_view>

#include "util/Func2.h"

namespace velmora {

namespace {

using THandler = std::function<bool(TCliOptions&, const std::string& value, std::string& error)>;

struct TOption {
    std::string_view Name;
    bool TakesValue;
    THandler Handle;
};

bool OnOff(const std::string& value, std::optional<bool>& target, std::string& error) {
    if (value == "on") {
        target = true;
    } else if (value == "off") {
        target = false;
    } else {
        error = "expected on or off, got '" + value + "'";
        return false;
    }
    return true;
}

bool SetOutput(TCliOptions& o, int button, const std::string& folder, std::string& error) {
    if (button == 4 && folder.empty()) {
        error = "the output folder must not be empty";
        return false;
    }
    if (o.OutputButton != 0 && (o.OutputButton != button || o.OutputFolder != folder)) {
        error = "give only one of -o/--output, --beside, --desktop, --documents";
        return false;
    }
    o.OutputButton = button;
    o.OutputFolder = folder;
    return true;
}

bool SetArc(TCliOptions& o, int button, const std::string& value, std::string& error) {
    if (o.ArcButton != 0 && o.ArcButton != button) {
        error = "give only one of --arc-count, --arc-angle, --arc-length";
        return false;
    }
    o.ArcButton = button;
    o.ArcValue = value;
    return true;
}

// A number, all of the text, within lo .. hi. The window clamps what it is given; an option
// out of range is a mistake worth telling.
bool InRange(const std::string& v, const char* loText, const char* hiText, bool integer,
             std::string& error) {
    const double lo = std::strtod(loText, nullptr);
    const double hi = std::strtod(hiText, nullptr);
    char* end = nullptr;
    const double x = v.empty() ? 0 : std::strtod(v.c_str(), &end);
    const bool number = !v.empty() && end != nullptr && *end == '\0' && std::isfinite(x) &&
                        (!integer || x == std::floor(x));
    if (number && x >= lo && x <= hi) return true;
    error = "'" + v + "' is not " + (integer ? "a whole number" : "a number") + " from " + loText +
            " to " + hiText;
    return false;
}

THandler Flag(int index) {
    return [index](TCliOptions& o, const std::string& v, std::string& e) {
        return OnOff(v, o.CheckBox[index], e);
    };
}

THandler Choice(std::optional<int> TCliOptions::*target, std::vector<std::string> names) {
    return [target, names](TCliOptions& o, const std::string& v, std::string& e) {
        for (size_t i = 0; i < names.size(); ++i) {
            if (names[i] == v) {
                o.*target = static_cast<int>(i);
                return true;
            }
        }
        e = "'" + v + "' is not one of";
        for (const std::string& n : names)
            e += " " + n;
        return false;
    };
}

// Adding an option is one entry here (and a line in UsageText).
std::vector<TOption> Options() {
    return {
        {"--help", false,
         [](TCliOptions& o, const std::string&, std::string&) {
             o.Mode = TCliOptions::TMode::Help;
             return true;
         }},
        {"--version", false,
         [](TCliOptions& o, const std::string&, std::string&) {
             o.Mode = TCliOptions::TMode::Version;
             return true;
         }},
        {"--info", false,
         [](TCliOptions& o, const std::string&, std::string&) {
             o.Mode = TCliOptions::TMode::Info;
             return true;
         }},
        {"--settings", true,
         [](TCliOptions& o, const std::string& v, std::string&) {
             o.SettingsFile = v;
             return true;
         }},
        {"-o", true,
         [](TCliOptions& o, const std::string& v, std::string& e) {
             return SetOutput(o, 4, v, e);
         }},
        {"--output", true,
         [](TCliOptions& o, const std::string& v, std::string& e) {
             return SetOutput(o, 4, v, e);
         }},
        {"--desktop", false,
         [](TCliOptions& o, const std::string&, std::string& e) { return SetOutput(o, 1, "", e); }},
        {"--documents", false,
         [](TCliOptions& o, const std::string&, std::string& e) { return SetOutput(o, 2, "", e); }},
        {"--beside", false,
         [](TCliOptions& o, const std::string&, std::string& e) { return SetOutput(o, 3, "", e); }},
        {"--hidden-layers", true, Flag(0)},
        {"--aux", true, Flag(1)},
        {"--dimensions", true, Flag(2)},
        {"--hatching", true, Flag(3)},
        {"--points", true, Flag(4)},
        {"--solids", true, Flag(5)},
        {"--scale", true, Choice(&TCliOptions::ComboBox1, {"1", "10", "100", "1000"})},
        {"--marker", true,
         Choice(&TCliOptions::ComboBox2, {"plus", "cross", "square", "diamond", "circle",
                                          "filled-square", "filled-diamond", "disc"})},
        {"--format", true, Choice(&TCliOptions::ComboBox3, {"dae", "dae-compact", "glb"})},
        {"--marker-size", true,
         [](TCliOptions& o, const std::string& v, std::string& e) {
             o.Edit2 = v;
             return InRange(v, "0.00001", "10000", false, e);
         }},
        {"--arc-count", true,
         [](TCliOptions& o, const std::string& v, std::string& e) {
             return InRange(v, "3", "3600", true, e) && SetArc(o, 5, v, e);
         }},
        {"--arc-angle", true,
         [](TCliOptions& o, const std::string& v, std::string& e) {
             return InRange(v, "0.1", "90", false, e) && SetArc(o, 6, v, e);
         }},
        {"--arc-length", true,
         [](TCliOptions& o, const std::string& v, std::string& e) {
             return InRange(v, "0.001", "1000", false, e) && SetArc(o, 7, v, e);
         }},
        {"--arc-min", true,
         [](TCliOptions& o, const std::string& v, std::string& e) {
             o.ArcMin = v;
             return InRange(v, "3", "3600", true, e);
         }},
    };
}

}  // namespace

void TCliOptions::ApplyTo(TFormState& state) const {
    if (OutputButton != 0) state.SetRadioButtonFl(OutputButton, true);
    if (OutputButton == 4) state.EditFl1 = AddPathDelimiter(OutputFolder);
    bool* boxes[6] = {&state.CheckBox1, &state.CheckBox2, &state.CheckBox3,
                      &state.CheckBox4, &state.CheckBox5, &state.CheckBox6};
    for (int i = 0; i < 6; ++i) {
        if (CheckBox[i]) *boxes[i] = *CheckBox[i];
    }
    if (ComboBox1) state.ComboBox1 = *ComboBox1;
    if (ComboBox2) state.ComboBox2 = *ComboBox2;
    if (ComboBox3) state.ComboBox3 = *ComboBox3;
    if (Edit2) state.Edit2 = *Edit2;
    if (ArcButton != 0) state.SetRadioButton(ArcButton, true);
    if (ArcButton == 5 && ArcValue) state.Edit3 = *ArcValue;
    if (ArcButton == 6) {
        if (ArcValue) state.Edit4 = *ArcValue;
        if (ArcMin) state.Edit5 = *ArcMin;
    }
    if (ArcButton == 7) {
        if (ArcValue) state.Edit6 = *ArcValue;
        if (ArcMin) state.Edit7 = *ArcMin;
    }
}

std::optional<TCliOptions> ParseCommandLine(const std::vector<std::string>& args,
                                            std::string& error) {
    const std::vector<TOption> options = Options();
    TCliOptions result;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            result.Files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const size_t eq = arg.find('=');
        const std::string name = arg.substr(0, eq);
        const TOption* option = nullptr;
        for (const TOption& o : options) {
            if (o.Name == name) option = &o;
        }
        if (option == nullptr) {
            error = "unknown option '" + name + "'";
            return std::nullopt;
        }
        std::string value;
        if (option->TakesValue) {
            if (eq != std::string::npos) {
                value = arg.substr(eq + 1);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                error = "option '" + name + "' needs a value";
                return std::nullopt;
            }
        } else if (eq != std::string::npos) {
            error = "option '" + name + "' takes no value";
            return std::nullopt;
        }
        if (!option->Handle(result, value, error)) {
            error = name + ": " + error;
            return std::nullopt;
        }
    }
    if (result.ArcMin && result.ArcButton != 6 && result.ArcButton != 7) {
        error = "--arc-min goes with --arc-angle or --arc-length";
        return std::nullopt;
    }
    return result;
}

std::string UsageText() {
    return "Usage: velmora-cli [OPTIONS] FILE...\n"
           "Converts Jw_cad drawings and symbols (.jww .jws .jwc .jwk) to COLLADA (.dae) or\n"
           "binary glTF (.glb).\n"
           "Settings come from velmora.dat beside the program (never written by this program);\n"
           "the options below override them for this run.\n"
           "\n"
           "Output folder:\n"
           "  -o, --output DIR          write into DIR (it must exist)\n"
           "      --beside              write beside each source file\n"
           "      --desktop             write to the desktop folder\n"
           "      --documents           write to the documents folder\n"
           "  (none of these: the choice of the settings file; without one, the desktop)\n"
           "\n"
           "Objects taken over (on|off):\n"
           "      --hidden-layers=on|off  --aux=on|off  --dimensions=on|off\n"
           "      --hatching=on|off       --points=on|off  --solids=on|off\n"
           "\n"
           "Output:\n"
           "      --format dae|dae-compact|glb\n"
           "                                COLLADA (default), COLLADA with one lines element\n"
           "                                per geometry, or glTF 2.0 binary\n"
           "\n"
           "Geometry:\n"
           "      --scale 1|10|100|1000     coordinate factor\n"
           "      --marker SHAPE            plus, cross, square, diamond, circle,\n"
           "                                filled-square, filled-diamond, disc\n"
           "      --marker-size MM          point-marker size (drawing mm)\n"
           "      --arc-count N             divide circles into N segments\n"
           "      --arc-angle DEG           about DEG degrees per segment\n"
           "      --arc-length MM           about MM drawing mm per segment\n"
           "      --arc-min N               least segment count (with --arc-angle/--arc-length)\n"
           "\n"
           "Other:\n"
           "      --settings FILE           read settings from FILE instead of velmora.dat\n"
           "      --info FILE...            print one JSON line per file with what it holds\n"
           "                                (nothing is converted)\n"
           "      --help, --version\n"
           "\n"
           "Ctrl-C stops before the next file, a second Ctrl-C at once. Exit status: 0 all "
           "converted, 1 a file failed,\n"
           "2 usage error or run ended before converting, 3 a file converted only in part\n"
           "(damaged, or too many figures; 1 wins over 3), 130 interrupted.\n";
}

}  // namespace velmora
