#pragma once

#include <string>

namespace velmora::test {

// The bundled sample drawing (samples/sample.jww): a small floor plan at 1:50 with lines,
// arcs, an ellipse, points, a dimension, solids, a nested block and several layers and
// colours. Built here so that the committed file stays reproducible from readable code.
std::string SampleDrawingBytes();

}  // namespace velmora::test
