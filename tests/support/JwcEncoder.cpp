#include "support/JwcEncoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "util/Func2.h"

namespace velmora::test {

namespace {

class TWriter {
  public:
    void U8(uint8_t v) { out_.push_back(static_cast<std::byte>(v)); }
    void U16(uint16_t v) {
        U8(static_cast<uint8_t>(v));
        U8(static_cast<uint8_t>(v >> 8));
    }
    void U32(uint32_t v) {
        U16(static_cast<uint16_t>(v));
        U16(static_cast<uint16_t>(v >> 16));
    }
    void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
    void F32(float v) {
        uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        U32(bits);
    }
    // Exactly n bytes: s cut or padded with NULs.
    void Fixed(const std::string& s, size_t n) {
        for (size_t i = 0; i < n; ++i)
            U8(i < s.size() ? static_cast<uint8_t>(s[i]) : 0);
    }
    size_t Size() const { return out_.size(); }
    std::vector<std::byte> Take() { return std::move(out_); }

  private:
    std::vector<std::byte> out_;
};

std::string Hex4(uint16_t v) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string s(4, '0');
    for (int i = 3; i >= 0; --i, v >>= 4)
        s[static_cast<size_t>(i)] = digits[v & 0xF];
    return s;
}

// A header block: parameters joined by commas, NUL-padded to 200 bytes.
void Block(TWriter& w, const std::string& text) {
    if (text.size() > 200) throw std::length_error("header block longer than 200 bytes");
    w.Fixed(text, 200);
}

std::string Join(const std::vector<std::string>& parts) {
    std::string s;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) s += ',';
        s += parts[i];
    }
    return s;
}

void WriteLine(TWriter& w, const TJwcLineRec& e) {
    w.F32(e.x1);
    w.F32(e.y1);
    w.F32(e.x2);
    w.F32(e.y2);
    for (uint8_t b : {e.typ, e.col, e.lay, e.flg1, e.flg2, e.flg3})
        w.U8(b);
}

void WriteArc(TWriter& w, const TJwcArcRec& e) {
    w.F32(e.x);
    w.F32(e.y);
    w.F32(e.r);
    w.U16(e.flattening);
    w.I32(e.st);
    w.I32(e.et);
    w.I32(e.tt);
    for (uint8_t b : {e.typ, e.col, e.lay, e.flg1, e.flg2, e.flg3})
        w.U8(b);
}

void WriteTen(TWriter& w, const TJwcTenRec& e) {
    w.F32(e.x);
    w.F32(e.y);
    for (uint8_t b : {e.lay, e.col, e.flg1, e.flg2})
        w.U8(b);
}

// The text block (NUL-terminated strings) and each text's offset in it.
std::string TextBlock(const std::vector<TJwcTextRec>& texts, std::vector<int64_t>& offsets) {
    std::string block;
    for (const TJwcTextRec& t : texts) {
        offsets.push_back(static_cast<int64_t>(block.size()));
        block += t.text;
        block += '\0';
    }
    return block;
}

}  // namespace

int32_t FixedDeg(double degrees) {
    return static_cast<int32_t>(std::lround(degrees * 65536.0));
}

std::string RealModeAddress(uint16_t segment, uint16_t offset) {
    return Hex4(segment) + ":" + Hex4(offset);
}

TJwcFile::TJwcFile() {
    groupScale.fill(1.0f);
    groupSrch.fill(1);
    groupDisp.fill(1);
    laySrch.fill(1);
    layDisp.fill(1);
}

