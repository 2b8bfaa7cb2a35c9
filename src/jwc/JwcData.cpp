#include "jwc/JwcData.h"

#include <cmath>
#include <new>

#include "attr/GraAttribute.h"
#include "jwc/JwcRead.h"
#include "util/CodePage.h"
#include "util/Func2.h"

namespace velmora {

namespace {

constexpr size_t kVtenCount = 101;
constexpr size_t kMjtpCount = 12;
constexpr size_t kMjtpInFile = 11;
constexpr size_t kGroupCount = 16;
constexpr size_t kLayerCount = 256;
constexpr int32_t kDefaultDrawWidth = 518;
constexpr const char* kIoError = "File I/O Error";

// Long side of the paper in millimetres by psize; 0 for sizes the format does not define.
int32_t PaperLength(int32_t psize) {
    switch (psize) {
        case 0:
            return 1189;
        case 1:
            return 841;
        case 2:
            return 594;
        case 3:
            return 420;
        case 4:
            return 297;
        case 8:
            return 1682;
        case 9:
            return 2378;
        case 10:
            return 3364;
        case 11:
            return 4756;
        case 12:
            return 10000;
        case 13:
            return 50000;
        case 14:
            return 100000;
        default:
            return 0;
    }
}

// One fixed table read as a whole; a table cut short keeps zeros in its missing tail.
bool ReadTable(TByteCursor& c, size_t n, std::string& bytes, TByteCursor& table) {
    if (!ReadSome(c, n, bytes)) return false;
    table = TByteCursor(std::as_bytes(std::span(bytes.data(), bytes.size())));
    return true;
}

}  // namespace

void TJwcData::DataInit() {
    lineN = arcN = mojiN = tenN = 0;
    EntVten.clear();
    EntMjtp.clear();
    EntLgrp.clear();
    EntLay.clear();
    EntLine.clear();
    EntArc.clear();
    EntMoji.clear();
    EntTen.clear();
    Enthd = TEntJwcHeader{};
    TEntJwcHeader& h = Enthd;
    h.scaleF = true;
    h.curFno = h.curMfno = h.curMlcol = h.curMpcol = 1;
    h.wLayScale = 1.0f;
    h.psize = 3;
    h.lcol = 2;
    h.ltyp = 1;
    h.lpitch1 = 5.0f;
    h.lpitch2 = 10.0f;
    h.gridX = h.gridY = 5.0f;
    h.drawWidth = kDefaultDrawWidth;
    h.arLen = 3.0f;
    h.arAng = 15.0f;
    h.mvKeta = 1;
    h.dlinDistB = 100.0f;
    h.dlinDist.fill(100.0f);
    h.svScrnScl = 1.0f;
    h.sBufAdr1 = h.sBufAdr2 = 0x60000;
    h.dataUnit = 1.0f;
    mojiBlock_.clear();
    mojiBlock_.shrink_to_fit();
    mojiBase_ = 0;
    errorText_.clear();
    errorOffset_ = 0;
}

std::string TJwcData::MojiText(size_t i) const {
    if (i >= EntMoji.size()) return {};
    return TextAt(mojiBlock_, static_cast<int64_t>(EntMoji[i].p) - mojiBase_);
}

bool TJwcData::FileCheck(const std::string& fn) const {
    std::string head;
    if (!ReadFilePrefix(fn, 20, head)) return false;
    return FileCheckBytes(std::as_bytes(std::span(head.data(), head.size())));
}

bool TJwcData::FileCheckBytes(std::span<const std::byte> data) {
    return HasJwcMagic(data, kJwcMagic);
}

bool TJwcData::FileIn(const std::string& fn) {
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

bool TJwcData::FileInBytes(std::span<const std::byte> data) {
    TByteCursor c(data);
    try {
        DataInit();
        if (!ReadHeader(c)) {
            // A header that cannot be read leaves an empty drawing.
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

bool TJwcData::Fail(const TByteCursor& c) {
    errorText_ = kIoError;
    errorOffset_ = c.Offset();
    return false;
}

bool TJwcData::ReadHeader(TByteCursor& c) {
    TEntJwcHeader& h = Enthd;
    if (!ReadTitleBlock(c, h.jwID, h.comment1, h.comment2)) return false;
    const std::u16string id = Utf8ToUtf16(h.jwID);
    h.scaleF = id.size() > 22 && id[22] == u'f';

    std::string block;
    if (!ReadSome(c, kJwcHeaderBlockSize, block)) return false;
    h.para = SplitPara(block, 32);
    const std::vector<std::string>& p = h.para;
    h.lineCount = ParaInt(p, 0);
    h.arcCount = ParaInt(p, 1);
    h.mojiCount = ParaInt(p, 2);
    h.tenCount = ParaInt(p, 3);
    h.vtenCount = ParaInt(p, 4);
    h.curFno = ParaInt(p, 5);
    h.curMfno = ParaInt(p, 6);
    h.curMlcol = ParaInt(p, 7);
    h.curMpcol = ParaInt(p, 8);
    h.wLayScale = ParaReal(p, 9);
    h.wLayNo = ParaInt(p, 10);
    h.psize = ParaInt(p, 11);
    h.lcol = ParaInt(p, 12);
    h.ltyp = ParaInt(p, 13);
    h.plotOrgX = ParaReal(p, 14);
    h.plotOrgY = ParaReal(p, 15);
    h.lpitch1 = ParaReal(p, 16);
    h.lpitch2 = ParaReal(p, 17);
    h.drawtime = ParaInt(p, 18);
    for (size_t i = 0; i < h.penWidth.size(); ++i)
        h.penWidth[i] = ParaInt(p, 19 + i);
    h.gridX = ParaReal(p, 25);
    h.gridY = ParaReal(p, 26);
    h.gridOrgX = ParaReal(p, 27);
    h.gridOrgY = ParaReal(p, 28);
    h.gridScale = ParaReal(p, 29);
    h.drawWidth = ParaInt(p, 30);
    if (h.drawWidth == 0) h.drawWidth = kDefaultDrawWidth;
    h.flgPthin = ParaInt(p, 31);

    if (!ReadSome(c, kJwcHeaderBlockSize, block)) return false;
    h.para = SplitPara(block, 28);
    h.mvDist = ParaReal(p, 0);
    h.mtDist = ParaReal(p, 1);
    h.arLen = ParaReal(p, 2);
    h.arAng = ParaReal(p, 3);
    h.locMR = ParaInt(p, 4);
    h.flgMconma = ParaInt(p, 5);
    h.flgMzeros = ParaInt(p, 6);
    h.typLside = ParaInt(p, 7);
    h.mvUnit = ParaInt(p, 8);
    h.mvKeta = ParaInt(p, 9);
    h.sOfsetXL = ParaReal(p, 10);
    h.sOfsetXM = ParaReal(p, 11);
    h.sOfsetXR = ParaReal(p, 12);
    h.sOfsetYD = ParaReal(p, 13);
    h.sOfsetYM = ParaReal(p, 14);
    h.sOfsetYT = ParaReal(p, 15);
    h.s1len = ParaInt(p, 16);
    h.sOrgXm = ParaInt(p, 17);
    h.sOrgYm = ParaInt(p, 18);
    h.dlinDistB = ParaReal(p, 19);
    for (size_t i = 0; i < h.dlinDist.size(); ++i)
        h.dlinDist[i] = ParaReal(p, 20 + i);
    h.svScrnOX = ParaReal(p, 25);
    h.svScrnOY = ParaReal(p, 26);
    h.svScrnScl = ParaReal(p, 27);

    if (!ReadSome(c, kJwcHeaderBlockSize, block)) return false;
    h.para = SplitPara(block, 22);
    h.sBufAdr1 = ParaAddress(p, 0);
    h.sBufAdr2 = ParaAddress(p, 1);
    float* const subZm[15] = {&h.subZm0X, &h.subZm0Y, &h.subZm0S, &h.subZm1X, &h.subZm1Y,
                              &h.subZm1S, &h.subZm2X, &h.subZm2Y, &h.subZm2S, &h.subZm3X,
                              &h.subZm3Y, &h.subZm3S, &h.subZm4X, &h.subZm4Y, &h.subZm4S};
    for (size_t i = 0; i < 15; ++i)
        *subZm[i] = ParaReal(p, 2 + i);
    h.hiIdo = ParaReal(p, 17);
    h.hiHi = ParaReal(p, 18);
    h.hiTaka = ParaReal(p, 19);
    h.flgHok = ParaInt(p, 20);
    h.flg25Dm = ParaInt(p, 21);

    // Paper sizes the format does not know keep the stored units (dataUnit 1).
    const int32_t paper = PaperLength(h.psize);
    h.dataUnit = paper == 0 ? 1.0f : static_cast<float>(static_cast<double>(paper) / h.drawWidth);
    return true;
}

bool TJwcData::ReadBody(TByteCursor& c) {
    const float unit = Enthd.dataUnit;
    EntVten.assign(kVtenCount, TEntJwcVten{});
    EntMjtp.assign(kMjtpCount, TEntJwcMojiType{});
    EntLgrp.assign(kGroupCount, TEntJwcLayerGroup{});
    EntLay.assign(kLayerCount, TEntJwcLayer{});

    std::string bytes;
    TByteCursor t;
    if (!ReadTable(c, kVtenCount * 4, bytes, t)) return Fail(c);
    for (TEntJwcVten& v : EntVten) {
        t.ReadF32(v.x);
        v.x *= unit;
    }
    if (!ReadTable(c, kVtenCount * 4, bytes, t)) return Fail(c);
    for (TEntJwcVten& v : EntVten) {
        t.ReadF32(v.y);
        v.y *= unit;
    }
    if (!ReadTable(c, kVtenCount, bytes, t)) return Fail(c);
    for (TEntJwcVten& v : EntVten)
        t.ReadU8(v.lay);

    // Text types 0..10 column by column.
    if (!ReadTable(c, kMjtpInFile * 4 * 2, bytes, t)) return Fail(c);
    for (size_t i = 0; i < kMjtpInFile; ++i)
        t.ReadU16(EntMjtp[i].penNo);
    for (size_t i = 0; i < kMjtpInFile; ++i)
        t.ReadU16(EntMjtp[i].width);
    for (size_t i = 0; i < kMjtpInFile; ++i)
        t.ReadU16(EntMjtp[i].height);
    for (size_t i = 0; i < kMjtpInFile; ++i)
        t.ReadU16(EntMjtp[i].dist);

    // Older drawings store the group scales as whole numbers.
    if (!ReadTable(c, kGroupCount * (Enthd.scaleF ? 4 : 2), bytes, t)) return Fail(c);
    for (TEntJwcLayerGroup& g : EntLgrp) {
        if (Enthd.scaleF) {
            t.ReadF32(g.scale);
        } else {
            uint16_t w = 0;
            t.ReadU16(w);
            g.scale = w;
        }
    }

    if (!ReadTable(c, kGroupCount, bytes, t)) return Fail(c);
    for (TEntJwcLayerGroup& g : EntLgrp)
        t.ReadU8(g.srchF);
    if (!ReadTable(c, kLayerCount, bytes, t)) return Fail(c);
    for (TEntJwcLayer& l : EntLay)
        t.ReadU8(l.srchF);
    if (!ReadTable(c, kGroupCount, bytes, t)) return Fail(c);
    for (TEntJwcLayerGroup& g : EntLgrp)
        t.ReadU8(g.dispF);
    if (!ReadTable(c, kLayerCount, bytes, t)) return Fail(c);
    for (TEntJwcLayer& l : EntLay)
        t.ReadU8(l.dispF);
    if (!ReadTable(c, kGroupCount, bytes, t)) return Fail(c);
    for (TEntJwcLayerGroup& g : EntLgrp)
        t.ReadU8(g.w_lay);

    if (!ReadRecords(
            c, Enthd.lineCount, kJwcLineSize, EntLine, lineN,
            [unit](TByteCursor& cc, TEntJwcLine& e) { return ReadLineRecord(cc, unit, e); }))
        return Fail(c);
    if (!ReadRecords(
            c, Enthd.arcCount, kJwcArcSize, EntArc, arcN,
            [unit](TByteCursor& cc, TEntJwcArc2& e) { return ReadArcRecord(cc, unit, e); }))
        return Fail(c);
    if (!ReadRecords(
            c, Enthd.mojiCount, kJwcMojiSize, EntMoji, mojiN,
            [unit](TByteCursor& cc, TEntJwcMoji2& e) { return ReadMojiRecord(cc, unit, true, e); }))
        return Fail(c);

    // The text block spans the two real-mode addresses; texts address it linearly. The
    // addresses are at most 0x10FFEF, so the difference cannot overflow.
    const int64_t blockSize = static_cast<int64_t>(Enthd.sBufAdr2) - Enthd.sBufAdr1;
    if (blockSize > 0) {
        if (c.AtEnd()) return Fail(c);
        // Kept once for all texts; an address outside the block names no text of this drawing.
        c.ReadBytes(std::min(static_cast<size_t>(blockSize), c.Remaining()), mojiBlock_);
        mojiBase_ = Enthd.sBufAdr1;
    }

    if (!ReadRecords(c, Enthd.tenCount, kJwcTenSize, EntTen, tenN,
                     [unit](TByteCursor& cc, TEntJwcTen& e) { return ReadTenRecord(cc, unit, e); }))
        return Fail(c);

    for (TEntJwcLayer& l : EntLay) {
        if (!ReadSome(c, 8, bytes)) return Fail(c);
        l.name = DecodeAnsiClean(bytes);
    }
    for (TEntJwcLayerGroup& g : EntLgrp) {
        if (!ReadSome(c, 16, bytes)) return Fail(c);
        g.name = DecodeAnsiClean(bytes);
    }
    return true;
}

double TJwcData::GroupScale(int g) const {
    if (g < 0 || static_cast<size_t>(g) >= EntLgrp.size()) return 1.0;
    const double s = EntLgrp[static_cast<size_t>(g)].scale;
    return (s == 0.0 || !std::isfinite(s)) ? 1.0 : s;
}

void TJwcData::SetGAttLayer(TgraAttribute& att) const {
    att.SetDefaultLayer();
    // Without the tables (a header-only read) the defaults are all there is.
    if (EntLgrp.size() < kGroupCount || EntLay.size() < kLayerCount) return;
    for (size_t i = 0; i < kLayerCount; ++i) {
        const TEntJwcLayerGroup& g = EntLgrp[i / 16];
        const TEntJwcLayer& l = EntLay[i];
        int state;
        if ((g.dispF & 1) == 0) {
            state = 3;
        } else if ((g.srchF & 1) == 0) {
            state = (l.dispF & 1) != 0 ? 2 : 3;
        } else {
            state = (l.srchF & 1) != 0 ? 1 : 2;
            if ((l.dispF & 1) == 0) state = 3;
        }
        const double scale = 1.0 / GroupScale(static_cast<int>(i / 16));
        att.SetAttrLayer(static_cast<int>(i), state, std::isfinite(scale) ? scale : 1.0, g.name,
                         l.name);
    }
}

}  // namespace velmora
