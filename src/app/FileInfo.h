#pragma once

#include <string>

namespace velmora {

// One line of JSON that tells what a drawing holds, as read and before any block is expanded:
// {"file": ..., "kind": ..., "check": ..., "read": ..., "version": ..., "lines": ..., "arcs": ...,
// "points": ..., "texts": ..., "dimensions": ..., "solids": ..., "blocks": ..., "block_defs":
// ..., "images": ...}, plus "virtual_points" for DOS drawings. Nothing is converted or written
// (embedded pictures are not extracted). A file that fails its check is not read.
std::string FileInfoJson(const std::string& path);

// The text as a JSON string literal, quotes included.
std::string JsonQuote(const std::string& text);

}  // namespace velmora
