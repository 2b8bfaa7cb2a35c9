#include "jww/JwwData.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <new>

#include "util/CodePage.h"
#include "util/Func2.h"

namespace velmora {

namespace {

constexpr int32_t kMinVersion = 220;
constexpr int32_t kMaxVersion = 700;
// The magic "JwwData." and the version behind it: all that a file check tests.
constexpr size_t kCheckedBytes = 8 + 4;
// An image entry holds at least an empty name and its int32 size.
constexpr size_t kMinImageBytes = 1 + 4;

std::filesystem::path ToPath(std::string_view utf8) {
    return std::filesystem::path(
        std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

bool WriteImageFile(const std::string& fn, std::span<const std::byte> bytes) {
    std::ofstream out(ToPath(fn), std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

// Header fields in file order. A read that finds too few bytes fails the header (the format
// only tests the last item, but once one read comes up short every later one does too) and
// leaves that field and all later ones as they were.
class THeaderIn {
  public:
    THeaderIn(TByteCursor& c, bool& mojiEncode) : c_(c), mojiEncode_(mojiEncode) {}
    bool Ok() const { return ok_; }
    void I32(int32_t& v) {
        if (ok_) ok_ = c_.ReadI32(v);
    }
    void F64(double& v) {
        if (ok_) ok_ = c_.ReadF64(v);
    }
    void Skip(size_t n) {
        if (ok_) ok_ = c_.Skip(n);
    }
    void Str(std::string& s, bool keepControls = false) {
        if (!ok_) return;
        ok_ = keepControls ? ReadJwwString(c_, s, mojiEncode_)
                           : ReadJwwStringNoCtrl(c_, s, mojiEncode_);
    }

  private:
    TByteCursor& c_;
    bool& mojiEncode_;
    bool ok_ = true;
};

}  // namespace

TJwwData::TJwwData() {
    DataInit();
}

TJwwData::~TJwwData() = default;

void TJwwData::DataInit() {
    FileOutOpt = 0;
    EntLgrp.clear();
    EntLay.clear();
    EntCol.clear();
    EntLtp1.clear();
    EntLtp2.clear();
    EntLtp3.clear();
    EntColS.clear();
    EntLtpS.clear();
    EntMoj.clear();
    EntitiesInit();
    Enthd = TEntJwwHeader{};
    BindImageInit();
    FontNameN = 0;
    FontNames.clear();
    MojiEncode = false;
    lastError_.clear();
    lastErrorOffset_ = 0;
}

void TJwwData::DataFree() {
    EntitiesFree();
    DataInit();
}

void TJwwData::BindImageInit() {
    BindImage.clear();
    BindImageN = 0;
}

bool TJwwData::SetError(const char* what, size_t offset) {
    lastError_ = what;
    lastErrorOffset_ = offset;
    return false;
}

bool TJwwData::ReadString(TByteCursor& cursor, std::string& out) {
    return ReadJwwString(cursor, out, MojiEncode);
}

bool TJwwData::ReadStringNoCtrl(TByteCursor& cursor, std::string& out) {
    return ReadJwwStringNoCtrl(cursor, out, MojiEncode);
}

bool TJwwData::FileCheckBytes(std::span<const std::byte> data) {
    TByteCursor c(data);
    std::string magic;
    int32_t ver = 0;
    if (!c.ReadBytes(8, magic) || magic != "JwwData." || !c.ReadI32(ver)) return false;
    return ver >= kMinVersion && ver <= kMaxVersion;
}

bool TJwwData::FileCheck(std::string_view FName) {
    try {
        std::string head;
        return ReadFilePrefix(FName, kCheckedBytes, head) && FileCheckBytes(AsBytes(head));
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool TJwwData::FileIn(std::string_view FName) {
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

bool TJwwData::FileInBytes(std::span<const std::byte> data) {
    try {
        DataInit();
        TByteCursor cursor(data);
        if (!ReadHeader(cursor)) return false;
        const bool ok = ReadObjectsAndImages(cursor);
        MakeBlockTree();
        return ok;
    } catch (const std::bad_alloc&) {
        return SetError("out of memory", 0);
    }
}

bool TJwwData::ReadHeader(TByteCursor& cursor) {
    EntLgrp.assign(16, TEntJwwLayerGroup{});
    EntLay.assign(256, TEntJwwLayer{});
    EntCol.assign(10, TEntJwwColorNo{});
    EntLtp1.assign(8, TEntJwwLineTypeNo{});
    EntLtp2.assign(5, TEntJwwRandomLineNo{});
    EntLtp3.assign(4, TEntJwwLineTypeNo{});
    EntMoj.assign(10, TEntJwwMojiType{});
    EntColS.assign(257, TEntJwwColorExNo{});
    EntLtpS.assign(33, TEntJwwLineTypeExNo{});

    TEntJwwHeader& h = Enthd;
    std::string magic;
    const size_t magicLen = std::min<size_t>(8, cursor.Remaining());
    cursor.ReadBytes(magicLen, magic);
    h.jwID = Cp932ToUtf8(magic);
    if (const size_t nul = h.jwID.find('\0'); nul != std::string::npos) h.jwID.resize(nul);
    if (h.jwID != "JwwData.") return SetError("JWW-Header Error", cursor.Offset());
    if (!cursor.ReadI32(h.jwVer) || h.jwVer < kMinVersion || h.jwVer > kMaxVersion) {
        return SetError("JWW-Version Error", cursor.Offset());
    }
    const int32_t v = h.jwVer;

    THeaderIn in(cursor, MojiEncode);
    in.Str(h.strMemo, true);
    in.I32(h.nZumen);
    in.I32(h.nWriteGLay);
    for (int g = 0; g < 16; ++g) {
        TEntJwwLayerGroup& grp = EntLgrp[g];
        in.I32(grp.anGLay);
        in.I32(grp.anWriteLay);
        in.F64(grp.adScale);
        in.I32(grp.anGLayProtect);
        for (int l = 0; l < 16; ++l) {
            in.I32(EntLay[g * 16 + l].aanLay);
            in.I32(EntLay[g * 16 + l].aanLayProtect);
        }
    }
    in.Skip(56);
    in.I32(h.lnSunpou1);
    in.I32(h.lnSunpou2);
    in.I32(h.lnSunpou3);
    in.I32(h.lnSunpou4);
    in.I32(h.lnSunpou5);
    in.Skip(4);
    in.I32(h.nMaxDrawWid);
    in.F64(h.DPPrtGenten_x);
    in.F64(h.DPPrtGenten_y);
    in.F64(h.dPrtBairitsu);
    in.I32(h.nPrtSet);
    in.I32(h.nMemoriMode);
    in.F64(h.dMemoriHyoujiMin);
    in.F64(h.dMemoriX);
    in.F64(h.dMemoriY);
    in.F64(h.DpMemoriKjTen_x);
    in.F64(h.DpMemoriKjTen_y);
    for (int i = 0; i < 256; ++i)
        in.Str(EntLay[i].aStrLayName);
    for (int g = 0; g < 16; ++g)
        in.Str(EntLgrp[g].aStrGLayName);
    in.F64(h.dKageLevel);
    in.F64(h.dKageIdo);
    in.I32(h.nKage9_15JiFlg);
    in.F64(h.dKabeKageLevel);
    if (v >= 300) {
        in.F64(h.dTenkuuZuLevel);
        in.F64(h.dTenkuuZuEnkoR);
    }
    in.I32(h.nMMTani3D);
    in.F64(h.dBairitsu);
    in.F64(h.DPGenten_x);
    in.F64(h.DPGenten_y);
    in.F64(h.dHanniBairitsu);
    in.F64(h.DPHanniGenten_x);
    in.F64(h.DPHanniGenten_y);
    if (v >= 231) {
        for (int i = 1; i <= 8; ++i) {
            in.F64(h.dZoomJumpBairitsu[i]);
            in.F64(h.DPZoomJumpGenten_x[i]);
            in.F64(h.DPZoomJumpGenten_y[i]);
            in.I32(h.nZoomJumpGLay[i]);
        }
        in.F64(h.dDm11);
        in.F64(h.dDm12);
        in.F64(h.dDm13);
        in.I32(h.lnDm1);
        in.F64(h.dDm21);
        in.F64(h.dDm22);
        in.F64(h.dMojiBG);
        in.I32(h.nMojiBG);
    } else {
        for (int i = 1; i <= 4; ++i) {
            in.F64(h.dZoomJumpBairitsu[i]);
            in.F64(h.DPZoomJumpGenten_x[i]);
            in.F64(h.DPZoomJumpGenten_y[i]);
        }
    }
    for (double& d : h.adFukusenSuuchi)
        in.F64(d);
    in.F64(h.dRyougawaFukusenTomeDe);
    for (TEntJwwColorNo& c : EntCol) {
        in.I32(c.aPenColor);
        in.I32(c.anPenWidth);
    }
    for (TEntJwwColorNo& c : EntCol) {
        in.I32(c.aPrtPenColor);
        in.I32(c.anPrtPenWidth);
        in.F64(c.adPrtTenHankei);
    }
    for (TEntJwwLineTypeNo& t : EntLtp1) {
        in.I32(t.alLType);
        in.I32(t.anTokushuSenUintDot);
        in.I32(t.anTokushuSenPich);
        in.I32(t.anPrtTokushuSenPich);
    }
    for (TEntJwwRandomLineNo& t : EntLtp2) {
        in.I32(t.alLType);
        in.I32(t.anRandSenWide);
        in.I32(t.anTokushuSenPich);
        in.I32(t.anPrtRandSenWide);
        in.I32(t.anPrtTokushuSenPich);
    }
    for (TEntJwwLineTypeNo& t : EntLtp3) {
        in.I32(t.alLType);
        in.I32(t.anTokushuSenUintDot);
        in.I32(t.anTokushuSenPich);
        in.I32(t.anPrtTokushuSenPich);
    }
    in.I32(h.nDrawGamenTen);
    in.I32(h.nDrawPrtTen);
    in.I32(h.nBitMapFirstDraw);
    in.I32(h.nGyakuDraw);
    in.I32(h.nGyakuSearch);
    in.I32(h.nColorPrint);
    in.I32(h.nLayJunPrint);
    in.I32(h.nColJunPrint);
    in.I32(h.nPrtRenzoku);
    in.I32(h.nPrtKyoutsuuGray);
    int32_t dpi = 0;
    in.I32(dpi);
    if (in.Ok()) {
        // One stored value carries both: tens the resolution, the unit digit the flag.
        h.nPrtDpi = dpi / 10;
        h.nPrtDispOnlyNonDraw = dpi % 10;
    }
    if (v >= 223) {
        in.I32(h.lnDrawTime);
        in.I32(h.nEyeInit);
        in.I32(h.dEye_H_Ichi_1);
        in.I32(h.dEye_H_Ichi_2);
        in.I32(h.dEye_H_Ichi_3);
        in.F64(h.dEye_Z_Ichi_1);
        in.F64(h.dEye_Y_Ichi_1);
        in.F64(h.dEye_Z_Ichi_2);
        in.F64(h.dEye_Y_Ichi_2);
        in.F64(h.dEye_V_Ichi_3);
    }
    if (v >= 225) {
        in.F64(h.dSenNagasaSnpou);
        in.F64(h.dBoxSunpouX);
        in.F64(h.dBoxSunpouY);
        in.F64(h.dEnHankeiSnpou);
    }
    if (v >= 230) {
        in.I32(h.nSolidNinniColor);
        in.I32(h.SolidColor);
    }
    if (v >= 420) {
        for (TEntJwwColorExNo& c : EntColS) {
            in.I32(c.aPenColor);
            in.I32(c.anPenWidth);
        }
        for (TEntJwwColorExNo& c : EntColS) {
            in.Str(c.astrUDColorName);
            in.I32(c.aPrtPenColor);
            in.I32(c.anPrtPenWidth);
            in.F64(c.adPrtTenHankei);
        }
        for (TEntJwwLineTypeExNo& t : EntLtpS) {
            in.I32(t.alLType);
            in.I32(t.anTokushuSenUintDot);
            in.I32(t.anTokushuSenPich);
            in.I32(t.anPrtTokushuSenPich);
        }
        for (TEntJwwLineTypeExNo& t : EntLtpS) {
            in.Str(t.astrUDLTypeName);
            in.I32(t.anUDLTypeSegment);
            for (int k = 1; k <= 10; ++k)
                in.F64(t.aadUDLTypePitch[k]);
        }
    }
    for (TEntJwwMojiType& m : EntMoj) {
        in.F64(m.adMojiX);
        in.F64(m.adMojiY);
        in.F64(m.adMojiD);
        in.I32(m.anMojiCol);
        if (!std::isfinite(m.adMojiX)) m.adMojiX = 3.0;
        if (!std::isfinite(m.adMojiY)) m.adMojiY = 3.0;
        if (!std::isfinite(m.adMojiD)) m.adMojiD = 0.0;
    }
    in.F64(h.dMojiSizeX);
    in.F64(h.dMojiSizeY);
    in.F64(h.dMojiKankaku);
    if (!std::isfinite(h.dMojiSizeX)) h.dMojiSizeX = 3.0;
    if (!std::isfinite(h.dMojiSizeY)) h.dMojiSizeY = 3.0;
    if (!std::isfinite(h.dMojiKankaku)) h.dMojiKankaku = 0.0;
    in.I32(h.nMojiColor);
    in.I32(h.nMojiShu);
    in.F64(h.dMojiSeiriGyouKan);
    in.F64(h.dMojiSeiriSuu);
    in.I32(h.nMojiKijunZureOn);
    in.F64(h.adMojiKijunZureX0);
    in.F64(h.adMojiKijunZureX1);
    in.F64(h.adMojiKijunZureX2);
    in.F64(h.adMojiKijunZureY0);
    in.F64(h.adMojiKijunZureY1);
    in.F64(h.adMojiKijunZureY2);
    if (!in.Ok()) return SetError("File I/O Error: header", cursor.Offset());
    return true;
}

bool TJwwData::ReadObjectsAndImages(TByteCursor& cursor) {
    TJwwObjectReader reader(cursor, Enthd.jwVer, MojiEncode, Stop);
    if (!reader.ReadObjects(*this, Enthd.n1, Enthd.n2)) {
        return SetError(reader.Error().c_str(), reader.ErrorOffset());
    }
    if (Enthd.jwVer >= 700) return ReadImages(cursor);
    return true;
}

bool TJwwData::ReadImages(TByteCursor& cursor) {
    BindImageInit();
    if (!BindImageExp && !BindImageExr) return true;
    uint32_t count = 0;
    if (!cursor.ReadU32(count)) return SetError("end of data before the image count", 0);
    if (count > cursor.Remaining() / kMinImageBytes) {
        return SetError("image count larger than the remaining data", cursor.Offset());
    }
    BindImage.resize(count);
    BindImageN = static_cast<int32_t>(count);
    for (TBindImageType& img : BindImage) {
        if (!ReadStringNoCtrl(cursor, img.Fname) || !cursor.ReadI32(img.Fsize)) {
            return SetError("end of data inside an image entry", cursor.Offset());
        }
        if (img.Fname.empty() || img.Fsize == 0) continue;
        const size_t size = img.Fsize < 0 ? 0 : static_cast<size_t>(img.Fsize);
        std::span<const std::byte> bytes;
        if (!cursor.ReadSpan(size, bytes)) {
            return SetError("image data cut off", cursor.Offset());
        }
        // The name comes from the file: only a plain name may be joined to the folder, so
        // nothing is written outside it. Any other image is passed over.
        if (!BindImageExp || BindImageFolder.empty() || !IsPlainFileName(img.Fname)) continue;
        const std::string fn = BindImageFolder + img.Fname;
        if (!WriteImageFile(fn, bytes) && FileThere(fn)) EraseFile(fn);
    }
    return true;
}

void TJwwData::BindImageDeleteGzFile() {
    if (BindImageFolder.empty()) return;
    for (const TBindImageType& img : BindImage) {
        if (!IsPlainFileName(img.Fname) || GetFileExtLower(img.Fname) != ".gz") continue;
        const std::string fn = BindImageFolder + img.Fname;
        if (FileThere(fn)) EraseFile(fn);
    }
}

void TJwwData::BindImageDeleteNonGzFile() {
    if (BindImageFolder.empty()) return;
    for (const TBindImageType& img : BindImage) {
        if (!IsPlainFileName(img.Fname)) continue;
        std::string name = img.Fname;
        if (GetFileExtLower(name) == ".gz") name = ChangeExtSafe(name, "");
        if (!IsPlainFileName(name)) continue;
        const std::string fn = BindImageFolder + name;
        if (FileThere(fn)) EraseFile(fn);
    }
}

}  // namespace velmora
