#include "jwc/JwkData.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <optional>

#include "attr/GraAttribute.h"
#include "jwc/JwcRead.h"
#include "util/Func2.h"

namespace velmora {

namespace {

constexpr const char* kIoError = "File I/O Error";
constexpr int kLayerCount = 256;

// Text types 1..10 of the DOS program in tenths of a millimetre.
constexpr TEntJwcMojiType kDefaultMojiTypes[10] = {
    {1, 20, 20, 0},  {1, 25, 25, 5},  {2, 30, 30, 5},  {2, 40, 40, 5},  {3, 50, 50, 10},
    {3, 60, 60, 10}, {4, 70, 70, 10}, {4, 80, 80, 10}, {5, 90, 90, 10}, {5, 100, 100, 10},
};

}  // namespace

void TJwkData::DataInit() {
    lineN = arcN = tenN = mojiN = 0;
    EntLine.clear();
    EntArc.clear();
    EntTen.clear();
    EntMoji.clear();
    Enthd = TEntJwkHeader{};
    Enthd.dispScale = 1.0f;
    Enthd.scale = 1.0f;
    EntMjtp.assign(12, TEntJwcMojiType{});
    std::copy(std::begin(kDefaultMojiTypes), std::end(kDefaultMojiTypes), EntMjtp.begin() + 1);
    mojiBlock_.clear();
    mojiBlock_.shrink_to_fit();
    errorText_.clear();
    errorOffset_ = 0;
}

std::string TJwkData::MojiText(size_t i) const {
    if (i >= EntMoji.size()) return {};
    return TextAt(mojiBlock_, EntMoji[i].p);
}

void TJwkData::DataFree() {
    DataInit();
    EntMjtp.clear();
}

bool TJwkData::FileCheck(const std::string& fn) const {
    std::string head;
    if (!ReadFilePrefix(fn, 20, head)) return false;
    return FileCheckBytes(std::as_bytes(std::span(head.data(), head.size())));
}

bool TJwkData::FileCheckBytes(std::span<const std::byte> data) {
    return HasJwcMagic(data, kJwkMagic);
}

bool TJwkData::FileIn(const std::string& fn) {
    try {
        DataInit();
        const std::optional<std::string> bytes = ReadWholeFile(fn);
        if (!bytes) {
            errorText_ = kIoError;
            return false;
        }
        return FileInBytes(std::as_bytes(std::span(bytes->data(), bytes->size())));
    } catch (const std::bad_alloc&) {
        errorText_ = kIoError;
        return false;
    }
}

bool TJwkData::FileInBytes(std::span<const std::byte> data) {
    TByteCursor c(data);
    try {
        DataInit();
        if (!ReadHeader(c)) {
            const size_t offset = c.Offset();
            DataInit();
            errorText_ = kIoError;
            errorOffset_ = offset;
            return false;
        }
        return ReadBody(c);
    } catch (const std::bad_alloc&) {
        // What was read before the memory ran out stays; the drawing counts as damaged.
        errorText_ = "memory refused";
        errorOffset_ = c.Offset();
        return false;
    }
}

bool TJwkData::Fail(const TByteCursor& c) {
    errorText_ = kIoError;
    errorOffset_ = c.Offset();
    return false;
}

bool TJwkData::ReadHeader(TByteCursor& c) {
    TEntJwkHeader& h = Enthd;
    if (!ReadTitleBlock(c, h.jwID, h.comment1, h.comment2)) return false;
    std::string block;
    if (!ReadSome(c, kJwcHeaderBlockSize, block)) return false;
    h.para = SplitPara(block, 9);
    const std::vector<std::string>& p = h.para;
    h.lineCount = ParaInt(p, 0);
    h.arcCount = ParaInt(p, 1);
    h.tenCount = ParaInt(p, 2);
    h.mojiCount = ParaInt(p, 3);
    h.org_x = ParaReal(p, 4);
    h.org_y = ParaReal(p, 5);
    h.dispScale = ParaReal(p, 6);
    h.strSpace = ParaInt(p, 7);
    h.scale = ParaReal(p, 8);
    // A symbol without a usable scale is drawn at full size.
    if (!(h.scale > 1e-14f) || !std::isfinite(h.scale)) h.scale = 1.0f;
    return true;
}

bool TJwkData::ReadBody(TByteCursor& c) {
    // Symbols store millimetres: no coordinate factor.
    constexpr float unit = 1.0f;
    if (!ReadRecords(c, Enthd.lineCount, kJwcLineSize, EntLine, lineN,
                     [](TByteCursor& cc, TEntJwcLine& e) { return ReadLineRecord(cc, unit, e); }))
        return Fail(c);
    if (!ReadRecords(c, Enthd.arcCount, kJwcArcSize, EntArc, arcN,
                     [](TByteCursor& cc, TEntJwcArc2& e) { return ReadArcRecord(cc, unit, e); }))
        return Fail(c);
    if (!ReadRecords(c, Enthd.tenCount, kJwcTenSize, EntTen, tenN,
                     [](TByteCursor& cc, TEntJwcTen& e) { return ReadTenRecord(cc, unit, e); }))
        return Fail(c);
    if (!ReadRecords(
            c, Enthd.mojiCount, kJwcMojiSize, EntMoji, mojiN,
            [](TByteCursor& cc, TEntJwcMoji2& e) { return ReadMojiRecord(cc, unit, false, e); }))
        return Fail(c);
    if (Enthd.strSpace > 0) {
        if (c.AtEnd()) return Fail(c);
        c.ReadBytes(std::min(static_cast<size_t>(Enthd.strSpace), c.Remaining()), mojiBlock_);
    }
    return true;
}

void TJwkData::SetGAttLayer(TgraAttribute& att) const {
    att.SetDefaultLayer();
    const double scale = 1.0 / static_cast<double>(Enthd.scale);
    for (int i = 0; i < kLayerCount; ++i)
        att.SetAttrLayer(i, 1, std::isfinite(scale) ? scale : 1.0);
}

}  // namespace velmora
