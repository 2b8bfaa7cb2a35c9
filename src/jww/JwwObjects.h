#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "jww/JwwTypes.h"
#include "util/ByteCursor.h"
#include "util/Stop.h"

namespace velmora {

// The object stream shared by drawings (.jww) and symbols (.jws): the entity arrays it fills
// and the reader that follows the archive's class tags. A symbol reader derives its data from
// TJwwEntities as TJwwData does, reads its own header, then hands the cursor to
// TJwwObjectReader::ReadObjects.

// Entity arrays of one drawing or symbol, each with its count.
struct TJwwEntities {
    std::vector<TEntJwwNo> EntNo;  // order table of the main list, Enthd.n1 entries
    std::vector<TEntJwwLine> EntLine;
    int32_t EntLineN = 0;
    std::vector<TEntJwwEnko> EntEnko;
    int32_t EntEnkoN = 0;
    std::vector<TEntJwwTen> EntTen;
    int32_t EntTenN = 0;
    std::vector<TEntJwwMoji> EntMoji;
    int32_t EntMojiN = 0;
    std::vector<TEntJwwSunpo> EntSunpo;
    int32_t EntSunpoN = 0;
    std::vector<TEntJwwSolid> EntSolid;
    int32_t EntSolidN = 0;
    std::vector<TEntJwwBlock> EntBlock;
    int32_t EntBlockN = 0;
    std::vector<TEntJwwBlockDef> EntBlockDef;
    int32_t EntBlockDefN = 0;
    std::vector<TEntJwwBlockTree> EntBlockTree;
    int32_t EntBlockTreeN = 0;
    int32_t EntBlockNum = 0;  // definitions that some insert refers to
    // Which budget cut the block tree or its explosion short; empty while none did.
    std::string BudgetStop;

    // Empties every array (definitions with their members, the tree) and zeroes the counts.
    void EntitiesInit();
    // As EntitiesInit, and returns the arrays' memory, which clearing keeps.
    void EntitiesFree();
};

// ---- Strings ----

// Reads one string of the archive form: a length byte, or 0xFF and a uint16 length, or
// 0xFF 0xFFFE and a UTF-16 character count (a byte, or 0xFF and a uint16). Shift-JIS or
// UTF-16LE text becomes UTF-8 ending at its first NUL; a UTF-16 string sets mojiEncode.
// No byte left at all gives an empty string (a short read the format tolerates); a length
// prefix or a text cut off by the end of the data fails with nothing guaranteed about out.
bool ReadJwwString(TByteCursor& cursor, std::string& out, bool& mojiEncode);
// The same with every character below U+0020 removed.
bool ReadJwwStringNoCtrl(TByteCursor& cursor, std::string& out, bool& mojiEncode);

// ---- Object stream ----

// Reads the main object list and the block definitions that follow a drawing or symbol
// header. One class index counter spans both sections, so one reader object serves one file.
class TJwwObjectReader {
  public:
    // jwVer selects the 13- or 15-byte attribute block and the dimensions' SXF parts;
    // mojiEncode is set when a UTF-16 string is met. A raised stop ends the read as damaged
    // within a few thousand objects, so that a run abandoning a large drawing need not wait.
    TJwwObjectReader(TByteCursor& cursor, int32_t jwVer, bool& mojiEncode,
                     const TStopFlag* stop = nullptr);

    // Fills ents (which must be empty) and sets n1 and n2 to the declared counts. False when
    // the stream is damaged: an unreadable count, a class outside the seven drawing classes,
    // an unreadable definition, a count or string that cannot fit the remaining bytes, or the
    // end of the data before a list is complete. Whatever was read stays in ents with exact
    // counts. Never throws except std::bad_alloc.
    bool ReadObjects(TJwwEntities& ents, int32_t& n1, int32_t& n2);

    // Reason and byte offset of the failure, for diagnostics.
    const std::string& Error() const { return error_; }
    size_t ErrorOffset() const { return errorOffset_; }

  private:
    // Destination of one list: the main arrays or those of a definition.
    struct TList {
        std::vector<TEntJwwNo>& no;
        std::vector<TEntJwwLine>& line;
        int32_t& lineN;
        std::vector<TEntJwwEnko>& enko;
        int32_t& enkoN;
        std::vector<TEntJwwTen>& ten;
        int32_t& tenN;
        std::vector<TEntJwwMoji>& moji;
        int32_t& mojiN;
        std::vector<TEntJwwSunpo>& sunpo;
        int32_t& sunpoN;
        std::vector<TEntJwwSolid>& solid;
        int32_t& solidN;
        std::vector<TEntJwwBlock>& block;
        int32_t& blockN;
    };
    enum class TTag { Object, NoKind, EndOfData, Bad };

    bool ReadList(TList& list, uint32_t count);
    TTag ReadObjectTag(int32_t& kind);
    bool ReadClassName(std::string& name);
    bool ReadCount(uint32_t& count);
    // Reads the object data of one kind; false drops the object, failed_ ends the read.
    bool ReadObject(TList& list, int32_t kind, int32_t& index);
    // Reads one object with read and, when it was read, appends it as the list's next entry.
    template <typename T>
    bool ReadInto(std::vector<T>& arr, int32_t& count, bool (TJwwObjectReader::*read)(T&),
                  int32_t& index);

    void ReadAttr(TByteCursor& c, TEntJwwAttr& att) const;
    bool FixedPart(size_t sizeAfterAttr, TByteCursor& part);
    bool ReadLineData(TEntJwwLine& e);
    bool ReadEnkoData(TEntJwwEnko& e);
    bool ReadTenData(TEntJwwTen& e);
    bool ReadMojiData(TEntJwwMoji& e);
    bool ReadSunpoData(TEntJwwSunpo& e);
    bool ReadSolidData(TEntJwwSolid& e);
    bool ReadBlockData(TEntJwwBlock& e);
    bool ReadBlockDef(TEntJwwBlockDef& def, uint32_t position);
    bool ReadString(std::string& out);
    bool Fail(const char* what);
    bool Complete();

    TByteCursor& cursor_;
    int32_t jwVer_;
    size_t attrSize_;
    bool& mojiEncode_;
    const TStopFlag* stop_;
    uint32_t classIndex_ = 1;
    // Objects of the list being read: declared, and read so far.
    uint32_t listCount_ = 0, listRead_ = 0;
    // Class index received by each kind 1..7; 0 while its class has not appeared.
    uint32_t kindClass_[8] = {};
    // Holds the fixed part of the object being read; short reads leave its tail zero.
    std::byte scratch_[2048] = {};
    bool failed_ = false;
    bool truncated_ = false;  // some read delivered fewer bytes than asked
    std::string error_;
    size_t errorOffset_ = 0;
};

}  // namespace velmora
