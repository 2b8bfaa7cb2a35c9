#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmora::test {

// Builds DOS drawings (.jwc) and symbols (.jwk) byte by byte for tests and fuzz seeds. It
// knows the file layout only; it shares nothing with the readers, so a reader fault cannot
// hide behind the same fault in the encoder.

struct TJwcLineRec {
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    uint8_t typ = 1, col = 1, lay = 0, flg1 = 0, flg2 = 0, flg3 = 0;
};

struct TJwcArcRec {
    float x = 0, y = 0, r = 0;
    uint16_t flattening = 10000;     // other semi-axis / r, times 10000
    int32_t st = 0, et = 0, tt = 0;  // degrees in 16.16 fixed point, see FixedDeg
    uint8_t typ = 1, col = 1, lay = 0, flg1 = 0, flg2 = 0, flg3 = 0;
};

struct TJwcTenRec {
    float x = 0, y = 0;
    uint8_t lay = 0, col = 1, flg1 = 0, flg2 = 0;
};

struct TJwcTextRec {
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    std::string text;  // the bytes as stored (code page 932), put into the text block
    uint8_t no = 1, lay = 0, flg1 = 0, flg2 = 0;
    // Address written instead of the string's place in the block: a linear real-mode address
    // for .jwc (written as offset and segment words), a block offset for .jwk.
    std::optional<int64_t> address = std::nullopt;
};

// Degrees as the 16.16 fixed point the arc records store.
int32_t FixedDeg(double degrees);

struct TJwcFile {
    // The 23rd character "f" marks group scales stored as Single; without it they are Words.
    std::string jwID = "jw_cad(c)data.......  f";
    std::string comment1, comment2;
    int32_t psize = 3;
    int32_t drawWidth = 518;
    // Header counts; by default the sizes of the record lists.
    std::optional<int32_t> lineCount, arcCount, mojiCount, tenCount;
    // Raw text of header blocks 2, 3 and 4, written instead of the generated parameters.
    std::optional<std::string> block2, block3, block4;
    // sBufAdr1 as segment and offset; sBufAdr2 is sBufAdr1 plus the size of the text block
    // unless textEnd gives it (a linear address).
    uint16_t textSegment = 0x6000, textOffset = 0x0010;
    std::optional<int64_t> textEnd;

    std::array<float, 101> vtenX{}, vtenY{};
    std::array<uint8_t, 101> vtenLay{};
    std::array<uint16_t, 11> mjPen{}, mjWidth{}, mjHeight{}, mjDist{};
    std::array<float, 16> groupScale;  // Single, or rounded to a Word for old drawings
    std::array<uint8_t, 16> groupSrch, groupDisp, groupWLay{};
    std::array<uint8_t, 256> laySrch, layDisp;
    std::array<std::string, 256> layerNames;  // bytes, at most 8
    std::array<std::string, 16> groupNames;   // bytes, at most 16

    std::vector<TJwcLineRec> lines;
    std::vector<TJwcArcRec> arcs;
    std::vector<TJwcTextRec> texts;
    std::vector<TJwcTenRec> tens;

    // Every group scale 1, every group and layer shown and editable.
    TJwcFile();
};

struct TJwkFile {
    std::string jwID = "jw_cad(c)sym........";
    std::string comment1, comment2;
    std::optional<int32_t> lineCount, arcCount, tenCount, mojiCount;
    // Size of the text block; by default the size of the strings written.
    std::optional<int32_t> strSpace;
    std::string orgX = "0", orgY = "0", dispScale = "1", scale = "1";  // parameter text
    std::optional<std::string> block2;

    std::vector<TJwcLineRec> lines;
    std::vector<TJwcArcRec> arcs;
    std::vector<TJwcTenRec> tens;
    std::vector<TJwcTextRec> texts;
};

// Offsets of the sections in an encoded drawing, for tests that patch or cut files.
struct TJwcLayout {
    size_t tables = 0, groupScales = 0, lines = 0, arcs = 0, texts = 0, textBlock = 0, tens = 0,
           names = 0, end = 0;
};

std::vector<std::byte> EncodeJwc(const TJwcFile& f, TJwcLayout* layout = nullptr);
std::vector<std::byte> EncodeJwk(const TJwkFile& f);

// A real-mode address as the header writes it: "SSSS:OOOO", upper-case hexadecimal.
std::string RealModeAddress(uint16_t segment, uint16_t offset);

}  // namespace velmora::test
