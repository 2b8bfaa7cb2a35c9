// What the benchmarks share: pinning to one processor, the median of runs, and the attributes
// of generated entities.
#pragma once

#include <sched.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "jww/JwwTypes.h"

namespace velmora::bench {

// Keeps the calling process (and what it executes later) on the first processor it may use.
inline void StayOnOneProcessor() {
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) != 0) return;
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
        if (!CPU_ISSET(cpu, &set)) continue;
        CPU_ZERO(&set);
        CPU_SET(cpu, &set);
        sched_setaffinity(0, sizeof set, &set);
        return;
    }
}

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Entity i's pen and layer: eight colours over sixteen layers, solid lines.
inline TEntJwwAttr Attr(int i) {
    TEntJwwAttr a;
    a.nPenColor = static_cast<uint16_t>(1 + i % 8);
    a.nPenStyle = 1;
    a.nLayer = static_cast<uint16_t>(i % 16);
    return a;
}

}  // namespace velmora::bench
