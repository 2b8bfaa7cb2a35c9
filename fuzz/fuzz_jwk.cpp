// libFuzzer harness of the DOS symbol reader: any bytes must read without a crash, a hang or
// unbounded memory, and whatever was read must install its layers and convert.
#include <cstddef>
#include <cstdint>
#include <span>

#include "attr/GraAttribute.h"
#include "geometry/Converter.h"
#include "geometry/FigList.h"
#include "jwc/JwkData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto bytes = std::as_bytes(std::span(data, size));
    velmora::TJwkData jwk;
    (void)velmora::TJwkData::FileCheckBytes(bytes);
    (void)jwk.FileInBytes(bytes);
    velmora::TgraAttribute att;
    jwk.SetGAttLayer(att);
    velmora::TFigList fig;
    velmora::TConverter conv(fig, att);
    const uint8_t pick = size > 0 ? data[0] : 0;
    conv.Settings.CB2 = (pick & 2) != 0;
    conv.Settings.CB3 = (pick & 4) != 0;
    conv.Settings.CB4 = (pick & 8) != 0;
    conv.Settings.CB5 = (pick & 16) != 0;
    conv.DataTransJWK(jwk);
    jwk.DataFree();
    return 0;
}
