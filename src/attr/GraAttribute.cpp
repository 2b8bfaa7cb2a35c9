#include "attr/GraAttribute.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace velmora {

namespace {

constexpr uint32_t Argb(uint32_t r, uint32_t g, uint32_t b) {
    return 0xFF000000u + r * 65536u + g * 256u + b;
}

// Pen colours 1..9 and SXF colours 101..116 for a light and a dark background.
constexpr std::array<uint32_t, 25> kLightColors = {
    Argb(0, 192, 192),   Argb(0, 0, 0),     Argb(0, 192, 0),    Argb(192, 192, 0),
    Argb(192, 0, 192),   Argb(0, 0, 255),   Argb(0, 128, 128),  Argb(255, 0, 128),
    Argb(255, 128, 255), Argb(0, 0, 0),     Argb(255, 0, 0),    Argb(0, 255, 0),
    Argb(0, 0, 255),     Argb(255, 255, 0), Argb(255, 0, 255),  Argb(0, 255, 255),
    Argb(0, 0, 0),       Argb(192, 0, 128), Argb(192, 128, 64), Argb(255, 128, 0),
    Argb(128, 192, 128), Argb(0, 128, 255), Argb(128, 64, 255), Argb(192, 192, 192),
    Argb(128, 128, 128)};
constexpr std::array<uint32_t, 25> kDarkColors = {
    Argb(0, 255, 255),   Argb(255, 255, 255), Argb(0, 255, 0),    Argb(255, 255, 0),
    Argb(192, 0, 192),   Argb(32, 32, 255),   Argb(0, 128, 128),  Argb(160, 0, 0),
    Argb(192, 128, 128), Argb(255, 255, 255), Argb(255, 0, 0),    Argb(0, 255, 0),
    Argb(0, 0, 255),     Argb(255, 255, 0),   Argb(255, 0, 255),  Argb(0, 255, 255),
    Argb(255, 255, 255), Argb(192, 0, 128),   Argb(192, 128, 64), Argb(255, 128, 0),
    Argb(128, 192, 128), Argb(0, 128, 255),   Argb(128, 64, 255), Argb(192, 192, 192),
    Argb(128, 128, 128)};

// The random (wavy) line types repeat this dash/gap rhythm: '2' a dash, '0' a gap of one unit.
constexpr char kRandomPattern[] = "22002200202200202022002200202020";

char HexDigit(int v) {
    return "0123456789ABCDEF"[v & 15];
}

std::string GroupDisplayName(int n, const std::string& name) {
    return std::string("[") + HexDigit(n / 16) + "] " + name;
}

std::string LayerDisplayName(int n, const std::string& name) {
    return std::string("(") + HexDigit(n % 16) + ") " + name;
}

}  // namespace

TgraAttribute::TgraAttribute() {
    DataInit();
}

void TgraAttribute::DataInit() {
    DispMode = false;
    PrintMode = false;
    Sikii0 = -1;
    Sikii1 = -1;
    Sikii2 = -1;
    BkColor = 0;
    BackColor = 0xFFFFFFFF;
    ForeColor = 0xFF000000;
    GrayColor = 0xFF808080;
    All1ColorFlag = false;
    All1Color = 0xFFFFFFFF;
    SetDefaultLayer();
    SetDefaultColor();
    SetDefaultWidth();
    SetDefaultTenR();
    SetDefaultLtype();
}

void TgraAttribute::SetPrintMode(bool m, int sk0, int sk1, int sk2) {
    PrintMode = m;
    Sikii0 = sk0;
    Sikii1 = sk1;
    Sikii2 = sk2;
}

bool TgraAttribute::GetPrintMode(int& sk0, int& sk1, int& sk2) const {
    sk0 = Sikii0;
    sk1 = Sikii1;
    sk2 = Sikii2;
    return PrintMode;
}

void TgraAttribute::SetBackColor(int n) {
    if (n == 0) {
        BkColor = 0;
        BackColor = 0xFFFFFFFF;
        ForeColor = 0xFF000000;
    } else if (n == 1) {
        BkColor = 1;
        BackColor = 0xFF000000;
        ForeColor = 0xFFFFFFFF;
    }
}

// ---- Layers ----

void TgraAttribute::SetDefaultLayer() {
    for (int i = 0; i < jwvLayN; ++i) {
        TjwvLayer& l = jwvLay[i];
        l.sta = 1;
        l.sca = 1.0;
        l.gna = GroupDisplayName(i, {});
        l.nam = LayerDisplayName(i, {});
    }
}

