#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

// Records of Jw_cad Windows drawings (.jww) and symbols (.jws). Plain data only: the readers,
// the block expansion, the converters and the test encoders all share these definitions.
// Arrays that the format indexes from 1 (zoom jumps, line type pitches) keep that index here;
// their entry 0 is unused.

// Attribute block in front of every object (15 bytes in the file, 13 before version 351).
struct TEntJwwAttr {
    uint32_t lGroup = 0;
    uint8_t nPenStyle = 0;
    uint16_t nPenColor = 0;
    uint16_t nPenWidth = 0;
    uint16_t nLayer = 0;
    uint16_t nGLayer = 0;
    uint16_t sFlg = 0;
};

struct TEntJwwLine {
    TEntJwwAttr att;
    double start_x = 0, start_y = 0, end_x = 0, end_y = 0;
};

// Circle, arc or ellipse.
struct TEntJwwEnko {
    TEntJwwAttr att;
    double start_x = 0, start_y = 0;
    double dHankei = 0;
    double radKaishiKaku = 0;
    double radEnkoKaku = 0;
    double radKatamukiKaku = 0;
    double dHenpeiRitsu = 0;
    uint32_t bZenEnFlg = 0;
};

// Point; nCode, radKaitenKaku and dBairitsu come from the file only for code points
// (att.nPenStyle == 100).
struct TEntJwwTen {
    TEntJwwAttr att;
    double start_x = 0, start_y = 0;
    uint32_t bKariten = 0;
    uint32_t nCode = 0;
    double radKaitenKaku = 0;
    double dBairitsu = 1.0;
};

struct TEntJwwMoji {
    TEntJwwAttr att;
    double start_x = 0, start_y = 0, end_x = 0, end_y = 0;
    uint32_t nMojiShu = 0;
    double dSizeX = 0, dSizeY = 0;
    double dKankaku = 0;
    double degKakudo = 0;
    std::string strFontName;
    std::string str;
};

// Dimension; Ho1 .. Kt2 come from the file only from version 420 on.
struct TEntJwwSunpo {
    TEntJwwAttr att;
    TEntJwwLine Sen;
    TEntJwwMoji Moji;
    uint16_t bSxfMode = 0;
    TEntJwwLine Ho1, Ho2;
    TEntJwwTen Te1, Te2;
    TEntJwwTen Kt1, Kt2;
};

// Filled quadrilateral (or curved solid); Color is a COLORREF stored only when nPenColor == 10.
struct TEntJwwSolid {
    TEntJwwAttr att;
    double start_x = 0, start_y = 0, end_x = 0, end_y = 0;
    double DPoint2_x = 0, DPoint2_y = 0, DPoint3_x = 0, DPoint3_y = 0;
    uint32_t Color = 0;
};

// Block insert.
struct TEntJwwBlock {
    TEntJwwAttr att;
    double DPKijunTen_x = 0, DPKijunTen_y = 0;
    double dBairitsuX = 0, dBairitsuY = 0;
    double radKaitenKaku = 0;
    uint32_t nNumber = 0;
};

// Object order table entry. EntType: 1 line, 2 circle/arc, 3 point, 4 text, 5 dimension,
// 6 solid, 7 block insert, 0 no object; EntNo indexes the array of that kind.
struct TEntJwwNo {
    int32_t EntType = 0;
    int32_t EntNo = 0;
};

struct TEntJwwBlockDef {
    TEntJwwAttr att;
    uint32_t nNumber = 0;
    uint32_t bRefferd = 0;
    // The stored time stamp; for the long time form the definition's 1-based position.
    uint32_t dtime = 0;
    std::string strName;
    int32_t N = 0;  // members as declared
    std::vector<TEntJwwNo> mNo;
    int32_t mLineN = 0, mEnkoN = 0, mTenN = 0, mMojiN = 0, mSunpoN = 0, mSolidN = 0, mBlockN = 0;
    std::vector<TEntJwwLine> mLine;
    std::vector<TEntJwwEnko> mEnko;
    std::vector<TEntJwwTen> mTen;
    std::vector<TEntJwwMoji> mMoji;
    std::vector<TEntJwwSunpo> mSunpo;
    std::vector<TEntJwwSolid> mSolid;
    std::vector<TEntJwwBlock> mBlock;
    bool ref_flag = false;
    int32_t ref_no = -1;
};

// One placement of a definition; (X, Y) = (x + r1*u + r2*v, y + r3*u + r4*v).
struct TEntJwwBlockTree {
    TEntJwwAttr att;
    int32_t level = 0;
    int32_t parent = -1;
    uint32_t no = 0;
    int32_t defno = -1;
    std::string name;
    double x = 0, y = 0;
    double r1 = 1, r2 = 0, r3 = 0, r4 = 1;
};

// ---- Header tables ----

struct TEntJwwLayerGroup {
    int32_t anGLay = 0;
    int32_t anWriteLay = 0;
    double adScale = 0;
    int32_t anGLayProtect = 0;
    std::string aStrGLayName;
};

struct TEntJwwLayer {
    int32_t aanLay = 0;
    int32_t aanLayProtect = 0;
    std::string aStrLayName;
};

struct TEntJwwColorNo {
    int32_t aPenColor = 0;  // COLORREF 0x00BBGGRR
    int32_t anPenWidth = 0;
    int32_t aPrtPenColor = 0;
    int32_t anPrtPenWidth = 0;
    double adPrtTenHankei = 0;
};

struct TEntJwwColorExNo {
    int32_t aPenColor = 0;
    int32_t anPenWidth = 0;
    std::string astrUDColorName;
    int32_t aPrtPenColor = 0;
    int32_t anPrtPenWidth = 0;
    double adPrtTenHankei = 0;
};

