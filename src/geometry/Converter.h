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

    // Empties the colour table and refills keys 1..265 with the pen colours of the attribute
    // table in slot order (switching its print mode off first). Called first by every converter.
    void DataTransSubColor1();
    // Adds a solid's own colour (0x00BBGGRR) as the next key unless some key already holds it
    // or all 5266 keys are taken.
    void DataTransSubColor2(int32_t c);
    // ARGB of the attribute table to the table layout 0x00BBGGRR; alpha is dropped.
    static int32_t ArgbToColorRef(uint32_t argb);
    // Key of a Windows entity with pen colour p: SXF colours 101..356 become 10..265, every
    // other number is its own key.
    static int32_t ColorKeyOfPen(int32_t p);
    // Key of a Windows solid: for pen 10 the first key holding its own colour (7 when none
    // does, which happens only once the table is full), else ColorKeyOfPen(p).
    int32_t ColorKeyOfSolid(int32_t p, uint32_t color) const;
    // Key of a DOS entity: the colour byte itself.
    static int32_t ColorKeyOfDosColor(int32_t b) { return b; }

    // ---- Windows drawings and symbols ----

    // ---- DOS drawings and symbols ----

private:
    TFigList& fig_;
    TgraAttribute& att_;
};

}  // namespace velmora
