#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <type_traits>

namespace velmora {

// Bounds-checked little-endian reader over bytes loaded from a file. Every read reports
// whether enough bytes were left; a failed read consumes nothing and leaves the output alone,
// so the caller decides what a short read means for its format.
class TByteCursor {
  public:
    TByteCursor() = default;
    explicit TByteCursor(std::span<const std::byte> data) : data_(data) {}

    size_t Remaining() const { return data_.size() - pos_; }
    size_t Offset() const { return pos_; }
    size_t Size() const { return data_.size(); }
    bool AtEnd() const { return pos_ == data_.size(); }

    bool Skip(size_t n) {
        if (Remaining() < n) return false;
        pos_ += n;
        return true;
    }
    // Moves to an absolute offset; fails (and stays) when it lies beyond the end.
    bool Seek(size_t offset) {
        if (offset > data_.size()) return false;
        pos_ = offset;
        return true;
    }

    bool ReadU8(uint8_t& v) { return ReadLe(v); }
    bool ReadI8(int8_t& v) { return ReadLe(v); }
    bool ReadU16(uint16_t& v) { return ReadLe(v); }
    bool ReadI16(int16_t& v) { return ReadLe(v); }
    bool ReadU32(uint32_t& v) { return ReadLe(v); }
    bool ReadI32(int32_t& v) { return ReadLe(v); }
    bool ReadF32(float& v) {
        uint32_t bits;
        if (!ReadLe(bits)) return false;
        std::memcpy(&v, &bits, sizeof v);
        return true;
    }
    bool ReadF64(double& v) {
        uint64_t bits;
        if (!ReadLe(bits)) return false;
        std::memcpy(&v, &bits, sizeof v);
        return true;
    }
    // Copies n raw bytes into out (replacing its content).
    bool ReadBytes(size_t n, std::string& out) {
        if (Remaining() < n) return false;
        out.assign(reinterpret_cast<const char*>(data_.data() + pos_), n);
        pos_ += n;
        return true;
    }
    // A view of the next n bytes, consumed.
    bool ReadSpan(size_t n, std::span<const std::byte>& out) {
        if (Remaining() < n) return false;
        out = data_.subspan(pos_, n);
        pos_ += n;
        return true;
    }

  private:
    template <typename T>
    bool ReadLe(T& v) {
        if (Remaining() < sizeof(T)) return false;
        using U = std::make_unsigned_t<T>;
        U u = 0;
        for (size_t i = 0; i < sizeof(T); ++i) {
            u |= static_cast<U>(static_cast<U>(std::to_integer<uint8_t>(data_[pos_ + i]))
                                << (8 * i));
        }
        pos_ += sizeof(T);
        v = static_cast<T>(u);
        return true;
    }

    std::span<const std::byte> data_;
    size_t pos_ = 0;
};

// The bytes of a file loaded into a string, for a cursor.
inline std::span<const std::byte> AsBytes(const std::string& s) {
    return std::as_bytes(std::span<const char>(s.data(), s.size()));
}

}  // namespace velmora
