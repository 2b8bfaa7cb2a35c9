#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/FormState.h"

namespace velmora {

// What the command line asks for. Parsing only records; ApplyTo then sets the form state's
// texts and states the same way the window's controls would, so a run clamps them as usual.
struct TCliOptions {
    enum class TMode { Convert, Help, Version, Info };
    TMode Mode = TMode::Convert;

    std::optional<std::string> SettingsFile;  // --settings FILE instead of velmora.dat
    int OutputButton = 0;                     // 1..4 as RadioButtonFl1..4; 0: as the file says
    std::string OutputFolder;                 // for OutputButton 4
    std::optional<bool> CheckBox[6];          // CheckBox1..6
    std::optional<int> ComboBox1;
    std::optional<int> ComboBox2;
    std::optional<int> ComboBox3;  // output format
    std::optional<std::string> Edit2;
    int ArcButton = 0;  // 5, 6 or 7; 0: as the file says
    std::optional<std::string> ArcValue;
    std::optional<std::string> ArcMin;
    std::vector<std::string> Files;

    void ApplyTo(TFormState& state) const;
};

// Parses the arguments after the program name. On a usage error returns std::nullopt and sets
// error to a one-line description.
std::optional<TCliOptions> ParseCommandLine(const std::vector<std::string>& args,
                                            std::string& error);

// The text of --help.
std::string UsageText();

}  // namespace velmora
