#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "attr/GraAttribute.h"
#include "collada/SaveDae.h"
#include "geometry/Converter.h"
#include "geometry/FigList.h"
#include "support/TestFiles.h"

#ifdef __linux__
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#endif

namespace velmora {
namespace {

using test::ReadBytes;
using test::TScopedTempDir;
using test::WriteBytes;

const TDaeTime kNow{2011, 3, 5, 14, 7, 9};
const TDaeClock kClock = [] { return kNow; };

std::string Crlf(std::string_view s) {
    std::string out;
    for (char c : s) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

void AddLine(TFigList& fig, int lay, int col, double x1, double y1, double x2, double y2) {
    const T3Dpoint p[2] = {{x1, y1, 0}, {x2, y2, 0}};
    fig.Fig3DAdd(lay, col, kFigTypLine, p, 2);
}

void AddTri(TFigList& fig, int lay, int col) {
    const T3Dpoint p[3] = {{0, 0, 0}, {1000, 0, 0}, {0, 1000, 0}};
    fig.Fig3DAdd(lay, col, kFigTypTri, p, 3);
}

void AddSqr(TFigList& fig, int lay, int col) {
    const T3Dpoint p[4] = {{0, 0, 0}, {2000, 0, 0}, {2000, 1000, 0}, {0, 1000, 0}};
    fig.Fig3DAdd(lay, col, kFigTypSqr, p, 4);
}

// Text of the geometry with id g, from its opening line to its closing one.
std::string GeometryText(const std::string& doc, const std::string& g) {
    const size_t b = doc.find("  <geometry id=\"" + g + "\"");
    if (b == std::string::npos) return {};
    const size_t e = doc.find("  </geometry>\r\n", b);
    return doc.substr(b, e + 15 - b);
}

class SaveDae : public ::testing::Test {
  protected:
    TScopedTempDir dir;
    TFigList fig;
    std::string error;

    SaveDae() {
        for (int k = 1; k <= 10; ++k)
            fig.FigColKeyAdd(0x804020);
    }
    std::string Save(double scale = 1, const std::string& name = "out.dae") {
        const std::string dst = dir.File(name);
        EXPECT_EQ(SaveDaeFile(dst, fig, scale, error, kClock), TSaveResult::Written) << error;
        return ReadBytes(dst);
    }
};

constexpr std::string_view kSegmentDocument = R"(<?xml version="1.0" encoding="utf-8"?>
<COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">
<asset>
  <contributor>
    <author>Kestrin</author>
    <authoring_tool>VELMORA</authoring_tool>
    
  </contributor>
  <created>2011-03-05T14:07:09Z</created>
  <modified>2011-03-05T14:07:09Z</modified>
  <revision>1.0</revision>
  <up_axis>Z_UP</up_axis>
</asset>
<library_effects>
  <effect id="ColorID2">
    <profile_COMMON>
      <technique sid="COMMON">
        <lambert>
          <diffuse>
            <color>0.125 0.25 0.501 1</color>
          </diffuse>
        </lambert>
      </technique>
    </profile_COMMON>
  </effect>
</library_effects>
<library_materials>
  <material id="DefColor2">
    <instance_effect url="#ColorID2" />
  </material>
</library_materials>
<library_geometries>
  <geometry id="layer0-C2" name="layer0-C2">
    <mesh>
      <source id="layer0-C2-Pos">
        <float_array id="layer0-C2-Pos-array" count="6">
          0.000000000 0.000000000 0.000000000 1.000000000 0.000000000 0.000000000
        </float_array>
        <technique_common>
          <accessor source="#layer0-C2-Pos-array" count="2" stride="3">
            <param name="X" type="float" />
            <param name="Y" type="float" />
            <param name="Z" type="float" />
          </accessor>
        </technique_common>
      </source>
      <vertices id="layer0-C2-Vtx">
        <input semantic="POSITION" source="#layer0-C2-Pos" />
      </vertices>
      <lines count="1" material="Color2">
        <input offset="0" semantic="VERTEX" source="#layer0-C2-Vtx" />
        <p>0 1</p>
      </lines>
    </mesh>
  </geometry>
</library_geometries>
<library_visual_scenes>
  <visual_scene id="DefaultScene">
    <node id="Layer0" name="Layer0">
      <instance_geometry url="#layer0-C2">
        <bind_material>
          <technique_common>
            <instance_material symbol="Color2" target="#DefColor2" />
          </technique_common>
        </bind_material>
      </instance_geometry>
    </node>
  </visual_scene>
</library_visual_scenes>
<scene>
  <instance_visual_scene url="#DefaultScene" />
</scene>
</COLLADA>
)";

constexpr std::string_view kFaceGeometry = R"(  <geometry id="layer17-C5" name="layer17-C5">
    <mesh>
      <source id="layer17-C5-Pos">
        <float_array id="layer17-C5-Pos-array" count="21">
          0.000000000 0.000000000 0.000000000 1.000000000 0.000000000 0.000000000 0.000000000 1.000000000 0.000000000
          0.000000000 0.000000000 0.000000000 2.000000000 0.000000000 0.000000000 2.000000000 1.000000000 0.000000000 0.000000000 1.000000000 0.000000000
        </float_array>
        <technique_common>
          <accessor source="#layer17-C5-Pos-array" count="7" stride="3">
            <param name="X" type="float" />
            <param name="Y" type="float" />
            <param name="Z" type="float" />
          </accessor>
        </technique_common>
      </source>
      <source id="layer17-C5-Normal">
        <float_array id="layer17-C5-Normal-array" count="21">
          0.000000000 0.000000000 0.001000000 0.000000000 0.000000000 0.001000000 0.000000000 0.000000000 0.001000000
          0.000000000 0.000000000 0.001000000 0.000000000 0.000000000 0.001000000 0.000000000 0.000000000 0.001000000 0.000000000 0.000000000 0.001000000
        </float_array>
        <technique_common>
          <accessor source="#layer17-C5-Normal-array" count="7" stride="3">
            <param name="X" type="float"/>
            <param name="Y" type="float"/>
            <param name="Z" type="float"/>
          </accessor>
        </technique_common>
      </source>
      <vertices id="layer17-C5-Vtx">
        <input semantic="POSITION" source="#layer17-C5-Pos" />
        <input semantic="NORMAL" source="#layer17-C5-Normal" />
      </vertices>
      <triangles count="3" material="Color5">
        <input offset="0" semantic="VERTEX" source="#layer17-C5-Vtx" />
        <p>
        0 1 2
        3 4 5 3 5 6
        </p>
      </triangles>
    </mesh>
  </geometry>
)";

TEST_F(SaveDae, OneSegmentGivesTheWholeDocument) {
    AddLine(fig, 0, 2, 0, 0, 1000, 0);
    EXPECT_EQ(Save(), Crlf(kSegmentDocument));
}

// A document many write buffers long reaches the file whole, its parts in order, and the
// entries of a group, scattered over the list, in list order.
TEST_F(SaveDae, ALongDocumentIsWrittenWholeAndInOrder) {
    constexpr int kSegments = 60000;
    for (int i = 0; i < kSegments; ++i)
        AddLine(fig, i % 2, 2, i, 0.5 * i, i + 1, 7);
    const std::string doc = Save(1000);
    for (int lay = 0; lay < 2; ++lay) {
        SCOPED_TRACE(lay);
        const std::string g = GeometryText(doc, "layer" + std::to_string(lay) + "-C2");
        size_t at = g.find("\r\n", g.find("-Pos-array")) + 2;
        char line[160];
        for (int i = lay; i < kSegments; i += 2) {
            const int n = std::snprintf(line, sizeof line,
                                        "          %.9f %.9f 0.000000000 %.9f 7.000000000 "
                                        "0.000000000\r\n",
                                        double(i), 0.5 * i, double(i + 1));
            ASSERT_EQ(g.compare(at, static_cast<size_t>(n), line), 0) << i;
            at += static_cast<size_t>(n);
        }
        EXPECT_NE(g.find("<p>59998 59999</p>"), std::string::npos);
    }
    EXPECT_TRUE(doc.ends_with("</COLLADA>\r\n"));
}

TEST_F(SaveDae, FactorScalesCoordinates) {
    AddLine(fig, 0, 2, 0, 0, 1000, 0);
    EXPECT_NE(Save(1000).find("\r\n          0.000000000 0.000000000 0.000000000 1000.000000000 "
                              "0.000000000 0.000000000\r\n"),
              std::string::npos);
}

TEST_F(SaveDae, TriangleAndQuadrilateralHaveOneNormalPerVertex) {
    AddTri(fig, 17, 5);
    AddSqr(fig, 17, 5);
    EXPECT_EQ(GeometryText(Save(), "layer17-C5"), Crlf(kFaceGeometry));
}

TEST_F(SaveDae, SegmentsAfterFacesContinueTheIndexAndGetUpNormals) {
    AddLine(fig, 3, 1, 0, 0, 1000, 0);
    AddTri(fig, 3, 1);
    AddLine(fig, 3, 1, 0, 0, 0, 1000);
    const std::string g = GeometryText(Save(), "layer3-C1");
    const std::string up = "0.000000000 0.000000000 0.001000000";
    EXPECT_NE(
        g.find("count=\"21\">\r\n          " + up + " " + up + " " + up + "\r\n          " + up +
               " " + up + "\r\n          " + up + " " + up + "\r\n        </float_array>"),
        std::string::npos);
    EXPECT_NE(g.find("<p>\r\n        0 1 2\r\n        </p>"), std::string::npos);
    EXPECT_NE(g.find("<p>3 4</p>"), std::string::npos);
    EXPECT_NE(g.find("<p>5 6</p>"), std::string::npos);
    EXPECT_LT(g.find("<p>3 4</p>"), g.find("<p>5 6</p>"));
}

TEST_F(SaveDae, CompactDocumentPutsAllSegmentsInOneElementAndStatesMetres) {
    AddLine(fig, 3, 1, 0, 0, 1000, 0);
    AddTri(fig, 3, 1);
    AddLine(fig, 3, 1, 0, 0, 0, 1000);
    const std::string plain = Save();
    const std::string dst = dir.File("compact.dae");
    ASSERT_EQ(SaveDaeFile(dst, fig, 1, error, kClock, TDaeStyle::Compact), TSaveResult::Written);
    const std::string compact = ReadBytes(dst);
    const std::string lines =
        "      <lines count=\"2\" material=\"Color1\">\r\n"
        "        <input offset=\"0\" semantic=\"VERTEX\" "
        "source=\"#layer3-C1-Vtx\" />\r\n"
        "        <p>\r\n        3 4\r\n        5 6\r\n        </p>\r\n"
        "      </lines>\r\n    </mesh>";
    EXPECT_NE(compact.find(lines), std::string::npos) << compact;
    const std::string unit =
        "  <revision>1.0</revision>\r\n  <unit name=\"meter\" meter=\"1\"/>\r\n"
        "  <up_axis>";
    EXPECT_NE(compact.find(unit), std::string::npos);
    EXPECT_EQ(plain.find("<unit"), std::string::npos);
    // Up to the segments the two documents are the same, but for the unit line.
    std::string head = compact;
    const size_t at = head.find("  <unit");
    head.erase(at, head.find('\n', at) + 1 - at);
    const size_t cut = plain.find("      <lines");
    EXPECT_EQ(head.substr(0, cut), plain.substr(0, cut));
}

TEST_F(SaveDae, SegmentOnlyLayerHasNoNormalsAndNoTriangles) {
    AddLine(fig, 4, 3, 0, 0, 1, 1);
    const std::string g = GeometryText(Save(), "layer4-C3");
    ASSERT_FALSE(g.empty());
    EXPECT_EQ(g.find("Normal"), std::string::npos);
    EXPECT_EQ(g.find("<triangles"), std::string::npos);
}

TEST_F(SaveDae, KeysAndLayersInAscendingOrderWhateverTheListOrder) {
    AddLine(fig, 9, 7, 0, 0, 1, 1);
    AddLine(fig, 2, 3, 0, 0, 1, 1);
    AddLine(fig, 9, 1, 0, 0, 1, 1);
    AddLine(fig, 2, 7, 0, 0, 1, 1);
    const std::string doc = Save();
    const std::vector<std::string> order = {
        "id=\"ColorID1\"",    "id=\"ColorID3\"",  "id=\"ColorID7\"",    "id=\"DefColor1\"",
        "id=\"DefColor3\"",   "id=\"DefColor7\"", "id=\"layer2-C3\"",   "id=\"layer2-C7\"",
        "id=\"layer9-C1\"",   "id=\"layer9-C7\"", "id=\"Layer2\"",      "url=\"#layer2-C3\"",
        "url=\"#layer2-C7\"", "id=\"Layer9\"",    "url=\"#layer9-C1\"", "url=\"#layer9-C7\""};
    size_t at = 0;
    for (const std::string& s : order) {
        SCOPED_TRACE(s);
        const size_t found = doc.find(s, at);
        ASSERT_NE(found, std::string::npos);
        at = found;
    }
}

TEST_F(SaveDae, OutOfRangeEntriesAreWrittenWhereTheyAreCounted) {
    AddLine(fig, 300, 0, 0, 0, 1000, 0);
    AddLine(fig, -1, 6000, 0, 0, 0, 1000);
    const std::string doc = Save();
    const std::string g = GeometryText(doc, "layer0-C1");
    EXPECT_NE(g.find("-Pos-array\" count=\"12\">\r\n          0.000000000 0.000000000 0.000000000 "
                     "1.000000000 0.000000000 0.000000000\r\n"),
              std::string::npos);
    EXPECT_NE(g.find("<p>2 3</p>"), std::string::npos);
    EXPECT_NE(doc.find("url=\"#layer0-C1\""), std::string::npos);
}

TEST_F(SaveDae, EmptyListGivesTheAssetBlockOnly) {
    const std::string doc = Save();
    const std::string tail = "</asset>\r\n</COLLADA>\r\n";
    ASSERT_GE(doc.size(), tail.size());
    EXPECT_EQ(doc.substr(doc.size() - tail.size()), tail);
    EXPECT_EQ(doc.find("library"), std::string::npos);
}

// Position text equals "%.9f" for every magnitude, negative zero included; NaN and infinity
// become 0.
TEST_F(SaveDae, CoordinatesMatchNineDecimalFixedPoint) {
    std::vector<double> values = {0.0,
                                  -0.0,
                                  -1e-12,
                                  5e-10,
                                  1.5e-9,
                                  2.5e-9,
                                  0.1234567895,
                                  123.4567890125,
                                  999999.9999999995,
                                  1e6,
                                  -1e6 - 0.5,
                                  9.007199254740993e15,
                                  5e17,
                                  1e18,
                                  -1e20,
                                  1.7976931348623157e308,
                                  std::numeric_limits<double>::denorm_min()};
    std::mt19937_64 rng(7);
    for (int i = 0; i < 3000; ++i) {
        const double mant = std::uniform_real_distribution<double>(-1, 1)(rng);
        const int exp = static_cast<int>(rng() % 40) - 14;
        values.push_back(mant * std::pow(10.0, exp));
        values.push_back(std::round(mant * 1e6) / 1e6 + 5e-10);
    }
    for (size_t i = 0; i + 1 < values.size(); i += 2) {
        AddLine(fig, 0, 1, values[i], values[i + 1], 0, 0);
    }
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    AddLine(fig, 1, 1, nan, inf, -inf, 0);
    const std::string doc = Save(1000);

    const std::string g = GeometryText(doc, "layer0-C1");
    size_t at = g.find("count=\"");
    at = g.find("\r\n", at) + 2;
    std::vector<char> buf(400);
    for (int i = 0; i < fig.Fig3DN() - 1; ++i) {
        const size_t end = g.find("\r\n", at);
        const std::string line = g.substr(at, end - at);
        at = end + 2;
        std::string expected = "         ";
        for (int c = 0; c < 2; ++c) {
            for (double v : {fig.Fig3D(i).p[c].x, fig.Fig3D(i).p[c].y, fig.Fig3D(i).p[c].z}) {
                const double x = v * (1000 * 0.001);
                std::snprintf(buf.data(), buf.size(), "%.9f", x);
                expected += " ";
                expected += buf.data();
            }
        }
        ASSERT_EQ(line, expected) << i;
    }
    EXPECT_NE(GeometryText(doc, "layer1-C1")
                  .find("          0.000000000 0.000000000 0.000000000 0.000000000 0.000000000 "
                        "0.000000000\r\n"),
              std::string::npos);
    EXPECT_EQ(doc.find("nan"), std::string::npos);
    EXPECT_EQ(doc.find("inf"), std::string::npos);
}

TEST(SaveDaeTime, TimeText) {
    EXPECT_EQ(DaeTimeText(kNow), "2011-03-05T14:07:09Z");
    EXPECT_EQ(DaeTimeText({987, 12, 31, 23, 59, 58}), "0987-12-31T23:59:58Z");
    EXPECT_EQ(DaeTimeText(LocalDaeTime()).size(), 20u);
}

struct TCreatedCase {
    const char* old;
    const char* created;
};

TEST_F(SaveDae, CreatedIsCarriedOverFromAnOldFile) {
    const TCreatedCase cases[] = {
        {"<x>\r\n  <created>2001-02-03T04:05:06Z</created>\r\n<created>x</created>\r\n",
         "2001-02-03T04:05:06Z"},
        {"<CREATED> 2001-02-03 T04:05:06Z </CREATED>\n", "2001-02-03T04:05:06Z"},
        {"<Created>\r\n2002-01-01T00:00:00Z</Created>\r\n", "2002-01-01T00:00:00Z"},
        {"<Created>\r\n  2002-01-01T00:00:00Z</Created>\r\n", "2011-03-05T14:07:09Z"},
        {"<created>\r2003-01-01T00:00:00Z\r", "2003-01-01T00:00:00Z"},
        {"<created>\n", "2011-03-05T14:07:09Z"},
        {"<created></created>\n", "2011-03-05T14:07:09Z"},
        {"<created>2001-02-03T04:05:06.5+09:00</created>\n", "2001-02-03T04:05:06.5+09:00"},
        {"<created>2001\xFF-02</created>\n", "2011-03-05T14:07:09Z"},
        {"<created>2001\x7F-02</created>\n", "2011-03-05T14:07:09Z"},
        {"no stamp here\n", "2011-03-05T14:07:09Z"},
        {"<created>a&b</created>\n", "2011-03-05T14:07:09Z"},
        {"", "2011-03-05T14:07:09Z"},
    };
    for (const TCreatedCase& c : cases) {
        SCOPED_TRACE(c.old);
        const std::string dst = dir.File("old.dae");
        WriteBytes(dst, c.old);
        const std::string doc = Save(1, "old.dae");
        EXPECT_NE(doc.find(std::string("\r\n  <created>") + c.created + "</created>\r\n"),
                  std::string::npos);
        EXPECT_NE(doc.find("<modified>2011-03-05T14:07:09Z</modified>"), std::string::npos);
    }
}

TEST_F(SaveDae, UncreatableFileIsReported) {
    AddLine(fig, 0, 1, 0, 0, 1, 1);
    const std::string missing = dir.File("no/such/folder/out.dae");
    EXPECT_EQ(SaveDaeFile(missing, fig, 1, error, kClock), TSaveResult::CannotCreate);
    EXPECT_FALSE(error.empty());
    std::filesystem::create_directory(dir.Path() / "folder.dae");
    error.clear();
    EXPECT_EQ(SaveDaeFile(dir.File("folder.dae"), fig, 1, error, kClock),
              TSaveResult::CannotCreate);
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "folder.dae"));
}