struct TEntJwwLineTypeNo {
    int32_t alLType = 0;  // dash pattern, bit 31 first
    int32_t anTokushuSenUintDot = 0;
    int32_t anTokushuSenPich = 0;
    int32_t anPrtTokushuSenPich = 0;
};

struct TEntJwwRandomLineNo {
    int32_t alLType = 0;
    int32_t anRandSenWide = 0;
    int32_t anTokushuSenPich = 0;
    int32_t anPrtRandSenWide = 0;
    int32_t anPrtTokushuSenPich = 0;
};

struct TEntJwwLineTypeExNo {
    int32_t alLType = 0;
    int32_t anTokushuSenUintDot = 0;
    int32_t anTokushuSenPich = 0;
    int32_t anPrtTokushuSenPich = 0;
    std::string astrUDLTypeName;
    int32_t anUDLTypeSegment = 0;
    std::array<double, 11> aadUDLTypePitch{};  // 1..10
};

struct TEntJwwMojiType {
    double adMojiX = 0;
    double adMojiY = 0;
    double adMojiD = 0;
    int32_t anMojiCol = 0;
};

// Drawing header. The defaults are those of the empty drawing.
struct TEntJwwHeader {
    std::string jwID;
    int32_t jwVer = 0;
    std::string strMemo;
    int32_t nZumen = 0;
    int32_t nWriteGLay = 0;
    int32_t lnSunpou1 = 0, lnSunpou2 = 0, lnSunpou3 = 0, lnSunpou4 = 0, lnSunpou5 = 0;
    int32_t nMaxDrawWid = 0;
    bool bSenHaba100 = false;
    int32_t nMaxDrawWidBak = 0;
    double DPPrtGenten_x = 0, DPPrtGenten_y = 0;
    double dPrtBairitsu = 1.0;
    int32_t nPrtSet = 0;
    int32_t nMemoriMode = 0;
    double dMemoriHyoujiMin = 1.0;
    double dMemoriX = 1.0, dMemoriY = 1.0;
    double DpMemoriKjTen_x = 0, DpMemoriKjTen_y = 0;
    double dKageLevel = 0, dKageIdo = 0;
    int32_t nKage9_15JiFlg = 0;
    double dKabeKageLevel = 0;
    double dTenkuuZuLevel = 0, dTenkuuZuEnkoR = 0;
    int32_t nMMTani3D = 0;
    double dBairitsu = 1.0;
    double DPGenten_x = 0, DPGenten_y = 0;
    double dHanniBairitsu = 1.0;
    double DPHanniGenten_x = 0, DPHanniGenten_y = 0;
    std::array<double, 9> dZoomJumpBairitsu{0, 1, 1, 1, 1, 1, 1, 1, 1};       // 1..8
    std::array<double, 9> DPZoomJumpGenten_x{};                               // 1..8
    std::array<double, 9> DPZoomJumpGenten_y{};                               // 1..8
    std::array<int32_t, 9> nZoomJumpGLay{0, -1, -1, -1, -1, -1, -1, -1, -1};  // 1..8
    double dDm11 = 0, dDm12 = 0, dDm13 = 0;
    int32_t lnDm1 = 0;
    double dDm21 = 0, dDm22 = 0;
    double dMojiBG = 0;
    int32_t nMojiBG = 0;
    std::array<double, 10> adFukusenSuuchi{};
    double dRyougawaFukusenTomeDe = 0;
    int32_t nDrawGamenTen = 0, nDrawPrtTen = 0, nBitMapFirstDraw = 0, nGyakuDraw = 0,
            nGyakuSearch = 0, nColorPrint = 0, nLayJunPrint = 0, nColJunPrint = 0, nPrtRenzoku = 0,
            nPrtKyoutsuuGray = 0;
    int32_t nPrtDispOnlyNonDraw = 0;
    int32_t nPrtDpi = 0;
    int32_t lnDrawTime = 0;
    int32_t nEyeInit = 0;
    int32_t dEye_H_Ichi_1 = 0, dEye_H_Ichi_2 = 0, dEye_H_Ichi_3 = 0;
    double dEye_Z_Ichi_1 = 0, dEye_Y_Ichi_1 = 0, dEye_Z_Ichi_2 = 0, dEye_Y_Ichi_2 = 0,
           dEye_V_Ichi_3 = 0;
    double dSenNagasaSnpou = 0, dBoxSunpouX = 0, dBoxSunpouY = 0, dEnHankeiSnpou = 0;
    int32_t nSolidNinniColor = 0;
    int32_t SolidColor = 0;
    double dMojiSizeX = 0, dMojiSizeY = 0, dMojiKankaku = 0;
    int32_t nMojiColor = 0, nMojiShu = 0;
    double dMojiSeiriGyouKan = 0, dMojiSeiriSuu = 0;
    int32_t nMojiKijunZureOn = 0;
    double adMojiKijunZureX0 = 0, adMojiKijunZureX1 = 0, adMojiKijunZureX2 = 0;
    double adMojiKijunZureY0 = 0, adMojiKijunZureY1 = 0, adMojiKijunZureY2 = 0;
    int32_t n1 = 0;  // objects declared in the main list
    int32_t n2 = 0;  // block definitions declared
};

// Image embedded in a drawing (version 700 on).
struct TBindImageType {
    std::string Fname;
    int32_t Fsize = 0;
    bool exf = false;
};

// Entity kind numbers of TEntJwwNo::EntType.
enum : int32_t {
    kJwwNone = 0,
    kJwwLine = 1,
    kJwwEnko = 2,
    kJwwTen = 3,
    kJwwMoji = 4,
    kJwwSunpo = 5,
    kJwwSolid = 6,
    kJwwBlock = 7,
};

}  // namespace velmora
