#pragma once

#include <atomic>
#include <exception>

namespace velmora {

// A stop asked for from another thread while a file converts (the window's Escape). The long
// loops of the conversion and the writer poll it now and then and leave by throwing TStopped,
// so that abandoning a large drawing takes a moment, not the rest of its conversion.
using TStopFlag = std::atomic<bool>;

struct TStopped : std::exception {
    const char* what() const noexcept override { return "stopped"; }
};

inline void ThrowIfStopped(const TStopFlag* stop) {
    if (stop != nullptr && stop->load(std::memory_order_relaxed)) throw TStopped();
}

}  // namespace velmora
