#pragma once

#include <algorithm>
#include <string>
#include <vector>

namespace velmora {

// The values of the main window's controls that persist and that a run reads, by control
// name. The window copies its controls into it before a run and back afterwards; the command
// line fills it from the settings file and its options.
//
// The two radio groups keep at most one button checked: checking one unchecks the others;
// unchecking the checked one leaves none checked (possible after reading the settings file).
struct TFormState {
    int Fm1x = 50;
    int Fm1y = 50;
    int Fm1w = 480;
    int Fm1h = 480;

    std::string EditFl1;         // the specified output folder
    std::string Label1;          // folder of the last file chosen in the open dialog
    std::string LabelPreFolder;  // folder chosen last in ask-every-time mode
    int Fidx = 1;
    std::string gstyle = "Windows";

    bool CheckBox1 = true;     // hidden layers
    bool CheckBox2 = true;     // auxiliary colour / line type
    bool CheckBox3 = true;     // dimensions
    bool CheckBox4 = true;     // hatching
    bool CheckBox5 = true;     // points
    bool CheckBox6 = false;    // solids
    int ComboBox1 = 0;         // item index of the scale list; -1 or out of range: no selection
    int ComboBox2 = 0;         // item index of the point-marker list
    int ComboBox3 = 0;         // item index of the output-format list (TOutputFormat)
    std::string Edit2 = "1";   // point-marker size
    std::string Edit3 = "12";  // division count
    std::string Edit4 = "10";  // angle per segment, degrees
    std::string Edit5 = "4";   // least count, angle mode
    std::string Edit6 = "10";  // length per segment
    std::string Edit7 = "4";   // least count, length mode

    // Output folder: n = 1 desktop, 2 documents, 3 beside the source, 4 EditFl1, 5 ask.
    bool RadioButtonFl(int n) const { return flChecked_ == n; }
    void SetRadioButtonFl(int n, bool checked) { SetInGroup(flChecked_, n, 1, 5, checked); }
    // Arc division: n = 5 fixed count, 6 by angle, 7 by length.
    bool RadioButton(int n) const { return arcChecked_ == n; }
    void SetRadioButton(int n, bool checked) { SetInGroup(arcChecked_, n, 5, 7, checked); }
    // EditFl1 and its browse button are usable only while "指定フォルダ" is checked.
    bool FolderEditEnabled() const { return RadioButtonFl(4); }

    bool operator==(const TFormState&) const = default;

  private:
    static void SetInGroup(int& group, int n, int first, int last, bool checked) {
        if (n < first || n > last) return;
        if (checked) {
            group = n;
        } else if (group == n) {
            group = 0;
        }
    }

    int flChecked_ = 1;
    int arcChecked_ = 5;
};

// The name of the platform's own look, the default style.
inline constexpr const char* kDefaultStyle = "Windows";

// The style a start applies: gstyle when the platform offers a style of that name, otherwise
// the default look.
inline std::string StyleOrDefault(const std::vector<std::string>& available,
                                  const std::string& gstyle) {
    const bool offered = std::find(available.begin(), available.end(), gstyle) != available.end();
    return offered ? gstyle : std::string(kDefaultStyle);
}

}  // namespace velmora
