#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "jww/JwwObjects.h"
#include "jww/JwwTypes.h"
#include "util/ByteCursor.h"

namespace velmora {

class TgraAttribute;

struct TEntJwsHeader {
    std::string jwID;  // "JwsData"
    int32_t jwVer = 0;
    double BasePoint_x = 0;
    double BasePoint_y = 0;
    int32_t dmy01 = 0, dmy02 = 0, dmy03 = 0, dmy04 = 0, dmy05 = 0, dmy06 = 0;
    double dmy11 = 0, dmy12 = 0, dmy13 = 0, dmy14 = 0, dmy15 = 0, dmy16 = 0;
    double Mx1 = 0, My1 = 0, Mx2 = 0, My2 = 0;
    int32_t n1 = 0;  // objects in the main list
    int32_t n2 = 0;  // block definitions
};

// One Jw_cad Windows symbol (.jws) in memory. A symbol is a drawing fragment: its own fixed
// header, then exactly the object stream of a drawing, and nothing after the block
// definitions. It has no pen, line-type or layer tables of its own; only the 16 group scales.
class TJwsData : public TJwwEntities {
  public:
    TJwsData();
    TJwsData(const TJwsData&) = delete;
    TJwsData& operator=(const TJwsData&) = delete;

    TEntJwsHeader Enthd;
    std::vector<TEntJwwLayerGroup> EntLgrp;  // 16 groups, only adScale read from the file
    std::vector<TEntJwwMojiType> EntMoj;     // always empty for symbols
    // Present for symmetry with drawings; a symbol file has no image section.
    // Raised from another thread to abandon a read in progress (the file then reads as
    // damaged); null when nothing can stop it.
    const TStopFlag* Stop = nullptr;
    std::string BindImageFolder;
    std::vector<TBindImageType> BindImage;
    int32_t BindImageN = 0;
    bool BindImageExp = false;
    bool BindImageExr = false;
    bool MojiEncode = false;

    void DataInit();
    void DataFree();
    void BindImageInit();

    // True when the file starts with "JwsData" and holds a version 230..700 at offset 200.
    bool FileCheck(std::string_view FName);
    bool FileCheckBytes(std::span<const std::byte> data);
    // Reads a whole symbol; True only when header, objects and definitions were read
    // completely. After a failure past the header the symbol keeps what was read and the block
    // tree is built. Never throws.
    bool FileIn(std::string_view FName);
    bool FileInBytes(std::span<const std::byte> data);

    // Every layer gets state 1 and the scale of its group.
    void SetGAttLayer(TgraAttribute& att) const;

    // The block tree and explosion of drawings, on the symbol's arrays; dimension values take
    // the symbol's own group scales.
    void MakeBlockTree();
    bool BlockExplode();

    const std::string& LastError() const { return lastError_; }
    size_t LastErrorOffset() const { return lastErrorOffset_; }

  private:
    bool ReadHeader(TByteCursor& cursor);
    bool SetError(const char* what, size_t offset);

    std::string lastError_;
    size_t lastErrorOffset_ = 0;
};

}  // namespace velmora
