#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "geometry/FigList.h"

namespace velmora {

// The primitives of one layer and colour key, as a range of TFigGroups::order.
struct TFigGroup {
    int lay;
    int col;
    size_t begin, end;
};

// How every writer groups the list: layers and keys in use as the list's counts give them,
// and the written primitives (segments, triangles, quadrilaterals) ordered by layer, then
// key, then list order. Entries whose layer or key lies out of range sit in the group of
// layer 0 or key 1, where the counts put them.
struct TFigGroups {
    std::vector<bool> layUsed;  // indexed by layer number
    std::vector<bool> keyUsed;  // indexed by key, 1 .. kFigColKeyMax
    std::vector<uint32_t> order;
    std::vector<TFigGroup> groups;  // ascending by layer, then key
};

// Refreshes the counts of fig (FigCountLay, FigCountCol(-1, 13)) and groups its entries in
// time that grows with the list, not with layers times keys. May throw std::bad_alloc.
TFigGroups BuildFigGroups(TFigList& fig);

// Layer and key an entry is counted under, and the kinds a writer's geometry takes (segments,
// triangles, quadrilaterals): the list's own counting rules.
inline int FigGroupLayer(int32_t lay) {
    return TFigList::FigCountedLayer(lay);
}
inline int FigGroupKey(int32_t col) {
    return TFigList::FigCountedKey(col);
}
inline bool IsWrittenKind(int32_t typ) {
    return TFigList::FigKindSelected(13, typ);
}

}  // namespace velmora
