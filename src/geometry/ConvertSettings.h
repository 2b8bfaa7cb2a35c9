#pragma once

#include "util/Stop.h"

namespace velmora {

// The file a run writes: the COLLADA document, the same with one lines element per geometry,
// or binary glTF. The values are the item indices of the window's list.
enum class TOutputFormat { Dae = 0, DaeCompact = 1, Glb = 2 };

// The extension of the output name, with its ".".
inline const char* OutputExtension(TOutputFormat f) {
    return f == TOutputFormat::Glb ? ".glb" : ".dae";
}

// The conversion settings a batch run captures (and clamps) from the settings page before it
// converts its first file. Converters and the writer only read them.
struct TConvertSettings {
    bool CB1 = true;       // hidden layers
    bool CB2 = true;       // auxiliary colour / line type
    bool CB3 = true;       // dimensions
    bool CB4 = true;       // hatching
    bool CB5 = true;       // points
    bool CB6 = false;      // solids
    double SaveScale = 1;  // 1, 10, 100 or 1000
    int TenType = 0;       // point-marker shape, 0..7
    double TenSize = 1;    // point-marker size, drawing millimetres
    int ArcSepType = 0;    // 0 fixed count, 1 by angle, 2 by length
    int ArcSep = 12;
    int ArcSep1 = 4;
    int ArcSep2 = 4;
    double ArcSepAng = 10.0 * 3.14159265358979323846 / 180.0;  // radians
    double ArcSepLen = 10;
    TOutputFormat Format = TOutputFormat::Dae;
    // Raised when the run abandons the file being converted; nullptr when nothing can.
    const TStopFlag* Stop = nullptr;
};

}  // namespace velmora
