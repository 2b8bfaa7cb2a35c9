#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "app/ConversionEngine.h"
#include "app/Settings.h"
#include "support/JwsEncoder.h"
#include "support/JwwEncoder.h"
#include "support/TestFiles.h"
#include "util/Func2.h"

namespace velmora {
namespace {

using test::BinDir;
using test::ReadBytes;
using test::RunCommand;
using test::TJwwWriter;
using test::TScopedTempDir;
using test::WriteBytes;

std::filesystem::path U8Path(const std::string& s) {
    return std::filesystem::path(std::u8string(s.begin(), s.end()));
}

std::string U8Text(const std::filesystem::path& p) {
    const std::u8string u = p.u8string();
    return {u.begin(), u.end()};
}

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Primitives of the list by kind.
struct TPrimitiveCount {
    long segments = 0, triangles = 0, quads = 0;

    // As the document holds them: quadrilaterals are written as two triangles over 4 corners.
    long DocumentVertices() const { return 2 * segments + 3 * triangles + 4 * quads; }
    long DocumentTriangles() const { return triangles + 2 * quads; }
    // As `assimp info -r` reports them: every index of a face gets its own vertex (6 for a
    // quadrilateral), and a line segment counts as one face.
    long AssimpVertices() const { return 2 * segments + 3 * triangles + 6 * quads; }
    long AssimpFaces() const { return segments + triangles + 2 * quads; }
};

TPrimitiveCount CountPrimitives(const TFigList& fig) {
    TPrimitiveCount n;
    for (int i = 0; i < fig.InUse(); ++i) {
        const T3DdataField& f = fig.Fig3D(static_cast<size_t>(i));
        if (!f.ext) continue;
        if (f.typ == kFigTypLine) ++n.segments;
        if (f.typ == kFigTypTri) ++n.triangles;
        if (f.typ == kFigTypSqr) ++n.quads;
    }
    return n;
}

// What the document declares: one <lines count="1"> per segment, the triangle counts and the
// vertex counts of the position accessors.
struct TDocumentCount {
    long lines = 0, triangles = 0, vertices = 0;
};

long NumberAfter(std::string_view doc, size_t at) {
    long v = 0;
    while (at < doc.size() && doc[at] >= '0' && doc[at] <= '9')
        v = v * 10 + (doc[at++] - '0');
    return v;
}

long SumOf(std::string_view doc, std::string_view prefix, std::string_view between = {}) {
    long sum = 0;
    for (size_t at = doc.find(prefix); at != std::string_view::npos;
         at = doc.find(prefix, at + 1)) {
        size_t num = at + prefix.size();
        if (!between.empty()) {
            const size_t end = doc.find('>', at);
            const size_t b = doc.find(between, at);
            if (b == std::string_view::npos || b > end) continue;
            num = b + between.size();
        }
        sum += NumberAfter(doc, num);
    }
    return sum;
}

TDocumentCount CountDocument(std::string_view doc) {
    TDocumentCount n;
    for (size_t at = doc.find("<lines count=\"1\""); at != std::string_view::npos;
         at = doc.find("<lines count=\"1\"", at + 1)) {
        ++n.lines;
    }
    n.triangles = SumOf(doc, "<triangles count=\"");
    n.vertices = SumOf(doc, "<accessor source=\"#", "-Pos-array\" count=\"");
    return n;
}

// Runs the steps of one file of a batch in process; the list stays in the engine.
struct TInProcess {
    TScopedTempDir temp;
    TConversionEngine engine{temp.File("")};

