// libFuzzer harness of the DOS symbol reader: any bytes must read without a crash, a hang or
// unbounded memory, and the layer installation must accept whatever was read.
#include <cstddef>
#include <cstdint>
#include <span>

#include "attr/GraAttribute.h"
#include "jwc/JwkData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto bytes = std::as_bytes(std::span(data, size));
    velmora::TJwkData jwk;
    (void)velmora::TJwkData::FileCheckBytes(bytes);
    (void)jwk.FileInBytes(bytes);
    velmora::TgraAttribute att;
    jwk.SetGAttLayer(att);
    jwk.DataFree();
    return 0;
}
