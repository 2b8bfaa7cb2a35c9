#include "util/Func2.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "util/CodePage.h"
#include "util/NumText.h"
#include "util/Prefault.h"

namespace velmora {

namespace fs = std::filesystem;

namespace {

fs::path ToPath(std::string_view utf8) {
    return fs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

bool IsSpace(char c) {
    return c == ' ';
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return c - 'A' + 10;
}

// Start of the extension (index of its "."), or npos when there is none.
size_t ExtStart(std::string_view fn, TPathStyle style) {
    for (size_t i = fn.size(); i-- > 0;) {
        const char c = fn[i];
        if (c == '.') return i;
        if (IsPathDelimiter(c, style) || (style == TPathStyle::Windows && c == ':')) break;
    }
    return std::string_view::npos;
}

size_t LastDelimiter(std::string_view fn, TPathStyle style) {
    for (size_t i = fn.size(); i-- > 0;) {
        const char c = fn[i];
        if (IsPathDelimiter(c, style) || (style == TPathStyle::Windows && c == ':')) return i;
    }
    return std::string_view::npos;
}

char32_t CaseMap(char32_t c, bool upper) {
    if (upper) {
        if ((c >= U'a' && c <= U'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
        if (c >= 0xFF41 && c <= 0xFF5A) return c - 0x20;              // full-width Latin
        if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 0x20;  // Greek
    } else {
        if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 0x20;
        if (c >= 0xFF21 && c <= 0xFF3A) return c + 0x20;
        if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 0x20;
    }
    return c;
}

std::string MapCase(std::string_view s, bool upper) {
    std::u16string u = Utf8ToUtf16(s);
    for (char16_t& c : u)
        c = static_cast<char16_t>(CaseMap(c, upper));
    return Utf16ToUtf8(u);
}

}  // namespace

// ---- Numbers ----

double RoundDigits(int digits, int mode, double x) {
    double f = 1;
    if (digits >= 1 && digits <= 9) f = std::pow(10.0, digits);
    double v = std::fabs(x) * f;
    // Decimal inputs are rarely exact in binary (0.5005 * 1000 is 500.49999999999994): settle
    // v on 15 significant digits first so that the modes act on the decimal value.
    if (std::isfinite(v) && v > 0) {
        v = ParseDecimal(SciText(v, 14));
    }
    if (mode == 0) {
        v = std::trunc(v);
    } else if (mode == 1) {
        v = std::trunc(v + 0.9999999999);
    } else {
        v = std::trunc(v + 0.5);
    }
    v /= f;
    return x < 0 ? -v : v;
}

void SwapReal(double& a, double& b) {
    std::swap(a, b);
}

double RotateX(double x, double y, double cx, double cy, double ang) {
    return cx + (x - cx) * std::cos(ang) - (y - cy) * std::sin(ang);
}

double RotateY(double x, double y, double cx, double cy, double ang) {
    return cy + (x - cx) * std::sin(ang) + (y - cy) * std::cos(ang);
}

// ---- Text and numbers ----

int32_t TextToInt(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && IsSpace(s[i]))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    bool hex = false;
    if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
        hex = true;
        ++i;
    } else if (s.size() - i >= 2 && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i == s.size()) return 0;
    uint64_t v = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (hex) {
            if (!IsHexDigit(c)) return 0;
            v = v * 16 + HexValue(c);
            if (v > 0xFFFFFFFFull) return 0;
        } else {
            if (c < '0' || c > '9') return 0;
            v = v * 10 + (c - '0');
            if (v > 0x80000000ull) return 0;
        }
    }
    if (hex) {
        const auto pattern = static_cast<int32_t>(static_cast<uint32_t>(v));
        return negative ? static_cast<int32_t>(0u - static_cast<uint32_t>(pattern)) : pattern;
    }
    if (!negative && v > 0x7FFFFFFFull) return 0;
    return negative ? static_cast<int32_t>(-static_cast<int64_t>(v)) : static_cast<int32_t>(v);
}

std::string IntToText(int64_t n) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, n);
    return std::string(buf, r.ptr);
}

double TextToReal(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && IsSpace(s[i]))
        ++i;
    const size_t start = i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    const size_t body = i;
    size_t digits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9')
        ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9')
            ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        size_t expDigits = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9')
            ++i, ++expDigits;
        if (expDigits == 0) return 0;
    }
    if (i != s.size()) return 0;
    (void)start;
    // The grammar above decides validity; ParseDecimal only computes the value.
    const double v = ParseDecimal(s.substr(body));
    if (!std::isfinite(v)) return 0;
    return negative ? -v : v;
}