    bool Convert(const std::string& src, const TConvertSettings& settings) {
        engine.SetSettings(settings);
        IFileKind* kind = engine.Kind(GetFileExtLower(src));
        if (!kind || !kind->FileCheck(src)) return false;
        kind->FileIn(src);
        kind->ResetAttributes();
        kind->SetGAttLayer();
        kind->Convert();
        return true;
    }
};

struct TAssimpCount {
    long vertices = -1, faces = -1;
};

TAssimpCount AssimpInfo(const std::string& file) {
    const test::TCommandResult r = RunCommand("assimp info " + Quote(file) + " -r 2>&1");
    TAssimpCount n;
    const auto field = [&](std::string_view name) {
        const size_t at = r.out.find(name);
        if (at == std::string::npos) return -1L;
        size_t p = at + name.size();
        while (p < r.out.size() && r.out[p] == ' ')
            ++p;
        return NumberAfter(r.out, p);
    };
    if (r.status == 0) {
        n.vertices = field("\nVertices:");
        n.faces = field("\nFaces:");
    }
    return n;
}

void ExpectValidAgainstSchema(const std::string& file) {
    const auto schema = test::SchemaFile();
    if (!schema || !test::HaveCommand("xmllint")) return;
    const test::TCommandResult r = RunCommand("xmllint --noout --schema " + Quote(U8Text(*schema)) +
                                              " " + Quote(file) + " 2>&1");
    EXPECT_EQ(r.status, 0) << r.out;
}

void ExpectDocumentHolds(const std::string& file, const TPrimitiveCount& want) {
    const TDocumentCount doc = CountDocument(ReadBytes(U8Path(file)));
    EXPECT_EQ(doc.lines, want.segments);
    EXPECT_EQ(doc.triangles, want.DocumentTriangles());
    EXPECT_EQ(doc.vertices, want.DocumentVertices());
    ExpectValidAgainstSchema(file);
    if (test::HaveCommand("assimp") && want.segments + want.triangles + want.quads > 0) {
        const TAssimpCount a = AssimpInfo(file);
        EXPECT_EQ(a.vertices, want.AssimpVertices());
        EXPECT_EQ(a.faces, want.AssimpFaces());
    }
}

// The node tools (validator, three.js) installed under the build folder; empty when absent.
std::string NodeTools() {
    const std::filesystem::path dir = std::filesystem::path(VELMORA_NODE_DIR);
    if (!std::filesystem::exists(dir / "node_modules" / "three") ||
        !std::filesystem::exists(dir / "node_modules" / "gltf-validator") ||
        !test::HaveCommand("node")) {
        return {};
    }
    return U8Text(dir);
}

// Writes the engine's list in the other two formats beside dae: the compact document must
// validate and import with the default document's counts, the glTF file must pass the
// validator without errors or warnings and load in three.js with the list's counts per layer.
void ExpectOtherFormatsHold(TConversionEngine& engine, const std::string& dae) {
    const TConvertSettings plain = engine.Conv.Settings;
    const std::string stem = dae.substr(0, dae.size() - 4);
    std::string error;
    engine.Conv.Settings.Format = TOutputFormat::DaeCompact;
    ASSERT_EQ(engine.SaveDae(stem + "-compact.dae", error), TSaveResult::Written) << error;
    ExpectValidAgainstSchema(stem + "-compact.dae");
    if (test::HaveCommand("assimp")) {
        const TAssimpCount a = AssimpInfo(dae), b = AssimpInfo(stem + "-compact.dae");
        EXPECT_EQ(a.vertices, b.vertices);
        EXPECT_EQ(a.faces, b.faces);
    }
    engine.Conv.Settings.Format = TOutputFormat::Glb;
    ASSERT_EQ(engine.SaveDae(stem + ".glb", error), TSaveResult::Written) << error;
    engine.Conv.Settings = plain;
    const std::string tools = NodeTools();
    if (tools.empty()) return;
    std::map<long, std::pair<long, long>> want;
    for (int i = 0; i < engine.Fig.InUse(); ++i) {
        const T3DdataField& f = engine.Fig.Fig3D(static_cast<size_t>(i));
        if (!f.ext || (f.typ != kFigTypLine && f.typ != kFigTypTri && f.typ != kFigTypSqr))
            continue;
        auto& n = want[(f.lay < 0 || f.lay > 255) ? 0 : f.lay];
        n.first += f.typ == kFigTypLine;
        n.second += f.typ == kFigTypTri ? 1 : f.typ == kFigTypSqr ? 2 : 0;
    }
    const test::TCommandResult r = RunCommand("node " + Quote(tools + "/check-glb.mjs") + " " +
                                              Quote(stem + ".glb") + " 2>&1");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("\nerrors 0\nwarnings 0\n"), std::string::npos) << r.out;
    std::map<long, std::pair<long, long>> got;
    for (size_t at = r.out.find("layer "); at != std::string::npos;
         at = r.out.find("\nlayer ", at + 1)) {
        long L = 0, s = 0, t = 0;
        if (std::sscanf(r.out.c_str() + at + (r.out[at] == '\n'),
                        "layer %ld lines %ld triangles %ld", &L, &s, &t) == 3 &&
            s + t > 0) {
            got[L] = {s, t};
        }
    }
    EXPECT_EQ(got, want) << r.out;
}

TEntJwwAttr Att(uint16_t color, uint16_t layer = 0, uint8_t style = 1) {
    TEntJwwAttr a;
    a.nPenStyle = style;
    a.nPenColor = color;
    a.nLayer = layer;
    return a;
}

TEntJwwLine Line(double x1, double y1, double x2, double y2, TEntJwwAttr att = Att(2)) {
    TEntJwwLine l;
    l.att = att;
    l.start_x = x1;
    l.start_y = y1;
    l.end_x = x2;
    l.end_y = y2;
    return l;
}

TEntJwwEnko Curve(double r, double flat, double start, double sweep, uint32_t full) {
    TEntJwwEnko e;
    e.att = Att(3, 1);
    e.start_x = 10;
    e.start_y = 20;
    e.dHankei = r;
    e.dHenpeiRitsu = flat;
    e.radKatamukiKaku = 0.3;
    e.radKaishiKaku = start;
    e.radEnkoKaku = sweep;
    e.bZenEnFlg = full;
    return e;
}

TEntJwwSolid Solid(uint8_t kind, std::array<double, 8> v, uint16_t color = 4) {
    TEntJwwSolid s;
    s.att = Att(color, 2, kind);
    s.start_x = v[0];
    s.start_y = v[1];
    s.end_x = v[2];
    s.end_y = v[3];
    s.DPoint2_x = v[4];
    s.DPoint2_y = v[5];
    s.DPoint3_x = v[6];
    s.DPoint3_y = v[7];
    s.Color = 0x00336699;
    return s;
}

TEntJwwSunpo Dimension() {
    TEntJwwSunpo d;
    d.att = Att(5, 3);
    d.Sen = Line(0, 0, 100, 0, Att(5, 3));
    d.Moji.att = Att(5, 3);
    d.Moji.str = "100";
    d.bSxfMode = 1;
    d.Ho1 = Line(0, -5, 0, 0, Att(6, 3));
    d.Ho2 = Line(100, -5, 100, 0, Att(6, 3));
    for (TEntJwwTen* t : {&d.Te1, &d.Te2, &d.Kt1, &d.Kt2})
        t->att = Att(7, 3);
    d.Te2.start_x = 100;
    return d;
}

// ---- One drawing per entity kind, from file to document ----

TEST(EndToEndConversion, EveryEntityKindReachesTheDocument) {
    struct Case {
        const char* name;
        std::function<void(TJwwWriter&)> add;
        int tenType = 0;
    };
    const Case cases[] = {
        {"line", [](TJwwWriter& w) { w.AddLine(Line(0, 0, 1000, 0)); }},
        {"circle", [](TJwwWriter& w) { w.AddArc(Curve(5, 1, 0, 6.283185307179586, 1)); }},
        {"arc", [](TJwwWriter& w) { w.AddArc(Curve(5, 1, 0.5, 2, 0)); }},
        {"ellipse", [](TJwwWriter& w) { w.AddArc(Curve(5, 0.4, 0, 6.283185307179586, 1)); }},
        {"point as a plus",
         [](TJwwWriter& w) {
             TEntJwwTen t;
             t.att = Att(2, 4);
             w.AddPoint(t);
         }},
        {"point as a filled square",
         [](TJwwWriter& w) {
             TEntJwwTen t;
             t.att = Att(2, 4);
             w.AddPoint(t);
         },
         5},
        {"dimension", [](TJwwWriter& w) { w.AddDimension(Dimension()); }},
        {"flat solids",
         [](TJwwWriter& w) {
             w.AddSolid(Solid(1, {0, 0, 10, 0, 10, 10, 0, 10}));
             w.AddSolid(Solid(1, {0, 0, 10, 0, 10, 10, 10, 10}, 10));
             w.AddSolid(Solid(1, {0, 0, 10, 0, 10, 0, 3, 3}));
         }},
        {"curved solids",
         [](TJwwWriter& w) {
             w.AddSolid(Solid(101, {0, 0, 8, 1, 0, 0, 6.283185307179586, 100}));
             w.AddSolid(Solid(101, {0, 0, 8, 1, 0, 0.3, 2, 5}));
             w.AddSolid(Solid(105, {0, 0, 8, 1, 0, 0.3, 2, 4}));
             w.AddSolid(Solid(111, {0, 0, 8, 1, 0, 0.3, 2, 0}));
         }},
        {"block insert",
         [](TJwwWriter& w) {
             TEntJwwBlockDef def;
             def.nNumber = 1;
             def.strName = "b";
             test::AddMember(def, Line(0, 0, 1, 0));
             test::AddMember(def, Curve(1, 1, 0, 6.283185307179586, 1));
             w.AddBlockDef(def);
             TEntJwwBlock b;
             b.att = Att(1);
             b.dBairitsuX = b.dBairitsuY = 2;
             b.nNumber = 1;
             w.AddBlock(b);
         }},
    };
    TScopedTempDir dir;
    for (const Case& c : cases) {
        for (const bool symbol : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (symbol ? " in a symbol" : " in a drawing"));
            TJwwWriter w;
            c.add(w);
            const std::string src = dir.File(symbol ? "in.jws" : "in.jww");
            const std::string dst = dir.File("out.dae");
            WriteBytes(U8Path(src), symbol ? test::JwsBytes(w) : w.Bytes());
            TInProcess run;
            TConvertSettings s;
            s.CB6 = true;
            s.TenType = c.tenType;
            ASSERT_TRUE(run.Convert(src, s));
            const TPrimitiveCount want = CountPrimitives(run.engine.Fig);
            EXPECT_GT(want.segments + want.triangles + want.quads, 0);
            std::string error;
            ASSERT_EQ(run.engine.SaveDae(dst, error), TSaveResult::Written) << error;
            ExpectDocumentHolds(dst, want);
            ExpectOtherFormatsHold(run.engine, dst);
            run.engine.FreeAll();
        }
    }
}