std::vector<std::byte> EncodeJwc(const TJwcFile& f, TJwcLayout* layout) {
    TJwcLayout l;
    TWriter w;
    std::vector<int64_t> offsets;
    const std::string block = TextBlock(f.texts, offsets);
    const int64_t start = int64_t{f.textSegment} * 16 + f.textOffset;
    const int64_t end = f.textEnd.value_or(start + static_cast<int64_t>(block.size()));
    const auto segOff = [](int64_t linear) {
        const int64_t seg = std::clamp<int64_t>(linear >> 4, 0, 0xFFFF);
        const int64_t off = std::clamp<int64_t>(linear - seg * 16, 0, 0xFFFF);
        return std::pair{static_cast<uint16_t>(seg), static_cast<uint16_t>(off)};
    };

    w.Fixed(f.jwID, 40);
    w.Fixed(f.comment1, 32);
    w.Fixed(f.comment2, 32);
    w.Fixed("", 96);

    const auto count = [](std::optional<int32_t> c, size_t n) {
        return IntToText(c.value_or(static_cast<int32_t>(n)));
    };
    Block(w, f.block2.value_or(Join({count(f.lineCount, f.lines.size()),
                                     count(f.arcCount, f.arcs.size()),
                                     count(f.mojiCount, f.texts.size()),
                                     count(f.tenCount, f.tens.size()),
                                     "0",
                                     "1",
                                     "1",
                                     "1",
                                     "1",
                                     "1",
                                     "0",
                                     IntToText(f.psize),
                                     "2",
                                     "1",
                                     "0",
                                     "0",
                                     "5",
                                     "10",
                                     "0",
                                     "0",
                                     "0",
                                     "0",
                                     "0",
                                     "0",
                                     "0",
                                     "5",
                                     "5",
                                     "0",
                                     "0",
                                     "1",
                                     IntToText(f.drawWidth),
                                     "0"})));
    Block(w, f.block3.value_or(Join({"0",   "0",   "3",   "15",  "0",   "0", "0", "0", "0", "1",
                                     "0",   "0",   "0",   "0",   "0",   "0", "0", "0", "0", "100",
                                     "100", "100", "100", "100", "100", "0", "0", "1"})));
    {
        const auto [endSeg, endOff] = segOff(end);
        std::vector<std::string> p = {RealModeAddress(f.textSegment, f.textOffset),
                                      RealModeAddress(endSeg, endOff)};
        p.resize(22, "0");
        Block(w, f.block4.value_or(Join(p)));
    }

    l.tables = w.Size();
    for (float x : f.vtenX)
        w.F32(x);
    for (float y : f.vtenY)
        w.F32(y);
    for (uint8_t b : f.vtenLay)
        w.U8(b);
    for (const auto* column : {&f.mjPen, &f.mjWidth, &f.mjHeight, &f.mjDist})
        for (uint16_t v : *column)
            w.U16(v);
    l.groupScales = w.Size();
    const bool singleScales = f.jwID.size() > 22 && f.jwID[22] == 'f';
    for (float s : f.groupScale) {
        if (singleScales)
            w.F32(s);
        else
            w.U16(static_cast<uint16_t>(std::lround(s)));
    }
    for (uint8_t b : f.groupSrch)
        w.U8(b);
    for (uint8_t b : f.laySrch)
        w.U8(b);
    for (uint8_t b : f.groupDisp)
        w.U8(b);
    for (uint8_t b : f.layDisp)
        w.U8(b);
    for (uint8_t b : f.groupWLay)
        w.U8(b);

    l.lines = w.Size();
    for (const TJwcLineRec& e : f.lines)
        WriteLine(w, e);
    l.arcs = w.Size();
    for (const TJwcArcRec& e : f.arcs)
        WriteArc(w, e);
    l.texts = w.Size();
    for (size_t i = 0; i < f.texts.size(); ++i) {
        const TJwcTextRec& t = f.texts[i];
        w.F32(t.x1);
        w.F32(t.y1);
        w.F32(t.x2);
        w.F32(t.y2);
        if (t.address) {
            const auto [seg, off] = segOff(*t.address);
            w.U16(off);
            w.U16(seg);
        } else {
            // Same segment as the block start, the offset counting on from it.
            w.U16(static_cast<uint16_t>(f.textOffset + offsets[i]));
            w.U16(f.textSegment);
        }
        for (uint8_t b : {t.no, t.lay, t.flg1, t.flg2})
            w.U8(b);
    }
    l.textBlock = w.Size();
    if (end > start) w.Fixed(block, static_cast<size_t>(end - start));
    l.tens = w.Size();
    for (const TJwcTenRec& e : f.tens)
        WriteTen(w, e);
    l.names = w.Size();
    for (const std::string& name : f.layerNames)
        w.Fixed(name, 8);
    for (const std::string& name : f.groupNames)
        w.Fixed(name, 16);
    l.end = w.Size();
    if (layout) *layout = l;
    return w.Take();
}

std::vector<std::byte> EncodeJwk(const TJwkFile& f) {
    TWriter w;
    std::vector<int64_t> offsets;
    const std::string block = TextBlock(f.texts, offsets);
    const int32_t strSpace = f.strSpace.value_or(static_cast<int32_t>(block.size()));

    w.Fixed(f.jwID, 40);
    w.Fixed(f.comment1, 32);
    w.Fixed(f.comment2, 32);
    w.Fixed("", 96);
    const auto count = [](std::optional<int32_t> c, size_t n) {
        return IntToText(c.value_or(static_cast<int32_t>(n)));
    };
    Block(w, f.block2.value_or(
                 Join({count(f.lineCount, f.lines.size()), count(f.arcCount, f.arcs.size()),
                       count(f.tenCount, f.tens.size()), count(f.mojiCount, f.texts.size()), f.orgX,
                       f.orgY, f.dispScale, IntToText(strSpace), f.scale})));
    for (const TJwcLineRec& e : f.lines)
        WriteLine(w, e);
    for (const TJwcArcRec& e : f.arcs)
        WriteArc(w, e);
    for (const TJwcTenRec& e : f.tens)
        WriteTen(w, e);
    for (size_t i = 0; i < f.texts.size(); ++i) {
        const TJwcTextRec& t = f.texts[i];
        w.F32(t.x1);
        w.F32(t.y1);
        w.F32(t.x2);
        w.F32(t.y2);
        w.I32(static_cast<int32_t>(t.address.value_or(offsets[i])));
        for (uint8_t b : {t.no, t.lay, t.flg1, t.flg2})
            w.U8(b);
    }
    if (strSpace > 0) w.Fixed(block, static_cast<size_t>(strSpace));
    return w.Take();
}

}  // namespace velmora::test
