#include "support/JwwEncoder.h"

#include <cstring>

#include "util/CodePage.h"

namespace velmora::test {

void TJwwBytes::U8(uint8_t v) {
    data_.push_back(static_cast<char>(v));
}

void TJwwBytes::U16(uint16_t v) {
    U8(static_cast<uint8_t>(v));
    U8(static_cast<uint8_t>(v >> 8));
}

void TJwwBytes::U32(uint32_t v) {
    U16(static_cast<uint16_t>(v));
    U16(static_cast<uint16_t>(v >> 16));
}

void TJwwBytes::I32(int32_t v) {
    U32(static_cast<uint32_t>(v));
}

void TJwwBytes::F64(double v) {
    uint64_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    U32(static_cast<uint32_t>(bits));
    U32(static_cast<uint32_t>(bits >> 32));
}

void TJwwBytes::Raw(std::string_view bytes) {
    data_.append(bytes);
}

void TJwwBytes::String(std::string_view utf8, TJwwStringForm form) {
    if (form == TJwwStringForm::Cp932) {
        const std::string bytes = Utf8ToCp932(utf8);
        if (bytes.size() < 0xFF) {
            U8(static_cast<uint8_t>(bytes.size()));
        } else {
            U8(0xFF);
            U16(static_cast<uint16_t>(bytes.size()));
        }
        Raw(bytes);
        return;
    }
    const std::string units = Utf8ToUtf16Le(utf8);
    const size_t chars = units.size() / 2;
    U8(0xFF);
    U16(0xFFFE);
    if (chars < 0xFF) {
        U8(static_cast<uint8_t>(chars));
    } else {
        U8(0xFF);
        U16(static_cast<uint16_t>(chars));
    }
    Raw(units);
}

void TJwwBytes::Count(uint32_t n) {
    if (n < 0xFFFF) {
        U16(static_cast<uint16_t>(n));
    } else {
        U16(0xFFFF);
        U32(n);
    }
}

namespace {

template <typename T>
void Member(std::vector<T>& v, int32_t& n, std::vector<TEntJwwNo>& no, int32_t& count, int32_t kind,
            const T& e) {
    no.push_back(TEntJwwNo{kind, n});
    v.push_back(e);
    ++n;
    ++count;
}

constexpr const char* kClassNames[9] = {"",           "CDataSen",   "CDataEnko",
                                        "CDataTen",   "CDataMoji",  "CDataSunpou",
                                        "CDataSolid", "CDataBlock", "CDataList"};
constexpr int kListClass = 8;

// Writes objects with their class tags; one class index counter for the whole stream.
class TStreamWriter {
  public:
    TStreamWriter(TJwwBytes& b, int32_t version, TJwwStringForm form, TJwwClassRef ref)
        : b_(b), version_(version), form_(form), ref_(ref) {}

