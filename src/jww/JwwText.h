#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "jww/JwwBlock.h"
#include "jww/JwwTypes.h"

namespace velmora {

// Texts and dimension values under a block matrix, and the text and number routines they use.
// Numbers are formatted without the locale: "." decimals, "," thousands.

// Baseline S-E, sizes and kind of a text: w along the baseline, h across it, d the spacing.
struct TMojiGeom {
    uint32_t k = 0;
    double sx = 0, sy = 0, ex = 0, ey = 0;
    double w = 0, h = 0, d = 0;
};

// Maps the baseline; unless the matrix is a pure move, measures the sizes along and across the
// image baseline, keeps only the thousands of the kind and, for a mirroring matrix, exchanges
// the ends so the text still reads forward. Sizes come back rounded to 4 decimals, w and h at
// least 0.0001. All results are finite.
TMojiGeom AffineMoji(const TBlockMatrix& m, const TMojiGeom& g);
// AffineMoji, then the baseline re-centred on its midpoint for the width of text.
TMojiGeom AffineMojiCenter(const TBlockMatrix& m, const TMojiGeom& g, std::string_view text);

// Value text of a dimension whose line Sen is mapped by m: the mapped length times groupScale
// (1 when not above 0), formatted by the value flags (Moji.att.nPenWidth) and prefix flags
// (Moji.att.sFlg).
std::string SunpoValueText(const TBlockMatrix& m, uint16_t flags, uint16_t sFlg,
                           const TEntJwwLine& Sen, double groupScale);

// Width of text as drawn: two-byte Shift-JIS characters w wide, one-byte ones w/2, with d (or
// d/2 after a one-byte character) between characters.
double MojiWidth(std::string_view text, double w, double d);
// Half-width katakana (with their voiced marks), printable ASCII and the space to full width.
std::string ToZenkaku(std::string_view text);
// v with n decimals, half away from zero; FormatNumber adds "," thousands separators.
std::string FormatFixed(int n, double v);
std::string FormatNumber(int n, double v);
// text from the zero-based UTF-16 index to its end; empty beyond the end.
std::string CopyTextFrom(std::string_view text, int index);
// text as Shift-JIS bytes.
std::string TextToAnsiBytes(std::string_view text);

// Rebuilt string of an image text ("^@BM" name "," numbers) whose baseline went from (sx, sy)
// to (ex, ey) and is now g (from AffineMoji); false when s is not an image text.
bool RebuildImageText(const TBlockMatrix& m, std::string_view s, double sx, double sy, double ex,
                      double ey, const TMojiGeom& g, std::string& out);
// True for "^@BM" followed by anything holding a comma.
bool IsImageText(std::string_view s);

}  // namespace velmora
