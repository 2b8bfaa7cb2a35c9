#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "jww/JwwData.h"
#include "support/JwwEncoder.h"

namespace velmora::test {

// A heap copy of exactly the given bytes, so that AddressSanitizer sees any read past them.
inline std::vector<std::byte> FreshBuffer(std::string_view bytes) {
    std::vector<std::byte> buf(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i)
        buf[i] = static_cast<std::byte>(bytes[i]);
    return buf;
}

inline bool ReadJww(TJwwData& d, std::string_view bytes) {
    const std::vector<std::byte> buf = FreshBuffer(bytes);
    return d.FileInBytes(buf);
}

inline TEntJwwAttr Attr(uint16_t color, uint16_t layer = 0, uint16_t group = 0) {
    TEntJwwAttr a;
    a.lGroup = 7;
    a.nPenStyle = 1;
    a.nPenColor = color;
    a.nPenWidth = 25;
    a.nLayer = layer;
    a.nGLayer = group;
    a.sFlg = 0x0020;
    return a;
}

inline TEntJwwLine Line(double x1, double y1, double x2, double y2, uint16_t color = 1) {
    TEntJwwLine l;
    l.att = Attr(color);
    l.start_x = x1;
    l.start_y = y1;
    l.end_x = x2;
    l.end_y = y2;
    return l;
}

inline TEntJwwEnko Circle(double x, double y, double r) {
    TEntJwwEnko e;
    e.att = Attr(2, 3, 1);
    e.start_x = x;
    e.start_y = y;
    e.dHankei = r;
    e.radEnkoKaku = 6.283185307179586;
    e.dHenpeiRitsu = 1.0;
    e.bZenEnFlg = 1;
    return e;
}

inline TEntJwwMoji Text(std::string s) {
    TEntJwwMoji m;
    m.att = Attr(4);
    m.start_x = 10;
    m.start_y = 20;
    m.end_x = 40;
    m.end_y = 20;
    m.nMojiShu = 2;
    m.dSizeX = 2.5;
    m.dSizeY = 3.5;
    m.dKankaku = 0.5;
    m.degKakudo = 30;
    m.strFontName = "ＭＳ ゴシック";
    m.str = std::move(s);
    return m;
}

inline TEntJwwSunpo Dimension(bool codePoint) {
    TEntJwwSunpo s;
    s.att = Attr(5, 2, 3);
    s.Sen = Line(0, 0, 100, 0, 6);
    s.Moji = Text("100");
    s.bSxfMode = 1;
    s.Ho1 = Line(0, -5, 0, 0, 7);
    s.Ho2 = Line(100, -5, 100, 0, 7);
    for (TEntJwwTen* t : {&s.Te1, &s.Te2, &s.Kt1, &s.Kt2}) {
        t->att = Attr(8);
        t->start_x = 1;
        t->start_y = 2;
    }
    s.Te2.start_x = 100;
    if (codePoint) {
        s.Te1.att.nPenStyle = 100;
        s.Te1.nCode = 5;
        s.Te1.radKaitenKaku = 0.25;
        s.Te1.dBairitsu = 2.0;
    }
    return s;
}

}  // namespace velmora::test
