#include "util/CodePage.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace velmora {

#ifdef __EMSCRIPTEN__
// The browser's decoder (CodePageWeb.cpp).
std::string Cp932ToUtf8Browser(std::string_view bytes);
#endif

namespace {

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes one UTF-8 sequence at s[i]; advances i. Returns U+FFFD for malformed input
// (overlong forms, surrogates and values above U+10FFFF included).
char32_t NextUtf8(std::string_view s, size_t& i, bool& ok) {
    const auto b0 = static_cast<uint8_t>(s[i]);
    ok = true;
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    int len = 0;
    char32_t c = 0;
    char32_t min = 0;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2, c = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3, c = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4, c = b0 & 0x07, min = 0x10000;
    } else {
        ++i;
        ok = false;
        return 0xFFFD;
    }
    if (s.size() - i < static_cast<size_t>(len)) {
        ++i;
        ok = false;
        return 0xFFFD;
    }
    for (int k = 1; k < len; ++k) {
        const auto b = static_cast<uint8_t>(s[i + k]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            ok = false;
            return 0xFFFD;
        }
        c = (c << 6) | (b & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++i;
        ok = false;
        return 0xFFFD;
    }
    i += len;
    return c;
}

#ifndef _WIN32
// Converts through iconv, replacing what the target cannot take (or the source does not
// define) by `bad` and going on after it. `step` is the width of one unit of the source.
std::string IconvConvert(const char* to, const char* from, std::string_view in, size_t step,
                         std::string_view bad) {
    std::string out;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return out;
    out.reserve(in.size() * 2);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char buffer[1024];
    while (srcLeft > 0) {
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, sizeof buffer - dstLeft);
        if (r == static_cast<size_t>(-1)) {
            if (errno == E2BIG) continue;
            // EILSEQ or EINVAL: skip one unit of the source (a surrogate pair counts as
            // one) and mark the gap.
            size_t skip = srcLeft < step ? srcLeft : step;
            if (step == 2 && srcLeft >= 4 && (static_cast<uint8_t>(src[1]) & 0xFC) == 0xD8 &&
                (static_cast<uint8_t>(src[3]) & 0xFC) == 0xDC) {
                skip = 4;
            }
            src += skip;
            srcLeft -= skip;
            out += bad;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    char* dst = buffer;
    size_t dstLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &dst, &dstLeft);
    out.append(buffer, sizeof buffer - dstLeft);
    iconv_close(cd);
    return out;
}
#endif

}  // namespace

std::string Cp932ToUtf8(std::string_view bytes) {
    // Code page 932 agrees with ASCII below 0x80, and most texts of a drawing (empty names,
    // class names) are ASCII: they need no trip through the platform's converter.
    if (std::all_of(bytes.begin(), bytes.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        return std::string(bytes);
    }
#ifdef _WIN32
    // One character at a time, so that an undefined sequence becomes U+FFFD and decoding goes on
    // at its next byte, as iconv does; the system's own replacement would be a middle dot.
    std::u16string wide;
    wide.reserve(bytes.size());
    size_t i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<uint8_t>(bytes[i]);
        const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        const size_t len = lead && i + 1 < bytes.size() ? 2 : 1;
        wchar_t w[2];
        const int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data() + i,
                                          static_cast<int>(len), w, 2);
        if (n == 1 && !(lead && len == 1)) {
            wide += static_cast<char16_t>(w[0]);
            i += len;
        } else {
            wide += u'\uFFFD';
            ++i;
        }
    }
    return Utf16ToUtf8(wide);
#elif defined(__EMSCRIPTEN__)
    return Cp932ToUtf8Browser(bytes);
#else
    return IconvConvert("UTF-8", "CP932", bytes, 1, "\xEF\xBF\xBD");
#endif
}

std::string Utf8ToCp932(std::string_view text) {
#ifdef _WIN32
    // A character beyond the BMP is never in the code page: one "?" for its surrogate pair.
    std::u16string wide;
    for (char16_t u : Utf8ToUtf16(text)) {
        if (u >= 0xDC00 && u <= 0xDFFF) continue;
        wide += u >= 0xD800 && u <= 0xDBFF ? u'?' : u;
    }
    if (wide.empty()) return {};
    const auto* w = reinterpret_cast<const wchar_t*>(wide.data());
    const int n =
        WideCharToMultiByte(932, 0, w, static_cast<int>(wide.size()), nullptr, 0, "?", nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(932, 0, w, static_cast<int>(wide.size()), out.data(), n, "?", nullptr);
    return out;
#else
    // Go through UTF-16 so that one unconvertible character is skipped as a whole.
    return IconvConvert("CP932", "UTF-16LE", Utf8ToUtf16Le(text), 2, "?");
#endif
}

std::string Utf16LeToUtf8(std::string_view bytes) {
    std::u16string units(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                         (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
    }
    return Utf16ToUtf8(units);
}

std::string Utf8ToUtf16Le(std::string_view text) {
    const std::u16string units = Utf8ToUtf16(text);
    std::string out;
    out.reserve(units.size() * 2);
    for (char16_t u : units) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    size_t i = 0;
    bool ok;
    while (i < text.size()) {
        const char32_t c = NextUtf8(text, i, ok);
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        AppendUtf8(out, c);
    }
    return out;
}

bool IsValidUtf8(std::string_view bytes) {
    size_t i = 0;
    bool ok = true;
    while (i < bytes.size()) {
        NextUtf8(bytes, i, ok);
        if (!ok) return false;
    }
    return true;
}

}  // namespace velmora
