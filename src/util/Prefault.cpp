#include "util/Prefault.h"

#include <cstdint>
#include <system_error>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace velmora {

void AdviseHugePages(const void* data, size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr uintptr_t kHuge = uintptr_t{2} << 20;
    if (bytes < 2 * kHuge) return;
    const auto a = reinterpret_cast<uintptr_t>(data);
    const uintptr_t begin = (a + kHuge - 1) / kHuge * kHuge, end = (a + bytes) / kHuge * kHuge;
    // A refusal (no such support) costs nothing but the advice.
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}

TPrefault::TPrefault(std::initializer_list<TPrefaultRange> ranges) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    struct TPages {
        uintptr_t begin = 0, end = 0;
    };
    constexpr size_t kMaxRanges = 4;
    TPages pages[kMaxRanges];
    size_t n = 0;
    uintptr_t total = 0;
    const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    for (const TPrefaultRange& r : ranges) {
        if (n == kMaxRanges || page == 0) break;
        // Only whole pages inside the range: those at its ends may hold other data.
        const auto a = reinterpret_cast<uintptr_t>(r.data);
        TPages p{(a + page - 1) / page * page, (a + r.bytes) / page * page};
        if (p.end <= p.begin) continue;
        total += p.end - p.begin;
        pages[n++] = p;
    }
    constexpr uintptr_t kLeast = uintptr_t{8} << 20;
    if (total < kLeast) return;
    try {
        thread_ = std::thread([pages, n, page] {
            constexpr uintptr_t kSteps = 64;
            for (uintptr_t k = 0; k < kSteps; ++k) {
                for (size_t i = 0; i < n; ++i) {
                    const TPages& p = pages[i];
                    const uintptr_t count = (p.end - p.begin) / page;
                    const uintptr_t from = p.begin + count * k / kSteps * page;
                    const uintptr_t to = p.begin + count * (k + 1) / kSteps * page;
                    // A refusal (memory given back meanwhile, none left) leaves the work to the
                    // writes themselves.
                    if (to > from &&
                        madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE) != 0)
                        return;
                }
            }
        });
    } catch (const std::system_error&) {
    }
#else
    (void)ranges;
#endif
}

}  // namespace velmora
