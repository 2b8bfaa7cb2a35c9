#pragma once

#include <string>
#include <string_view>

namespace velmora {

// Every one- and two-byte sequence with what `decode` makes of it, one line each: the bytes and
// the UTF-8 in hex ("82a0 e38182"). The page's decoder and the native one both write this table,
// so the two routes can be compared in full.
template <class TDecode>
std::string Cp932DecodeTable(TDecode decode) {
    constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(1 << 20);
    const auto hex = [&](std::string_view bytes) {
        for (const char c : bytes) {
            out += kHex[static_cast<unsigned char>(c) >> 4];
            out += kHex[static_cast<unsigned char>(c) & 15];
        }
    };
    const auto line = [&](std::string_view bytes) {
        hex(bytes);
        out += ' ';
        hex(decode(bytes));
        out += '\n';
    };
    for (int b = 0; b < 256; ++b)
        line(std::string(1, static_cast<char>(b)));
    for (int b = 0; b < 65536; ++b) {
        const char pair[2] = {static_cast<char>(b >> 8), static_cast<char>(b & 255)};
        line(std::string_view(pair, 2));
    }
    return out;
}

}  // namespace velmora