class CliConversion : public ::testing::Test {
  protected:
    void SetUp() override {
        cli_ = U8Text(BinDir() / "velmora-cli");
        if (!std::filesystem::exists(U8Path(cli_))) GTEST_SKIP() << "velmora-cli not built";
    }

    // Converts the files into dir with the default settings (plus extra options).
    test::TCommandResult Cli(const std::string& dir, const std::vector<std::string>& files,
                             const std::string& extra = "") {
        SaveDatFile(AddPathDelimiter(dir) + "none.dat", TFormState{});
        std::string cmd = "cd " + Quote(dir) + " && " + Quote(cli_) + " --settings none.dat -o " +
                          Quote(dir) + " " + extra;
        for (const std::string& f : files)
            cmd += " " + Quote(f);
        return RunCommand(cmd + " 2>/dev/null </dev/null");
    }

    std::string cli_;
};

TEST_F(CliConversion, OneLineGivesExactlyOneGeometry) {
    TScopedTempDir dir;
    TJwwWriter w;
    w.EntLgrp[0].adScale = 1;
    w.AddLine(Line(0, 0, 1000, 0));
    WriteBytes(dir.Path() / "line.jww", w.Bytes());
    const test::TCommandResult r = Cli(dir.File(""), {dir.File("line.jww")});
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("　…… 変換完了"), std::string::npos) << r.out;
    const std::string doc = ReadBytes(dir.Path() / "line.dae");
    const char* const want[] = {
        "<geometry id=\"layer0-C2\" name=\"layer0-C2\">",
        "<float_array id=\"layer0-C2-Pos-array\" count=\"6\">\r\n"
        "          0.000000000 0.000000000 0.000000000 1.000000000 0.000000000 0.000000000\r\n"
        "        </float_array>",
        "<accessor source=\"#layer0-C2-Pos-array\" count=\"2\" stride=\"3\">",
        "<lines count=\"1\" material=\"Color2\">",
        "<p>0 1</p>",
        "<node id=\"Layer0\" name=\"Layer0\">",
        "<instance_geometry url=\"#layer0-C2\">",
    };
    for (const char* text : want)
        EXPECT_NE(doc.find(text), std::string::npos) << text;
    EXPECT_EQ(doc.find("<geometry id="), doc.rfind("<geometry id="));
    EXPECT_EQ(doc.find("<triangles"), std::string::npos);
    EXPECT_EQ(doc.find("-Normal"), std::string::npos);
    const TDocumentCount n = CountDocument(doc);
    EXPECT_EQ(n.lines, 1);
    EXPECT_EQ(n.vertices, 2);
    ExpectValidAgainstSchema(dir.File("line.dae"));
}

