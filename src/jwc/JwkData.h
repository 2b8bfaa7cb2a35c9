#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "jwc/JwcTypes.h"
#include "util/ByteCursor.h"

namespace velmora {

class TgraAttribute;

// Reader of a DOS symbol (.jwk): two 200-byte header blocks, then lines, arcs, points and
// texts in the records of the DOS drawing format, stored without a paper-size factor, and a
// text block addressed by plain offsets. Counts are checked against the bytes left as in
// TJwcData; every entity array holds exactly the records that were read.
class TJwkData {
  public:
    TJwkData() { DataInit(); }

    int32_t lineN = 0, arcN = 0, tenN = 0, mojiN = 0;
    TEntJwkHeader Enthd;
    std::vector<TEntJwcMojiType> EntMjtp;  // 12 text types, 1..10 the program's defaults
    std::vector<TEntJwcLine> EntLine;
    std::vector<TEntJwcArc2> EntArc;
    std::vector<TEntJwcTen> EntTen;
    std::vector<TEntJwcMoji2> EntMoji;

    // Empty symbol: header defaults, scale 1, the default text types.
    void DataInit();
    // DataInit, then no text types either.
    void DataFree();

    // True when the file starts with the symbol magic "jw_cad(c)sym........".
    bool FileCheck(const std::string& fn) const;
    static bool FileCheckBytes(std::span<const std::byte> data);
    // Reads a whole symbol. False when the file cannot be read, its header is missing or a
    // section ends early; what was read before stays. Never throws.
    bool FileIn(const std::string& fn);
    bool FileInBytes(std::span<const std::byte> data);

    // Every layer shown, with the symbol's scale; names stay the defaults.
    void SetGAttLayer(TgraAttribute& att) const;

    // The string of text i, decoded from the text block when asked for (texts are not
    // converted); empty for an address outside the block.
    std::string MojiText(size_t i) const;

    const std::string& ErrorText() const { return errorText_; }
    size_t ErrorOffset() const { return errorOffset_; }

  private:
    bool ReadHeader(TByteCursor& c);
    bool ReadBody(TByteCursor& c);
    bool Fail(const TByteCursor& c);

    std::string mojiBlock_;  // the text block as read, shared by all texts
    std::string errorText_;
    size_t errorOffset_ = 0;
};

}  // namespace velmora
