#include "gltf/SaveGlb.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <new>
#include <string_view>
#include <system_error>
#include <vector>

#include "geometry/FigGroups.h"
#include "util/Func2.h"
#include "util/NumText.h"
#include "util/Prefetch.h"

#ifndef VELMORA_VERSION_TEXT
#define VELMORA_VERSION_TEXT "0"
#endif

namespace velmora {

namespace {

namespace fs = std::filesystem;

fs::path PathOf(const std::string& utf8) {
    return fs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

// A tiny JSON emitter: numbers in their shortest exact text, strings escaped and kept valid UTF-8.
class TJson {
  public:
    std::string text;

    void Raw(std::string_view s) { text += s; }
    void Int(uint64_t v) {
        char buf[24];
        text.append(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
    }
    // Shortest text that reads back as v exactly; non-finite values and -0 as 0.
    void Num(double v) {
        if (!std::isfinite(v)) v = 0;
        v += 0.0;
        text += ShortestText(v);
    }
    void Str(std::string_view s) {
        text += '"';
        size_t i = 0;
        while (i < s.size()) {
            const auto c = static_cast<unsigned char>(s[i]);
            const size_t len = Utf8Length(s, i);
            if (len == 0) {
                text += "\xEF\xBF\xBD";  // a byte that starts no valid sequence
                ++i;
                continue;
            }
            if (c == '"' || c == '\\') {
                text += '\\';
                text += static_cast<char>(c);
            } else if (c < 0x20) {
                static constexpr char kHex[] = "0123456789abcdef";
                text += "\\u00";
                text += kHex[c >> 4];
                text += kHex[c & 15];
            } else {
                text.append(s.substr(i, len));
            }
            i += len;
        }
        text += '"';
    }

  private:
    // Length of the valid UTF-8 sequence at s[i], 0 when there is none.
    static size_t Utf8Length(std::string_view s, size_t i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) return 1;
        size_t n = 0;
        uint32_t cp = 0;
        if ((c & 0xE0) == 0xC0) {
            n = 2;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            n = 3;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            n = 4;
            cp = c & 0x07;
        } else {
            return 0;
        }
        if (s.size() - i < n) return 0;
        for (size_t k = 1; k < n; ++k) {
            const auto d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80) return 0;
            cp = (cp << 6) | (d & 0x3F);
        }
        const uint32_t least[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < least[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
        return n;
    }
};

double SrgbToLinear(uint32_t byte) {
    const double c = byte / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

float Finite(double v) {
    const auto f = static_cast<float>(v);
    return std::isfinite(f) ? f : 0.0f;
}

int CornerCount(int32_t typ) {
    return typ == kFigTypLine ? 2 : typ == kFigTypTri ? 3 : 4;
}

// How far ahead the packing walk asks for entries, and for the corners of entries it asked
// for before.
constexpr size_t kEntryAhead = 16;
constexpr size_t kCornerAhead = 8;

// One layer and key packed: its vertices and the two index lists, as offsets into the chunk.
struct TPacked {
    int lay, col;
    size_t posOffset, vertices;
    float min[3], max[3];
    size_t lineOffset, lineCount, triOffset, triCount;
    bool wide;  // 32-bit indices
};

// Shared endpoints once: an open-addressed table from a position's float bits to its vertex,
// reused from group to group.
class TVertexTable {
  public:
    void Reset(size_t most) {
        size_t cap = 16;
        while (cap < 2 * most)
            cap *= 2;
        if (slots_.size() < cap) slots_.resize(cap);
        std::fill(slots_.begin(), slots_.begin() + static_cast<std::ptrdiff_t>(cap), kEmpty);
        mask_ = cap - 1;
    }
    // The vertex of p, appended to pos when new.
    uint32_t Of(const float p[3], std::vector<float>& pos, size_t first) {
        uint32_t bits[3];
        std::memcpy(bits, p, sizeof bits);
        uint64_t h = (uint64_t{bits[0]} * 0x9E3779B97F4A7C15ull) ^ (uint64_t{bits[1]} << 21) ^
                     (uint64_t{bits[2]} * 0xC2B2AE3D27D4EB4Full);
        h ^= h >> 29;
        for (size_t s = h & mask_;; s = (s + 1) & mask_) {
            const uint32_t v = slots_[s];
            if (v == kEmpty) {
                const auto nv = static_cast<uint32_t>((pos.size() - first) / 3);
                pos.insert(pos.end(), p, p + 3);
                slots_[s] = nv;
                return nv;
            }
            if (std::memcmp(&pos[first + size_t{v} * 3], p, sizeof bits) == 0) return v;
        }
    }

  private:
    static constexpr uint32_t kEmpty = 0xFFFFFFFFu;
    std::vector<uint32_t> slots_;
    size_t mask_ = 0;
};

void AppendIndices(std::vector<uint8_t>& out, const std::vector<uint32_t>& idx, bool wide) {
    const size_t at = out.size();
    if (wide) {
        out.resize(at + idx.size() * 4);
        std::memcpy(out.data() + at, idx.data(), idx.size() * 4);
    } else {
        out.resize(at + idx.size() * 2);
        uint8_t* o = out.data() + at;
        for (const uint32_t v : idx) {
            const auto s = static_cast<uint16_t>(v);
            std::memcpy(o, &s, 2);
            o += 2;
        }
    }
    out.resize((out.size() + 3) & ~size_t{3}, 0);
}

std::string LayerNodeName(int L, const std::string& name) {
    std::string s = "Layer" + std::to_string(L);
    if (!name.empty()) s += " " + name;
    return s;
}

struct TGlb {
    std::string json;
    std::vector<float> pos;
    std::vector<uint8_t> idx;
};

void BuildGlb(TFigList& fig, double F, const TGlbNames& names, TGlb& glb) {
    const TFigGroups groups = BuildFigGroups(fig);

    // The centre of the written corners, in metres.
    double lo[2] = {std::numeric_limits<double>::infinity(),
                    std::numeric_limits<double>::infinity()};
    double hi[2] = {-lo[0], -lo[1]};
    const std::vector<TFigEntry>& entries = fig.Entries();
    // In list order: the groups hold the same entries, scattered.
    size_t allCorners = 0;
    for (const TFigEntry& f : entries) {
        if (!IsWrittenKind(f.typ)) continue;
        allCorners += static_cast<size_t>(CornerCount(f.typ));
        const T2Dpoint* pt = fig.Corners(f);
        for (int c = 0; c < CornerCount(f.typ); ++c) {
            const double xy[2] = {pt[c].x * F, pt[c].y * F};
            for (int a = 0; a < 2; ++a) {
                if (!std::isfinite(xy[a])) continue;
                lo[a] = std::min(lo[a], xy[a]);
                hi[a] = std::max(hi[a], xy[a]);
            }
        }
    }
    double centre[2] = {0, 0};
    for (int a = 0; a < 2; ++a) {
        if (lo[a] <= hi[a]) centre[a] = lo[a] + (hi[a] - lo[a]) / 2;
    }

    // Room for every corner up front: growing a chunk of this size step by step costs more
    // than packing it.
    glb.pos.reserve(allCorners * 3);
    glb.idx.reserve(allCorners * 6 + groups.groups.size() * 8);
    std::vector<TPacked> packed;
    packed.reserve(groups.groups.size());
    TVertexTable table;
    std::vector<uint32_t> lines, tris;
    for (const TFigGroup& g : groups.groups) {
        TPacked p{};
        p.lay = g.lay;
        p.col = g.col;
        p.posOffset = glb.pos.size() * 4;
        lines.clear();
        tris.clear();
        size_t corners = 0;
        for (size_t k = g.begin; k < g.end; ++k)
            corners += static_cast<size_t>(CornerCount(entries[groups.order[k]].typ));
        table.Reset(corners);
        const size_t first = glb.pos.size();
        for (size_t k = g.begin; k < g.end; ++k) {
            // A group's entries lie scattered over the list: ask for the entries, and the
            // corners of entries asked for before, ahead of their use.
            if (k + kEntryAhead < g.end) Prefetch(&entries[groups.order[k + kEntryAhead]]);
            if (k + kCornerAhead < g.end)
                Prefetch(fig.Corners(entries[groups.order[k + kCornerAhead]]));
            const TFigEntry& f = entries[groups.order[k]];
            const T2Dpoint* pt = fig.Corners(f);
            uint32_t v[4];
            for (int c = 0; c < CornerCount(f.typ); ++c) {
                // Every z of the list is 0.
                const double x = pt[c].x * F, y = pt[c].y * F, z = 0.0 * F;
                const float q[3] = {Finite((std::isfinite(x) ? x : 0) - centre[0]), Finite(z),
                                    Finite(-((std::isfinite(y) ? y : 0) - centre[1]))};
                v[c] = table.Of(q, glb.pos, first);
            }
            if (f.typ == kFigTypLine) {
                lines.insert(lines.end(), {v[0], v[1]});
            } else if (f.typ == kFigTypTri) {
                tris.insert(tris.end(), {v[0], v[1], v[2]});
            } else {
                tris.insert(tris.end(), {v[0], v[1], v[2], v[0], v[2], v[3]});
            }
        }
        p.vertices = (glb.pos.size() - first) / 3;
        for (int a = 0; a < 3; ++a) {
            p.min[a] = std::numeric_limits<float>::infinity();
            p.max[a] = -p.min[a];
        }
        for (size_t k = first; k < glb.pos.size(); k += 3) {
            for (int a = 0; a < 3; ++a) {
                p.min[a] = std::min(p.min[a], glb.pos[k + static_cast<size_t>(a)]);
                p.max[a] = std::max(p.max[a], glb.pos[k + static_cast<size_t>(a)]);
            }
        }
        // 65535 is the primitive restart value of 16-bit indices.
        p.wide = p.vertices > 65535;
        p.lineOffset = glb.idx.size();
        p.lineCount = lines.size();
        AppendIndices(glb.idx, lines, p.wide);
        p.triOffset = glb.idx.size();
        p.triCount = tris.size();
        AppendIndices(glb.idx, tris, p.wide);
        packed.push_back(p);
    }

    // Materials in key order; their index by key.
    std::vector<int> material(kFigColKeyMax + 1, -1);
    TJson j;
    j.Raw("{\"asset\":{\"version\":\"2.0\",\"generator\":");
    j.Str("Velmora " VELMORA_VERSION_TEXT);
    j.Raw("}");
    int materials = 0;
    for (int k = 1; k <= kFigColKeyMax; ++k) {
        if (groups.keyUsed[static_cast<size_t>(k)]) material[static_cast<size_t>(k)] = materials++;
    }
    if (materials > 0) j.Raw(",\"extensionsUsed\":[\"KHR_materials_unlit\"]");
    j.Raw(",\"scene\":0,\"scenes\":[{\"name\":");
    j.Str(names.Drawing);
    j.Raw(",\"nodes\":[0]}],\"nodes\":[{\"name\":");
    j.Str(names.Drawing);
    j.Raw(",\"translation\":[");
    j.Num(centre[0]);
    j.Raw(",0,");
    j.Num(-centre[1]);
    j.Raw("]");
    std::vector<int> layers;
    for (int L = 0; L < kFigLayerCount; ++L) {
        if (groups.layUsed[static_cast<size_t>(L)]) layers.push_back(L);
    }
    if (!layers.empty()) {
        j.Raw(",\"children\":[");
        for (size_t i = 0; i < layers.size(); ++i) {
            if (i > 0) j.Raw(",");
            j.Int(i + 1);
        }
        j.Raw("]");
    }
    j.Raw("}");
    // One mesh per layer that has primitives.
    std::vector<std::pair<size_t, size_t>> meshOf;  // range of packed per mesh
    int meshes = 0;
    size_t gi = 0;
    for (const int L : layers) {
        j.Raw(",{\"name\":");
        j.Str(LayerNodeName(L, names.Layers[static_cast<size_t>(L)]));
        const size_t b = gi;
        while (gi < packed.size() && packed[gi].lay == L)
            ++gi;
        if (gi > b) {
            j.Raw(",\"mesh\":");
            j.Int(static_cast<uint64_t>(meshes++));
            meshOf.push_back({b, gi});
        }
        j.Raw("}");
    }
    j.Raw("]");

    // Accessors: per packed group its positions, then its line and triangle indices.
    size_t accessors = 0;
    std::vector<std::array<size_t, 3>> acc(packed.size());
    if (meshes > 0) {
        j.Raw(",\"meshes\":[");
        for (int m = 0; m < meshes; ++m) {
            if (m > 0) j.Raw(",");
            const auto [b, e] = meshOf[static_cast<size_t>(m)];
            j.Raw("{\"name\":");
            j.Str("layer" + std::to_string(packed[b].lay));
            j.Raw(",\"primitives\":[");
            bool firstPrim = true;
            for (size_t k = b; k < e; ++k) {
                TPacked& p = packed[k];
                acc[k][0] = accessors++;
                acc[k][1] = p.lineCount > 0 ? accessors++ : 0;
                acc[k][2] = p.triCount > 0 ? accessors++ : 0;
                for (const int mode : {1, 4}) {
                    const size_t count = mode == 1 ? p.lineCount : p.triCount;
                    if (count == 0) continue;
                    if (!firstPrim) j.Raw(",");
                    firstPrim = false;
                    j.Raw("{\"attributes\":{\"POSITION\":");
                    j.Int(acc[k][0]);
                    j.Raw("},\"indices\":");
                    j.Int(acc[k][mode == 1 ? 1 : 2]);
                    j.Raw(",\"material\":");
                    j.Int(static_cast<uint64_t>(material[static_cast<size_t>(p.col)]));
                    j.Raw(",\"mode\":");
                    j.Int(static_cast<uint64_t>(mode));
                    j.Raw("}");
                }
            }
            j.Raw("]}");
        }
        j.Raw("]");
    }
    if (materials > 0) {
        j.Raw(",\"materials\":[");
        bool firstMat = true;
        for (int k = 1; k <= kFigColKeyMax; ++k) {
            if (material[static_cast<size_t>(k)] < 0) continue;
            if (!firstMat) j.Raw(",");
            firstMat = false;
            const auto v = static_cast<uint32_t>(fig.FigColKeyValue(k));
            j.Raw("{\"name\":");
            j.Str("Color" + std::to_string(k));
            j.Raw(",\"pbrMetallicRoughness\":{\"baseColorFactor\":[");
            j.Num(SrgbToLinear(v & 0xFF));
            j.Raw(",");
            j.Num(SrgbToLinear((v >> 8) & 0xFF));
            j.Raw(",");
            j.Num(SrgbToLinear((v >> 16) & 0xFF));
            j.Raw(
                ",1],\"metallicFactor\":0,\"roughnessFactor\":1},\"doubleSided\":true,"
                "\"extensions\":{\"KHR_materials_unlit\":{}}}");
        }
        j.Raw("]");
    }
    const size_t posBytes = glb.pos.size() * 4;
    if (accessors > 0) {
        j.Raw(",\"accessors\":[");
        bool firstAcc = true;
        const auto indexAccessor = [&](size_t offset, size_t count, bool wide) {
            j.Raw(",{\"bufferView\":1,\"byteOffset\":");
            j.Int(offset);
            j.Raw(",\"componentType\":");
            j.Int(wide ? 5125 : 5123);
            j.Raw(",\"count\":");
            j.Int(count);
            j.Raw(",\"type\":\"SCALAR\"}");
        };
        for (size_t k = 0; k < packed.size(); ++k) {
            const TPacked& p = packed[k];
            if (!firstAcc) j.Raw(",");
            firstAcc = false;
            j.Raw("{\"bufferView\":0,\"byteOffset\":");
            j.Int(p.posOffset);
            j.Raw(",\"componentType\":5126,\"count\":");
            j.Int(p.vertices);
            j.Raw(",\"type\":\"VEC3\",\"min\":[");
            for (int a = 0; a < 3; ++a) {
                if (a > 0) j.Raw(",");
                j.Num(p.min[a]);
            }
            j.Raw("],\"max\":[");
            for (int a = 0; a < 3; ++a) {
                if (a > 0) j.Raw(",");
                j.Num(p.max[a]);
            }
            j.Raw("]}");
            if (p.lineCount > 0) indexAccessor(p.lineOffset, p.lineCount, p.wide);
            if (p.triCount > 0) indexAccessor(p.triOffset, p.triCount, p.wide);
        }
        j.Raw("],\"bufferViews\":[{\"buffer\":0,\"byteOffset\":0,\"byteLength\":");
        j.Int(posBytes);
        j.Raw(",\"byteStride\":12,\"target\":34962},{\"buffer\":0,\"byteOffset\":");
        j.Int(posBytes);
        j.Raw(",\"byteLength\":");
        j.Int(glb.idx.size());
        j.Raw(",\"target\":34963}],\"buffers\":[{\"byteLength\":");
        j.Int(posBytes + glb.idx.size());
        j.Raw("}]");
    }
    j.Raw("}");
    glb.json = std::move(j.text);
    while (glb.json.size() % 4 != 0)
        glb.json += ' ';
}

void PutU32(uint8_t* o, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        o[i] = static_cast<uint8_t>(v >> (8 * i));
}

std::string SystemText(int err) {
    return std::generic_category().message(err);
}

}  // namespace

TSaveResult SaveGlbFile(const std::string& dst, TFigList& fig, double saveScale,
                        const TGlbNames& names, std::string& error) {
    error.clear();
    TGlb glb;
    try {
        BuildGlb(fig, saveScale * 0.001, names, glb);
    } catch (const std::exception&) {
        error = "Out of memory while writing \"" + dst + "\".";
        return TSaveResult::Failed;
    }
    const size_t bin = glb.pos.size() * 4 + glb.idx.size();
    const bool hasBin = bin > 0;
    const uint64_t total = 12 + 8 + glb.json.size() + (hasBin ? 8 + bin : 0);
    if (total > 0xFFFFFFFFull) {
        error = "The drawing is too large for one binary glTF file: \"" + dst + "\".";
        return TSaveResult::Failed;
    }
    std::FILE* f = OpenForWriting(dst);
    if (!f) {
        error = "Cannot create file \"" + dst + "\". " + SystemText(errno);
        return TSaveResult::CannotCreate;
    }
    uint8_t head[20];
    PutU32(head, 0x46546C67);  // "glTF"
    PutU32(head + 4, 2);
    PutU32(head + 8, static_cast<uint32_t>(total));
    PutU32(head + 12, static_cast<uint32_t>(glb.json.size()));
    PutU32(head + 16, 0x4E4F534A);  // "JSON"
    uint8_t binHead[8];
    PutU32(binHead, static_cast<uint32_t>(bin));
    PutU32(binHead + 4, 0x004E4942);  // "BIN"
    const auto put = [&](const void* p, size_t n) {
        return n == 0 || std::fwrite(p, 1, n, f) == n;
    };
    bool ok = put(head, sizeof head) && put(glb.json.data(), glb.json.size());
    if (hasBin) {
        ok = ok && put(binHead, sizeof binHead) && put(glb.pos.data(), glb.pos.size() * 4) &&
             put(glb.idx.data(), glb.idx.size());
    }
    ok = (std::fclose(f) == 0) && ok;
    if (!ok) {
        error = "Write error on file \"" + dst + "\". " + SystemText(errno);
        std::error_code ec;
        fs::remove(PathOf(dst), ec);
        return TSaveResult::Failed;
    }
    return TSaveResult::Written;
}

}  // namespace velmora
