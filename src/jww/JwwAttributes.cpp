#include "jww/JwwAttributes.h"

#include <algorithm>
#include <cmath>

#include "attr/GraAttribute.h"
#include "jww/JwwData.h"

namespace velmora {

uint32_t ColorRefToArgb(int32_t c) {
    const int64_t v = c;
    const int64_t r = v % 256;
    const int64_t g = (v / 256) % 256;
    const int64_t b = (v / 65536) % 256;
    const int64_t argb = 0xFF000000LL + r * 65536 + g * 256 + b;
    return static_cast<uint32_t>(static_cast<uint64_t>(argb) & 0xFFFFFFFFu);
}

double JwwPenWidthUnit(int32_t nMaxDrawWid, int32_t jwVer, int32_t nPrtDpi) {
    if (nMaxDrawWid < -100) return 0.01;
    if (nMaxDrawWid <= -1) return -1.0 / nMaxDrawWid;
    if (jwVer >= 421 && nPrtDpi == 1) return 0.085;
    return 0.042;
}

double JwwLtypePitchUnit(int32_t nMaxDrawWid, int32_t jwVer, int32_t nPrtDpi) {
    if (nMaxDrawWid >= 0 && jwVer >= 421) {
        if (nPrtDpi == 1) return 0.085;
        if (nPrtDpi >= 2) return 0.042;
    }
    return 0.035;
}

int JwwBackColorKind(int32_t colorRef) {
    const uint32_t c = static_cast<uint32_t>(colorRef);
    const uint32_t r = c & 0xFF;
    const uint32_t g = (c >> 8) & 0xFF;
    const uint32_t b = (c >> 16) & 0xFF;
    if (r <= 20 && g <= 20 && b <= 20) return 1;
    if (r >= 235 && g >= 235 && b >= 235) return 0;
    return -1;
}

void JwwDecodeLtypePattern(TgraAttribute& att, int s, int32_t pattern, double q) {
    const uint32_t bits = static_cast<uint32_t>(pattern);
    double seg[32];
    int count = 0;
    int bit = 31;
    while (bit >= 0) {
        const uint32_t value = (bits >> bit) & 1u;
        int run = 0;
        while (bit >= 0 && ((bits >> bit) & 1u) == value) {
            ++run;
            --bit;
        }
        seg[count++] = value != 0 ? run * q : -(run * q);
    }
    // The table stores an entry only below its segment count, so the count goes first.
    att.SetAttrTypseg_(s, count);
    for (int i = 0; i < count; ++i)
        att.SetAttrTyppa1_(s, i, seg[i]);
    att.SetAttrTypPit_(s);
}

int JwwLayerState(int32_t anGLay, int32_t aanLay) {
    if (anGLay == 0) return 3;
    if (anGLay == 1) return aanLay == 0 ? 3 : 2;
    if (aanLay == 0) return 3;
    if (aanLay == 1) return 2;
    return 1;
}

void JwwInstallColors(TgraAttribute& att, const TEntJwwHeader& hd,
                      std::span<const TEntJwwColorNo> entCol,
                      std::span<const TEntJwwColorExNo> entColS) {
    if (entCol.size() < 9) return;
    const double u = JwwPenWidthUnit(hd.nMaxDrawWid, hd.jwVer, hd.nPrtDpi);
    // Pen 9 is the auxiliary colour; the drawing's entry for it is not installed.
    for (int n = 1; n <= 8; ++n) {
        const TEntJwwColorNo& c = entCol[static_cast<size_t>(n)];
        att.SetAttrCol(n, ColorRefToArgb(c.aPenColor), c.anPenWidth * u, c.adPrtTenHankei);
    }
    const size_t sxfN = std::min<size_t>(256, entColS.empty() ? 0 : entColS.size() - 1);
    for (size_t i = 1; i <= sxfN; ++i) {
        const TEntJwwColorExNo& c = entColS[i];
        att.SetAttrCol(100 + static_cast<int>(i), ColorRefToArgb(c.aPenColor), c.anPenWidth * 0.01,
                       c.adPrtTenHankei);
    }
    const int kind = JwwBackColorKind(entCol[0].aPenColor);
    if (kind >= 0) att.SetBackColor(kind);
}

void JwwInstallLtypes(TgraAttribute& att, const TEntJwwHeader& hd,
                      std::span<const TEntJwwLineTypeNo> entLtp1,
                      std::span<const TEntJwwRandomLineNo> entLtp2,
                      std::span<const TEntJwwLineTypeNo> entLtp3,
                      std::span<const TEntJwwLineTypeExNo> entLtpS) {
    if (entLtp1.empty()) return;
    const double p = JwwLtypePitchUnit(hd.nMaxDrawWid, hd.jwVer, hd.nPrtDpi);

    att.SetAttrTypamp_(0, 0);
    att.SetAttrTypseg_(0, 0);
    att.SetAttrTypPit_(0);

    for (size_t n = 0; n < std::min<size_t>(8, entLtp1.size()); ++n) {
        const int s = static_cast<int>(n) + 1;
        att.SetAttrTypamp_(s, 0);
        const double q = entLtp1[n].anPrtTokushuSenPich * p;
        JwwDecodeLtypePattern(att, s, entLtp1[n].alLType, q);
    }
    for (size_t n = 0; n < std::min<size_t>(5, entLtp2.size()); ++n) {
        const int s = static_cast<int>(n) + 9;
        att.SetAttrTypamp_(s, entLtp2[n].anPrtRandSenWide * p);
        const double q = entLtp2[n].anPrtTokushuSenPich * p;
        JwwDecodeLtypePattern(att, s, entLtp2[n].alLType, q);
    }
    for (size_t n = 0; n < std::min<size_t>(4, entLtp3.size()); ++n) {
        const int s = static_cast<int>(n) + 14;
        att.SetAttrTypamp_(s, 0);
        const double q = entLtp3[n].anPrtTokushuSenPich * p;
        JwwDecodeLtypePattern(att, s, entLtp3[n].alLType, q);
    }
    const size_t sxfN = std::min<size_t>(32, entLtpS.empty() ? 0 : entLtpS.size() - 1);
    for (size_t n = 1; n <= sxfN; ++n) {
        const TEntJwwLineTypeExNo& t = entLtpS[n];
        const int s = static_cast<int>(n) + 17;
        att.SetAttrTypamp_(s, 0);
        // The pitch table holds ten entries (1..10).
        const int k = std::clamp<int32_t>(t.anUDLTypeSegment, 0, 10);
        att.SetAttrTypseg_(s, k);
        for (int m = 1; m <= k; ++m) {
            const double v = t.aadUDLTypePitch[static_cast<size_t>(m)];
            att.SetAttrTyppa1_(s, m - 1, m % 2 == 1 ? v : -v);
        }
        att.SetAttrTypPit_(s);
    }
}

void JwwInstallLayers(TgraAttribute& att, std::span<const TEntJwwLayerGroup> entLgrp,
                      std::span<const TEntJwwLayer> entLay) {
    att.SetDefaultLayer();
    for (size_t i = 0; i < 256; ++i) {
        const size_t g = i / 16;
        if (g >= entLgrp.size() || i >= entLay.size()) continue;
        const TEntJwwLayerGroup& grp = entLgrp[g];
        const TEntJwwLayer& lay = entLay[i];
        const int st = JwwLayerState(grp.anGLay, lay.aanLay);
        // A damaged header can carry a zero or non-finite denominator; the group then keeps
        // full scale instead of ending the installation.
        double sc = 1.0;
        if (grp.adScale != 0 && std::isfinite(grp.adScale)) sc = 1.0 / grp.adScale;
        att.SetAttrLayer(static_cast<int>(i), st, sc, grp.aStrGLayName, lay.aStrLayName);
    }
}

void TJwwData::FileColorSet(TgraAttribute& att) const {
    JwwInstallColors(att, Enthd, EntCol, EntColS);
}

void TJwwData::FileLtypeSet(TgraAttribute& att) const {
    JwwInstallLtypes(att, Enthd, EntLtp1, EntLtp2, EntLtp3, EntLtpS);
}

void TJwwData::SetGAttLayer(TgraAttribute& att) const {
    JwwInstallLayers(att, EntLgrp, EntLay);
}

}  // namespace velmora
