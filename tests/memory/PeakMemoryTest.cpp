#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "jwc/JwcData.h"
#include "jwc/JwkData.h"
#include "support/JwcEncoder.h"

// This binary replaces the global allocator with one that counts the bytes in use and their
// peak, so a test can hold a reader to its memory budget on a hostile file.
namespace {

std::atomic<size_t> gInUse{0};
std::atomic<size_t> gPeak{0};
constexpr size_t kHead = alignof(std::max_align_t);

void* Counted(size_t n) {
    void* p = std::malloc(n + kHead);
    if (p == nullptr) throw std::bad_alloc();
    *static_cast<size_t*>(p) = n;
    const size_t now = gInUse.fetch_add(n) + n;
    size_t peak = gPeak.load();
    while (now > peak && !gPeak.compare_exchange_weak(peak, now)) {
    }
    return static_cast<char*>(p) + kHead;
}

void Uncounted(void* q) {
    if (q == nullptr) return;
    void* p = static_cast<char*>(q) - kHead;
    gInUse.fetch_sub(*static_cast<size_t*>(p));
    std::free(p);
}

}  // namespace

void* operator new(size_t n) {
    return Counted(n);
}
void* operator new[](size_t n) {
    return Counted(n);
}
void operator delete(void* p) noexcept {
    Uncounted(p);
}
void operator delete[](void* p) noexcept {
    Uncounted(p);
}
void operator delete(void* p, size_t) noexcept {
    Uncounted(p);
}
void operator delete[](void* p, size_t) noexcept {
    Uncounted(p);
}

namespace velmora {
namespace {

std::span<const std::byte> Span(const std::vector<std::byte>& v) {
    return {v.data(), v.size()};
}

// Peak bytes in use while read runs, above what was in use before.
template <typename F>
size_t PeakDuring(F read) {
    const size_t base = gInUse.load();
    gPeak.store(base);
    read();
    return gPeak.load() - base;
}

// Every text record addresses one long unterminated stretch of the text block: a copy of the
// string per record would take a thousand times the file's size.
TEST(PeakMemory, DosTextsPointingAtOneLongStringStayWithinTheBudget) {
    constexpr size_t kTexts = 40000;
    const std::string longText(4000, 'x');
    std::vector<std::byte> jwc, jwk;
    {
        test::TJwcFile f;
        f.texts.assign(kTexts, test::TJwcTextRec{});
        f.texts[0].text = longText;
        for (size_t i = 1; i < kTexts; ++i)
            f.texts[i].address = 0x60010 + static_cast<int64_t>(i % 2000);
        jwc = test::EncodeJwc(f);
        test::TJwkFile k;
        k.texts.assign(kTexts, test::TJwcTextRec{});
        k.texts[0].text = longText;
        for (size_t i = 1; i < kTexts; ++i)
            k.texts[i].address = static_cast<int64_t>(i % 2000);
        jwk = test::EncodeJwk(k);
    }
    {
        TJwcData d;
        const size_t peak = PeakDuring([&] { EXPECT_TRUE(d.FileInBytes(Span(jwc))); });
        EXPECT_EQ(d.EntMoji.size(), kTexts);
        EXPECT_EQ(d.MojiText(1).size(), 1024u);  // the longest text taken
        EXPECT_LE(peak, 3 * jwc.size() + (1u << 20)) << jwc.size();
    }
    {
        TJwkData k;
        const size_t peak = PeakDuring([&] { EXPECT_TRUE(k.FileInBytes(Span(jwk))); });
        EXPECT_EQ(k.EntMoji.size(), kTexts);
        EXPECT_LE(peak, 3 * jwk.size() + (1u << 20)) << jwk.size();
    }
}

}  // namespace
}  // namespace velmora
