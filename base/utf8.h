// Cutting text to a byte limit without splitting a UTF-8 character: shared by the store,
// the engine's bounded error texts and the editor's fixed-size lines and buffers.
#ifndef TARNWRIGHT_BASE_UTF8_H
#define TARNWRIGHT_BASE_UTF8_H

#include <cstddef>
#include <string>

// The longest prefix of text[0, length) of at most max_bytes that ends on a character boundary.
std::size_t utf8_cut_length(const char* text, std::size_t length, std::size_t max_bytes);
inline std::size_t utf8_cut_length(const std::string& text, std::size_t max_bytes) {
    return utf8_cut_length(text.data(), text.size(), max_bytes);
}

// The character at text[*pos], moving *pos past it. A byte that does not start a well-formed
// sequence (overlong, surrogate, beyond U+10FFFF, cut short) reads as U+FFFD and moves one byte.
char32_t utf8_next(const char* text, std::size_t length, std::size_t* pos);

#endif
