#pragma once

#include <cstdint>

#include "geometry/ConvertSettings.h"

namespace velmora {

class TFigList;
class TgraAttribute;
class TJwwData;
class TJwsData;
class TJwcData;
class TJwkData;

// Turns the entities of a loaded drawing into flat primitives. It appends to a primitive list
// and reads an attribute table, both owned by the caller; it owns neither. One object serves
// every file of a run; Settings is what the run captured.
class TConverter {
public:
    TConverter(TFigList& fig, TgraAttribute& att) : fig_(fig), att_(att) {}

    TConvertSettings Settings;

    TFigList& Fig() { return fig_; }
    TgraAttribute& Att() { return att_; }

    // ---- Primitive builders ----

    // ---- Arc and circle tessellation ----

    // ---- Point markers ----

    // ---- Colour resolution ----

    // ---- Windows drawings and symbols ----

    // ---- DOS drawings and symbols ----

private:
    TFigList& fig_;
    TgraAttribute& att_;
};

}  // namespace velmora
