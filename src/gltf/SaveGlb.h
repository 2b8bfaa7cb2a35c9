#pragma once

#include <array>
#include <string>

#include "collada/SaveDae.h"
#include "geometry/FigList.h"

namespace velmora {

// What the scene carries besides the primitives: the drawing's name for the root node and the
// drawing's own layer names (UTF-8, empty where it gives none), by layer number.
struct TGlbNames {
    std::string Drawing;
    std::array<std::string, kFigLayerCount> Layers;
};

// Writes the primitive list as one glTF 2.0 binary file to dst (UTF-8 path), replacing a file
// of that name: a root node named after the drawing, one child node per layer in use, one
// LINES and one TRIANGLES primitive per layer and colour key, one unlit material per key.
// Y up in metres (drawing x to x, y to -z), scaled by saveScale * 0.001; positions are float32
// relative to the drawing's centre, which the root's translation holds. Only the list's counts
// change. error gets a text for Failed and CannotCreate. Never throws.
TSaveResult SaveGlbFile(const std::string& dst, TFigList& fig, double saveScale,
                        const TGlbNames& names, std::string& error);

}  // namespace velmora
