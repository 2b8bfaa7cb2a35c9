#pragma once

#include <cstddef>
#include <initializer_list>
#include <thread>

namespace velmora {

// One stretch of memory that has been reserved and will be written soon.
struct TPrefaultRange {
    const void* data = nullptr;
    size_t bytes = 0;
};

// While it lives, a second thread makes reserved memory resident ahead of the writes that fill
// it: on the first touch of every fresh page the writing thread would otherwise wait for the
// system. Making a page resident leaves its bytes alone, so the owner may write meanwhile; its
// end waits for that thread. Nothing happens where the system offers no such request, or for
// less than a few megabytes.
class TPrefault {
  public:
    TPrefault() = default;
    // The ranges are made resident side by side, from their fronts, as they fill at a like
    // pace.
    explicit TPrefault(std::initializer_list<TPrefaultRange> ranges);
    TPrefault(TPrefault&&) = default;
    TPrefault& operator=(TPrefault&&) = delete;
    TPrefault(const TPrefault&) = delete;
    TPrefault& operator=(const TPrefault&) = delete;
    ~TPrefault() {
        if (thread_.joinable()) thread_.join();
    }

  private:
    std::thread thread_;
};

}  // namespace velmora
