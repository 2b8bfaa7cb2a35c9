#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// Shared text, number and file routines. None keeps state; none throws. Text is UTF-8.

// ---- Numbers ----

// x rounded to `digits` decimals (1..9; anything else rounds to whole numbers).
// mode 0 truncates toward zero, mode 1 rounds the magnitude up (ignoring excesses below 1e-10),
// any other mode rounds half away from zero.
double RoundDigits(int digits, int mode, double x);
void SwapReal(double& a, double& b);
// Rotation of (x, y) about (cx, cy) by ang radians, counter-clockwise for a positive angle.
double RotateX(double x, double y, double cx, double cy, double ang);
double RotateY(double x, double y, double cx, double cy, double ang);

// ---- Text and numbers ----

// Decimal, or hexadecimal after "$", "x", "X", "0x", "0X"; leading spaces allowed; 0 for
// anything that is not a complete 32-bit integer.
int32_t TextToInt(std::string_view s);
std::string IntToText(int64_t n);
// Decimal real with optional exponent, "." only; 0 for anything that is not a complete number.
double TextToReal(std::string_view s);
// Shortest text of at most 15 significant digits; scientific form ("1E-5") below 1e-4 or
// from 16 integer digits on. Non-finite values give "0".
std::string RealToText(double x);
bool TextToBool(std::string_view s);
std::string BoolToText(bool b);

// ---- Text ----

std::string UpperText(std::string_view s);
std::string LowerText(std::string_view s);
// Index in UTF-16 units of the first occurrence of sub in s; -1 when absent.
int PosIndex(std::string_view sub, std::string_view s);
// Substring in UTF-16 units from a zero-based index; empty when index lies beyond the end.
std::string CopyText(std::string_view s, int index, int count);
// s without spaces, ideographic spaces and characters below U+0020.
std::string RemoveBlanks(std::string_view s);
std::vector<uint8_t> TextToUtf8Bytes(std::string_view s);
// Up to the first 0 byte; empty when the bytes are not valid UTF-8 as a whole.
std::string Utf8BytesToText(const std::vector<uint8_t>& b);
std::string BytesToHexText(const std::vector<uint8_t>& b);
std::vector<uint8_t> HexTextToBytes(std::string_view s);
std::string TextToHexUtf8(std::string_view s);
std::string HexUtf8ToText(std::string_view s);

// ---- Files and folders ----

// Which path convention a routine follows. Windows: "\" with ":" as drive delimiter and the
// characters no Windows name may hold; Posix: "/" and only NUL forbidden.
enum class TPathStyle { Windows, Posix };
constexpr TPathStyle HostPathStyle() {
#ifdef _WIN32
    return TPathStyle::Windows;
#else
    return TPathStyle::Posix;
#endif
}

char PathDelimiterChar(TPathStyle style = HostPathStyle());
bool IsPathDelimiter(char c, TPathStyle style = HostPathStyle());
std::string AddPathDelimiter(std::string_view s, TPathStyle style = HostPathStyle());
// True when the name holds a character no path of that convention may hold.
bool HasInvalidPathChar(std::string_view fn, TPathStyle style = HostPathStyle());
// Extension with its ".", lower-cased; empty when there is none or the name is not a valid path.
std::string GetFileExtLower(std::string_view fn, TPathStyle style = HostPathStyle());

// The lower-cased extensions of the four kinds of input: drawings and symbols, Windows and DOS.
inline constexpr std::array<std::string_view, 4> kInputExtensions = {".jww", ".jws", ".jwc",
                                                                     ".jwk"};
// Whether a lower-cased extension is one of kInputExtensions.
inline bool IsInputExtension(std::string_view extLower) {
    return std::find(kInputExtensions.begin(), kInputExtensions.end(), extLower) !=
           kInputExtensions.end();
}
// fn with its extension replaced (appended when there is none); empty for an invalid name.
std::string ChangeExtSafe(std::string_view fn, std::string_view ext,
                          TPathStyle style = HostPathStyle());
// The part after the last delimiter, and the part up to and including it.
std::string ExtractFileName(std::string_view fn, TPathStyle style = HostPathStyle());
std::string ExtractFilePath(std::string_view fn, TPathStyle style = HostPathStyle());
// True for a plain file name: no delimiter of either convention, no drive, not "." or "..",
// nothing a Windows name may not hold. Names taken from inside files must pass this before
// they are joined to a folder.
bool IsPlainFileName(std::string_view name);

// fn itself when free, else the first free "name~n.ext" for n = 1..maxBranch (extension
// lower-cased). std::nullopt when every branch number is taken: the caller must not write.
inline constexpr int kMaxBranchNumber = 99999;
std::optional<std::string> GetBranchFileName(std::string_view fn,
                                             TPathStyle style = HostPathStyle(),
                                             int maxBranch = kMaxBranchNumber);

bool FileThere(std::string_view fn);
bool FolderThere(std::string_view dir);
bool MakeFolder(std::string_view dir);
bool EraseFile(std::string_view fn);
// Removes dir only when it exists and is empty.
bool EraseFolder(std::string_view dir);
// Whole file into memory; std::nullopt when it cannot be read.
std::optional<std::string> ReadWholeFile(std::string_view fn);
// The first n bytes of a regular file (fewer when it is shorter); false when it cannot be
// opened. File checks test a few header bytes and need not load a drawing of any size.
bool ReadFilePrefix(std::string_view fn, size_t n, std::string& out);
// fn opened for binary writing from its start, made when missing and emptied when it holds
// bytes; nullptr with errno set when it cannot be opened.
std::FILE* OpenForWriting(std::string_view fn);

}  // namespace velmora
