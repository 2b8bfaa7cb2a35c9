// Code page 932 in the browser: the page's own Shift-JIS decoder, one call per text.
#ifdef __EMSCRIPTEN__

#include <emscripten/em_js.h>
#include <emscripten/emscripten.h>

#include <string>
#include <string_view>

// Decodes the bytes and keeps the UTF-8 result for CopyDecoded; returns its length. The text
// is decoded as a whole when it is well formed; otherwise one character at a time, so that an
// undefined sequence becomes U+FFFD and decoding goes on at its next byte, as iconv does.
// A lone 0x80 is no character of code page 932, though the browser's decoder passes it through.
// The bodies are JavaScript, which the C++ formatter would break.
// clang-format off
EM_JS(int, DecodeShiftJis, (const char* data, int size), {
    const bytes = HEAPU8.slice(data, data + size);
    const fatal = new TextDecoder('shift_jis', {fatal : true});
    let text = null;
    if (!bytes.includes(0x80)) {
        try {
            text = fatal.decode(bytes);
        } catch (e) {
            text = null;
        }
    }
    if (text == null) {
        const parts = [];
        let i = 0;
        while (i < size) {
            const b = bytes[i];
            const lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
            const len = lead && i + 1 < size ? 2 : 1;
            let ch = null;
            if (b != 0x80 && !(lead&& len == 1)) {
                try {
                    ch = fatal.decode(bytes.subarray(i, i + len));
                } catch (e) {
                    ch = null;
                }
            }
            if (ch == null) {
                parts.push(String.fromCharCode(0xFFFD));
                i += 1;
            } else {
                parts.push(ch);
                i += len;
            }
        }
        text = parts.join('');
    }
    Module.velmoraDecoded = new TextEncoder().encode(text);
    return Module.velmoraDecoded.length;
});

EM_JS(void, CopyDecoded, (char* out), {
    HEAPU8.set(Module.velmoraDecoded, out);
    Module.velmoraDecoded = null;
});
// clang-format on

namespace velmora {

std::string Cp932ToUtf8Browser(std::string_view bytes) {
    const int n = DecodeShiftJis(bytes.data(), static_cast<int>(bytes.size()));
    std::string out(static_cast<size_t>(n), '\0');
    if (n > 0) CopyDecoded(out.data());
    return out;
}

}  // namespace velmora

#endif
