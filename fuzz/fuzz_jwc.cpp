// libFuzzer harness of the DOS drawing reader: any bytes must read without a crash, a hang or
// unbounded memory, and whatever was read must install its layers and convert.
#include <cstddef>
#include <cstdint>
#include <span>

#include "attr/GraAttribute.h"
#include "geometry/Converter.h"
#include "geometry/FigList.h"
#include "jwc/JwcData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto bytes = std::as_bytes(std::span(data, size));
    velmora::TJwcData jwc;
    (void)velmora::TJwcData::FileCheckBytes(bytes);
    (void)jwc.FileInBytes(bytes);
    velmora::TgraAttribute att;
    jwc.SetGAttLayer(att);
    velmora::TFigList fig;
    velmora::TConverter conv(fig, att);
    // The first byte picks the filters, so that both sides of every filter are reached.
    const uint8_t pick = size > 0 ? data[0] : 0;
    conv.Settings.CB1 = (pick & 1) != 0;
    conv.Settings.CB2 = (pick & 2) != 0;
    conv.Settings.CB3 = (pick & 4) != 0;
    conv.Settings.CB4 = (pick & 8) != 0;
    conv.Settings.CB5 = (pick & 16) != 0;
    conv.DataTransJWC(jwc);
    jwc.DataFree();
    return 0;
}
