#pragma once

namespace velmora {

// Asks for the cache line at p ahead of its use: walks over entries scattered across the
// primitive list would otherwise wait for memory at every step. A hint only; p may be any
// address of the caller's storage.
inline void Prefetch(const void* p) {
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(p);
#else
    (void)p;
#endif
}

}  // namespace velmora