std::string RealToText(double x) {
    if (!std::isfinite(x)) return "0";
    if (x == 0) return "0";
    // d.dddddddddddddde±XX: 15 significant digits, then drop trailing zeros.
    const std::string sciText = SciText(x, 14);
    const std::string_view sci = sciText;
    const size_t epos = sci.find('e');
    int exp10 = 0;
    std::from_chars(sci.data() + epos + 1 + (sci[epos + 1] == '+'), sci.data() + sci.size(), exp10);
    std::string digits;
    bool negative = false;
    for (size_t k = 0; k < epos; ++k) {
        if (sci[k] == '-') negative = true;
        if (sci[k] >= '0' && sci[k] <= '9') digits += sci[k];
    }
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    std::string out = negative ? "-" : "";
    const int e = exp10 + 1;  // x = 0.d1d2... * 10^e
    if (e < -3 || e > 15) {
        out += digits[0];
        if (digits.size() > 1) out += "." + digits.substr(1);
        out += "E" + IntToText(exp10);
        return out;
    }
    if (e <= 0) {
        out += "0." + std::string(static_cast<size_t>(-e), '0') + digits;
    } else if (static_cast<size_t>(e) >= digits.size()) {
        out += digits + std::string(static_cast<size_t>(e) - digits.size(), '0');
    } else {
        out +=
            digits.substr(0, static_cast<size_t>(e)) + "." + digits.substr(static_cast<size_t>(e));
    }
    return out;
}

bool TextToBool(std::string_view s) {
    const std::string u = UpperText(s);
    for (const char* t : {"T", "TR", "TRU", "TRUE", "1", "１", "○", "ON", "真", "正"}) {
        if (u == t) return true;
    }
    return false;
}

std::string BoolToText(bool b) {
    return b ? "1" : "0";
}

// ---- Text ----

std::string UpperText(std::string_view s) {
    return MapCase(s, true);
}
std::string LowerText(std::string_view s) {
    return MapCase(s, false);
}

int PosIndex(std::string_view sub, std::string_view s) {
    const std::u16string hay = Utf8ToUtf16(s);
    const size_t p = hay.find(Utf8ToUtf16(sub));
    return p == std::u16string::npos ? -1 : static_cast<int>(p);
}

std::string CopyText(std::string_view s, int index, int count) {
    const std::u16string u = Utf8ToUtf16(s);
    if (index < 0) index = 0;
    if (count <= 0 || static_cast<size_t>(index) >= u.size()) return {};
    return Utf16ToUtf8(u.substr(static_cast<size_t>(index), static_cast<size_t>(count)));
}

std::string RemoveBlanks(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x20 || c == ' ') continue;
        if (c == 0xE3 && i + 2 < s.size() && static_cast<unsigned char>(s[i + 1]) == 0x80 &&
            static_cast<unsigned char>(s[i + 2]) == 0x80) {
            i += 2;  // U+3000
            continue;
        }
        out += s[i];
    }
    return out;
}

std::vector<uint8_t> TextToUtf8Bytes(std::string_view s) {
    return {s.begin(), s.end()};
}

std::string Utf8BytesToText(const std::vector<uint8_t>& b) {
    const std::string_view bytes(reinterpret_cast<const char*>(b.data()), b.size());
    if (!IsValidUtf8(bytes)) return {};
    return std::string(bytes.substr(0, bytes.find('\0')));
}

std::string BytesToHexText(const std::vector<uint8_t>& b) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (uint8_t byte : b) {
        if (byte == 0) break;
        out += kDigits[byte >> 4];
        out += kDigits[byte & 15];
    }
    return out;
}

std::vector<uint8_t> HexTextToBytes(std::string_view s) {
    std::vector<uint8_t> out;
    out.reserve(s.size() / 2 + 2);
    for (size_t i = 0; i < s.size(); i += 2) {
        const std::string pair = "$" + std::string(s.substr(i, 2));
        out.push_back(static_cast<uint8_t>(TextToInt(pair) & 0xFF));
    }
    out.push_back(0);
    return out;
}

std::string TextToHexUtf8(std::string_view s) {
    return BytesToHexText(TextToUtf8Bytes(s));
}
std::string HexUtf8ToText(std::string_view s) {
    return Utf8BytesToText(HexTextToBytes(s));
}

// ---- Files and folders ----

char PathDelimiterChar(TPathStyle style) {
    return style == TPathStyle::Windows ? '\\' : '/';
}

bool IsPathDelimiter(char c, TPathStyle style) {
    return c == '/' || (style == TPathStyle::Windows && c == '\\');
}

std::string AddPathDelimiter(std::string_view s, TPathStyle style) {
    std::string out(s);
    const char delimiter = PathDelimiterChar(style);
    if (out.empty() ||
        (out.back() != delimiter && !(style == TPathStyle::Windows && out.back() == ':'))) {
        out += delimiter;
    }
    return out;
}