// A stop raised while the document is written ends it as a failure and leaves no file; the
// list grows no further once it is raised.
TEST_F(SaveDae, RaisedStopEndsTheWriteAndTheConversion) {
    AddLine(fig, 0, 1, 0, 0, 1, 1);
    TStopFlag stop{true};
    EXPECT_EQ(SaveDaeFile(dir.File("out.dae"), fig, 1, error, kClock, TDaeStyle::Plain, &stop),
              TSaveResult::Failed);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "out.dae"));

    TFigList list;
    list.Stop = &stop;
    const T3Dpoint p[2] = {{0, 0, 0}, {1, 1, 0}};
    EXPECT_THROW(list.Fig3DAdd(0, 1, kFigTypLine, p, 2), TStopped);
    stop = false;
    list.Fig3DAdd(0, 1, kFigTypLine, p, 2);
    EXPECT_EQ(list.Fig3DN(), 1);
}

struct TDocCase {
    const char* name;
    int faces;  // triangles, a quadrilateral counting two
    int segments;
};

// Documents of several shapes, each checked against the schema and read by a real importer.
class SaveDaeTools : public SaveDae {
  protected:
    std::vector<std::pair<TDocCase, std::string>> Documents() {
        std::vector<std::pair<TDocCase, std::string>> docs;
        const auto save = [&](TDocCase c) {
            const std::string dst = dir.File(std::string(c.name) + ".dae");
            EXPECT_EQ(SaveDaeFile(dst, fig, 1, error, kClock), TSaveResult::Written);
            docs.push_back({c, dst});
            // The compact document must give importers the same vertices and faces.
            const std::string compact = dir.File(std::string(c.name) + "-compact.dae");
            EXPECT_EQ(SaveDaeFile(compact, fig, 1, error, kClock, TDaeStyle::Compact),
                      TSaveResult::Written);
            docs.push_back({c, compact});
        };
        save({"empty", 0, 0});
        AddLine(fig, 0, 2, 0, 0, 1000, 0);
        save({"segment", 0, 1});
        fig.Fig3DClear();
        AddTri(fig, 17, 5);
        AddSqr(fig, 17, 5);
        AddLine(fig, 17, 5, 0, 0, 5, 5);
        AddLine(fig, 3, 2, 0, 0, 5, 5);
        save({"mixed", 3, 2});
        fig.Fig3DClear();
        TgraAttribute att;
        TConverter conv(fig, att);
        const double pi = 3.14159265358979323846;
        conv.DataTransSubArc1(1, 1, 100, 0, 0, 5, 0.5, 0.3, 0, 2 * pi);
        conv.DataTransSubArc2(1, 2, 100, 20, 0, 5, 1, 0, 0, pi);
        conv.DataTransSubArc3(2, 3, 100, 40, 0, 5, 1, 0, 0, -pi / 2);
        conv.DataTransSubArc4(2, 3, 100, 60, 0, 5, 1, 0, 0, pi / 3);
        conv.DataTransSubArc5(255, 4, 100, 80, 0, 5, 1, 3, 1, 0, 0, 2 * pi);
        conv.Settings.TenType = 7;
        conv.DataTransSubTen(254, 5266, 100, 1, 1);
        save({"curves", 12 + 11 + 12 + 24 + 12, 12});
        AddLine(fig, 300, 0, 0, 0, 1, 1);
        save({"outofrange", 12 + 11 + 12 + 24 + 12, 13});
        return docs;
    }
};

