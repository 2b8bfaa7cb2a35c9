#include "support/JwsEncoder.h"

namespace velmora::test {

std::string JwsBytes(const TJwwWriter& objects, const TJwsHeaderValues& header) {
    TJwwBytes b;
    b.Raw("JwsData");
    b.Raw(std::string(193, '\0'));
    b.I32(objects.Version());
    b.F64(header.BasePoint_x);
    b.F64(header.BasePoint_y);
    for (double scale : header.adScale)
        b.F64(scale);
    for (int i = 0; i < 6; ++i)
        b.I32(0);
    for (int i = 0; i < 6 + 4; ++i)
        b.F64(0);
    return b.Data() + objects.ObjectStreamBytes();
}

}  // namespace velmora::test