bool HasInvalidPathChar(std::string_view fn, TPathStyle style) {
    for (char ch : fn) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == 0) return true;
        if (style == TPathStyle::Windows &&
            (c < 0x20 || ch == '"' || ch == '<' || ch == '>' || ch == '|')) {
            return true;
        }
    }
    return false;
}

std::string GetFileExtLower(std::string_view fn, TPathStyle style) {
    if (HasInvalidPathChar(fn, style)) return {};
    const size_t p = ExtStart(fn, style);
    if (p == std::string_view::npos) return {};
    return LowerText(fn.substr(p));
}

std::string ChangeExtSafe(std::string_view fn, std::string_view ext, TPathStyle style) {
    if (HasInvalidPathChar(fn, style)) return {};
    const size_t p = ExtStart(fn, style);
    std::string out(fn.substr(0, p));
    out += ext;
    return out;
}

std::string ExtractFileName(std::string_view fn, TPathStyle style) {
    const size_t p = LastDelimiter(fn, style);
    return std::string(p == std::string_view::npos ? fn : fn.substr(p + 1));
}

std::string ExtractFilePath(std::string_view fn, TPathStyle style) {
    const size_t p = LastDelimiter(fn, style);
    return p == std::string_view::npos ? std::string() : std::string(fn.substr(0, p + 1));
}

bool IsPlainFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    if (HasInvalidPathChar(name, TPathStyle::Windows)) return false;
    for (char c : name) {
        if (c == '/' || c == '\\' || c == ':' || c == '*' || c == '?') return false;
    }
    return true;
}

std::optional<std::string> GetBranchFileName(std::string_view fn, TPathStyle style, int maxBranch) {
    if (!FileThere(fn) && !FolderThere(fn)) return std::string(fn);
    const std::string stem = ChangeExtSafe(fn, "", style);
    const std::string ext = GetFileExtLower(fn, style);
    if (stem.empty()) return std::nullopt;
    for (int n = 1; n <= maxBranch; ++n) {
        std::string candidate = stem + "~" + IntToText(n) + ext;
        if (!FileThere(candidate) && !FolderThere(candidate)) return candidate;
    }
    return std::nullopt;
}

bool FileThere(std::string_view fn) {
    if (fn.empty()) return false;
    std::error_code ec;
    return fs::is_regular_file(ToPath(fn), ec);
}

bool FolderThere(std::string_view dir) {
    if (dir.empty()) return false;
    std::error_code ec;
    return fs::is_directory(ToPath(dir), ec);
}

bool MakeFolder(std::string_view dir) {
    if (dir.empty()) return false;
    std::error_code ec;
    fs::create_directories(ToPath(dir), ec);
    return !ec && FolderThere(dir);
}

bool EraseFile(std::string_view fn) {
    if (!FileThere(fn)) return false;
    std::error_code ec;
    return fs::remove(ToPath(fn), ec) && !ec;
}

bool EraseFolder(std::string_view dir) {
    if (!FolderThere(dir)) return false;
    std::error_code ec;
    if (!fs::is_empty(ToPath(dir), ec) || ec) return false;
    return fs::remove(ToPath(dir), ec) && !ec;
}

std::optional<std::string> ReadWholeFile(std::string_view fn) {
    if (!FileThere(fn)) return std::nullopt;
    std::ifstream in(ToPath(fn), std::ios::binary);
    if (!in) return std::nullopt;
    std::string data;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0) return std::nullopt;
    ReserveHugePages(data, static_cast<size_t>(size));
    data.resize(static_cast<size_t>(size));
    in.seekg(0, std::ios::beg);
    if (!in.read(data.data(), size)) return std::nullopt;
    return data;
}

bool ReadFilePrefix(std::string_view fn, size_t n, std::string& out) {
    std::error_code ec;
    if (!fs::is_regular_file(ToPath(fn), ec)) return false;
    std::ifstream in(ToPath(fn), std::ios::binary);
    if (!in) return false;
    out.assign(n, '\0');
    in.read(out.data(), static_cast<std::streamsize>(n));
    out.resize(static_cast<size_t>(in.gcount()));
    return true;
}

std::FILE* OpenForWriting(std::string_view fn) {
#ifdef _WIN32
    return _wfopen(ToPath(fn).c_str(), L"wb");
#else
    // An empty file is written as it is: ext4 marks a file truncated to nothing for a flush of
    // all its pages when it closes, which made closing a large document take as long as a
    // third of its conversion. The run's temporary files are made empty beforehand.
    const int fd = ::open(std::string(fn).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || (st.st_size != 0 && ::ftruncate(fd, 0) != 0)) {
        const int err = errno;
        ::close(fd);
        errno = err;
        return nullptr;
    }
    std::FILE* f = ::fdopen(fd, "wb");
    if (f == nullptr) {
        const int err = errno;
        ::close(fd);
        errno = err;
    }
    return f;
#endif
}

}  // namespace velmora