TEST_F(SaveDaeTools, DocumentsValidateAgainstTheSchema) {
    const auto schema = test::SchemaFile();
    if (!schema || !test::HaveCommand("xmllint")) GTEST_SKIP() << "xmllint or schema absent";
    for (const auto& [c, file] : Documents()) {
        SCOPED_TRACE(c.name);
        const test::TCommandResult r = test::RunCommand("xmllint --noout --schema '" +
                                                        schema->string() + "' '" + file + "' 2>&1");
        EXPECT_EQ(r.status, 0) << r.out;
    }
}

TEST_F(SaveDaeTools, ImporterReadsTheExpectedVerticesAndFaces) {
    if (!test::HaveCommand("assimp")) GTEST_SKIP() << "assimp absent";
    for (const auto& [c, file] : Documents()) {
        if (c.faces + c.segments == 0) continue;
        SCOPED_TRACE(c.name);
        const test::TCommandResult r = test::RunCommand("assimp info '" + file + "' -r 2>&1");
        ASSERT_EQ(r.status, 0) << r.out;
        const auto number = [&](const std::string& label) {
            const size_t at = r.out.find("\n" + label);
            if (at == std::string::npos) return -1L;
            return std::strtol(r.out.c_str() + at + 1 + label.size(), nullptr, 10);
        };
        EXPECT_EQ(number("Vertices:"), 3L * c.faces + 2L * c.segments) << r.out;
        EXPECT_EQ(number("Faces:"), static_cast<long>(c.faces + c.segments)) << r.out;
    }
}

#ifdef __linux__
// A write that fails after the file was created (here: the file size limit) deletes the partial
// file and reports Failed. Run in a child so the limit stays there.
TEST_F(SaveDae, WriteErrorDeletesThePartialFile) {
    for (int i = 0; i < 100000; ++i)
        AddLine(fig, i % 7, 1 + i % 5, i, -i, i * 0.5, 3);
    const std::string dst = dir.File("partial.dae");
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1 << 20, 1 << 20};
        setrlimit(RLIMIT_FSIZE, &limit);
        std::string err;
        const TSaveResult r = SaveDaeFile(dst, fig, 1, err, kClock);
        _exit(r == TSaveResult::Failed && !err.empty() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(std::filesystem::exists(dst));
}
#endif

}  // namespace
}  // namespace velmora
