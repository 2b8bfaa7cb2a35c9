#include "support/PlanDrawing.h"

#include <cmath>
#include <numbers>

#include "support/JwwEncoder.h"

namespace velmora::test {

namespace {

TEntJwwAttr Attr(int i) {
    TEntJwwAttr a;
    a.nPenColor = static_cast<uint16_t>(1 + i % 8);
    a.nPenWidth = 1;
    a.nPenStyle = 1;
    a.nLayer = static_cast<uint16_t>(i % 16);
    a.nGLayer = static_cast<uint16_t>(i / 16 % 4);
    return a;
}

}  // namespace

std::string PlanDrawingBytes(int entities) {
    TJwwWriter w(700);
    TEntJwwBlockDef def;
    def.nNumber = 1;
    def.strName = "door";
    for (int k = 0; k < 4; ++k) {
        TEntJwwLine l;
        l.att = Attr(k);
        const double a = k * std::numbers::pi / 2;
        l.start_x = 450 * std::cos(a);
        l.start_y = 450 * std::sin(a);
        l.end_x = 450 * std::cos(a + std::numbers::pi / 2);
        l.end_y = 450 * std::sin(a + std::numbers::pi / 2);
        AddMember(def, l);
    }
    w.AddBlockDef(def);

    uint32_t seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<double>(seed >> 8) / static_cast<double>(1u << 24);
    };
    for (int i = 0; i < entities; ++i) {
        const double x = next() * 100000, y = next() * 100000;
        const int kind = i % 100;
        if (kind < 62) {
            TEntJwwLine l;
            l.att = Attr(i);
            l.start_x = x;
            l.start_y = y;
            l.end_x = x + next() * 3000;
            l.end_y = y + next() * 3000;
            w.AddLine(l);
        } else if (kind < 76) {
            TEntJwwEnko e;
            e.att = Attr(i);
            e.start_x = x;
            e.start_y = y;
            e.dHankei = 100 + next() * 1500;
            e.dHenpeiRitsu = 1;
            if (kind < 70) {
                e.radEnkoKaku = 2 * std::numbers::pi;
                e.bZenEnFlg = 1;
            } else {
                e.radKaishiKaku = next() * 6;
                e.radEnkoKaku = 0.5 + next() * 3;
            }
            w.AddArc(e);
        } else if (kind < 84) {
            TEntJwwSolid s;
            s.att = Attr(i);
            s.start_x = x;
            s.start_y = y;
            s.end_x = x + 900;
            s.end_y = y;
            s.DPoint2_x = x + 900;
            s.DPoint2_y = y + 600;
            s.DPoint3_x = x;
            s.DPoint3_y = y + 600;
            w.AddSolid(s);
        } else if (kind < 92) {
            TEntJwwMoji m;
            m.att = Attr(i);
            m.start_x = x;
            m.start_y = y;
            m.end_x = x + 2000;
            m.end_y = y;
            m.dSizeX = m.dSizeY = 250;
            m.strFontName = "MS Gothic";
            m.str = "ROOM " + std::to_string(i);
            w.AddText(m);
        } else if (kind < 96) {
            TEntJwwTen t;
            t.att = Attr(i);
            t.start_x = x;
            t.start_y = y;
            w.AddPoint(t);
        } else {
            TEntJwwBlock b;
            b.att = Attr(i);
            b.DPKijunTen_x = x;
            b.DPKijunTen_y = y;
            b.dBairitsuX = b.dBairitsuY = 1;
            b.radKaitenKaku = next() * 6;
            b.nNumber = 1;
            w.AddBlock(b);
        }
    }
    return w.Bytes();
}

}  // namespace velmora::test
