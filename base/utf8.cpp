#include "base/utf8.h"

std::size_t utf8_cut_length(const char* text, std::size_t length, std::size_t max_bytes) {
    if (length <= max_bytes) return length;
    std::size_t n = max_bytes;
    // Step back over continuation bytes so that no character is cut in half.
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    return n;
}

char32_t utf8_next(const char* text, std::size_t length, std::size_t* pos) {
    const unsigned char* s = reinterpret_cast<const unsigned char*>(text) + *pos;
    std::size_t left = length - *pos;
    unsigned char b = s[0];
    ++*pos;
    if (b < 0x80) return b;
    int extra = b >= 0xC2 && b <= 0xDF ? 1 : b >= 0xE0 && b <= 0xEF ? 2 : b >= 0xF0 && b <= 0xF4 ? 3 : -1;
    if (extra < 0 || left <= static_cast<std::size_t>(extra)) return 0xFFFD;
    char32_t c = b & (0x3F >> extra);
    for (int i = 1; i <= extra; ++i) {
        if ((s[i] & 0xC0) != 0x80) return 0xFFFD;
        c = (c << 6) | (s[i] & 0x3F);
    }
    static const char32_t least[4] = {0, 0x80, 0x800, 0x10000};
    if (c < least[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0xFFFD;
    *pos += extra;
    return c;
}
