#pragma once

#ifdef _WIN32

#include <windows.h>

#include <string>
#include <string_view>
#include <utility>

#include "util/CodePage.h"

namespace velmora {

// UTF-8 inside, UTF-16 at the edge: every text crosses into the system through these two.
inline std::wstring Wide(std::string_view text) {
    const std::u16string u = Utf8ToUtf16(text);
    return std::wstring(u.begin(), u.end());
}

inline std::string Narrow(std::wstring_view text) {
    return Utf16ToUtf8(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

// Owns one handle and frees it with Free; movable, not copyable.
template <typename H, auto Free>
class TOwned {
  public:
    TOwned() = default;
    explicit TOwned(H h) : h_(h) {}
    ~TOwned() { Reset(); }
    TOwned(TOwned&& other) noexcept : h_(std::exchange(other.h_, H{})) {}
    TOwned& operator=(TOwned&& other) noexcept {
        if (this != &other) {
            Reset();
            h_ = std::exchange(other.h_, H{});
        }
        return *this;
    }
    TOwned(const TOwned&) = delete;
    TOwned& operator=(const TOwned&) = delete;

    H Get() const { return h_; }
    explicit operator bool() const { return h_ != H{}; }
    void Reset(H h = H{}) {
        if (h_ != H{}) Free(h_);
        h_ = h;
    }

  private:
    H h_{};
};

inline void DeleteGdiObject(HGDIOBJ h) {
    DeleteObject(h);
}

using TFont = TOwned<HFONT, DeleteGdiObject>;

// A COM interface pointer that releases its reference.
template <typename T>
class TComPtr {
  public:
    TComPtr() = default;
    ~TComPtr() { Reset(); }
    TComPtr(const TComPtr&) = delete;
    TComPtr& operator=(const TComPtr&) = delete;

    T* operator->() const { return p_; }
    T* Get() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For the functions that hand out a new reference.
    T** Put() {
        Reset();
        return &p_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }
    void Reset() {
        if (p_ != nullptr) p_->Release();
        p_ = nullptr;
    }

  private:
    T* p_ = nullptr;
};

// COM for the current thread, for as long as the object lives.
class TComApartment {
  public:
    TComApartment() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~TComApartment() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    TComApartment(const TComApartment&) = delete;
    TComApartment& operator=(const TComApartment&) = delete;

  private:
    HRESULT hr_;
};

}  // namespace velmora

#endif