    void Tag(int kind) {
        if (classOf_[kind] == 0) {
            const std::string_view name = kClassNames[kind];
            b_.U16(0xFFFF);
            b_.U16(kind == kListClass ? 0 : 1);  // schema number, not read
            b_.U16(static_cast<uint16_t>(name.size()));
            b_.Raw(name);
            classOf_[kind] = counter_++;
            return;
        }
        const uint32_t idx = classOf_[kind];
        if (ref_ == TJwwClassRef::Short && idx < 0x7FFF) {
            b_.U16(static_cast<uint16_t>(0x8000 + idx));
        } else {
            b_.U16(0x7FFF);
            b_.U32(ref_ == TJwwClassRef::LongBit31 ? (idx | 0x80000000u) : idx);
        }
    }
    void Attr(const TEntJwwAttr& a) {
        b_.U32(a.lGroup);
        b_.U8(a.nPenStyle);
        b_.U16(a.nPenColor);
        if (version_ >= 351) b_.U16(a.nPenWidth);
        b_.U16(a.nLayer);
        b_.U16(a.nGLayer);
        b_.U16(a.sFlg);
    }
    void Data(const TEntJwwLine& e) {
        Attr(e.att);
        b_.F64(e.start_x);
        b_.F64(e.start_y);
        b_.F64(e.end_x);
        b_.F64(e.end_y);
    }
    void Data(const TEntJwwEnko& e) {
        Attr(e.att);
        for (double d : {e.start_x, e.start_y, e.dHankei, e.radKaishiKaku, e.radEnkoKaku,
                         e.radKatamukiKaku, e.dHenpeiRitsu}) {
            b_.F64(d);
        }
        b_.U32(e.bZenEnFlg);
    }
    void Data(const TEntJwwTen& e) {
        Attr(e.att);
        b_.F64(e.start_x);
        b_.F64(e.start_y);
        b_.U32(e.bKariten);
        if (e.att.nPenStyle == 100) {
            b_.U32(e.nCode);
            b_.F64(e.radKaitenKaku);
            b_.F64(e.dBairitsu);
        }
    }
    void Data(const TEntJwwMoji& e) {
        Attr(e.att);
        for (double d : {e.start_x, e.start_y, e.end_x, e.end_y})
            b_.F64(d);
        b_.U32(e.nMojiShu);
        for (double d : {e.dSizeX, e.dSizeY, e.dKankaku, e.degKakudo})
            b_.F64(d);
        b_.String(e.strFontName, form_);
        b_.String(e.str, form_);
    }
    void Data(const TEntJwwSunpo& e) {
        Attr(e.att);
        Data(e.Sen);
        Data(e.Moji);
        if (version_ >= 420) {
            b_.U16(e.bSxfMode);
            Data(e.Ho1);
            Data(e.Ho2);
            Data(e.Te1);
            Data(e.Te2);
            Data(e.Kt1);
            Data(e.Kt2);
        }
    }
    void Data(const TEntJwwSolid& e) {
        Attr(e.att);
        for (double d : {e.start_x, e.start_y, e.end_x, e.end_y, e.DPoint2_x, e.DPoint2_y,
                         e.DPoint3_x, e.DPoint3_y}) {
            b_.F64(d);
        }
        if (e.att.nPenColor == 10) b_.U32(e.Color);
    }
    void Data(const TEntJwwBlock& e) {
        Attr(e.att);
        for (double d :
             {e.DPKijunTen_x, e.DPKijunTen_y, e.dBairitsuX, e.dBairitsuY, e.radKaitenKaku}) {
            b_.F64(d);
        }
        b_.U32(e.nNumber);
    }
    template <typename T>
    void Object(int kind, const T& e) {
        Tag(kind);
        Data(e);
        ++counter_;
    }
    void Member(const TEntJwwBlockDef& def, const TEntJwwNo& no) {
        const auto i = static_cast<size_t>(no.EntNo);
        switch (no.EntType) {
            case kJwwLine:
                Object(kJwwLine, def.mLine.at(i));
                break;
            case kJwwEnko:
                Object(kJwwEnko, def.mEnko.at(i));
                break;
            case kJwwTen:
                Object(kJwwTen, def.mTen.at(i));
                break;
            case kJwwMoji:
                Object(kJwwMoji, def.mMoji.at(i));
                break;
            case kJwwSunpo:
                Object(kJwwSunpo, def.mSunpo.at(i));
                break;
            case kJwwSolid:
                Object(kJwwSolid, def.mSolid.at(i));
                break;
            case kJwwBlock:
                Object(kJwwBlock, def.mBlock.at(i));
                break;
            default:
                break;
        }
    }
    void BlockDef(const TEntJwwBlockDef& def) {
        Tag(kListClass);
        Attr(def.att);
        b_.U32(def.nNumber);
        b_.U32(def.bRefferd);
        b_.U32(def.dtime);
        if (def.dtime >= 0x80000000u) {
            b_.U32(0x12345678);  // long time form
            b_.U32(0x9ABCDEF0);
        }
        b_.String(def.strName, form_);
        b_.Count(static_cast<uint32_t>(def.mNo.size()));
        ++counter_;
        for (const TEntJwwNo& no : def.mNo)
            Member(def, no);
    }

