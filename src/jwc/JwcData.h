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

// Reader of a DOS drawing (.jwc): a header of four 200-byte blocks (three of them
// comma-separated text), fixed tables, entity records and a text block addressed by real-mode
// addresses. Coordinates are converted to millimetres while reading (Enthd.dataUnit).
//
// Entity arrays are sized to the declared header counts as each section is reached. A count
// that is negative or larger than the bytes left could hold ends the read there, as a missing
// record does, before anything is allocated for it; so every entity array holds exactly as many
// records as were read, and converters walk the arrays, not the header counts.
class TJwcData {
  public:
    TJwcData() { DataInit(); }

    int32_t lineN = 0, arcN = 0, mojiN = 0, tenN = 0;
    TEntJwcHeader Enthd;
    std::vector<TEntJwcVten> EntVten;        // 101 virtual points
    std::vector<TEntJwcMojiType> EntMjtp;    // 12 text types, 0..10 from the file
    std::vector<TEntJwcLayerGroup> EntLgrp;  // 16 layer groups
    std::vector<TEntJwcLayer> EntLay;        // 256 layers, group * 16 + layer
    std::vector<TEntJwcLine> EntLine;
    std::vector<TEntJwcArc2> EntArc;
    std::vector<TEntJwcMoji2> EntMoji;
    std::vector<TEntJwcTen> EntTen;

    // Empty drawing with the program's header defaults.
    void DataInit();
    void DataFree() { DataInit(); }

    // True when the file starts with the drawing magic "jw_cad(c)data.......".
    bool FileCheck(const std::string& fn) const;
    static bool FileCheckBytes(std::span<const std::byte> data);
    // Reads a whole drawing. False when the file cannot be read, its header is missing or a
    // section ends early; what was read before stays. Never throws.
    bool FileIn(const std::string& fn);
    bool FileInBytes(std::span<const std::byte> data);

    // Installs the 256 layer states, scales and names into att.
    void SetGAttLayer(TgraAttribute& att) const;

    // Scale denominator of layer group g as the conversion uses it: 1 for a group that is
    // missing or whose stored scale is 0 or not finite, which no drawing can mean.
    double GroupScale(int g) const;

    // Why the last read failed ("File I/O Error") and the byte offset; empty after success.
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
    int64_t mojiBase_ = 0;   // address of the text block's first byte
    std::string errorText_;
    size_t errorOffset_ = 0;
};

}  // namespace velmora
