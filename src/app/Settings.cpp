#include "app/Settings.h"

#include <array>
#include <filesystem>
#include <fstream>

#include "util/Func2.h"

namespace velmora {

namespace {

constexpr int kLineCount = 31;
// Lines after the first 31; a file without them gives their defaults.
constexpr int kExtraLineCount = 1;

std::filesystem::path ToPath(const std::string& utf8) {
    return std::filesystem::path(
        std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::string RealTextNormalised(const std::string& s) {
    return RealToText(TextToReal(s));
}

std::string IntTextNormalised(const std::string& s) {
    return IntToText(TextToInt(s));
}

// Applies line `index` (1-based) to the state.
void ApplyLine(int index, const std::string& line, TFormState& st) {
    switch (index) {
        case 1:
            st.Fm1x = TextToInt(line);
            break;
        case 2:
            st.Fm1y = TextToInt(line);
            break;
        case 3:
            st.Fm1w = TextToInt(line);
            break;
        case 4:
            st.Fm1h = TextToInt(line);
            break;
        case 5:
        case 6:
        case 7:
        case 8:
        case 9:
            st.SetRadioButtonFl(index - 4, TextToBool(line));
            break;
        case 10:
            st.EditFl1 = HexUtf8ToText(line);
            break;
        case 11:
            st.Label1 = HexUtf8ToText(line);
            break;
        case 12:
            st.LabelPreFolder = HexUtf8ToText(line);
            break;
        case 13:
            st.Fidx = TextToInt(line);
            break;
        case 14:
            st.gstyle = line;
            break;
        case 15:
            st.CheckBox1 = TextToBool(line);
            break;
        case 16:
            st.CheckBox2 = TextToBool(line);
            break;
        case 17:
            st.CheckBox3 = TextToBool(line);
            break;
        case 18:
            st.CheckBox4 = TextToBool(line);
            break;
        case 19:
            st.CheckBox5 = TextToBool(line);
            break;
        case 20:
            st.CheckBox6 = TextToBool(line);
            break;
        case 21:
            st.ComboBox1 = TextToInt(line);
            break;
        case 22:
            st.ComboBox2 = TextToInt(line);
            break;
        case 23:
            st.Edit2 = RealTextNormalised(line);
            break;
        case 24:
        case 25:
        case 26:
            st.SetRadioButton(index - 19, TextToBool(line));
            break;
        case 27:
            st.Edit3 = IntTextNormalised(line);
            break;
        case 28:
            st.Edit4 = RealTextNormalised(line);
            break;
        case 29:
            st.Edit5 = IntTextNormalised(line);
            break;
        case 30:
            st.Edit6 = RealTextNormalised(line);
            break;
        case 31:
            st.Edit7 = IntTextNormalised(line);
            break;
        case 32:
            if (!line.empty()) st.ComboBox3 = TextToInt(line);
            break;
        default:
            break;
    }
}

std::array<std::string, kLineCount + kExtraLineCount> Lines(const TFormState& st) {
    return {
        IntToText(st.Fm1x),
        IntToText(st.Fm1y),
        IntToText(st.Fm1w),
        IntToText(st.Fm1h),
        BoolToText(st.RadioButtonFl(1)),
        BoolToText(st.RadioButtonFl(2)),
        BoolToText(st.RadioButtonFl(3)),
        BoolToText(st.RadioButtonFl(4)),
        BoolToText(st.RadioButtonFl(5)),
        TextToHexUtf8(st.EditFl1),
        TextToHexUtf8(st.Label1),
        TextToHexUtf8(st.LabelPreFolder),
        IntToText(st.Fidx),
        st.gstyle,
        BoolToText(st.CheckBox1),
        BoolToText(st.CheckBox2),
        BoolToText(st.CheckBox3),
        BoolToText(st.CheckBox4),
        BoolToText(st.CheckBox5),
        BoolToText(st.CheckBox6),
        IntToText(st.ComboBox1),
        IntToText(st.ComboBox2),
        st.Edit2,
        BoolToText(st.RadioButton(5)),
        BoolToText(st.RadioButton(6)),
        BoolToText(st.RadioButton(7)),
        st.Edit3,
        st.Edit4,
        st.Edit5,
        st.Edit6,
        st.Edit7,
        IntToText(st.ComboBox3),
    };
}

// A text line may not break the fixed line structure: line breaks inside it are dropped.
std::string OneLine(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        if (c != '\r' && c != '\n') out += c;
    }
    return out;
}

}  // namespace

bool OpenDatFile(const std::string& fn, const std::string& ExeFolder, TFormState& state) {
    state = TFormState{};
    state.LabelPreFolder = ExeFolder;
    if (!FileThere(fn)) return true;
    try {
        std::ifstream in(ToPath(fn), std::ios::binary);
        if (!in) return false;
        bool ok = true;
        for (int index = 1; index <= kLineCount + kExtraLineCount; ++index) {
            std::string line;
            if (ok && !std::getline(in, line)) {
                ok = in.eof();
                line.clear();
            }
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!ok) return false;
            ApplyLine(index, line, state);
        }
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool SaveDatFile(const std::string& fn, const TFormState& state) {
    if (fn.empty()) return false;
    std::string text;
    for (const std::string& line : Lines(state)) {
        text += OneLine(line);
        text += "\r\n";
    }
    bool ok = false;
    {
        std::ofstream out(ToPath(fn), std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.close();
        ok = !out.fail();
    }
    if (!ok) EraseFile(fn);
    return ok;
}

}  // namespace velmora
