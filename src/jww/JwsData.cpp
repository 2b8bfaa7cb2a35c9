#include "jww/JwsData.h"

#include <cmath>
#include <new>

#include "attr/GraAttribute.h"
#include "jww/JwwBlock.h"
#include "util/Func2.h"

namespace velmora {

namespace {

constexpr int32_t kMinVersion = 230;
constexpr int32_t kMaxVersion = 700;
constexpr size_t kMagicSize = 7;
constexpr size_t kVersionOffset = 200;

// The magic is compared up to its first NUL, as the file's ANSI text would be.
bool ReadMagic(TByteCursor& c, std::string& magic) {
    if (!c.ReadBytes(kMagicSize, magic)) return false;
    magic = magic.substr(0, magic.find('\0'));
    return true;
}

}  // namespace

TJwsData::TJwsData() {
    DataInit();
}

void TJwsData::DataInit() {
    EntitiesInit();
    Enthd = TEntJwsHeader{};
    EntLgrp.clear();
    EntMoj.clear();
    BindImageInit();
    MojiEncode = false;
    lastError_.clear();
    lastErrorOffset_ = 0;
}

void TJwsData::DataFree() {
    EntitiesFree();
    DataInit();
}

void TJwsData::BindImageInit() {
    BindImage.clear();
    BindImageN = 0;
}

bool TJwsData::SetError(const char* what, size_t offset) {
    lastError_ = what;
    lastErrorOffset_ = offset;
    return false;
}

bool TJwsData::FileCheckBytes(std::span<const std::byte> data) {
    TByteCursor c(data);
    std::string magic;
    int32_t ver = 0;
    if (!ReadMagic(c, magic) || magic != "JwsData") return false;
    if (!c.Seek(kVersionOffset) || !c.ReadI32(ver)) return false;
    return ver >= kMinVersion && ver <= kMaxVersion;
}

bool TJwsData::FileCheck(std::string_view FName) {
    try {
        std::string head;
        return ReadFilePrefix(FName, kVersionOffset + 4, head) && FileCheckBytes(AsBytes(head));
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool TJwsData::FileIn(std::string_view FName) {
    try {
        const auto data = ReadWholeFile(FName);
        if (!data) {
            DataInit();
            return SetError("File I/O Error: cannot open", 0);
        }
        return FileInBytes(AsBytes(*data));
    } catch (const std::bad_alloc&) {
        return SetError("out of memory", 0);
    }
}

bool TJwsData::FileInBytes(std::span<const std::byte> data) {
    try {
        DataInit();
        TByteCursor cursor(data);
        if (!ReadHeader(cursor)) return false;
        TJwwObjectReader reader(cursor, Enthd.jwVer, MojiEncode, Stop);
        const bool ok = reader.ReadObjects(*this, Enthd.n1, Enthd.n2);
        if (!ok) SetError(reader.Error().c_str(), reader.ErrorOffset());
        MakeBlockTree();
        return ok;
    } catch (const std::bad_alloc&) {
        return SetError("out of memory", 0);
    }
}

bool TJwsData::ReadHeader(TByteCursor& c) {
    EntLgrp.assign(16, TEntJwwLayerGroup{});
    if (!ReadMagic(c, Enthd.jwID) || Enthd.jwID != "JwsData") {
        return SetError("JWS-Header Error", c.Offset());
    }
    if (!c.Seek(kVersionOffset) || !c.ReadI32(Enthd.jwVer) || Enthd.jwVer < kMinVersion ||
        Enthd.jwVer > kMaxVersion) {
        return SetError("JWS-Version Error", c.Offset());
    }
    bool ok = c.ReadF64(Enthd.BasePoint_x) && c.ReadF64(Enthd.BasePoint_y);
    for (auto& group : EntLgrp) {
        ok = ok && c.ReadF64(group.adScale);
        group.anGLay = 2;
    }
    for (int32_t* v :
         {&Enthd.dmy01, &Enthd.dmy02, &Enthd.dmy03, &Enthd.dmy04, &Enthd.dmy05, &Enthd.dmy06}) {
        ok = ok && c.ReadI32(*v);
    }
    for (double* v : {&Enthd.dmy11, &Enthd.dmy12, &Enthd.dmy13, &Enthd.dmy14, &Enthd.dmy15,
                      &Enthd.dmy16, &Enthd.Mx1, &Enthd.My1, &Enthd.Mx2, &Enthd.My2}) {
        ok = ok && c.ReadF64(*v);
    }
    if (!ok) return SetError("File I/O Error: header", c.Offset());
    return true;
}

void TJwsData::SetGAttLayer(TgraAttribute& att) const {
    att.SetDefaultLayer();
    for (int i = 0; i < 256; ++i) {
        const size_t group = static_cast<size_t>(i / 16);
        double scale = group < EntLgrp.size() ? EntLgrp[group].adScale : 1.0;
        // A zero or broken scale would make every layer scale infinite.
        if (scale == 0 || !std::isfinite(scale)) scale = 1.0;
        att.SetAttrLayer(i, 1, 1 / scale);
    }
}

}  // namespace velmora

namespace velmora {

void TJwsData::MakeBlockTree() {
    velmora::MakeBlockTree(*this);
}

bool TJwsData::BlockExplode() {
    return velmora::BlockExplode(*this, Enthd.n1, Enthd.n2, EntLgrp);
}

}  // namespace velmora
