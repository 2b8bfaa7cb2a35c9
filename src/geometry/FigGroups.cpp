#include "geometry/FigGroups.h"

#include "util/Prefault.h"
#include "util/Prefetch.h"

namespace velmora {

TFigGroups BuildFigGroups(TFigList& fig) {
    // FigCountLay and FigCountCol(-1, 13) (segments, triangles, quadrilaterals) in one walk.
    fig.FigLay.fill(0);
    fig.FigCol.fill(0);
    for (const TFigEntry& e : fig.Entries()) {
        ++fig.FigLay[e.lay];
        if (IsWrittenKind(e.typ)) ++fig.FigCol[e.col];
    }

    TFigGroups out;
    out.layUsed.assign(kFigLayerCount, false);
    out.keyUsed.assign(kFigColKeyMax + 1, false);
    for (int l = 0; l < kFigLayerCount; ++l)
        out.layUsed[static_cast<size_t>(l)] = fig.FigLay[static_cast<size_t>(l)] != 0;
    // Running starts of each key's and each layer's run for two stable counting sorts.
    std::vector<size_t> keyStart(kFigColKeyMax + 2, 0);
    for (int k = 1; k <= kFigColKeyMax; ++k) {
        const auto n = static_cast<size_t>(fig.FigCol[static_cast<size_t>(k)]);
        out.keyUsed[static_cast<size_t>(k)] = n > 0;
        keyStart[static_cast<size_t>(k) + 1] = keyStart[static_cast<size_t>(k)] + n;
    }

    // Entries keep their counted layer and key already.
    const std::vector<TFigEntry>& entries = fig.Entries();
    std::vector<size_t> layStart(kFigLayerCount + 1, 0);
    std::vector<uint32_t> byKey;
    ReserveHugePages(byKey, keyStart[kFigColKeyMax + 1]);
    byKey.resize(keyStart[kFigColKeyMax + 1]);
    for (size_t i = 0; i < entries.size(); ++i) {
        const TFigEntry& f = entries[i];
        if (!IsWrittenKind(f.typ)) continue;
        byKey[keyStart[f.col]++] = static_cast<uint32_t>(i);
        ++layStart[static_cast<size_t>(f.lay) + 1];
    }
    for (size_t l = 1; l < layStart.size(); ++l)
        layStart[l] += layStart[l - 1];
    // Both walks below visit the entries of one key or group after another, scattered over
    // the list: asking for them ahead keeps the walk from waiting on memory at every step.
    constexpr size_t kAhead = 16;
    const auto ahead = [&](const std::vector<uint32_t>& v, size_t k) {
        if (k + kAhead < v.size()) Prefetch(&entries[v[k + kAhead]]);
    };
    ReserveHugePages(out.order, byKey.size());
    out.order.resize(byKey.size());
    for (size_t k = 0; k < byKey.size(); ++k) {
        ahead(byKey, k);
        const uint32_t i = byKey[k];
        out.order[layStart[entries[i].lay]++] = i;
    }
    std::vector<uint32_t>().swap(byKey);

    for (size_t b = 0; b < out.order.size();) {
        const TFigEntry& f = entries[out.order[b]];
        const int L = f.lay, C = f.col;
        size_t e = b + 1;
        while (e < out.order.size()) {
            ahead(out.order, e);
            const TFigEntry& g = entries[out.order[e]];
            if (g.lay != L || g.col != C) break;
            ++e;
        }
        out.groups.push_back({L, C, b, e});
        b = e;
    }
    return out;
}

}  // namespace velmora
