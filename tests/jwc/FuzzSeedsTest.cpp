#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/JwcEncoder.h"
#include "support/TestFiles.h"

namespace velmora {
namespace {

using namespace velmora::test;

void Write(const std::filesystem::path& dir, const std::string& name,
           const std::vector<std::byte>& bytes) {
    std::filesystem::create_directories(dir);
    WriteBytes(dir / name, std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

// Regenerates the fuzz seeds: VELMORA_WRITE_FUZZ_SEEDS=<fuzz/seeds folder> jwc_tests
// --gtest_filter=FuzzSeeds.*
TEST(FuzzSeeds, WritesSeedsWhenAsked) {
    const char* out = std::getenv("VELMORA_WRITE_FUZZ_SEEDS");
    if (out == nullptr) GTEST_SKIP() << "VELMORA_WRITE_FUZZ_SEEDS not set";
    const std::filesystem::path jwcDir = std::filesystem::path(out) / "fuzz_jwc";
    const std::filesystem::path jwkDir = std::filesystem::path(out) / "fuzz_jwk";

    TJwcFile d;
    d.lines = {{0, 0, 518, 0, 1, 1, 0x12, 0, 0x20, 0x20}, {1, 2, 3, 4, 9, 9}};
    TJwcArcRec arc;
    arc.x = 10;
    arc.r = 5;
    arc.flattening = 5000;
    arc.st = FixedDeg(30);
    arc.et = FixedDeg(120);
    arc.tt = FixedDeg(15);
    arc.flg2 = 0x40;
    d.arcs = {arc};
    TJwcTextRec text;
    text.text = "\x8E\x9A";
    d.texts = {text};
    d.tens = {{7, 8, 0x22, 4, 0x40, 1}};
    d.groupScale[0] = 50;
    d.layerNames[0] = "L0";
    d.groupNames[0] = "G0";
    d.groupDisp[1] = 0;
    Write(jwcDir, "drawing.jwc", EncodeJwc(d));
    d.jwID = "jw_cad(c)data.......  e";
    d.psize = 4;
    d.drawWidth = 0;
    Write(jwcDir, "word_scales.jwc", EncodeJwc(d));
    Write(jwcDir, "empty.jwc", EncodeJwc(TJwcFile{}));

    TJwkFile k;
    k.lines = {{0, 0, 100, 0, 9, 9}};
    k.arcs = {arc};
    k.tens = {{1, 1, 0, 1, 0x20}};
    k.texts = {text, text};
    k.scale = "50";
    Write(jwkDir, "symbol.jwk", EncodeJwk(k));
    k.scale = "0";
    k.strSpace = 0;
    Write(jwkDir, "no_text_block.jwk", EncodeJwk(k));
}

}  // namespace
}  // namespace velmora
