#pragma once

#include <cstddef>
#include <initializer_list>
#include <thread>

namespace velmora {

// Asks the system to back the untouched block [data, data + bytes) with huge pages where it
// holds whole ones: a first touch then makes 2 MiB resident at once instead of 4 KiB, and walks
// over the block miss the address cache far less often. Blocks below a few megabytes, and
// systems without the request, are left as they are.
void AdviseHugePages(const void* data, size_t bytes);

// v.reserve(n), with the room beyond the elements it holds advised as above.
template <typename TVector>
void ReserveHugePages(TVector& v, size_t n) {
    v.reserve(n);
    AdviseHugePages(v.data() + v.size(), (v.capacity() - v.size()) * sizeof(*v.data()));
}

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
