#include "jwc/JwcRead.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "util/CodePage.h"
#include "util/Func2.h"

namespace velmora {

namespace {

std::string_view UpToNul(std::string_view s) {
    const size_t nul = s.find('\0');
    return nul == std::string_view::npos ? s : s.substr(0, nul);
}

std::string_view ParaText(const std::vector<std::string>& para, size_t i) {
    if (i >= para.size()) return {};
    return UpToNul(para[i]);
}

int32_t HexField(std::string_view s, size_t pos, size_t len) {
    if (pos >= s.size()) return 0;
    std::string text = "$";
    text += s.substr(pos, len);
    return TextToInt(text);
}

// A Single product is exact rounding of the real product and overflows to infinity, where a
// narrowed Double product would leave the range of float undefined.
float Scaled(float v, float unit) {
    return v * unit;
}

float Fixed16(int32_t v) {
    return static_cast<float>(static_cast<double>(v) / 65536.0);
}

}  // namespace

bool HasJwcMagic(std::span<const std::byte> data, std::string_view magic) {
    TByteCursor c(data);
    std::string head;
    c.ReadBytes(std::min<size_t>(c.Remaining(), 20), head);
    return UpToNul(head) == magic;
}

std::vector<std::string> SplitPara(std::string_view text, int count) {
    std::vector<std::string> para(static_cast<size_t>(std::max(count, 0)), "0");
    // Splitting the raw bytes equals splitting the decoded text: a comma is never the trail
    // byte of a code page 932 pair.
    for (size_t i = 0; i < para.size(); ++i) {
        const size_t comma = text.find(',');
        if (comma == std::string_view::npos) {
            para[i] = text;
            break;
        }
        para[i] = text.substr(0, comma);
        text.remove_prefix(comma + 1);
        if (text.empty()) break;
    }
    return para;
}

int32_t ParaInt(const std::vector<std::string>& para, size_t i) {
    return TextToInt(ParaText(para, i));
}

float ParaReal(const std::vector<std::string>& para, size_t i) {
    const double v = TextToReal(ParaText(para, i));
    // A number beyond the range of Single is no value the field can hold.
    return std::isfinite(v) && std::fabs(v) <= std::numeric_limits<float>::max()
               ? static_cast<float>(v)
               : 0.0f;
}

int32_t ParaAddress(const std::vector<std::string>& para, size_t i) {
    const std::string_view s = ParaText(para, i);
    // Four hex digits of segment, a separator, four of offset; at most 0x10FFEF.
    const int32_t segment = HexField(s, 0, 4);
    const int32_t offset = HexField(s, 5, 4);
    return segment * 16 + offset;
}

std::string DecodeAnsi(std::string_view bytes) {
    return Cp932ToUtf8(UpToNul(bytes));
}

std::string DecodeAnsiClean(std::string_view bytes) {
    std::string s = DecodeAnsi(bytes);
    // Bytes below 0x20 never occur inside a multi-byte UTF-8 sequence.
    std::erase_if(s, [](char ch) { return static_cast<unsigned char>(ch) < 0x20; });
    return s;
}

bool ReadSome(TByteCursor& c, size_t n, std::string& out) {
    if (n == 0) {
        out.clear();
        return true;
    }
    if (c.AtEnd()) return false;
    if (!c.ReadBytes(std::min(n, c.Remaining()), out)) return false;
    out.resize(n, '\0');
    return true;
}

bool ReadTitleBlock(TByteCursor& c, std::string& jwID, std::string& comment1,
                    std::string& comment2) {
    std::string block;
    if (!ReadSome(c, kJwcHeaderBlockSize, block)) return false;
    const std::string_view b(block);
    jwID = DecodeAnsi(b.substr(0, 40));
    comment1 = DecodeAnsi(b.substr(40, 32));
    comment2 = DecodeAnsi(b.substr(72, 32));
    return true;
}

bool ReadLineRecord(TByteCursor& c, float unit, TEntJwcLine& e) {
    if (c.Remaining() < kJwcLineSize) return false;
    c.ReadF32(e.x1);
    c.ReadF32(e.y1);
    c.ReadF32(e.x2);
    c.ReadF32(e.y2);
    e.x1 = Scaled(e.x1, unit);
    e.y1 = Scaled(e.y1, unit);
    e.x2 = Scaled(e.x2, unit);
    e.y2 = Scaled(e.y2, unit);
    c.ReadU8(e.typ);
    c.ReadU8(e.col);
    c.ReadU8(e.lay);
    c.ReadU8(e.flg1);
    c.ReadU8(e.flg2);
    c.ReadU8(e.flg3);
    return true;
}

bool ReadArcRecord(TByteCursor& c, float unit, TEntJwcArc2& e) {
    if (c.Remaining() < kJwcArcSize) return false;
    uint16_t flattening = 0;
    int32_t st = 0, et = 0, tt = 0;
    c.ReadF32(e.x);
    c.ReadF32(e.y);
    c.ReadF32(e.r);
    c.ReadU16(flattening);
    c.ReadI32(st);
    c.ReadI32(et);
    c.ReadI32(tt);
    e.x = Scaled(e.x, unit);
    e.y = Scaled(e.y, unit);
    e.r = Scaled(e.r, unit);
    e.h = static_cast<float>(flattening / 10000.0);
    e.st = Fixed16(st);
    e.et = Fixed16(et);
    e.tt = Fixed16(tt);
    c.ReadU8(e.typ);
    c.ReadU8(e.col);
    c.ReadU8(e.lay);
    c.ReadU8(e.flg1);
    c.ReadU8(e.flg2);
    c.ReadU8(e.flg3);
    return true;
}

bool ReadTenRecord(TByteCursor& c, float unit, TEntJwcTen& e) {
    if (c.Remaining() < kJwcTenSize) return false;
    c.ReadF32(e.x);
    c.ReadF32(e.y);
    e.x = Scaled(e.x, unit);
    e.y = Scaled(e.y, unit);
    c.ReadU8(e.lay);
    c.ReadU8(e.col);
    c.ReadU8(e.flg1);
    c.ReadU8(e.flg2);
    return true;
}

bool ReadMojiRecord(TByteCursor& c, float unit, bool realMode, TEntJwcMoji2& e) {
    if (c.Remaining() < kJwcMojiSize) return false;
    c.ReadF32(e.x1);
    c.ReadF32(e.y1);
    c.ReadF32(e.x2);
    c.ReadF32(e.y2);
    e.x1 = Scaled(e.x1, unit);
    e.y1 = Scaled(e.y1, unit);
    e.x2 = Scaled(e.x2, unit);
    e.y2 = Scaled(e.y2, unit);
    if (realMode) {
        uint16_t offset = 0, segment = 0;
        c.ReadU16(offset);
        c.ReadU16(segment);
        e.p = static_cast<int32_t>(segment) * 16 + offset;
    } else {
        c.ReadI32(e.p);
    }
    c.ReadU8(e.no);
    c.ReadU8(e.lay);
    c.ReadU8(e.flg1);
    c.ReadU8(e.flg2);
    return true;
}

std::string TextAt(std::string_view block, int64_t offset) {
    if (offset < 0 || static_cast<uint64_t>(offset) >= block.size()) return {};
    const std::string_view text = UpToNul(block.substr(static_cast<size_t>(offset)));
    return DecodeAnsiClean(text.substr(0, kJwcTextMax));
}

}  // namespace velmora