TEST_F(CliConversion, SymbolTakesItsGroupZeroScaleAndSxfKey) {
    TScopedTempDir dir;
    TJwwWriter w;
    TEntJwwAttr a = Att(150, 2);
    a.nGLayer = 1;
    w.AddLine(Line(0, 0, 10, 0, a));
    test::TJwsHeaderValues h;
    h.adScale[0] = 100;
    h.adScale[1] = 5;
    WriteBytes(dir.Path() / "sym.jws", test::JwsBytes(w, h));
    const test::TCommandResult r = Cli(dir.File(""), {dir.File("sym.jws")});
    ASSERT_EQ(r.status, 0) << r.out;
    const std::string doc = ReadBytes(dir.Path() / "sym.dae");
    EXPECT_NE(doc.find("<float_array id=\"layer18-C59-Pos-array\" count=\"6\">\r\n"
                       "          0.000000000 0.000000000 0.000000000 1.000000000 0.000000000 "
                       "0.000000000\r\n"),
              std::string::npos);
    EXPECT_NE(doc.find("<node id=\"Layer18\" name=\"Layer18\">"), std::string::npos);
}

// The two Windows readers do not take each other's files.
TEST_F(CliConversion, DrawingAndSymbolUnderEachOthersExtensionFail) {
    TScopedTempDir dir;
    TJwwWriter w;
    w.AddLine(Line(0, 0, 1000, 0));
    WriteBytes(dir.Path() / "drawing.jws", w.Bytes());
    WriteBytes(dir.Path() / "symbol.jww", test::JwsBytes(w));
    const test::TCommandResult r =
        Cli(dir.File(""), {dir.File("drawing.jws"), dir.File("symbol.jww")});
    EXPECT_NE(r.status, 0);
    EXPECT_EQ(r.out.find("変換完了"), std::string::npos) << r.out;
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "drawing.dae"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "symbol.dae"));
}

