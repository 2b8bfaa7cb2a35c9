#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace velmora {

// One layer slot: slot i is layer i mod 16 of layer group i div 16.
struct TjwvLayer {
    int sta = 1;       // 1 shown and editable, 2 shown only, 3 hidden
    double sca = 1.0;  // reciprocal of the group's scale denominator, always > 0
    std::string gna;   // "[G] " + group name
    std::string nam;   // "(L) " + layer name
};

// One pen colour slot. Colours are ARGB (0xAARRGGBB).
struct TjwvColor {
    uint32_t color = 0;
    double width = 0;
    double ten_r = 0;  // radius a point of this colour is printed with
};

// One line-type slot: positive pa entries are dashes, negative ones gaps.
struct TjwvLtype {
    int seg = 0;  // entries of pa in use, 0..32; 0 is a continuous line
    double amp = 0;
    std::array<double, 32> pa{};
    double pit = 0;  // sum of |pa[0 .. seg-1]|
};

// The table of layer states, pen colours, widths, point radii and line types that the readers
// fill and the converters consult. A plain value object: the engine of a run owns one, which
// serves every file in turn (before each file its colours and line types go back to their
// defaults and the reader installs its layers).
//
// Two numberings: methods without a trailing "_" take a Jw_cad number `jn` (pen colour 1..9 and
// SXF 101..356; line types 1..9, 11..19, 31..62), methods ending in "_" take the slot index `n`.
// Out-of-range numbers are ignored by setters; getters answer with the documented default
// (layer state 1, scale 1.0, empty names, colour BackColor, width 0.0, point radius 0.1, and 0
// for line-type values). Colours are ARGB.
class TgraAttribute {
  public:
    static constexpr int jwvLayN = 256;
    static constexpr int jwvColN = 265;
    static constexpr int jwvTypN = 50;
    static constexpr int PatternMax = 32;

    // Zero-filled slots, then DataInit.
    TgraAttribute();

    // Slot of a pen colour number: 1..9 -> 0..8, 101..356 -> 9..264, else -1.
    static constexpr int GetColSlot(int jn) {
        if (jn >= 1 && jn <= 9) return jn - 1;
        if (jn >= 101 && jn <= 356) return jn - 101 + 9;
        return -1;
    }
    // Slot of a line-type number: 1..9 -> 0..8, 11..19 -> 9..17, 31..62 -> 18..49, else -1.
    static constexpr int GetTypSlot(int jn) {
        if (jn >= 1 && jn <= 9) return jn - 1;
        if (jn >= 11 && jn <= 19) return jn - 11 + 9;
        if (jn >= 31 && jn <= 62) return jn - 31 + 18;
        return -1;
    }

    // ---- Construction and modes ----

    // Modes, background (light), colours, layers, widths, radii and line types to defaults.
    // DispHojo and DispKijun are left as they are.
    void DataInit();

    void SetDisplayMode(bool m) { DispMode = m; }
    bool GetDisplayMode() const { return DispMode; }
    // Thresholds below 0 are off; they only matter while print mode is on.
    void SetPrintMode(bool m, int sk0, int sk1, int sk2);
    bool GetPrintMode(int& sk0, int& sk1, int& sk2) const;
    // 0 light background, 1 dark; any other value is ignored. Colour slots are not touched.
    void SetBackColor(int n);
    int GetBackColorNo() const { return BkColor; }
    uint32_t GetBackColor() const { return BackColor; }
    uint32_t GetForeColor() const { return ForeColor; }
    uint32_t GetGrayColor() const { return GrayColor; }
    void SetGrayColor(uint32_t n) { GrayColor = n; }
    void SetDispHojo(int n) { DispHojo = n != 0; }
    void SetDispKijun(int n) { DispKijun = n != 0; }
    int GetDispHojo() const { return DispHojo ? 1 : 0; }
    int GetDispKijun() const { return DispKijun ? 1 : 0; }
    void SetAll1Color(bool f, uint32_t c) {
        All1ColorFlag = f;
        All1Color = c;
    }
    void SetAll1Color(bool f) { All1ColorFlag = f; }
    bool GetAll1ColorState() const { return All1ColorFlag; }
    uint32_t GetAll1Color() const { return All1Color; }

    // ---- Layers (n = 0 .. 255) ----

    // Every slot: state 1, scale 1.0, names "[G] " and "(L) " built from the slot number.
    void SetDefaultLayer();
    // A state outside 1..3 is stored as 1, a scale that is not > 0 (or not finite) as 1.0.
    // Display names are built from the slot number n.
    void SetAttrLayer(int n, int st, double sc, const std::string& glayname,
                      const std::string& layname);
    void SetAttrLayer(int n, int st, double sc);
    void SetAttrLayer(int n, int st);
    // False (outputs untouched) for an invalid n.
    bool GetAttrLayer(int n, int& st, double& sc, std::string& glayname,
                      std::string& layname) const;
    int GetAttrLayerState(int n) const;
    double GetAttrLayerScale(int n) const;
    std::string GetAttrLayerGName(int n) const;
    std::string GetAttrLayerName(int n) const;

