#include "jww/JwwObjects.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>
#include <span>
#include <stdexcept>

#include "util/CodePage.h"
#include "util/Prefault.h"

namespace velmora {

namespace {

// A class name longer than this does not fit the scratch buffer the format was written for.
constexpr size_t kMaxClassName = 2047;
// Every object of a list, even one dropped at the end of the data, starts with a 2-byte tag.
constexpr size_t kMinObjectBytes = 2;
// Fewer bytes than any object's record takes (every kind holds two doubles at least), for
// bounding the room an array is given ahead; a bound too small only costs another growth.
constexpr size_t kMinRecordBytes = 16;
// The smallest complete block definition: tag, 13-byte attribute block, three uint32, an
// empty name and a uint16 member count.
constexpr size_t kMinBlockDefBytes = 2 + 13 + 12 + 1 + 2;

constexpr const char* kClassNames[8] = {"",          "CDataSen",    "CDataEnko",  "CDataTen",
                                        "CDataMoji", "CDataSunpou", "CDataSolid", "CDataBlock"};

void CutAtNul(std::string& s) {
    const size_t nul = s.find('\0');
    if (nul != std::string::npos) s.resize(nul);
}

void RemoveControls(std::string& s) {
    // UTF-8 keeps every character below U+0020 as that single byte and uses no such byte
    // inside a longer sequence.
    s.erase(std::remove_if(s.begin(), s.end(),
                           [](char c) { return static_cast<unsigned char>(c) < 0x20; }),
            s.end());
}

bool IsFinite(double x) {
    return std::isfinite(x);
}

void RepairMoji(TEntJwwMoji& m) {
    if (!IsFinite(m.dSizeX)) m.dSizeX = 3.0;
    if (!IsFinite(m.dSizeY)) m.dSizeY = 3.0;
    if (!IsFinite(m.dKankaku)) m.dKankaku = 0.0;
}

void SetPointDefaults(TEntJwwTen& t) {
    t.nCode = 0;
    t.radKaitenKaku = 0;
    t.dBairitsu = 1.0;
}

template <typename T>
void Append(std::vector<T>& v, int32_t& n, T&& rec, int32_t& index) {
    v.push_back(std::move(rec));
    index = n;
    ++n;
}

}  // namespace

void TJwwEntities::EntitiesInit() {
    BudgetStop.clear();
    EntNo.clear();
    EntLine.clear();
    EntLineN = 0;
    EntEnko.clear();
    EntEnkoN = 0;
    EntTen.clear();
    EntTenN = 0;
    EntMoji.clear();
    EntMojiN = 0;
    EntSunpo.clear();
    EntSunpoN = 0;
    EntSolid.clear();
    EntSolidN = 0;
    EntBlock.clear();
    EntBlockN = 0;
    EntBlockDef.clear();
    EntBlockDefN = 0;
    EntBlockTree.clear();
    EntBlockTreeN = 0;
    EntBlockNum = 0;
}

void TJwwEntities::EntitiesFree() {
    std::vector<TEntJwwBlockDef>().swap(EntBlockDef);
    std::vector<TEntJwwLine>().swap(EntLine);
    std::vector<TEntJwwEnko>().swap(EntEnko);
    std::vector<TEntJwwTen>().swap(EntTen);
    std::vector<TEntJwwMoji>().swap(EntMoji);
    std::vector<TEntJwwSunpo>().swap(EntSunpo);
    std::vector<TEntJwwSolid>().swap(EntSolid);
    std::vector<TEntJwwBlock>().swap(EntBlock);
    std::vector<TEntJwwBlockTree>().swap(EntBlockTree);
    std::vector<TEntJwwNo>().swap(EntNo);
    EntitiesInit();
}

bool ReadJwwString(TByteCursor& cursor, std::string& out, bool& mojiEncode) {
    out.clear();
    if (cursor.AtEnd()) return true;
    uint8_t n8 = 0;
    cursor.ReadU8(n8);
    size_t bytes = n8;
    bool utf16 = false;
    if (n8 == 0xFF) {
        uint16_t w = 0;
        if (!cursor.ReadU16(w)) return false;
        bytes = w;
        if (w == 0xFFFE) {
            // The 32-bit length form (0xFFFF and a uint32) is not part of this format:
            // 0xFFFF is a plain 65535-byte length, as the drawing program reads it.
            uint8_t m = 0;
            if (!cursor.ReadU8(m)) return false;
            size_t chars = m;
            if (m == 0xFF) {
                uint16_t l = 0;
                if (!cursor.ReadU16(l)) return false;
                chars = l;
            }
            bytes = chars * 2;
            utf16 = true;
        }
    }
    std::string raw;
    if (!cursor.ReadBytes(bytes, raw)) return false;
    if (utf16) {
        out = Utf16LeToUtf8(raw);
        mojiEncode = true;
    } else {
        out = Cp932ToUtf8(raw);
    }
    CutAtNul(out);
    return true;
}

bool ReadJwwStringNoCtrl(TByteCursor& cursor, std::string& out, bool& mojiEncode) {
    if (!ReadJwwString(cursor, out, mojiEncode)) return false;
    RemoveControls(out);
    return true;
}

TJwwObjectReader::TJwwObjectReader(TByteCursor& cursor, int32_t jwVer, bool& mojiEncode,
                                   const TStopFlag* stop)
    : cursor_(cursor),
      jwVer_(jwVer),
      attrSize_(jwVer >= 351 ? 15 : 13),
      mojiEncode_(mojiEncode),
      stop_(stop) {}

bool TJwwObjectReader::Fail(const char* what) {
    if (!failed_) {
        failed_ = true;
        error_ = what;
        errorOffset_ = cursor_.Offset();
    }
    return false;
}

bool TJwwObjectReader::Complete() {
    // A short read keeps its object, yet the data was cut: the file is not complete.
    return truncated_ ? Fail("end of data inside an object") : true;
}

bool TJwwObjectReader::ReadCount(uint32_t& count) {
    uint16_t c16 = 0;
    if (!cursor_.ReadU16(c16)) return false;
    if (c16 != 0xFFFF) {
        count = c16;
        return true;
    }
    return cursor_.ReadU32(count);
}

bool TJwwObjectReader::ReadString(std::string& out) {
    if (ReadJwwStringNoCtrl(cursor_, out, mojiEncode_)) return true;
    return Fail("string longer than the remaining data");
}

bool TJwwObjectReader::ReadClassName(std::string& name) {
    uint16_t schema = 0, len = 0;
    if (!cursor_.ReadU16(schema) || !cursor_.ReadU16(len)) return false;
    if (len > kMaxClassName) return Fail("File I/O Error: class name too long");
    std::string raw;
    if (!cursor_.ReadBytes(len, raw)) return Fail("File I/O Error: class name cut off");
    name = Cp932ToUtf8(raw);
    CutAtNul(name);
    return true;
}

TJwwObjectReader::TTag TJwwObjectReader::ReadObjectTag(int32_t& kind) {
    kind = kJwwNone;
    uint16_t tag = 0;
    if (!cursor_.ReadU16(tag)) return TTag::EndOfData;
    uint32_t ref = 0;
    if (tag == 0xFFFF) {
        std::string name;
        if (!ReadClassName(name)) return failed_ ? TTag::Bad : TTag::EndOfData;
        for (int32_t k = kJwwLine; k <= kJwwBlock; ++k) {
            if (name == kClassNames[k]) kind = k;
        }
        if (kind == kJwwNone) {
            Fail("File I/O Error: unknown class");
            return TTag::Bad;
        }
        kindClass_[kind] = classIndex_++;
        return TTag::Object;
    }
    if (tag == 0x7FFF) {
        if (!cursor_.ReadU32(ref)) return TTag::EndOfData;
        ref &= 0x7FFFFFFFu;
    } else if (tag >= 0x8000) {
        ref = tag - 0x8000u;
    } else {
        return TTag::NoKind;
    }
    // Index 0 is the archive's null object; kinds not yet met also hold 0, so it must not
    // match them.
    if (ref == 0) return TTag::NoKind;
    for (int32_t k = kJwwLine; k <= kJwwBlock; ++k) {
        if (kindClass_[k] == ref) kind = k;
    }
    return kind == kJwwNone ? TTag::NoKind : TTag::Object;
}

void TJwwObjectReader::ReadAttr(TByteCursor& c, TEntJwwAttr& att) const {
    c.ReadU32(att.lGroup);
    c.ReadU8(att.nPenStyle);
    c.ReadU16(att.nPenColor);
    att.nPenWidth = 0;
    if (attrSize_ == 15) c.ReadU16(att.nPenWidth);
    c.ReadU16(att.nLayer);
    c.ReadU16(att.nGLayer);
    c.ReadU16(att.sFlg);
}

// Reads up to the attribute block plus sizeAfterAttr bytes into the scratch buffer and points
// part at it; undelivered fields read as zero. False unless the whole part was there: a fixed
// part cut off by the end of the data holds zeros where its coordinates should be, and kept it
// would become a stray line to the origin, so it counts as the format's failed read and the
// object is dropped.
bool TJwwObjectReader::FixedPart(size_t sizeAfterAttr, TByteCursor& part) {
    const size_t n = attrSize_ + sizeAfterAttr;
    const size_t delivered = std::min(n, cursor_.Remaining());
    if (delivered < n) truncated_ = true;
    std::memset(scratch_, 0, n);
    std::span<const std::byte> bytes;
    cursor_.ReadSpan(delivered, bytes);
    if (delivered > 0) std::memcpy(scratch_, bytes.data(), delivered);
    part = TByteCursor(std::span<const std::byte>(scratch_, n));
    return delivered == n;
}

bool TJwwObjectReader::ReadLineData(TEntJwwLine& e) {
    TByteCursor p;
    const bool got = FixedPart(32, p);
    ReadAttr(p, e.att);
    p.ReadF64(e.start_x);
    p.ReadF64(e.start_y);
    p.ReadF64(e.end_x);
    p.ReadF64(e.end_y);
    return got;
}

bool TJwwObjectReader::ReadEnkoData(TEntJwwEnko& e) {
    TByteCursor p;
    const bool got = FixedPart(60, p);
    ReadAttr(p, e.att);
    p.ReadF64(e.start_x);
    p.ReadF64(e.start_y);
    p.ReadF64(e.dHankei);
    p.ReadF64(e.radKaishiKaku);
    p.ReadF64(e.radEnkoKaku);
    p.ReadF64(e.radKatamukiKaku);
    p.ReadF64(e.dHenpeiRitsu);
    p.ReadU32(e.bZenEnFlg);
    return got;
}

bool TJwwObjectReader::ReadTenData(TEntJwwTen& e) {
    TByteCursor p;
    const bool got = FixedPart(20, p);
    ReadAttr(p, e.att);
    p.ReadF64(e.start_x);
    p.ReadF64(e.start_y);
    p.ReadU32(e.bKariten);
    if (e.att.nPenStyle == 100) {
        // A code point: the marker code, rotation and scale follow.
        const size_t n = std::min<size_t>(20, cursor_.Remaining());
        if (n < 20) truncated_ = true;
        std::byte code[20] = {};
        std::span<const std::byte> bytes;
        cursor_.ReadSpan(n, bytes);
        if (n > 0) std::memcpy(code, bytes.data(), n);
        TByteCursor c(code);
        e.nCode = 0;
        e.radKaitenKaku = 0;
        e.dBairitsu = 0;
        c.ReadU32(e.nCode);
        c.ReadF64(e.radKaitenKaku);
        c.ReadF64(e.dBairitsu);
    } else {
        SetPointDefaults(e);
    }
    return got;
}

bool TJwwObjectReader::ReadMojiData(TEntJwwMoji& e) {
    TByteCursor p;
    const bool got = FixedPart(68, p);
    ReadAttr(p, e.att);
    p.ReadF64(e.start_x);
    p.ReadF64(e.start_y);
    p.ReadF64(e.end_x);
    p.ReadF64(e.end_y);
    p.ReadU32(e.nMojiShu);
    p.ReadF64(e.dSizeX);
    p.ReadF64(e.dSizeY);
    p.ReadF64(e.dKankaku);
    p.ReadF64(e.degKakudo);
    if (!ReadString(e.strFontName) || !ReadString(e.str)) return false;
    RepairMoji(e);
    return got;
}

bool TJwwObjectReader::ReadSunpoData(TEntJwwSunpo& e) {
    TByteCursor p;
    FixedPart(0, p);
    ReadAttr(p, e.att);
    ReadLineData(e.Sen);
    // Of the parts only the text and, with the SXF parts, the last point are tested reads.
    const bool mojiFixed = cursor_.Remaining() >= attrSize_ + 68;
    bool ok = ReadMojiData(e.Moji);
    if (failed_) {
        // Without SXF parts nothing follows the value text: a dimension whose text the end of
        // the data cut off still has its line, and keeps it.
        if (jwVer_ >= 420 || !mojiFixed) return false;
        e.Moji.strFontName.clear();
        e.Moji.str.clear();
        RepairMoji(e.Moji);
        ok = true;
    }
    if (jwVer_ >= 420) {
        uint8_t mode[2] = {};
        const size_t n = std::min<size_t>(2, cursor_.Remaining());
        if (n < 2) truncated_ = true;
        for (size_t i = 0; i < n; ++i)
            cursor_.ReadU8(mode[i]);
        e.bSxfMode = static_cast<uint16_t>(mode[0] | (mode[1] << 8));
        ReadLineData(e.Ho1);
        ReadLineData(e.Ho2);
        ReadTenData(e.Te1);
        ReadTenData(e.Te2);
        ReadTenData(e.Kt1);
        ok = ReadTenData(e.Kt2) && ok;
    } else {
        e.bSxfMode = 0;
        for (TEntJwwLine* l : {&e.Ho1, &e.Ho2}) {
            *l = TEntJwwLine{};
            l->att = e.att;
        }
        for (TEntJwwTen* t : {&e.Te1, &e.Te2, &e.Kt1, &e.Kt2}) {
            *t = TEntJwwTen{};
            t->att = e.att;
            t->att.nPenStyle = 0;
            SetPointDefaults(*t);
        }
    }
    return ok;
}

bool TJwwObjectReader::ReadSolidData(TEntJwwSolid& e) {
    TByteCursor p;
    const bool got = FixedPart(64, p);
    ReadAttr(p, e.att);
    p.ReadF64(e.start_x);
    p.ReadF64(e.start_y);
    p.ReadF64(e.end_x);
    p.ReadF64(e.end_y);
    p.ReadF64(e.DPoint2_x);
    p.ReadF64(e.DPoint2_y);
    p.ReadF64(e.DPoint3_x);
    p.ReadF64(e.DPoint3_y);
    e.Color = 0;
    if (e.att.nPenColor == 10) {
        // Only a solid of its own colour stores the colour.
        uint8_t b[4] = {};
        const size_t n = std::min<size_t>(4, cursor_.Remaining());
        if (n < 4) truncated_ = true;
        for (size_t i = 0; i < n; ++i)
            cursor_.ReadU8(b[i]);
        e.Color = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
    }
    return got;
}

bool TJwwObjectReader::ReadBlockData(TEntJwwBlock& e) {
    TByteCursor p;
    const bool got = FixedPart(44, p);
    ReadAttr(p, e.att);
    p.ReadF64(e.DPKijunTen_x);
    p.ReadF64(e.DPKijunTen_y);
    p.ReadF64(e.dBairitsuX);
    p.ReadF64(e.dBairitsuY);
    p.ReadF64(e.radKaitenKaku);
    p.ReadU32(e.nNumber);
    return got;
}

template <typename T>
bool TJwwObjectReader::ReadInto(std::vector<T>& arr, int32_t& count,
                                bool (TJwwObjectReader::*read)(T&), int32_t& index) {
    T e;
    if (!(this->*read)(e)) return false;
    if (arr.size() == arr.capacity() && arr.size() >= 256) {
        // Doubling would copy the array time and again, each copy into memory never touched
        // before. The share of this kind among the objects read so far foretells its number;
        // the objects left bound it.
        const uint64_t left = std::min<uint64_t>(listCount_ - std::min(listRead_, listCount_),
                                                 cursor_.Remaining() / kMinRecordBytes);
        const uint64_t foretold = uint64_t{arr.size()} * listCount_ / (listRead_ + 1);
        const uint64_t room = std::min<uint64_t>(
            std::max<uint64_t>(2 * uint64_t{arr.size()}, foretold + foretold / 8),
            arr.size() + left + 1);
        try {
            ReserveHugePages(arr, static_cast<size_t>(room));
        } catch (const std::bad_alloc&) {
        } catch (const std::length_error&) {
        }
    }
    Append(arr, count, std::move(e), index);
    return true;
}

bool TJwwObjectReader::ReadObject(TList& list, int32_t kind, int32_t& index) {
    switch (kind) {
        case kJwwLine:
            return ReadInto(list.line, list.lineN, &TJwwObjectReader::ReadLineData, index);
        case kJwwEnko:
            return ReadInto(list.enko, list.enkoN, &TJwwObjectReader::ReadEnkoData, index);
        case kJwwTen:
            return ReadInto(list.ten, list.tenN, &TJwwObjectReader::ReadTenData, index);
        case kJwwMoji:
            return ReadInto(list.moji, list.mojiN, &TJwwObjectReader::ReadMojiData, index);
        case kJwwSunpo:
            return ReadInto(list.sunpo, list.sunpoN, &TJwwObjectReader::ReadSunpoData, index);
        case kJwwSolid:
            return ReadInto(list.solid, list.solidN, &TJwwObjectReader::ReadSolidData, index);
        case kJwwBlock:
            return ReadInto(list.block, list.blockN, &TJwwObjectReader::ReadBlockData, index);
        default:
            return false;
    }
}

bool TJwwObjectReader::ReadList(TList& list, uint32_t count) {
    uint32_t k = 0;
    size_t j = 0;
    listCount_ = count;
    while (k < count) {
        listRead_ = k;
        if ((k & 0xFFF) == 0 && stop_ != nullptr && stop_->load(std::memory_order_relaxed))
            return Fail("stopped");
        int32_t kind = kJwwNone;
        switch (ReadObjectTag(kind)) {
            case TTag::EndOfData:
                // A tag that gets no bytes would otherwise repeat for ever on a damaged file.
                return Fail("end of data inside an object list");
            case TTag::Bad:
                return false;
            case TTag::NoKind:
                continue;
            case TTag::Object:
                break;
        }
        int32_t index = 0;
        const bool kept = ReadObject(list, kind, index);
        if (kept) {
            // The table was sized by what the bytes left can hold, not by the declared count.
            if (j < list.no.size()) {
                list.no[j] = TEntJwwNo{kind, index};
            } else {
                list.no.push_back(TEntJwwNo{kind, index});
            }
            ++j;
        }
        // Only a dimension whose value text the end of the data cut off is kept on failure.
        if (failed_) return false;
        ++k;
        ++classIndex_;
    }
    return true;
}

bool TJwwObjectReader::ReadBlockDef(TEntJwwBlockDef& def, uint32_t position) {
    uint16_t tag = 0;
    if (!cursor_.ReadU16(tag)) return Fail("end of data before a block definition");
    if (tag == 0xFFFF) {
        // The definition class; its name is not compared.
        std::string name;
        if (!ReadClassName(name)) return Fail("end of data inside a class tag");
        ++classIndex_;
    } else if (tag == 0x7FFF) {
        uint32_t ignored = 0;
        if (!cursor_.ReadU32(ignored)) return Fail("end of data inside a class tag");
    }
    TByteCursor p;
    if (!FixedPart(12, p)) return Fail("File I/O Error: block definition");
    ReadAttr(p, def.att);
    p.ReadU32(def.nNumber);
    p.ReadU32(def.bRefferd);
    p.ReadU32(def.dtime);
    if (def.dtime >= 0x80000000u) {
        // Long time form: 8 more bytes of time stamp, replaced by the position.
        if (!cursor_.Skip(8)) {
            truncated_ = true;
            cursor_.Skip(cursor_.Remaining());
        }
        def.dtime = position;
    }
    if (!ReadString(def.strName)) return false;
    uint32_t count = 0;
    if (!ReadCount(count)) return Fail("end of data before a member count");
    // A count beyond what the bytes left can hold is a cut file: the members that are there
    // are read, and the end of the data ends the list.
    def.N = static_cast<int32_t>(count);
    def.mNo.assign(std::min<size_t>(count, cursor_.Remaining() / kMinObjectBytes), TEntJwwNo{});
    ++classIndex_;
    TList list{def.mNo,     def.mLine,  def.mLineN,  def.mEnko,  def.mEnkoN,
               def.mTen,    def.mTenN,  def.mMoji,   def.mMojiN, def.mSunpo,
               def.mSunpoN, def.mSolid, def.mSolidN, def.mBlock, def.mBlockN};
    const bool ok = ReadList(list, count);
    def.mLine.shrink_to_fit();
    def.mEnko.shrink_to_fit();
    def.mTen.shrink_to_fit();
    def.mMoji.shrink_to_fit();
    def.mSunpo.shrink_to_fit();
    def.mSolid.shrink_to_fit();
    def.mBlock.shrink_to_fit();
    return ok;
}

bool TJwwObjectReader::ReadObjects(TJwwEntities& ents, int32_t& n1, int32_t& n2) {
    uint32_t count = 0;
    if (!ReadCount(count)) return Fail("File I/O Error: main list count");
    n1 = static_cast<int32_t>(count);
    n2 = 0;
    ents.EntBlockDefN = 0;
    ents.EntNo.assign(std::min<size_t>(count, cursor_.Remaining() / kMinObjectBytes), TEntJwwNo{});
    TList main{ents.EntNo,     ents.EntLine,  ents.EntLineN,  ents.EntEnko,  ents.EntEnkoN,
               ents.EntTen,    ents.EntTenN,  ents.EntMoji,   ents.EntMojiN, ents.EntSunpo,
               ents.EntSunpoN, ents.EntSolid, ents.EntSolidN, ents.EntBlock, ents.EntBlockN};
    // The arrays keep the room their growth left: the part never written costs no memory,
    // a fitting copy would touch every byte once more, and block explosion appends into it.
    const bool mainOk = ReadList(main, count);
    if (!mainOk) return false;

    uint32_t defCount = 0;
    if (!ReadCount(defCount)) return Fail("end of data before the block definition count");
    if (defCount == 0) return Complete();
    // Only the last definition can be cut short, so one more than whole ones fit is allowed.
    if (defCount > cursor_.Remaining() / kMinBlockDefBytes + 1) {
        return Fail("block definition count larger than the remaining data");
    }
    n2 = static_cast<int32_t>(defCount);
    ents.EntBlockDefN = n2;
    ents.EntBlockDef.resize(defCount);
    for (uint32_t d = 1; d <= defCount; ++d) {
        if (!ReadBlockDef(ents.EntBlockDef[d - 1], d)) return false;
    }
    return Complete();
}

}  // namespace velmora
