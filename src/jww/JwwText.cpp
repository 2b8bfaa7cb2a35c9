#include "jww/JwwText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "util/CodePage.h"
#include "util/Func2.h"
#include "util/NumText.h"

namespace velmora {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kTiny = 1e-14;
constexpr double kMinSize = 0.0001;

double FiniteOr0(double v) {
    return std::isfinite(v) ? v : 0.0;
}

double Round4(double v) {
    return RoundDigits(4, 2, FiniteOr0(v));
}

// Half-width katakana with a voiced or semi-voiced mark, pair by pair, and their full forms.
constexpr std::u16string_view kVoicedHalf = u"ｳﾞｶﾞｷﾞｸﾞｹﾞｺﾞｻﾞｼﾞｽﾞｾﾞｿﾞﾀﾞﾁﾞﾂﾞﾃﾞﾄﾞﾊﾞﾋﾞﾌﾞﾍﾞﾎﾞﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ";
constexpr std::u16string_view kVoicedFull = u"ヴガギグゲゴザジズゼゾダヂヅデドバビブベボパピプペポ";
static_assert(kVoicedHalf.size() == 2 * kVoicedFull.size());
// U+FF61 .. U+FF9F and their full forms.
constexpr std::u16string_view kKanaHalf =
    u"｡｢｣､･ｦｧｨｩｪｫｬｭｮｯｰｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜﾝﾞﾟ";
constexpr std::u16string_view kKanaFull =
    u"。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホ"
    u"マミムメモヤユヨラリルレロワン゛°";
static_assert(kKanaHalf.size() == kKanaFull.size());

}  // namespace

TMojiGeom AffineMoji(const TBlockMatrix& m, const TMojiGeom& g) {
    TMojiGeom r = g;
    r.sx = FiniteOr0(m.X(g.sx, g.sy));
    r.sy = FiniteOr0(m.Y(g.sx, g.sy));
    r.ex = FiniteOr0(m.X(g.ex, g.ey));
    r.ey = FiniteOr0(m.Y(g.ex, g.ey));
    if (!m.PureMove()) {
        const double a = VecAngle(g.ex - g.sx, g.ey - g.sy);
        const double ex = std::cos(a), ey = std::sin(a);
        const double nx = std::cos(a + kPi / 2), ny = std::sin(a + kPi / 2);
        const auto along = [&](double len) {
            const double px = g.sx + len * ex, py = g.sy + len * ey;
            return PointDist(m.X(px, py), m.Y(px, py), r.sx, r.sy);
        };
        r.w = along(g.w);
        r.d = along(g.d);
        const double hx = g.sx + g.h * nx, hy = g.sy + g.h * ny;
        r.h = LineDist(m.X(hx, hy), m.Y(hx, hy), r.sx, r.sy, r.ex, r.ey);
        // A mirroring matrix would make the text read backwards.
        if (m.b1 * m.b4 < 0) {
            SwapReal(r.sx, r.ex);
            SwapReal(r.sy, r.ey);
        }
        r.k = g.k / 1000 * 1000;
    }
    r.w = Round4(r.w);
    r.h = Round4(r.h);
    r.d = Round4(r.d);
    if (r.w < kMinSize) r.w = kMinSize;
    if (r.h < kMinSize) r.h = kMinSize;
    return r;
}

TMojiGeom AffineMojiCenter(const TBlockMatrix& m, const TMojiGeom& g, std::string_view text) {
    TMojiGeom r = AffineMoji(m, g);
    const double half = MojiWidth(text, r.w, r.d) / 2;
    const double a = VecAngle(r.ex - r.sx, r.ey - r.sy);
    const double midX = (r.sx + r.ex) / 2, midY = (r.sy + r.ey) / 2;
    r.sx = FiniteOr0(midX + half * std::cos(a + kPi));
    r.sy = FiniteOr0(midY + half * std::sin(a + kPi));
    r.ex = FiniteOr0(midX + half * std::cos(a));
    r.ey = FiniteOr0(midY + half * std::sin(a));
    return r;
}

std::string SunpoValueText(const TBlockMatrix& m, uint16_t flags, uint16_t sFlg,
                           const TEntJwwLine& Sen, double groupScale) {
    const double scale = groupScale > 0 && std::isfinite(groupScale) ? groupScale : 1.0;
    double len = PointDist(m.X(Sen.start_x, Sen.start_y), m.Y(Sen.start_x, Sen.start_y),
                           m.X(Sen.end_x, Sen.end_y), m.Y(Sen.end_x, Sen.end_y)) *
                 scale;
    len = FiniteOr0(len);
    if (flags & 0x10) len /= 1000;
    const int decimals = (flags / 4096) % 10;
    const bool down = (flags & 0x100) != 0, up = (flags & 0x200) != 0;
    const int mode = down && !up ? 0 : (up && !down ? 1 : 2);
    len = RoundDigits(decimals, mode, len);

    std::string text;
    if (flags & 0x40) {
        text = FormatNumber(decimals, len);
        if (!(flags & 0x80) && text.find('.') != std::string::npos) {
            while (!text.empty() && text.back() == '0')
                text.pop_back();
        }
    } else if (flags & 0x80) {
        text = FormatFixed(decimals, len);
    } else {
        text = RealToText(len);
    }
    const auto mark = [&](std::string_view sign) {
        if (flags & 0x400) {
            text = std::string(sign) + text;
        } else if (flags & 0x800) {
            text += sign;
        }
    };
    if (sFlg & 0x100) {
        mark("R");
    } else if (sFlg & 0x200) {
        mark("φ");
    }
    if (flags & 0x08) text = ToZenkaku(text);
    if (flags & 0x20) text += (flags & 0x10) ? "ｍ" : "mm";
    return text;
}