    // ---- Pen colours ----

    // Colours for the current background kind; slots without a preset get ForeColor.
    void SetDefaultColor();
    void SetDefaultWidth();
    void SetDefaultTenR();

    void SetAttrCol(int jn, uint32_t col, double wid, double ten);
    void SetAttrCol(int jn, uint32_t col, double wid);
    void SetAttrCol(int jn, uint32_t col);
    void SetAttrCol(int jn, double wid, double ten);
    void SetAttrCol(int jn, double wid);
    void SetAttrCol_(int n, uint32_t col, double wid, double ten);
    void SetAttrCol_(int n, uint32_t col, double wid);
    void SetAttrCol_(int n, uint32_t col);
    void SetAttrCol_(int n, double wid, double ten);
    void SetAttrCol_(int n, double wid);

    // Stored colour, passed through the print thresholds while print mode is on.
    uint32_t GetAttrColcol(int jn) const;
    uint32_t GetAttrColcol_(int n) const;
    double GetAttrColwid(int jn) const;
    double GetAttrColwid_(int n) const;
    double GetAttrColten(int jn) const;
    double GetAttrColten_(int n) const;

    // ---- Line types ----

    void SetDefaultLtype();

    // seg is clamped to 0..32. pa entries are stored only below seg, so set seg first;
    // SetAttrTypPit_ recomputes the period from them.
    void SetAttrTypseg_(int n, int sn);
    void SetAttrTypamp_(int n, double am);
    void SetAttrTyppa1_(int n, int pn, double pa);
    void SetAttrTypPit_(int n);
    // Clears all 32 entries, then copies the first seg values; missing values stay 0.
    void SetAttrTyppat_(int n, std::span<const double> pat);
    void SetAttrTypseg(int jn, int sn) { SetAttrTypseg_(GetTypSlot(jn), sn); }
    void SetAttrTypamp(int jn, double am) { SetAttrTypamp_(GetTypSlot(jn), am); }
    void SetAttrTyppa1(int jn, int pn, double pa) { SetAttrTyppa1_(GetTypSlot(jn), pn, pa); }
    void SetAttrTypPit(int jn) { SetAttrTypPit_(GetTypSlot(jn)); }
    void SetAttrTyppat(int jn, std::span<const double> pat) { SetAttrTyppat_(GetTypSlot(jn), pat); }

    int GetAttrTypseg_(int n) const;
    double GetAttrTypamp_(int n) const;
    std::array<double, 32> GetAttrTyppat_(int n) const;
    // 0 unless 0 <= pn < 32.
    double GetAttrTyppa1_(int n, int pn) const;
    double GetAttrTyppit_(int n) const;
    int GetAttrTypseg(int jn) const { return GetAttrTypseg_(GetTypSlot(jn)); }
    double GetAttrTypamp(int jn) const { return GetAttrTypamp_(GetTypSlot(jn)); }
    std::array<double, 32> GetAttrTyppat(int jn) const { return GetAttrTyppat_(GetTypSlot(jn)); }
    double GetAttrTyppa1(int jn, int pn) const { return GetAttrTyppa1_(GetTypSlot(jn), pn); }
    double GetAttrTyppit(int jn) const { return GetAttrTyppit_(GetTypSlot(jn)); }

    // Multiplies pit and the used pa entries of every slot.
    void SetAttrTypScale(double scale);

  private:
    static bool LayValid(int n) { return n >= 0 && n < jwvLayN; }
    static bool ColValid(int n) { return n >= 0 && n < jwvColN; }
    static bool TypValid(int n) { return n >= 0 && n < jwvTypN; }
    uint32_t PrintColor(int slot, uint32_t c) const;

    bool DispMode = false;
    bool PrintMode = false;
    int Sikii0 = -1;
    int Sikii1 = -1;
    int Sikii2 = -1;
    int BkColor = 0;
    uint32_t BackColor = 0xFFFFFFFF;
    uint32_t ForeColor = 0xFF000000;
    uint32_t GrayColor = 0xFF808080;
    bool DispHojo = false;
    bool DispKijun = false;
    bool All1ColorFlag = false;
    uint32_t All1Color = 0xFFFFFFFF;
    std::array<TjwvLayer, jwvLayN> jwvLay{};
    std::array<TjwvColor, jwvColN> jwvCol{};
    std::array<TjwvLtype, jwvTypN> jwvTyp{};
};

// The preparation the application gives its table once at start-up: light background, every
// default, auxiliary lines and reference marks shown, grey 0xFF808080.
void PrepareAttributesAtStartup(TgraAttribute& att);

// The reset before a .jww drawing installs its own colours and line types: colours, widths,
// point radii and line types back to the defaults of the current background.
void ResetAttributesForJwwFile(TgraAttribute& att);

// The reset before any other kind of file (.jws, .jwc, .jwk), which carries no colour table:
// the .jww reset, then the background re-applied and the same defaults once more.
void ResetAttributesForOtherFile(TgraAttribute& att);

}  // namespace velmora
