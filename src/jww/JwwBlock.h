#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "jww/JwwObjects.h"
#include "jww/JwwTypes.h"

namespace velmora {

// Block tree and block explosion of Windows drawings and symbols. Everything works on
// TJwwEntities, so a drawing and a symbol run the same code with their own arrays, order table
// count and layer groups.

// ---- Limits ----

// A definition may place several copies of another, which places several of a third, so the
// number of placements grows exponentially with the nesting depth; the tree and the explosion
// therefore stop at fixed budgets and the conversion goes on with what was expanded. Real
// drawings hold at most some thousands of placements and a few million entities after
// expansion. 200,000 placements with their members stay within both budgets at some hundred
// entities each, and the tree itself stays near 25 MB.
inline constexpr int64_t kMaxBlockTreeNodes = 200'000;
// Ancestor steps spent on finding definitions that place themselves (the walk is as long as
// the nesting is deep, a handful of steps in real drawings).
inline constexpr int64_t kMaxBlockTreeWalk = 16'000'000;
inline constexpr int64_t kMaxBlockEntities = 20'000'000;
// Circles, arcs and curved solids each take a search of some hundred points (several
// microseconds), so they have a budget of their own that keeps the worst case to seconds.
inline constexpr int64_t kMaxBlockCurves = 1'000'000;
// Estimated bytes (records and their strings) of the tree, and separately of the appended
// entities.
inline constexpr int64_t kMaxBlockBytes = int64_t{1} << 30;

struct TBlockBudget {
    int64_t maxNodes = kMaxBlockTreeNodes;
    int64_t maxWalk = kMaxBlockTreeWalk;
    int64_t maxEntities = kMaxBlockEntities;
    int64_t maxCurves = kMaxBlockCurves;
    int64_t maxBytes = kMaxBlockBytes;
};

// ---- Geometry ----

// The block matrix of a tree node: a definition point (u, v) lands on
// (bx + b1*u + b2*v, by + b3*u + b4*v).
struct TBlockMatrix {
    double bx = 0, by = 0;
    double b1 = 1, b2 = 0, b3 = 0, b4 = 1;

    double X(double u, double v) const { return bx + b1 * u + b2 * v; }
    double Y(double u, double v) const { return by + b3 * u + b4 * v; }
    // Scale 1 without rotation, shear or mirror: texts keep their sizes and kind.
    bool PureMove() const;
};

// Direction of (x, y) in [0, 2*pi); 0 for a vector shorter than 1e-14 in both parts or one
// that is not finite.
double VecAngle(double x, double y);
double PointDist(double x1, double y1, double x2, double y2);
// Distance of Q from the line through A and B (a horizontal line through A when A = B).
double LineDist(double qx, double qy, double ax, double ay, double bx, double by);

// Map the two points in place.
void AffineLine(const TBlockMatrix& m, double& x1, double& y1, double& x2, double& y2);
// Maps a circle, arc or ellipse in place: centre, semi-axis, flattening, tilt and, unless
// bZenEnFlg is 1, start and sweep. The new semi-axis lies along the longer image axis (found
// by search unless the matrix is a uniform scale with mirroring at most). Every result is
// finite, also for a matrix that collapses the curve.
void AffineEnko(const TBlockMatrix& m, TEntJwwEnko& e);
// Maps a point in place; a code point (nPenStyle 100) turns its marker with the matrix, any
// other point gets nCode 0, radKaitenKaku 0 and dBairitsu 1.
void AffineTen(const TBlockMatrix& m, TEntJwwTen& e);

// ---- Tree ----

// Rebuilds ents.EntBlockTree from the inserts of the main list and of the definitions,
// breadth first, and sets ref_flag, ref_no and EntBlockNum. A node whose definition already
// stands among its ancestors gets no children. False when a budget cut the tree short or
// memory ran out; the tree then holds the nodes made so far with an exact count. Never throws.
bool MakeBlockTree(TJwwEntities& ents, const TBlockBudget& budget = {});

// ---- Explosion ----

// Appends the members of placed definitions to the entity arrays of ents, one copy per tree
// node, and keeps the order table (n1 entries in ents.EntNo) in step. groups are the 16 layer
// groups whose adScale sizes rebuilt dimension values (a missing group counts as scale 1).
class TJwwBlockExploder {
  public:
    TJwwBlockExploder(TJwwEntities& ents, int32_t& n1, std::span<const TEntJwwLayerGroup> groups,
                      const TBlockBudget& budget = {});

    // Expands every node of the tree, then removes tree, inserts and definitions (n2 := 0) and
    // turns the insert slots of the order table into empty slots. When a budget is reached the
    // remaining members are dropped and the clean-up still happens (Truncated() tells). False
    // only when memory ran out: what was appended stays with exact counts, and tree, inserts
    // and definitions remain. Never throws.
    bool BlockExplode(int32_t& n2);

    // Each appends one transformed copy of e. lf keeps the member's own layer; otherwise the
    // copy goes to layer l2 of group l1. False when memory ran out (nothing appended).
    bool BlockExplodeLine(const TBlockMatrix& m, const TEntJwwLine& e, bool lf, uint16_t l1,
                          uint16_t l2);
    bool BlockExplodeEnko(const TBlockMatrix& m, const TEntJwwEnko& e, bool lf, uint16_t l1,
                          uint16_t l2);
    bool BlockExplodeTen(const TBlockMatrix& m, const TEntJwwTen& e, bool lf, uint16_t l1,
                         uint16_t l2);
    bool BlockExplodeMoji(const TBlockMatrix& m, const TEntJwwMoji& e, bool lf, uint16_t l1,
                          uint16_t l2);
    bool BlockExplodeSunpo(const TBlockMatrix& m, const TEntJwwSunpo& e, bool lf, uint16_t l1,
                           uint16_t l2);
    bool BlockExplodeSolid(const TBlockMatrix& m, const TEntJwwSolid& e, bool lf, uint16_t l1,
                           uint16_t l2);

    bool Truncated() const { return truncated_; }
    // The budget that cut the explosion short; nullptr while none did.
    const char* TruncatedBy() const { return truncatedBy_; }
    int64_t Appended() const { return appended_; }

  private:
    template <class T>
    bool Append(std::vector<T>& arr, int32_t& count, int32_t kind, T&& e, int64_t bytes);
    bool ExplodeNode(const TEntJwwBlockTree& node, const TEntJwwBlockDef& def);
    void ReserveForNodes(size_t nodes, size_t defs);
    bool HasRoom();
    void CleanUp(int32_t& n2);
    double GroupScale(uint16_t group) const;

    TJwwEntities& ents_;
    int32_t& n1_;
    std::span<const TEntJwwLayerGroup> groups_;
    TBlockBudget budget_;
    int64_t appended_ = 0;
    int64_t curves_ = 0;
    int64_t bytes_ = 0;
    bool truncated_ = false;
    const char* truncatedBy_ = nullptr;
};

// One-call form of TJwwBlockExploder::BlockExplode for a drawing or symbol.
bool BlockExplode(TJwwEntities& ents, int32_t& n1, int32_t& n2,
                  std::span<const TEntJwwLayerGroup> groups, const TBlockBudget& budget = {});

}  // namespace velmora
