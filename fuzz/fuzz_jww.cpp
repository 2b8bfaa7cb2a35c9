// Drawing reader on arbitrary bytes: the check, then the full read with the image section
// parsed but nothing written to disk.
#include <cstddef>
#include <cstdint>
#include <span>

#include "jww/JwwData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const std::byte> bytes(reinterpret_cast<const std::byte*>(data), size);
    velmora::TJwwData jww;
    jww.BindImageExr = true;
    jww.FileCheckBytes(bytes);
    jww.FileInBytes(bytes);
    jww.DataFree();
    return 0;
}