  private:
    TJwwBytes& b_;
    int32_t version_;
    TJwwStringForm form_;
    TJwwClassRef ref_;
    uint32_t counter_ = 1;
    uint32_t classOf_[9] = {};
};

}  // namespace

void AddMember(TEntJwwBlockDef& d, const TEntJwwLine& e) {
    Member(d.mLine, d.mLineN, d.mNo, d.N, kJwwLine, e);
}
void AddMember(TEntJwwBlockDef& d, const TEntJwwEnko& e) {
    Member(d.mEnko, d.mEnkoN, d.mNo, d.N, kJwwEnko, e);
}
void AddMember(TEntJwwBlockDef& d, const TEntJwwTen& e) {
    Member(d.mTen, d.mTenN, d.mNo, d.N, kJwwTen, e);
}
void AddMember(TEntJwwBlockDef& d, const TEntJwwMoji& e) {
    Member(d.mMoji, d.mMojiN, d.mNo, d.N, kJwwMoji, e);
}
void AddMember(TEntJwwBlockDef& d, const TEntJwwSunpo& e) {
    Member(d.mSunpo, d.mSunpoN, d.mNo, d.N, kJwwSunpo, e);
}
void AddMember(TEntJwwBlockDef& d, const TEntJwwSolid& e) {
    Member(d.mSolid, d.mSolidN, d.mNo, d.N, kJwwSolid, e);
}
void AddMember(TEntJwwBlockDef& d, const TEntJwwBlock& e) {
    Member(d.mBlock, d.mBlockN, d.mNo, d.N, kJwwBlock, e);
}

TJwwWriter::TJwwWriter(int32_t version)
    : EntLgrp(16),
      EntLay(256),
      EntCol(10),
      EntLtp1(8),
      EntLtp2(5),
      EntLtp3(4),
      EntColS(257),
      EntLtpS(33),
      EntMoj(10) {
    Header.jwID = "JwwData.";
    Header.jwVer = version;
    for (int g = 0; g < 16; ++g) {
        EntLgrp[g].anGLay = 2;
        EntLgrp[g].adScale = 1.0;
        for (int l = 0; l < 16; ++l)
            EntLay[g * 16 + l].aanLay = 2;
    }
    EntCol[0].aPenColor = 0x00FFFFFF;
    for (int n = 1; n < 10; ++n) {
        EntCol[n].anPenWidth = 1;
        EntCol[n].aPrtPenColor = 0;
        EntCol[n].anPrtPenWidth = 1;
        EntCol[n].adPrtTenHankei = 0.3;
    }
    for (TEntJwwMojiType& m : EntMoj) {
        m.adMojiX = 3.0;
        m.adMojiY = 3.0;
        m.anMojiCol = 1;
    }
    Header.dMojiSizeX = 3.0;
    Header.dMojiSizeY = 3.0;
}

void TJwwWriter::AddImage(std::string name, std::string data, std::optional<int32_t> size) {
    const int32_t declared = size ? *size : static_cast<int32_t>(data.size());
    images_.push_back(TImage{std::move(name), std::move(data), declared});
}

std::string TJwwWriter::HeaderBytes() const {
    const TEntJwwHeader& h = Header;
    const int32_t v = h.jwVer;
    const TJwwStringForm sf = StringForm;
    TJwwBytes b;
    b.Raw("JwwData.");
    b.I32(v);
    b.String(h.strMemo, sf);
    b.I32(h.nZumen);
    b.I32(h.nWriteGLay);
    for (int g = 0; g < 16; ++g) {
        b.I32(EntLgrp[g].anGLay);
        b.I32(EntLgrp[g].anWriteLay);
        b.F64(EntLgrp[g].adScale);
        b.I32(EntLgrp[g].anGLayProtect);
        for (int l = 0; l < 16; ++l) {
            b.I32(EntLay[g * 16 + l].aanLay);
            b.I32(EntLay[g * 16 + l].aanLayProtect);
        }
    }
    b.Raw(std::string(56, '\0'));
    for (int32_t x : {h.lnSunpou1, h.lnSunpou2, h.lnSunpou3, h.lnSunpou4, h.lnSunpou5})
        b.I32(x);
    b.I32(0);
    b.I32(h.nMaxDrawWid);
    for (double d : {h.DPPrtGenten_x, h.DPPrtGenten_y, h.dPrtBairitsu})
        b.F64(d);
    b.I32(h.nPrtSet);
    b.I32(h.nMemoriMode);
    for (double d :
         {h.dMemoriHyoujiMin, h.dMemoriX, h.dMemoriY, h.DpMemoriKjTen_x, h.DpMemoriKjTen_y}) {
        b.F64(d);
    }
    for (int i = 0; i < 256; ++i)
        b.String(EntLay[i].aStrLayName, sf);
    for (int g = 0; g < 16; ++g)
        b.String(EntLgrp[g].aStrGLayName, sf);
    b.F64(h.dKageLevel);
    b.F64(h.dKageIdo);
    b.I32(h.nKage9_15JiFlg);
    b.F64(h.dKabeKageLevel);
    if (v >= 300) {
        b.F64(h.dTenkuuZuLevel);
        b.F64(h.dTenkuuZuEnkoR);
    }
    b.I32(h.nMMTani3D);
    for (double d : {h.dBairitsu, h.DPGenten_x, h.DPGenten_y, h.dHanniBairitsu, h.DPHanniGenten_x,
                     h.DPHanniGenten_y}) {
        b.F64(d);
    }
    if (v >= 231) {
        for (int i = 1; i <= 8; ++i) {
            b.F64(h.dZoomJumpBairitsu[i]);
            b.F64(h.DPZoomJumpGenten_x[i]);
            b.F64(h.DPZoomJumpGenten_y[i]);
            b.I32(h.nZoomJumpGLay[i]);
        }
        for (double d : {h.dDm11, h.dDm12, h.dDm13})
            b.F64(d);
        b.I32(h.lnDm1);
        for (double d : {h.dDm21, h.dDm22, h.dMojiBG})
            b.F64(d);
        b.I32(h.nMojiBG);
    } else {
        for (int i = 1; i <= 4; ++i) {
            b.F64(h.dZoomJumpBairitsu[i]);
            b.F64(h.DPZoomJumpGenten_x[i]);
            b.F64(h.DPZoomJumpGenten_y[i]);
        }
    }
    for (double d : h.adFukusenSuuchi)
        b.F64(d);
    b.F64(h.dRyougawaFukusenTomeDe);
    for (const TEntJwwColorNo& c : EntCol) {
        b.I32(c.aPenColor);
        b.I32(c.anPenWidth);
    }
    for (const TEntJwwColorNo& c : EntCol) {
        b.I32(c.aPrtPenColor);
        b.I32(c.anPrtPenWidth);
        b.F64(c.adPrtTenHankei);
    }
    const auto lineTypes = [&b](const std::vector<TEntJwwLineTypeNo>& table) {
        for (const TEntJwwLineTypeNo& t : table) {
            for (int32_t x :
                 {t.alLType, t.anTokushuSenUintDot, t.anTokushuSenPich, t.anPrtTokushuSenPich}) {
                b.I32(x);
            }
        }
    };
    lineTypes(EntLtp1);
    for (const TEntJwwRandomLineNo& t : EntLtp2) {
        for (int32_t x : {t.alLType, t.anRandSenWide, t.anTokushuSenPich, t.anPrtRandSenWide,
                          t.anPrtTokushuSenPich}) {
            b.I32(x);
        }
    }
    lineTypes(EntLtp3);
    for (int32_t x :
         {h.nDrawGamenTen, h.nDrawPrtTen, h.nBitMapFirstDraw, h.nGyakuDraw, h.nGyakuSearch,
          h.nColorPrint, h.nLayJunPrint, h.nColJunPrint, h.nPrtRenzoku, h.nPrtKyoutsuuGray}) {
        b.I32(x);
    }
    b.I32(h.nPrtDpi * 10 + h.nPrtDispOnlyNonDraw);
    if (v >= 223) {
        for (int32_t x :
             {h.lnDrawTime, h.nEyeInit, h.dEye_H_Ichi_1, h.dEye_H_Ichi_2, h.dEye_H_Ichi_3}) {
            b.I32(x);
        }
        for (double d : {h.dEye_Z_Ichi_1, h.dEye_Y_Ichi_1, h.dEye_Z_Ichi_2, h.dEye_Y_Ichi_2,
                         h.dEye_V_Ichi_3}) {
            b.F64(d);
        }
    }
    if (v >= 225) {
        for (double d : {h.dSenNagasaSnpou, h.dBoxSunpouX, h.dBoxSunpouY, h.dEnHankeiSnpou}) {
            b.F64(d);
        }
    }
    if (v >= 230) {
        b.I32(h.nSolidNinniColor);
        b.I32(h.SolidColor);
    }
    if (v >= 420) {
        for (const TEntJwwColorExNo& c : EntColS) {
            b.I32(c.aPenColor);
            b.I32(c.anPenWidth);
        }
        for (const TEntJwwColorExNo& c : EntColS) {
            b.String(c.astrUDColorName, sf);
            b.I32(c.aPrtPenColor);
            b.I32(c.anPrtPenWidth);
            b.F64(c.adPrtTenHankei);
        }
        for (const TEntJwwLineTypeExNo& t : EntLtpS) {
            for (int32_t x :
                 {t.alLType, t.anTokushuSenUintDot, t.anTokushuSenPich, t.anPrtTokushuSenPich}) {
                b.I32(x);
            }
        }
        for (const TEntJwwLineTypeExNo& t : EntLtpS) {
            b.String(t.astrUDLTypeName, sf);
            b.I32(t.anUDLTypeSegment);
            for (int k = 1; k <= 10; ++k)
                b.F64(t.aadUDLTypePitch[k]);
        }
    }
    for (const TEntJwwMojiType& m : EntMoj) {
        b.F64(m.adMojiX);
        b.F64(m.adMojiY);
        b.F64(m.adMojiD);
        b.I32(m.anMojiCol);
    }
    for (double d : {h.dMojiSizeX, h.dMojiSizeY, h.dMojiKankaku})
        b.F64(d);
    b.I32(h.nMojiColor);
    b.I32(h.nMojiShu);
    b.F64(h.dMojiSeiriGyouKan);
    b.F64(h.dMojiSeiriSuu);
    b.I32(h.nMojiKijunZureOn);
    for (double d : {h.adMojiKijunZureX0, h.adMojiKijunZureX1, h.adMojiKijunZureX2,
                     h.adMojiKijunZureY0, h.adMojiKijunZureY1, h.adMojiKijunZureY2}) {
        b.F64(d);
    }
    return b.Data();
}

std::string TJwwWriter::ObjectStreamBytes() const {
    TJwwBytes b;
    TStreamWriter w(b, Header.jwVer, StringForm, ClassRef);
    uint32_t objects = 0;
    for (const TObject& o : main_) {
        if (!std::holds_alternative<TRaw>(o)) ++objects;
    }
    b.Count(MainCountOverride ? *MainCountOverride : objects);
    for (const TObject& o : main_) {
        switch (o.index()) {
            case 0:
                w.Object(kJwwLine, std::get<0>(o));
                break;
            case 1:
                w.Object(kJwwEnko, std::get<1>(o));
                break;
            case 2:
                w.Object(kJwwTen, std::get<2>(o));
                break;
            case 3:
                w.Object(kJwwMoji, std::get<3>(o));
                break;
            case 4:
                w.Object(kJwwSunpo, std::get<4>(o));
                break;
            case 5:
                w.Object(kJwwSolid, std::get<5>(o));
                break;
            case 6:
                w.Object(kJwwBlock, std::get<6>(o));
                break;
            default:
                b.Raw(std::get<TRaw>(o).bytes);
                break;
        }
    }
    b.Count(BlockDefCountOverride ? *BlockDefCountOverride : static_cast<uint32_t>(defs_.size()));
    for (const TEntJwwBlockDef& def : defs_)
        w.BlockDef(def);
    return b.Data();
}

std::string TJwwWriter::ImageSectionBytes() const {
    TJwwBytes b;
    b.U32(static_cast<uint32_t>(images_.size()));
    for (const TImage& img : images_) {
        b.String(img.name, StringForm);
        b.I32(img.size);
        if (!img.name.empty() && img.size != 0) b.Raw(img.data);
    }
    return b.Data();
}

std::string TJwwWriter::Bytes() const {
    std::string out = HeaderBytes() + ObjectStreamBytes();
    if (Header.jwVer >= 700 && WriteImageSection) out += ImageSectionBytes();
    return out;
}

}  // namespace velmora::test
