#pragma once

#include <string>
#include <string_view>

namespace velmora {

// Text in memory is UTF-8. These convert at the edges where files hold code page 932
// (Shift-JIS) or UTF-16LE. The platform does the table work (iconv on POSIX, the Win32
// code-page API on Windows); none of them throws.

// Decodes code page 932 bytes. A byte sequence the code page does not define becomes U+FFFD,
// so a damaged text never loses what follows it.
std::string Cp932ToUtf8(std::string_view bytes);

// Encodes UTF-8 text as code page 932. Characters the code page lacks become "?".
std::string Utf8ToCp932(std::string_view text);

// Decodes UTF-16LE bytes (an odd last byte is dropped, unpaired surrogates become U+FFFD).
std::string Utf16LeToUtf8(std::string_view bytes);

// Encodes UTF-8 text as UTF-16LE bytes.
std::string Utf8ToUtf16Le(std::string_view text);

// UTF-8 <-> UTF-16 code units, for routines that count in UTF-16 units as the file formats do.
// Invalid UTF-8 sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// True when the bytes are well-formed UTF-8 as a whole.
bool IsValidUtf8(std::string_view bytes);

}  // namespace velmora
