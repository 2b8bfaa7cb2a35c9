#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

// Records of the DOS drawing (.jwc) and symbol (.jwk) formats. They keep the widths the files
// use; coordinates are millimetres (a drawing's are already multiplied by its dataUnit),
// angles degrees.

struct TEntJwcLine {
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    uint8_t typ = 0;  // line type
    uint8_t col = 0;  // pen colour
    uint8_t lay = 0;  // layer index: group * 16 + layer
    uint8_t flg1 = 0, flg2 = 0, flg3 = 0;
};

struct TEntJwcArc2 {
    float x = 0, y = 0;            // centre
    float r = 0;                   // radius along the curve's own x axis
    float h = 0;                   // flattening: other semi-axis / r
    float st = 0, et = 0, tt = 0;  // start, end and tilt angle
    uint8_t typ = 0, col = 0, lay = 0, flg1 = 0, flg2 = 0, flg3 = 0;
};

struct TEntJwcTen {
    float x = 0, y = 0;
    uint8_t lay = 0, col = 0, flg1 = 0, flg2 = 0;
};

struct TEntJwcMoji2 {
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // start and end of the baseline
    int32_t p = 0;  // address of the string: linear real-mode address (.jwc), block offset (.jwk)
    uint8_t no = 0, lay = 0, flg1 = 0, flg2 = 0;
    // The text itself is not held here: many records may address one long string, and a copy
    // per record would let a small file fill the memory. The reader decodes it on demand.
};

struct TEntJwcVten {
    float x = 0, y = 0;
    uint8_t lay = 0;
};

struct TEntJwcMojiType {
    uint16_t penNo = 0, width = 0, height = 0, dist = 0;
};

struct TEntJwcLayerGroup {
    float scale = 0;  // scale denominator
    uint8_t srchF = 0, dispF = 0, w_lay = 0;
    std::string name;
};

struct TEntJwcLayer {
    uint8_t srchF = 0, dispF = 0;
    std::string name;
};

struct TEntJwcHeader {
    std::string jwID, comment1, comment2;
    bool scaleF = true;  // group scales stored as Single (else as Word)
    int32_t lineCount = 0, arcCount = 0, mojiCount = 0, tenCount = 0, vtenCount = 0;
    int32_t curFno = 0, curMfno = 0, curMlcol = 0, curMpcol = 0;
    float wLayScale = 0;
    int32_t wLayNo = 0, psize = 0, lcol = 0, ltyp = 0;
    float plotOrgX = 0, plotOrgY = 0, lpitch1 = 0, lpitch2 = 0;
    int32_t drawtime = 0;
    std::array<int32_t, 6> penWidth{};
    float gridX = 0, gridY = 0, gridOrgX = 0, gridOrgY = 0, gridScale = 0;
    int32_t drawWidth = 0, flgPthin = 0;
    float mvDist = 0, mtDist = 0, arLen = 0, arAng = 0;
    int32_t locMR = 0, flgMconma = 0, flgMzeros = 0, typLside = 0, mvUnit = 0, mvKeta = 0;
    float sOfsetXL = 0, sOfsetXM = 0, sOfsetXR = 0, sOfsetYD = 0, sOfsetYM = 0, sOfsetYT = 0;
    int32_t s1len = 0, sOrgXm = 0, sOrgYm = 0;
    float dlinDistB = 0;
    std::array<float, 5> dlinDist{};
    float svScrnOX = 0, svScrnOY = 0, svScrnScl = 0;
    int32_t sBufAdr1 = 0, sBufAdr2 = 0;  // linear addresses of the text block's start and end
    float subZm0X = 0, subZm0Y = 0, subZm0S = 0;
    float subZm1X = 0, subZm1Y = 0, subZm1S = 0;
    float subZm2X = 0, subZm2Y = 0, subZm2S = 0;
    float subZm3X = 0, subZm3Y = 0, subZm3S = 0;
    float subZm4X = 0, subZm4Y = 0, subZm4S = 0;
    float hiIdo = 0, hiHi = 0, hiTaka = 0;
    int32_t flgHok = 0, flg25Dm = 0;
    std::vector<std::string> para;  // scratch list of the block being read
    float dataUnit = 0;             // millimetres per stored unit
};

struct TEntJwkHeader {
    std::string jwID, comment1, comment2;
    int32_t lineCount = 0, arcCount = 0, tenCount = 0, mojiCount = 0;
    float org_x = 0, org_y = 0;  // symbol origin, kept only
    float dispScale = 0;         // kept only
    int32_t strSpace = 0;        // bytes of the text block
    float scale = 0;             // scale denominator, always usable (> 1e-14)
    std::vector<std::string> para;
};

}  // namespace velmora
