// libFuzzer harness of the DOS drawing reader: any bytes must read without a crash, a hang or
// unbounded memory, and the layer installation must accept whatever was read.
#include <cstddef>
#include <cstdint>
#include <span>

#include "attr/GraAttribute.h"
#include "jwc/JwcData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto bytes = std::as_bytes(std::span(data, size));
    velmora::TJwcData jwc;
    (void)velmora::TJwcData::FileCheckBytes(bytes);
    (void)jwc.FileInBytes(bytes);
    velmora::TgraAttribute att;
    jwc.SetGAttLayer(att);
    (void)jwc.GroupScale(0);
    jwc.DataFree();
    return 0;
}
