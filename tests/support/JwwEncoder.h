#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "jww/JwwTypes.h"

namespace velmora::test {

// Test-only writer of Jw_cad Windows drawings (.jww), built from the shared records so that
// tests read as drawings rather than byte dumps. It shares no code with the reader: only the
// plain record definitions. The object stream (main list and block definitions) is produced
// apart from the header so that a symbol (.jws) writer can put it behind its own header.

// How strings are stored: Shift-JIS (length byte, or 0xFF and a uint16 from 255 bytes on) or
// UTF-16LE (0xFF 0xFFFE and a count byte, or 0xFF and a uint16 from 255 characters on).
enum class TJwwStringForm { Cp932, Utf16 };
// How a reference to a class met before is written: 0x8000 + index, or 0x7FFF and a uint32
// (optionally with bit 31 set).
enum class TJwwClassRef { Short, Long, LongBit31 };

// Little-endian byte builder.
class TJwwBytes {
  public:
    void U8(uint8_t v);
    void U16(uint16_t v);
    void U32(uint32_t v);
    void I32(int32_t v);
    void F64(double v);
    void Raw(std::string_view bytes);
    void String(std::string_view utf8, TJwwStringForm form = TJwwStringForm::Cp932);
    // Count form of the archive: uint16, or 0xFFFF and a uint32 from 0xFFFF on.
    void Count(uint32_t n);
    const std::string& Data() const { return data_; }

  private:
    std::string data_;
};

// Adds a member to a block definition: appended to the array of its kind and to mNo, with the
// counts and N kept in step.
void AddMember(TEntJwwBlockDef& def, const TEntJwwLine& e);
void AddMember(TEntJwwBlockDef& def, const TEntJwwEnko& e);
void AddMember(TEntJwwBlockDef& def, const TEntJwwTen& e);
void AddMember(TEntJwwBlockDef& def, const TEntJwwMoji& e);
void AddMember(TEntJwwBlockDef& def, const TEntJwwSunpo& e);
void AddMember(TEntJwwBlockDef& def, const TEntJwwSolid& e);
void AddMember(TEntJwwBlockDef& def, const TEntJwwBlock& e);

class TJwwWriter {
  public:
    // A drawing of the given version with sane header tables: every group and layer shown
    // (state 2), scale 1, white pens, text types 3 x 3.
    explicit TJwwWriter(int32_t version = 700);

    // jwID is always written as "JwwData."; n1 and n2 are ignored; the stored print value is
    // nPrtDpi * 10 + nPrtDispOnlyNonDraw.
    TEntJwwHeader Header;
    std::vector<TEntJwwLayerGroup> EntLgrp;    // 16
    std::vector<TEntJwwLayer> EntLay;          // 256
    std::vector<TEntJwwColorNo> EntCol;        // 10
    std::vector<TEntJwwLineTypeNo> EntLtp1;    // 8
    std::vector<TEntJwwRandomLineNo> EntLtp2;  // 5
    std::vector<TEntJwwLineTypeNo> EntLtp3;    // 4
    std::vector<TEntJwwColorExNo> EntColS;     // 257, written from version 420
    std::vector<TEntJwwLineTypeExNo> EntLtpS;  // 33, written from version 420
    std::vector<TEntJwwMojiType> EntMoj;       // 10

    TJwwStringForm StringForm = TJwwStringForm::Cp932;
    TJwwClassRef ClassRef = TJwwClassRef::Short;
    // Declared counts that differ from what is written (for damaged files).
    std::optional<uint32_t> MainCountOverride;
    std::optional<uint32_t> BlockDefCountOverride;
    // From version 700 an image section is written unless this is false.
    bool WriteImageSection = true;

    // Main list objects, in order.
    void AddLine(const TEntJwwLine& e) { main_.push_back(e); }
    void AddArc(const TEntJwwEnko& e) { main_.push_back(e); }
    void AddPoint(const TEntJwwTen& e) { main_.push_back(e); }
    void AddText(const TEntJwwMoji& e) { main_.push_back(e); }
    void AddDimension(const TEntJwwSunpo& e) { main_.push_back(e); }
    void AddSolid(const TEntJwwSolid& e) { main_.push_back(e); }
    void AddBlock(const TEntJwwBlock& e) { main_.push_back(e); }
    // Bytes put into the main list as they are (a stray tag, say); not counted as an object.
    void AddRaw(std::string bytes) { main_.push_back(TRaw{std::move(bytes)}); }
    // A block definition with its members in mNo order (see AddMember). A dtime with bit 31
    // set is written in the long time form.
    void AddBlockDef(const TEntJwwBlockDef& def) { defs_.push_back(def); }
    // An embedded image; declaredSize defaults to the data's length.
    void AddImage(std::string name, std::string data, std::optional<int32_t> declaredSize = {});

    std::string HeaderBytes() const;
    // Main list count and objects, then the block definitions.
    std::string ObjectStreamBytes() const;
    std::string ImageSectionBytes() const;
    // The whole file.
    std::string Bytes() const;
    int32_t Version() const { return Header.jwVer; }

    // Byte offset, within Bytes(), at which the object stream starts.
    size_t ObjectStreamOffset() const { return HeaderBytes().size(); }

  private:
    struct TRaw {
        std::string bytes;
    };
    using TObject = std::variant<TEntJwwLine, TEntJwwEnko, TEntJwwTen, TEntJwwMoji, TEntJwwSunpo,
                                 TEntJwwSolid, TEntJwwBlock, TRaw>;
    struct TImage {
        std::string name;
        std::string data;
        int32_t size;
    };
    std::vector<TObject> main_;
    std::vector<TEntJwwBlockDef> defs_;
    std::vector<TImage> images_;
};

}  // namespace velmora::test
