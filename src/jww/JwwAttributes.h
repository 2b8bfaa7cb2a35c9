#pragma once

#include <cstdint>
#include <span>

#include "jww/JwwTypes.h"

namespace velmora {

class TgraAttribute;

// Installation of a Windows drawing's pen colours, line types and layers into an attribute
// table. TJwwData::FileColorSet, FileLtypeSet and SetGAttLayer run these over their header
// tables; they are separate so that tables can be installed without a whole drawing.

// Windows COLORREF 0x00BBGGRR to opaque ARGB 0xFFRRGGBB. Channels are taken with truncating
// division, so a value with bit 31 set gives the format's odd result rather than an error.
uint32_t ColorRefToArgb(int32_t c);

// Unit of the pens' width numbers, from the header's nMaxDrawWid, jwVer and nPrtDpi.
double JwwPenWidthUnit(int32_t nMaxDrawWid, int32_t jwVer, int32_t nPrtDpi);
// Unit of the line types' print pitch numbers; differs from the pen width unit for negative
// nMaxDrawWid and for files up to version 420.
double JwwLtypePitchUnit(int32_t nMaxDrawWid, int32_t jwVer, int32_t nPrtDpi);

// Background kind a background colour asks for: 1 dark (every channel <= 20), 0 light (every
// channel >= 235), -1 neither (the table's kind is left as it is).
int JwwBackColorKind(int32_t colorRef);

// Cuts a 32-bit dash pattern, bit 31 first, into runs of equal bits and stores them in line-type
// slot s: a run of n set bits is a dash n * q long, of clear bits a gap of -n * q.
void JwwDecodeLtypePattern(TgraAttribute& att, int s, int32_t pattern, double q);

// State of a layer (1 editable, 2 shown only, 3 hidden) from its group's and its own state.
int JwwLayerState(int32_t anGLay, int32_t aanLay);

// Pens 1..8 from entCol[1..8] (width in units of JwwPenWidthUnit), SXF colours 101..356 from
// entColS[1..256] (width in hundredths), then the background kind from entCol[0]. Does nothing
// when entCol has fewer than 9 entries (no colour table was read); SXF entries beyond the end of
// entColS are left at the table's defaults.
void JwwInstallColors(TgraAttribute& att, const TEntJwwHeader& hd,
                      std::span<const TEntJwwColorNo> entCol,
                      std::span<const TEntJwwColorExNo> entColS);

// Line-type slot 0 continuous, slots 1..8 from entLtp1, 9..13 from the random types of entLtp2,
// 14..17 from entLtp3 and 18..49 from the SXF user types entLtpS[1..32]. Does nothing when
// entLtp1 is empty (no line-type table was read); missing entries leave their slots alone.
void JwwInstallLtypes(TgraAttribute& att, const TEntJwwHeader& hd,
                      std::span<const TEntJwwLineTypeNo> entLtp1,
                      std::span<const TEntJwwRandomLineNo> entLtp2,
                      std::span<const TEntJwwLineTypeNo> entLtp3,
                      std::span<const TEntJwwLineTypeExNo> entLtpS);

// Default layers, then all 256 from entLgrp[g] and entLay[g * 16 + l]: state, names and the
// scale 1 / adScale. A group whose adScale is 0 or not finite gets scale 1.0. Layers whose
// entries are missing keep their defaults.
void JwwInstallLayers(TgraAttribute& att, std::span<const TEntJwwLayerGroup> entLgrp,
                      std::span<const TEntJwwLayer> entLay);

}  // namespace velmora
