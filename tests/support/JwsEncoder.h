#pragma once

#include <array>
#include <string>

#include "support/JwwEncoder.h"

namespace velmora::test {

// A Jw_cad Windows symbol (.jws): the symbol's own fixed header ("JwsData", the version at
// offset 200, base point, 16 group scales, kept values), then the writer's object stream.
// Only the writer's version, objects and definitions are used; a symbol has no tables.
struct TJwsHeaderValues {
    double BasePoint_x = 0, BasePoint_y = 0;
    std::array<double, 16> adScale = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
};

std::string JwsBytes(const TJwwWriter& objects, const TJwsHeaderValues& header = {});

}  // namespace velmora::test
