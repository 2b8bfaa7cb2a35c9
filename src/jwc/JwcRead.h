#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "jwc/JwcTypes.h"
#include "util/ByteCursor.h"

namespace velmora {

// Reading routines shared by the DOS drawing and symbol readers. The two formats use the same
// entity records, header text encoding and text decoding; only the order of the sections,
// the coordinate factor and the text addressing differ.

inline constexpr size_t kJwcHeaderBlockSize = 200;
inline constexpr size_t kJwcLineSize = 22;
inline constexpr size_t kJwcArcSize = 32;
inline constexpr size_t kJwcMojiSize = 24;
inline constexpr size_t kJwcTenSize = 12;

inline constexpr std::string_view kJwcMagic = "jw_cad(c)data.......";
inline constexpr std::string_view kJwkMagic = "jw_cad(c)sym........";

// True when the first 20 bytes, taken up to their first NUL, equal magic.
bool HasJwcMagic(std::span<const std::byte> data, std::string_view magic);

// Splits a header block at commas into count parameters, each "0" until filled. Splitting
// stops at the first piece without a comma, after a comma with nothing behind it, or after
// count pieces.
std::vector<std::string> SplitPara(std::string_view text, int count);
// A parameter as a number; missing, empty or malformed gives 0, and a number ends at the
// first NUL (the block's unused tail is NUL-filled).
int32_t ParaInt(const std::vector<std::string>& para, size_t i);
float ParaReal(const std::vector<std::string>& para, size_t i);
// A real-mode address "SSSS:OOOO" as linear address segment * 16 + offset.
int32_t ParaAddress(const std::vector<std::string>& para, size_t i);

// Code page 932 bytes up to the first NUL as UTF-8.
std::string DecodeAnsi(std::string_view bytes);
// The same with every character below U+0020 removed.
std::string DecodeAnsiClean(std::string_view bytes);

// Reads up to n bytes into out, padded with NULs to n. A short read is accepted as the DOS
// program accepted it; only a read that gets no byte at all fails.
bool ReadSome(TByteCursor& c, size_t n, std::string& out);
// Header block 1: jwID, comment1, comment2.
bool ReadTitleBlock(TByteCursor& c, std::string& jwID, std::string& comment1,
                    std::string& comment2);

// Record readers; coordinates (and radii) are multiplied by unit. Each fails, consuming
// nothing, when fewer bytes than a whole record are left.
bool ReadLineRecord(TByteCursor& c, float unit, TEntJwcLine& e);
bool ReadArcRecord(TByteCursor& c, float unit, TEntJwcArc2& e);
bool ReadTenRecord(TByteCursor& c, float unit, TEntJwcTen& e);
// realMode: the address is an offset word and a segment word (.jwc), else a plain Integer.
bool ReadMojiRecord(TByteCursor& c, float unit, bool realMode, TEntJwcMoji2& e);

// Reads the records of a section while whole records remain: out holds every record read
// completely and never more than the bytes left can hold. False when the declared count is
// negative or more than the bytes left hold: the file was cut inside the section.
template <typename T, typename ReadOne>
bool ReadRecords(TByteCursor& c, int32_t count, size_t recordSize, std::vector<T>& out,
                 int32_t& readN, ReadOne readOne) {
    if (count < 0) return false;
    const size_t whole = std::min(static_cast<size_t>(count), c.Remaining() / recordSize);
    out.assign(whole, T{});
    for (T& e : out) {
        readOne(c, e);
        ++readN;
    }
    return whole == static_cast<size_t>(count);
}

// Longest text taken from a text block, in bytes. Many text records may point into one long
// unterminated stretch of the block; the DOS program's texts are far shorter.
inline constexpr size_t kJwcTextMax = 1024;

// The string starting at offset in a text block, up to the next NUL (at most kJwcTextMax
// bytes), decoded and cleaned; empty when offset lies outside the block.
std::string TextAt(std::string_view block, int64_t offset);

}  // namespace velmora
