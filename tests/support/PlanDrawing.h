#pragma once

#include <string>

namespace velmora::test {

// A plan-like drawing of the given number of entities, the same bytes on every run: per 100
// entities 62 lines, 14 arcs and circles, 8 solids, 8 texts, 4 points and 4 placements of one
// small block of four lines, scattered over a 100 m sheet. Large inputs for speed checks.
std::string PlanDrawingBytes(int entities);

}  // namespace velmora::test