void TgraAttribute::SetAttrLayer(int n, int st, double sc) {
    if (!LayValid(n)) return;
    // A zero, negative or non-finite scale would poison every coordinate of the layer.
    if (!(sc > 0) || !std::isfinite(sc)) sc = 1.0;
    if (st < 1 || st > 3) st = 1;
    jwvLay[n].sta = st;
    jwvLay[n].sca = sc;
}

void TgraAttribute::SetAttrLayer(int n, int st, double sc, const std::string& glayname,
                                 const std::string& layname) {
    if (!LayValid(n)) return;
    SetAttrLayer(n, st, sc);
    jwvLay[n].gna = GroupDisplayName(n, glayname);
    jwvLay[n].nam = LayerDisplayName(n, layname);
}

void TgraAttribute::SetAttrLayer(int n, int st) {
    if (!LayValid(n)) return;
    if (st < 1 || st > 3) st = 1;
    jwvLay[n].sta = st;
}

bool TgraAttribute::GetAttrLayer(int n, int& st, double& sc, std::string& glayname,
                                 std::string& layname) const {
    if (!LayValid(n)) return false;
    st = jwvLay[n].sta;
    sc = jwvLay[n].sca;
    glayname = jwvLay[n].gna;
    layname = jwvLay[n].nam;
    return true;
}

int TgraAttribute::GetAttrLayerState(int n) const {
    return LayValid(n) ? jwvLay[n].sta : 1;
}

double TgraAttribute::GetAttrLayerScale(int n) const {
    return LayValid(n) ? jwvLay[n].sca : 1.0;
}

std::string TgraAttribute::GetAttrLayerGName(int n) const {
    return LayValid(n) ? jwvLay[n].gna : std::string();
}

std::string TgraAttribute::GetAttrLayerName(int n) const {
    return LayValid(n) ? jwvLay[n].nam : std::string();
}

// ---- Pen colours ----

void TgraAttribute::SetDefaultColor() {
    for (TjwvColor& c : jwvCol)
        c.color = ForeColor;
    const std::array<uint32_t, 25>* preset = nullptr;
    if (BkColor == 0) preset = &kLightColors;
    if (BkColor == 1) preset = &kDarkColors;
    if (preset == nullptr) return;
    for (size_t i = 0; i < preset->size(); ++i)
        jwvCol[i].color = (*preset)[i];
}

void TgraAttribute::SetDefaultWidth() {
    for (TjwvColor& c : jwvCol)
        c.width = 0.18;
    const double widths[9] = {0.1, 0.15, 0.2, 0.25, 0.3, 0.35, 0.4, 0.5, 0.01};
    for (int i = 0; i < 9; ++i)
        jwvCol[i].width = widths[i];
}

void TgraAttribute::SetDefaultTenR() {
    for (TjwvColor& c : jwvCol)
        c.ten_r = 0.2;
    jwvCol[1].ten_r = 0.3;
    jwvCol[2].ten_r = 0.4;
    for (int i = 3; i <= 7; ++i)
        jwvCol[i].ten_r = 0.5;
}

void TgraAttribute::SetAttrCol_(int n, uint32_t col, double wid, double ten) {
    if (!ColValid(n)) return;
    jwvCol[n].color = col;
    jwvCol[n].width = wid;
    jwvCol[n].ten_r = ten;
}

void TgraAttribute::SetAttrCol_(int n, uint32_t col, double wid) {
    if (!ColValid(n)) return;
    jwvCol[n].color = col;
    jwvCol[n].width = wid;
}

void TgraAttribute::SetAttrCol_(int n, uint32_t col) {
    if (!ColValid(n)) return;
    jwvCol[n].color = col;
}

void TgraAttribute::SetAttrCol_(int n, double wid, double ten) {
    if (!ColValid(n)) return;
    jwvCol[n].width = wid;
    jwvCol[n].ten_r = ten;
}

void TgraAttribute::SetAttrCol_(int n, double wid) {
    if (!ColValid(n)) return;
    jwvCol[n].width = wid;
}

void TgraAttribute::SetAttrCol(int jn, uint32_t col, double wid, double ten) {
    SetAttrCol_(GetColSlot(jn), col, wid, ten);
}
void TgraAttribute::SetAttrCol(int jn, uint32_t col, double wid) {
    SetAttrCol_(GetColSlot(jn), col, wid);
}
void TgraAttribute::SetAttrCol(int jn, uint32_t col) {
    SetAttrCol_(GetColSlot(jn), col);
}
void TgraAttribute::SetAttrCol(int jn, double wid, double ten) {
    SetAttrCol_(GetColSlot(jn), wid, ten);
}
void TgraAttribute::SetAttrCol(int jn, double wid) {
    SetAttrCol_(GetColSlot(jn), wid);
}

