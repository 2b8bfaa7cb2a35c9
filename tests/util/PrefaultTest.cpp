#include "util/Prefault.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace velmora {
namespace {

#if defined(__linux__) && !defined(__SANITIZE_ADDRESS__)
// Kilobytes of huge pages backing the mapping that holds p, as the system reports them.
long HugeKiBAt(const void* p) {
    std::ifstream smaps("/proc/self/smaps");
    const auto a = reinterpret_cast<uintptr_t>(p);
    std::string line;
    bool inside = false;
    while (std::getline(smaps, line)) {
        uintptr_t from = 0, to = 0;
        char dash = 0;
        std::istringstream head(line);
        if (head >> std::hex >> from >> dash >> to && dash == '-') {
            inside = from <= a && a < to;
        } else if (inside && line.rfind("AnonHugePages:", 0) == 0) {
            return std::stol(line.substr(14));
        }
    }
    return -1;
}

TEST(HugePages, ReservedRoomIsBackedByHugePagesOnceTouched) {
    std::ifstream mode("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string modes;
    std::getline(mode, modes);
    if (modes.find("[madvise]") == std::string::npos)
        GTEST_SKIP() << "huge pages are not given on request here: " << modes;
    std::vector<uint64_t> v;
    ReserveHugePages(v, size_t{32} << 17);  // 32 MiB
    v.resize(v.capacity(), 1);
    EXPECT_GT(HugeKiBAt(v.data() + v.size() / 2), 0);
}
#endif

TEST(HugePages, SmallOrEmptyRoomIsReservedAsAsked) {
    std::vector<int> v{1, 2, 3};
    ReserveHugePages(v, 10);
    EXPECT_GE(v.capacity(), 10u);
    EXPECT_EQ(v, (std::vector<int>{1, 2, 3}));
    AdviseHugePages(nullptr, 0);
}

}  // namespace
}  // namespace velmora
