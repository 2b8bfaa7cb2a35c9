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

// One Jw_cad Windows drawing (.jww) in memory: header, header tables, the entity arrays
// (inherited from TJwwEntities, shared with the symbol reader), the block tree and the images
// embedded in the file. One object is reused for every drawing of a run; every read starts
// from the empty drawing.
class TJwwData : public TJwwEntities {
  public:
    TJwwData();
    ~TJwwData();
    TJwwData(const TJwwData&) = delete;
    TJwwData& operator=(const TJwwData&) = delete;

    TEntJwwHeader Enthd;
    std::vector<TEntJwwLayerGroup> EntLgrp;    // 16 groups
    std::vector<TEntJwwLayer> EntLay;          // 256 layers, group * 16 + layer
    std::vector<TEntJwwColorNo> EntCol;        // 0 background, 1..9 pens
    std::vector<TEntJwwLineTypeNo> EntLtp1;    // line types 2..9
    std::vector<TEntJwwRandomLineNo> EntLtp2;  // line types 11..15
    std::vector<TEntJwwLineTypeNo> EntLtp3;    // line types 16..19
    std::vector<TEntJwwColorExNo> EntColS;     // SXF colours 1..256 (entry 0 unused)
    std::vector<TEntJwwLineTypeExNo> EntLtpS;  // SXF line types 1..32 (entry 0 unused)
    std::vector<TEntJwwMojiType> EntMoj;       // 10 text types

    // Folder (with trailing delimiter) that embedded images are written to; set by the
    // application. Images are written only when it is not empty.
    // Raised from another thread to abandon a read in progress (the file then reads as
    // damaged); null when nothing can stop it.
    const TStopFlag* Stop = nullptr;
    std::string BindImageFolder;
    std::vector<TBindImageType> BindImage;
    int32_t BindImageN = 0;
    bool BindImageExp = false;  // write embedded images into BindImageFolder while reading
    bool BindImageExr = false;  // read the image section
    int32_t FileOutOpt = 0;
    int32_t FontNameN = 0;
    std::vector<std::string> FontNames;
    bool MojiEncode = false;  // some string of the file was UTF-16

    // Resets to the empty drawing; the image folder and flags keep their values.
    void DataInit();
    // Releases every array (definitions with their members) and resets as DataInit.
    void DataFree();
    void BindImageInit();

    // True when the file starts with "JwwData." and a version 220..700.
    bool FileCheck(std::string_view FName);
    bool FileCheckBytes(std::span<const std::byte> data);
    // Reads a whole drawing. True only when header, objects, block definitions and (from
    // version 700, when an image flag is set) the image section were read completely. After a
    // failure the drawing keeps what was read; after a read that got past the header the block
    // tree is built in either case. Never throws.
    bool FileIn(std::string_view FName);
    bool FileInBytes(std::span<const std::byte> data);

    // Strings of the file format (see ReadJwwString); they set MojiEncode for UTF-16 text.
    // False when the data ends inside the string.
    bool ReadString(TByteCursor& cursor, std::string& out);
    bool ReadStringNoCtrl(TByteCursor& cursor, std::string& out);

    // Builds EntBlockTree from the inserts and definitions.
    void MakeBlockTree();
    // Expands every placed definition into the drawing's own arrays and removes the tree,
    // the inserts and the definitions (see velmora::BlockExplode in JwwBlock.h). False only
    // when memory ran out.
    bool BlockExplode();

    // Install the drawing's pen colours (with the background kind), line types and layer
    // states, scales and names into att, over the defaults the caller has just set. Tables that
    // were never read leave att as it is; only the header tables are read.
    void FileColorSet(TgraAttribute& att) const;
    void FileLtypeSet(TgraAttribute& att) const;
    void SetGAttLayer(TgraAttribute& att) const;

    // Delete the files that FileIn wrote for the images of BindImage: the ".gz" ones, and the
    // others (for "x.gz" also "x"). Names that are not plain file names are never touched.
    void BindImageDeleteGzFile();
    void BindImageDeleteNonGzFile();

    // Reason and byte offset of the last failed read, for diagnostics.
    const std::string& LastError() const { return lastError_; }
    size_t LastErrorOffset() const { return lastErrorOffset_; }

  private:
    bool ReadHeader(TByteCursor& cursor);
    bool ReadImages(TByteCursor& cursor);
    bool ReadObjectsAndImages(TByteCursor& cursor);
    bool SetError(const char* what, size_t offset);

    std::string lastError_;
    size_t lastErrorOffset_ = 0;
};

}  // namespace velmora