uint32_t TgraAttribute::PrintColor(int slot, uint32_t c) const {
    const bool applies = Sikii0 >= 0 || (Sikii1 >= 0 && slot <= 8) || (Sikii2 >= 0 && slot >= 9);
    if (!applies) return c;
    int ch[3] = {int((c >> 16) & 0xFF), int((c >> 8) & 0xFF), int(c & 0xFF)};
    uint32_t result = c;
    if (Sikii0 >= 0) {
        for (int& v : ch) {
            if (v + Sikii0 > 255) v = 255;
        }
        if (ch[0] == 255 && ch[1] == 255 && ch[2] == 255) {
            result = 0xFFFFFFFF;
        } else {
            result = 0xFF000000;
            ch[0] = ch[1] = ch[2] = 0;
        }
    }
    int k = -1;
    if (Sikii1 >= 0 && slot <= 8) {
        k = Sikii1;
    } else if (Sikii2 >= 0 && slot >= 9) {
        k = Sikii2;
    }
    if (k >= 0 && ch[0] + k >= 255 && ch[1] + k >= 255 && ch[2] + k >= 255) result = 0xFF000000;
    return result;
}

uint32_t TgraAttribute::GetAttrColcol_(int n) const {
    if (!ColValid(n)) return BackColor;
    const uint32_t c = jwvCol[n].color;
    return PrintMode ? PrintColor(n, c) : c;
}

uint32_t TgraAttribute::GetAttrColcol(int jn) const {
    return GetAttrColcol_(GetColSlot(jn));
}

double TgraAttribute::GetAttrColwid_(int n) const {
    return ColValid(n) ? jwvCol[n].width : 0.0;
}

double TgraAttribute::GetAttrColwid(int jn) const {
    return GetAttrColwid_(GetColSlot(jn));
}

double TgraAttribute::GetAttrColten_(int n) const {
    return ColValid(n) ? jwvCol[n].ten_r : 0.1;
}

double TgraAttribute::GetAttrColten(int jn) const {
    return GetAttrColten_(GetColSlot(jn));
}

// ---- Line types ----

void TgraAttribute::SetDefaultLtype() {
    for (TjwvLtype& t : jwvTyp) {
        t.seg = 0;
        t.amp = 0;
        t.pa.fill(0.0);
    }
    auto set = [this](int slot, std::initializer_list<double> pa) {
        TjwvLtype& t = jwvTyp[slot];
        t.seg = int(pa.size());
        std::copy(pa.begin(), pa.end(), t.pa.begin());
    };
    const double u = 0.36;
    set(1, {u, -2 * u, u});
    set(2, {2 * u, -4 * u, 2 * u});
    set(3, {3 * u, -2 * u, 3 * u});
    set(4, {5 * u, -2 * u, 2 * u, -2 * u, 5 * u});
    set(5, {13 * u, -2 * u, 2 * u, -2 * u, 13 * u});
    set(6, {4 * u, -2 * u, u, -2 * u, u, -2 * u, 4 * u});
    set(7, {12 * u, -2 * u, u, -2 * u, u, -2 * u, 12 * u});
    set(8, {0.5 * u, -3 * u, 0.5 * u});

    const double randomUnit[5] = {0.6, 1.2, 1.8, 2.4, 3.0};
    const double randomAmp[5] = {0.3, 0.3, 0.6, 0.6, 0.6};
    for (int k = 0; k < 5; ++k) {
        TjwvLtype& t = jwvTyp[9 + k];
        t.seg = PatternMax;
        t.amp = randomAmp[k];
        for (int i = 0; i < PatternMax; ++i) {
            t.pa[i] = double(kRandomPattern[i] - '0' - 1) * randomUnit[k];
        }
    }

    set(14, {8.4, -1.2, 1.6, -1.2, 8.4});
    set(15, {10.6, -1.6, 1.2, -1.6, 1.2, -1.6, 10.6});
    set(16, {13.6, -1.6, 13.6});
    set(17, {22, -3, 22});
    set(19, {6, -1.5});
    set(20, {6, -6});
    set(21, {12, -1.5, 0.25, -1.5});
    set(22, {12, -1.5, 0.25, -1.5, 0.25, -1.5});
    set(23, {12, -1.5, 0.25, -1.5, 0.25, -1.5, 0.25, -1.5});
    set(24, {0.25, -1.5});
    set(25, {12, -1.5, 3.5, -1.5});
    set(26, {12, -1.5, 3.5, -1.5, 3.5, -1.5});
    set(27, {6, -1.5, 0.25, -1.5});
    set(28, {6, -1.5, 6, -1.5, 0.25, -1.5});
    set(29, {6, -1.5, 0.25, -1.5, 0.25, -1.5});
    set(30, {6, -1.5, 6, -1.5, 0.25, -1.5, 0.25, -1.5});
    set(31, {6, -1.5, 0.25, -1.5, 0.25, -1.5, 0.25, -1.5});
    set(32, {6, -1.5, 6, -1.5, 0.25, -1.5, 0.25, -1.5, 0.25, -1.5});

    for (int n = 0; n < jwvTypN; ++n)
        SetAttrTypPit_(n);
}

