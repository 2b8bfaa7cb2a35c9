#include "collada/SaveDae.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <mutex>
#include <new>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "geometry/FigGroups.h"
#include "util/Func2.h"
#include "util/NumText.h"
#include "util/Prefetch.h"

namespace velmora {

namespace {

namespace fs = std::filesystem;

fs::path PathOf(const std::string& utf8) {
    return fs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::FILE* OpenForReading(const std::string& utf8) {
#ifdef _WIN32
    return _wfopen(PathOf(utf8).c_str(), L"rb");
#else
    return std::fopen(utf8.c_str(), "rb");
#endif
}

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

char* PutUint(char* o, uint64_t v) {
    char tmp[20];
    char* const end = tmp + sizeof tmp;
    char* s = end;
    while (v >= 100) {
        s -= 2;
        std::memcpy(s, kDigitPairs + (v % 100) * 2, 2);
        v /= 100;
    }
    if (v >= 10) {
        s -= 2;
        std::memcpy(s, kDigitPairs + v * 2, 2);
    } else {
        *--s = static_cast<char>('0' + v);
    }
    const size_t n = static_cast<size_t>(end - s);
    std::memcpy(o, s, n);
    return o + n;
}

// Exactly nine digits of v < 1e9.
char* PutNineDigits(char* o, uint32_t v) {
    *o++ = static_cast<char>('0' + v / 100000000);
    v %= 100000000;
    const uint32_t hi = v / 10000, lo = v % 10000;
    std::memcpy(o, kDigitPairs + (hi / 100) * 2, 2);
    std::memcpy(o + 2, kDigitPairs + (hi % 100) * 2, 2);
    std::memcpy(o + 4, kDigitPairs + (lo / 100) * 2, 2);
    std::memcpy(o + 6, kDigitPairs + (lo % 100) * 2, 2);
    return o + 8;
}

// Longest fixed-point text of a double with nine decimals: sign, 309 digits, ".", 9 digits.
constexpr size_t kMaxFixedChars = 330;

// x as "%.9f" would give it, exactly rounded and signed, for any magnitude. A non-finite value
// is written as 0.
char* PutFixed9(char* o, double x) {
    if (!std::isfinite(x)) x = 0;
    const double ax = std::fabs(x);
    if (ax < 1e6) {
        // p carries an error of at most half an ulp; when it lies clearly away from a rounding
        // boundary, the nearest integer of p is that of the exact product.
        const double p = ax * 1e9;
        const double q = std::nearbyint(p);
        const double d = std::fabs(p - q);
        if (d < 0.5 - p * 0x1p-51) {
            const auto qi = static_cast<uint64_t>(q);
            if (std::signbit(x)) *o++ = '-';
            o = PutUint(o, qi / 1000000000u);
            *o++ = '.';
            return PutNineDigits(o, static_cast<uint32_t>(qi % 1000000000u));
        }
    }
    return FixedTo(o, x, 9);
}

// One colour byte as a component: truncated to three decimals, shortest text.
std::string ColourText(uint32_t byte) {
    return ShortestFixedText(RoundDigits(3, 0, byte / 255.0));
}

// The output file behind a ring of buffers: while one is filled, a second thread hands the
// filled ones to the file, so that formatting and the system's copying of the bytes overlap,
// and a buffer is copied while it is still in the processor's cache. Buffers reach the file in
// the order they were filled. After the first failed write every later one is skipped; Close
// reports whether everything reached the file.
class TDaeOut {
  public:
    static constexpr size_t kSize = size_t{1} << 20;
    static constexpr int kCount = 4;
    // Room that one formatted line of the writer may take at most.
    static constexpr size_t kLineRoom = 16 * kMaxFixedChars + 256;

    TDaeOut(std::FILE* f, const TStopFlag* stop) : f_(f), stop_(stop) {
        bufs_[0] = std::make_unique<char[]>(kSize);
        pos_ = bufs_[0].get();
        // The buffers are large already: a stream buffer would only split each write in two.
        std::setvbuf(f_, nullptr, _IONBF, 0);
    }
    TDaeOut(const TDaeOut&) = delete;
    TDaeOut& operator=(const TDaeOut&) = delete;

    // Pointer to at least n free bytes; Commit(end) after filling them.
    char* Room(size_t n) {
        if (static_cast<size_t>(Buf() + kSize - pos_) < n) Flush();
        return pos_;
    }
    void Commit(char* end) { pos_ = end; }

    void Put(std::string_view s) {
        if (s.size() > kSize / 2) {
            Flush();
            WaitIdle();
            Write(s.data(), s.size());
            return;
        }
        char* o = Room(s.size());
        std::memcpy(o, s.data(), s.size());
        pos_ = o + s.size();
    }
    void Line(std::string_view s) {
        Put(s);
        Put("\r\n");
    }
    bool Close() {
        ThrowIfStopped(stop_);
        WaitIdle();
        Write(Buf(), static_cast<size_t>(pos_ - Buf()));
        pos_ = Buf();
        StopWriter();
        const bool closed = std::fclose(f_) == 0;
        f_ = nullptr;
        return closed && ok_;
    }
    ~TDaeOut() {
        StopWriter();
        if (f_) std::fclose(f_);
    }

  private:
    char* Buf() const { return bufs_[cur_].get(); }

    // Queues the filled buffer for the writing thread (started with the first full buffer, so
    // a small document never starts one) and goes on in the next free one.
    void Flush() {
        ThrowIfStopped(stop_);
        const size_t n = static_cast<size_t>(pos_ - Buf());
        if (!writer_.joinable() && !alone_) {
            try {
                for (int i = 1; i < kCount; ++i)
                    bufs_[i] = std::make_unique<char[]>(kSize);
                writer_ = std::thread([this] { WriterLoop(); });
            } catch (const std::system_error&) {
                alone_ = true;  // no thread to be had: write in turn
            }
        }
        if (alone_) {
            Write(Buf(), n);
            pos_ = Buf();
            return;
        }
        {
            std::unique_lock lock(mutex_);
            len_[cur_] = n;
            ++queued_;
            work_.notify_one();
            cur_ = (cur_ + 1) % kCount;
            // The next buffer is free unless every buffer waits for the file.
            idle_.wait(lock, [this] { return queued_ < kCount; });
        }
        pos_ = Buf();
    }
    void WaitIdle() {
        if (!writer_.joinable()) return;
        std::unique_lock lock(mutex_);
        idle_.wait(lock, [this] { return queued_ == 0; });
    }
    void StopWriter() {
        if (!writer_.joinable()) return;
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        work_.notify_one();
        writer_.join();
    }
    void WriterLoop() {
        std::unique_lock lock(mutex_);
        for (;;) {
            work_.wait(lock, [this] { return queued_ > 0 || quit_; });
            if (queued_ == 0) return;
            const char* p = bufs_[head_].get();
            const size_t n = len_[head_];
            lock.unlock();
            Write(p, n);
            lock.lock();
            head_ = (head_ + 1) % kCount;
            --queued_;
            idle_.notify_one();
        }
    }
    // Called by one thread at a time: the writer's, or the caller's while the writer is idle.
    void Write(const char* p, size_t n) {
        if (ok_ && n > 0 && std::fwrite(p, 1, n, f_) != n) ok_ = false;
    }

    std::FILE* f_;
    const TStopFlag* stop_;
    std::unique_ptr<char[]> bufs_[kCount];
    int cur_ = 0;  // the buffer being filled
    char* pos_ = nullptr;
    std::atomic<bool> ok_ = true;
    std::thread writer_;
    std::mutex mutex_;
    std::condition_variable work_, idle_;
    // Under mutex_: queued_ filled buffers wait for the file, the oldest at head_.
    size_t len_[kCount] = {};
    int head_ = 0;
    int queued_ = 0;
    bool quit_ = false;
#ifdef __EMSCRIPTEN__
    bool alone_ = true;  // the browser build has no threads: write in turn
#else
    bool alone_ = false;
#endif
};

char* PutText(char* o, std::string_view s) {
    std::memcpy(o, s.data(), s.size());
    return o + s.size();
}

bool ContainsCreatedTag(std::string_view line, size_t& after) {
    static constexpr std::string_view kTag = "<created>";
    if (line.size() < kTag.size()) return false;
    for (size_t i = 0; i + kTag.size() <= line.size(); ++i) {
        size_t k = 0;
        while (k < kTag.size()) {
            char c = line[i + k];
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
            if (c != kTag[k]) break;
            ++k;
        }
        if (k == kTag.size()) {
            after = i + kTag.size();
            return true;
        }
    }
    return false;
}

// Reads text lines (ended by CR, LF or CR LF) from an open file.
class TLineReader {
  public:
    explicit TLineReader(std::FILE* f) : f_(f) {}
    bool Failed() const { return failed_; }
    bool Next(std::string& line) {
        line.clear();
        bool any = false;
        for (;;) {
            if (pos_ == len_) {
                if (eof_ || failed_) return any;
                len_ = std::fread(chunk_, 1, sizeof chunk_, f_);
                pos_ = 0;
                if (len_ < sizeof chunk_) {
                    if (std::ferror(f_)) failed_ = true;
                    eof_ = true;
                }
                if (failed_) return false;
                if (len_ == 0) return any;
            }
            const char c = chunk_[pos_];
            if (skipLf_) {
                skipLf_ = false;
                if (c == '\n') {
                    ++pos_;
                    continue;
                }
            }
            ++pos_;
            if (c == '\r' || c == '\n') {
                skipLf_ = c == '\r';
                return true;
            }
            line.push_back(c);
            any = true;
        }
    }

  private:
    std::FILE* f_;
    char chunk_[65536];
    size_t pos_ = 0, len_ = 0;
    bool eof_ = false, failed_ = false, skipLf_ = false;
};

enum class TCreatedRead { Absent, Found, CannotOpen };

// Characters of an xs:dateTime. Only such text is carried over: anything else could break the
// XML or the UTF-8 of the new document.
bool IsDateTimeChar(char c) {
    return (c >= '0' && c <= '9') || c == '-' || c == ':' || c == 'T' || c == 'Z' || c == '.' ||
           c == '+';
}

// The creation stamp of an earlier document at dst, when it is a plain date and time.
TCreatedRead ReadCreated(const std::string& dst, std::string& created) {
    std::error_code ec;
    if (!fs::exists(PathOf(dst), ec)) return TCreatedRead::Absent;
    std::FILE* f = OpenForReading(dst);
    if (!f) return TCreatedRead::CannotOpen;
    auto reader = std::make_unique<TLineReader>(f);
    std::string line;
    std::string text;
    bool found = false;
    while (reader->Next(line)) {
        size_t after = 0;
        if (!ContainsCreatedTag(line, after)) continue;
        text = RemoveBlanks(std::string_view(line).substr(after));
        if (text.empty() && !reader->Next(text)) text.clear();
        found = !reader->Failed();
        break;
    }
    std::fclose(f);
    if (!found) return TCreatedRead::Absent;
    const size_t lt = text.find('<');
    if (lt != std::string::npos) text.resize(lt);
    if (text.empty() || !std::all_of(text.begin(), text.end(), IsDateTimeChar)) {
        return TCreatedRead::Absent;
    }
    created = std::move(text);
    return TCreatedRead::Found;
}

// Text of a normal, written as often as a face has corners. Faces of one drawing nearly all
// share the same normal, so the last text is kept.
class TNormalText {
  public:
    std::string_view Of(const T3Dpoint& n) {
        if (!valid_ || std::memcmp(&n, &last_, sizeof n) != 0) {
            char* o = text_;
            o = PutFixed9(o, n.x);
            *o++ = ' ';
            o = PutFixed9(o, n.y);
            *o++ = ' ';
            o = PutFixed9(o, n.z);
            len_ = static_cast<size_t>(o - text_);
            last_ = n;
            valid_ = true;
        }
        return {text_, len_};
    }

  private:
    char text_[3 * kMaxFixedChars + 4];
    size_t len_ = 0;
    T3Dpoint last_;
    bool valid_ = false;
};

int CornerCount(int32_t typ) {
    return FigCornerCount(typ);
}

void WriteHeader(TDaeOut& out, std::string_view created, std::string_view now, bool compact) {
    out.Line(R"(<?xml version="1.0" encoding="utf-8"?>)");
    out.Line(R"(<COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">)");
    out.Line("<asset>");
    out.Line("  <contributor>");
    out.Line("    <author>Kestrin</author>");
    out.Line("    <authoring_tool>VELMORA</authoring_tool>");
    out.Line("    ");
    out.Line("  </contributor>");
    out.Put("  <created>");
    out.Put(created);
    out.Line("</created>");
    out.Put("  <modified>");
    out.Put(now);
    out.Line("</modified>");
    out.Line("  <revision>1.0</revision>");
    // Importers differ in the unit they assume without one; the coordinates are metres.
    if (compact) out.Line("  <unit name=\"meter\" meter=\"1\"/>");
    out.Line("  <up_axis>Z_UP</up_axis>");
    out.Line("</asset>");
}

void WriteMaterials(TDaeOut& out, const TFigList& fig, const TFigGroups& layout) {
    out.Line("<library_effects>");
    for (int k = 1; k <= kFigColKeyMax; ++k) {
        if (!layout.keyUsed[static_cast<size_t>(k)]) continue;
        const auto v = static_cast<uint32_t>(fig.FigColKeyValue(k));
        const std::string key = std::to_string(k);
        out.Line("  <effect id=\"ColorID" + key + "\">");
        out.Line("    <profile_COMMON>");
        out.Line("      <technique sid=\"COMMON\">");
        out.Line("        <lambert>");
        out.Line("          <diffuse>");
        out.Line("            <color>" + ColourText(v & 0xFF) + " " + ColourText((v >> 8) & 0xFF) +
                 " " + ColourText((v >> 16) & 0xFF) + " 1</color>");
        out.Line("          </diffuse>");
        out.Line("        </lambert>");
        out.Line("      </technique>");
        out.Line("    </profile_COMMON>");
        out.Line("  </effect>");
    }
    out.Line("</library_effects>");
    out.Line("<library_materials>");
    for (int k = 1; k <= kFigColKeyMax; ++k) {
        if (!layout.keyUsed[static_cast<size_t>(k)]) continue;
        const std::string key = std::to_string(k);
        out.Line("  <material id=\"DefColor" + key + "\">");
        out.Line("    <instance_effect url=\"#ColorID" + key + "\" />");
        out.Line("  </material>");
    }
    out.Line("</library_materials>");
}

// How far ahead a walk over a group asks for entries, and for the corners of entries it has
// asked for before: plain lines are one entry each, so every step would otherwise wait for
// memory twice.
constexpr size_t kEntryAhead = 16;
constexpr size_t kCornerAhead = 8;

// faces: room for the face entries of a group, reused from group to group.
void WriteGeometry(TDaeOut& out, const TFigList& fig, const TFigGroups& layout, const TFigGroup& g,
                   double F, TNormalText& normals, bool compact, std::vector<uint32_t>& faces) {
    // Every entry of the group is written, also one whose stored layer or key lies out of
    // range and is counted under layer 0 or key 1, so that counts and geometry agree.
    // A group's entries lie scattered over the list, so each pass over them costs a walk
    // through memory: the faces are picked out once, and the segments, which need nothing but
    // their number after their positions, are walked once more only.
    const std::vector<TFigEntry>& entries = fig.Entries();
    uint64_t segs = 0, tris = 0, verts = 0;
    faces.clear();
    const uint32_t* order = layout.order.data();
    for (size_t i = g.begin; i < g.end; ++i) {
        if (i + kEntryAhead < g.end) Prefetch(&entries[order[i + kEntryAhead]]);
        const uint32_t k = order[i];
        const int32_t typ = entries[k].typ;
        verts += static_cast<uint64_t>(CornerCount(typ));
        if (typ == kFigTypLine) {
            ++segs;
            continue;
        }
        faces.push_back(k);
        tris += typ == kFigTypTri ? 1 : 2;
    }
    const std::string G = "layer" + std::to_string(g.lay) + "-C" + std::to_string(g.col);
    const std::string C = std::to_string(g.col);

    out.Line("  <geometry id=\"" + G + "\" name=\"" + G + "\">");
    out.Line("    <mesh>");
    out.Line("      <source id=\"" + G + "-Pos\">");
    out.Line("        <float_array id=\"" + G + "-Pos-array\" count=\"" +
             std::to_string(3 * verts) + "\">");
    // Every z of the list is 0, so its text is the same for every corner.
    char zText[kMaxFixedChars];
    const std::string_view z(zText, static_cast<size_t>(PutFixed9(zText, 0.0 * F) - zText));
    const auto position = [&](const TFigEntry& f) {
        const T2Dpoint* pt = fig.Corners(f);
        char* o = out.Room(TDaeOut::kLineRoom);
        o = PutText(o, "          ");
        const int corners = CornerCount(f.typ);
        for (int c = 0; c < corners; ++c) {
            if (c > 0) *o++ = ' ';
            o = PutFixed9(o, pt[c].x * F);
            *o++ = ' ';
            o = PutFixed9(o, pt[c].y * F);
            *o++ = ' ';
            o = PutText(o, z);
        }
        o = PutText(o, "\r\n");
        out.Commit(o);
    };
    for (const uint32_t k : faces)
        position(entries[k]);
    if (segs > 0) {
        for (size_t i = g.begin; i < g.end; ++i) {
            if (i + kEntryAhead < g.end) Prefetch(&entries[order[i + kEntryAhead]]);
            if (i + kCornerAhead < g.end) {
                const char* c =
                    reinterpret_cast<const char*>(fig.Corners(entries[order[i + kCornerAhead]]));
                Prefetch(c);
                Prefetch(c + 2 * sizeof(T2Dpoint) - 1);
            }
            const TFigEntry& f = entries[order[i]];
            if (f.typ == kFigTypLine) position(f);
        }
    }
    out.Line("        </float_array>");
    out.Line("        <technique_common>");
    out.Line("          <accessor source=\"#" + G + "-Pos-array\" count=\"" +
             std::to_string(verts) + "\" stride=\"3\">");
    out.Line("            <param name=\"X\" type=\"float\" />");
    out.Line("            <param name=\"Y\" type=\"float\" />");
    out.Line("            <param name=\"Z\" type=\"float\" />");
    out.Line("          </accessor>");
    out.Line("        </technique_common>");
    out.Line("      </source>");

    if (tris > 0) {
        // One normal per vertex, in the order of the positions, so that the shared index of
        // the vertices input addresses both sources alike.
        out.Line("      <source id=\"" + G + "-Normal\">");
        out.Line("        <float_array id=\"" + G + "-Normal-array\" count=\"" +
                 std::to_string(3 * verts) + "\">");
        std::string up;
        {
            char buf[3 * kMaxFixedChars + 4];
            char* o = PutFixed9(buf, 0.0);
            *o++ = ' ';
            o = PutFixed9(o, 0.0);
            *o++ = ' ';
            o = PutFixed9(o, F);
            up.assign(buf, o);
        }
        for (const uint32_t k : faces) {
            const TFigEntry& f = entries[k];
            T3Dpoint n = TFigList::FigFaceNormal(f.typ, fig.Corners(f));
            n = {n.x * F, n.y * F, n.z * F};
            const std::string_view text = normals.Of(n);
            const int corners = CornerCount(f.typ);
            char* o = out.Room(TDaeOut::kLineRoom);
            o = PutText(o, "          ");
            for (int c = 0; c < corners; ++c) {
                if (c > 0) *o++ = ' ';
                o = PutText(o, text);
            }
            o = PutText(o, "\r\n");
            out.Commit(o);
        }
        // Every segment's line is the same.
        const std::string segmentLine = "          " + up + " " + up + "\r\n";
        for (uint64_t i = 0; i < segs; ++i)
            out.Put(segmentLine);
        out.Line("        </float_array>");
        out.Line("        <technique_common>");
        out.Line("          <accessor source=\"#" + G + "-Normal-array\" count=\"" +
                 std::to_string(verts) + "\" stride=\"3\">");
        out.Line("            <param name=\"X\" type=\"float\"/>");
        out.Line("            <param name=\"Y\" type=\"float\"/>");
        out.Line("            <param name=\"Z\" type=\"float\"/>");
        out.Line("          </accessor>");
        out.Line("        </technique_common>");
        out.Line("      </source>");
    }

    out.Line("      <vertices id=\"" + G + "-Vtx\">");
    out.Line("        <input semantic=\"POSITION\" source=\"#" + G + "-Pos\" />");
    if (tris > 0) out.Line("        <input semantic=\"NORMAL\" source=\"#" + G + "-Normal\" />");
    out.Line("      </vertices>");

    const std::string vertexInput =
        "        <input offset=\"0\" semantic=\"VERTEX\" source=\"#" + G + "-Vtx\" />\r\n";
    uint64_t n = 0;
    if (tris > 0) {
        out.Line("      <triangles count=\"" + std::to_string(tris) + "\" material=\"Color" + C +
                 "\">");
        out.Put(vertexInput);
        out.Line("        <p>");
        for (const uint32_t k : faces) {
            const TFigEntry& f = entries[k];
            char* o = out.Room(TDaeOut::kLineRoom);
            o = PutText(o, "        ");
            const uint64_t tri[3] = {n, n + 1, n + 2};
            const uint64_t sqr[6] = {n, n + 1, n + 2, n, n + 2, n + 3};
            const uint64_t* idx = f.typ == kFigTypTri ? tri : sqr;
            const int count = f.typ == kFigTypTri ? 3 : 6;
            for (int k = 0; k < count; ++k) {
                if (k > 0) *o++ = ' ';
                o = PutUint(o, idx[k]);
            }
            o = PutText(o, "\r\n");
            out.Commit(o);
            n += f.typ == kFigTypTri ? 3 : 4;
        }
        out.Line("        </p>");
        out.Line("      </triangles>");
    }
    if (segs > 0 && compact) {
        // One element for all segments: importers that build a mesh per element slow down
        // with the square of their number.
        out.Line("      <lines count=\"" + std::to_string(segs) + "\" material=\"Color" + C +
                 "\">");
        out.Put(vertexInput);
        out.Line("        <p>");
        for (uint64_t i = 0; i < segs; ++i) {
            char* o = out.Room(64);
            o = PutText(o, "        ");
            o = PutUint(o, n);
            *o++ = ' ';
            o = PutUint(o, n + 1);
            o = PutText(o, "\r\n");
            out.Commit(o);
            n += 2;
        }
        out.Line("        </p>");
        out.Line("      </lines>");
    } else if (segs > 0) {
        const std::string open = "      <lines count=\"1\" material=\"Color" + C + "\">\r\n" +
                                 vertexInput + "        <p>";
        for (uint64_t i = 0; i < segs; ++i) {
            char* o = out.Room(open.size() + 64);
            o = PutText(o, open);
            o = PutUint(o, n);
            *o++ = ' ';
            o = PutUint(o, n + 1);
            o = PutText(o, "</p>\r\n      </lines>\r\n");
            out.Commit(o);
            n += 2;
        }
    }
    out.Line("    </mesh>");
    out.Line("  </geometry>");
}

void WriteScene(TDaeOut& out, const TFigGroups& layout) {
    out.Line("<library_visual_scenes>");
    out.Line("  <visual_scene id=\"DefaultScene\">");
    size_t gi = 0;
    for (int L = 0; L < kFigLayerCount; ++L) {
        if (!layout.layUsed[static_cast<size_t>(L)]) continue;
        const std::string lay = std::to_string(L);
        out.Line("    <node id=\"Layer" + lay + "\" name=\"Layer" + lay + "\">");
        while (gi < layout.groups.size() && layout.groups[gi].lay < L)
            ++gi;
        for (; gi < layout.groups.size() && layout.groups[gi].lay == L; ++gi) {
            const std::string C = std::to_string(layout.groups[gi].col);
            out.Line("      <instance_geometry url=\"#layer" + lay + "-C" + C + "\">");
            out.Line("        <bind_material>");
            out.Line("          <technique_common>");
            out.Line("            <instance_material symbol=\"Color" + C + "\" target=\"#DefColor" +
                     C + "\" />");
            out.Line("          </technique_common>");
            out.Line("        </bind_material>");
            out.Line("      </instance_geometry>");
        }
        out.Line("    </node>");
    }
    out.Line("  </visual_scene>");
    out.Line("</library_visual_scenes>");
}

void WriteDocument(TDaeOut& out, TFigList& fig, double F, std::string_view created,
                   std::string_view now, bool compact) {
    WriteHeader(out, created, now, compact);
    const TFigGroups layout = BuildFigGroups(fig);
    if (layout.groups.empty()) {
        // The schema wants at least one entry in every library, so a list without primitives
        // gives the asset block alone.
        out.Line("</COLLADA>");
        return;
    }
    WriteMaterials(out, fig, layout);
    out.Line("<library_geometries>");
    TNormalText normals;
    std::vector<uint32_t> faces;
    for (const TFigGroup& g : layout.groups)
        WriteGeometry(out, fig, layout, g, F, normals, compact, faces);
    out.Line("</library_geometries>");
    WriteScene(out, layout);
    out.Line("<scene>");
    out.Line("  <instance_visual_scene url=\"#DefaultScene\" />");
    out.Line("</scene>");
    out.Line("</COLLADA>");
}

std::string SystemText(int err) {
    return std::generic_category().message(err);
}

}  // namespace

TDaeTime LocalDaeTime() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &now);
#else
    localtime_r(&now, &tm);
#endif
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::string DaeTimeText(const TDaeTime& t) {
    const auto two = [](char* o, int v) {
        v = std::clamp(v, 0, 99);
        std::memcpy(o, kDigitPairs + v * 2, 2);
    };
    char s[20];
    const int year = std::clamp(t.year, 0, 9999);
    two(s, year / 100);
    two(s + 2, year % 100);
    s[4] = '-';
    two(s + 5, t.month);
    s[7] = '-';
    two(s + 8, t.day);
    s[10] = 'T';
    two(s + 11, t.hour);
    s[13] = ':';
    two(s + 14, t.minute);
    s[16] = ':';
    two(s + 17, t.second);
    s[19] = 'Z';
    return std::string(s, sizeof s);
}

TSaveResult SaveDaeFile(const std::string& dst, TFigList& fig, double saveScale, std::string& error,
                        const TDaeClock& clock, TDaeStyle style, const TStopFlag* stop) {
    error.clear();
    try {
        const std::string now = DaeTimeText(clock ? clock() : LocalDaeTime());
        std::string created = now;
        if (ReadCreated(dst, created) == TCreatedRead::CannotOpen) {
            error = "Cannot open file \"" + dst + "\". " + SystemText(errno);
            return TSaveResult::CannotCreate;
        }
        std::FILE* f = OpenForWriting(dst);
        if (!f) {
            error = "Cannot create file \"" + dst + "\". " + SystemText(errno);
            return TSaveResult::CannotCreate;
        }
        bool written = false;
        try {
            TDaeOut out(f, stop);
            WriteDocument(out, fig, saveScale * 0.001, created, now, style == TDaeStyle::Compact);
            written = out.Close();
            if (!written) error = "Write error on file \"" + dst + "\". " + SystemText(errno);
        } catch (const std::bad_alloc&) {
            error = "Out of memory while writing \"" + dst + "\".";
        } catch (const TStopped&) {
            error = "Stopped while writing \"" + dst + "\".";
        }
        if (!written) {
            std::error_code ec;
            fs::remove(PathOf(dst), ec);
            return TSaveResult::Failed;
        }
        return TSaveResult::Written;
    } catch (const std::exception& e) {
        error = e.what();
        return TSaveResult::CannotCreate;
    }
}

}  // namespace velmora