// ---- Real drawings and symbols ----

TEST_F(CliConversion, EveryCorpusFileConvertsIntoAValidDocument) {
    std::vector<std::filesystem::path> files = test::CorpusFiles(".jww");
    for (const auto& f : test::CorpusFiles(".jws"))
        files.push_back(f);
    if (files.empty()) GTEST_SKIP() << "no corpus";

    TScopedTempDir dir;
    std::vector<std::string> names;
    for (const auto& f : files)
        names.push_back(U8Text(f));
    // Solids on, so that quadrilaterals and triangles reach the documents as well.
    const test::TCommandResult r = Cli(dir.File(""), names, "--solids=on");
    EXPECT_EQ(r.status, 0) << r.out;

    for (const std::string& src : names) {
        SCOPED_TRACE(src);
        const std::string stem = U8Text(U8Path(src).stem());
        const std::string dst = dir.File(stem + ".dae");
        const std::string logged = src + "\n→ " + dst + "\n　…… 変換完了\n";
        EXPECT_NE(r.out.find(logged), std::string::npos) << r.out;
        ASSERT_TRUE(std::filesystem::exists(U8Path(dst)));

        TInProcess run;
        TConvertSettings s;
        s.CB6 = true;
        ASSERT_TRUE(run.Convert(src, s));
        // A symbol may hold all its geometry in definitions that nothing inserts (a document
        // without geometry is still valid), so no file is required to yield primitives.
        ExpectDocumentHolds(dst, CountPrimitives(run.engine.Fig));
        ExpectOtherFormatsHold(run.engine, dst);
        run.engine.FreeAll();
    }
}

}  // namespace
}  // namespace velmora