void TgraAttribute::SetAttrTypseg_(int n, int sn) {
    if (!TypValid(n)) return;
    // Every later loop runs over pa[0 .. seg-1]; clamping here keeps them inside the 32 entries.
    jwvTyp[n].seg = std::clamp(sn, 0, PatternMax);
}

void TgraAttribute::SetAttrTypamp_(int n, double am) {
    if (!TypValid(n)) return;
    jwvTyp[n].amp = am;
}

void TgraAttribute::SetAttrTyppa1_(int n, int pn, double pa) {
    if (!TypValid(n)) return;
    if (pn < 0 || pn >= jwvTyp[n].seg) return;
    jwvTyp[n].pa[pn] = pa;
}

void TgraAttribute::SetAttrTypPit_(int n) {
    if (!TypValid(n)) return;
    TjwvLtype& t = jwvTyp[n];
    double pit = 0;
    for (int j = 0; j < t.seg; ++j)
        pit += std::fabs(t.pa[j]);
    t.pit = pit;
}

void TgraAttribute::SetAttrTyppat_(int n, std::span<const double> pat) {
    if (!TypValid(n)) return;
    TjwvLtype& t = jwvTyp[n];
    t.pa.fill(0.0);
    const size_t count = std::min(size_t(t.seg), pat.size());
    std::copy_n(pat.begin(), count, t.pa.begin());
}

int TgraAttribute::GetAttrTypseg_(int n) const {
    return TypValid(n) ? jwvTyp[n].seg : 0;
}

double TgraAttribute::GetAttrTypamp_(int n) const {
    return TypValid(n) ? jwvTyp[n].amp : 0.0;
}

std::array<double, 32> TgraAttribute::GetAttrTyppat_(int n) const {
    return TypValid(n) ? jwvTyp[n].pa : std::array<double, 32>{};
}

double TgraAttribute::GetAttrTyppa1_(int n, int pn) const {
    if (!TypValid(n) || pn < 0 || pn >= PatternMax) return 0.0;
    return jwvTyp[n].pa[pn];
}

double TgraAttribute::GetAttrTyppit_(int n) const {
    return TypValid(n) ? jwvTyp[n].pit : 0.0;
}

void TgraAttribute::SetAttrTypScale(double scale) {
    for (TjwvLtype& t : jwvTyp) {
        t.pit *= scale;
        for (int j = 0; j < t.seg; ++j)
            t.pa[j] *= scale;
    }
}

// ---- Application sequences ----

void PrepareAttributesAtStartup(TgraAttribute& att) {
    att.SetDisplayMode(false);
    att.SetBackColor(0);
    att.SetDefaultColor();
    att.SetDefaultLayer();
    att.SetDefaultColor();
    att.SetDefaultWidth();
    att.SetDefaultTenR();
    att.SetDefaultLtype();
    att.SetDispHojo(1);
    att.SetDispKijun(1);
    att.SetGrayColor(0xFF808080);
}

void ResetAttributesForJwwFile(TgraAttribute& att) {
    att.SetDefaultColor();
    att.SetDefaultWidth();
    att.SetDefaultTenR();
    att.SetDefaultLtype();
}

void ResetAttributesForOtherFile(TgraAttribute& att) {
    ResetAttributesForJwwFile(att);
    att.SetBackColor(att.GetBackColorNo());
    ResetAttributesForJwwFile(att);
}

}  // namespace velmora