double MojiWidth(std::string_view text, double w, double d) {
    const std::string bytes = TextToAnsiBytes(text);
    double width = 0;
    size_t i = 0;
    while (i < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        const bool wide = (c >= 0x80 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFD);
        i += wide ? 2 : 1;
        width += wide ? w : w / 2;
        if (i < bytes.size()) width += wide ? d : d / 2;
    }
    return width;
}

std::string ToZenkaku(std::string_view text) {
    const std::u16string in = Utf8ToUtf16(text);
    std::u16string out;
    out.reserve(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        const char16_t c = in[i];
        if (i + 1 < in.size()) {
            bool paired = false;
            for (size_t p = 0; p < kVoicedFull.size(); ++p) {
                if (kVoicedHalf[2 * p] == c && kVoicedHalf[2 * p + 1] == in[i + 1]) {
                    out += kVoicedFull[p];
                    ++i;
                    paired = true;
                    break;
                }
            }
            if (paired) continue;
        }
        if (c == u'"') {
            out += u'\u201D';
        } else if (c == u'\'') {
            out += u'\u2019';
        } else if (c == u'\\') {
            out += u'\uFFE5';
        } else if (c >= 0x21 && c <= 0x7E) {
            out += static_cast<char16_t>(c - 0x21 + 0xFF01);
        } else if (c == u' ') {
            out += u'\u3000';
        } else if (const size_t k = kKanaHalf.find(c); k != std::u16string_view::npos) {
            out += kKanaFull[k];
        } else {
            out += c;
        }
    }
    return Utf16ToUtf8(out);
}

std::string FormatFixed(int n, double v) {
    if (n < 0) n = 0;
    if (n > 15) n = 15;
    v = FiniteOr0(v);
    if (v == 0) v = 0;  // no "-0"
    return FixedText(v, n);
}

std::string FormatNumber(int n, double v) {
    const std::string fixed = FormatFixed(n, v);
    const size_t sign = fixed[0] == '-' ? 1 : 0;
    size_t intEnd = fixed.find('.');
    if (intEnd == std::string::npos) intEnd = fixed.size();
    std::string out = fixed.substr(0, sign);
    const size_t digits = intEnd - sign;
    for (size_t i = 0; i < digits; ++i) {
        if (i > 0 && (digits - i) % 3 == 0) out += ',';
        out += fixed[sign + i];
    }
    out += fixed.substr(intEnd);
    return out;
}

std::string CopyTextFrom(std::string_view text, int index) {
    return CopyText(text, index, std::numeric_limits<int>::max());
}

std::string TextToAnsiBytes(std::string_view text) {
    return Utf8ToCp932(text);
}

bool IsImageText(std::string_view s) {
    return s.rfind("^@BM", 0) == 0 && s.find(',') != std::string_view::npos;
}

bool RebuildImageText(const TBlockMatrix& m, std::string_view s, double sx, double sy, double ex,
                      double ey, const TMojiGeom& g, std::string& out) {
    if (!IsImageText(s)) return false;
    const std::string_view name = s.substr(4, s.find(',') - 4);
    const std::string params = CopyTextFrom(s, PosIndex(",", s) + 1);
    std::vector<double> p;
    size_t from = 0;
    while (true) {
        const size_t comma = params.find(',', from);
        const std::string_view piece = std::string_view(params).substr(
            from, comma == std::string::npos ? std::string::npos : comma - from);
        p.push_back(FiniteOr0(TextToReal(piece)));
        if (comma == std::string::npos) break;
        from = comma + 1;
    }
    const size_t count = p.size();
    p.resize(std::max<size_t>(count, 6), 0.0);
    if (count < 5) p[4] = 1;  // p5 defaults to 1

    int mode = 0;
    double width = p[0];
    double ratio = 1;
    if (count >= 2) {
        if (std::fabs(width) <= kTiny) width = 100;
        ratio = FiniteOr0(p[1] / width);
        mode = count <= 5 ? 1 : 2;
    }
    double newWidth = Round4(PointDist(m.X(width, 0), m.Y(width, 0), m.X(0, 0), m.Y(0, 0)));
    if (!(newWidth > kMinSize)) newWidth = kMinSize;
    double newHeight = Round4(newWidth * ratio);
    if (!(newHeight > kMinSize)) newHeight = kMinSize;

    out = "^@BM";
    out += name;
    out += ',';
    out += RealToText(newWidth);
    if (mode >= 1) {
        const double turn =
            (VecAngle(g.ex - g.sx, g.ey - g.sy) - VecAngle(ex - sx, ey - sy)) * 180 / kPi;
        const double alpha = RoundDigits(2, 2, FiniteOr0(turn));
        if (std::fabs(alpha) > 1e-12) mode = 2;
        out += ',';
        out += RealToText(newHeight);
        if (mode == 2) {
            double angle = p[5] + alpha;
            if (angle < 0) angle += 360;
            if (angle > 360) angle -= 360;
            for (double v : {p[2], p[3], p[4], angle}) {
                out += ',';
                out += RealToText(v);
            }
        }
    }
    return true;
}

}  // namespace velmora
