#include "varo/utf8.h"

std::size_t utf8_cut_length(const char* text, std::size_t length, std::size_t max_bytes) {
    if (length <= max_bytes) return length;
    std::size_t n = max_bytes;
    // Step back over continuation bytes so that no character is cut in half.
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    return n;
}
