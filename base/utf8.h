// UTF-8 text as Unicode characters: cutting to a byte limit without splitting a character
// (shared by the store, the engine's bounded error texts and the editor's fixed-size lines),
// reading one character, and the checks that make a name one plain, visible word.
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

// The text in Unicode normal form C (composed: "e" and a combining acute become one "é"), so
// that two spellings of one name compare equal. Text that is not UTF-8 comes back unchanged.
std::string nfc(const std::string& text);
bool is_nfc(const std::string& text);
// The text with case and compatibility differences folded away ("Überlast" and "ÜBERLAST"
// fold alike), for comparing names without regard to case.
std::string fold_case(const std::string& text);

// A character that shows nothing or changes how the text around it shows: C0 and C1 controls,
// format characters (bidirectional overrides and isolates, zero-width characters, the byte
// order mark), line and paragraph separators, and the default-ignorable fillers (Hangul ones).
bool is_invisible(char32_t c);

// What keeps a name from being one plain, visible word (beyond its length and bytes).
enum class NameFault {
    Clean,
    Space,         // white space, ASCII or not (no-break space, ideographic space...)
    Invisible,     // a character is_invisible() holds
    MixedScripts,  // letters of scripts that look alike mixed in one word ("Routеr", Cyrillic е)
};
struct NameProblem {
    NameFault fault = NameFault::Clean;
    char32_t character = 0;  // Space and Invisible: the first such character
};
// Mixed scripts follow Unicode's moderately restrictive identifier level: one script, or
// Latin with one of the scripts that do not look like it (Han with Kana or Hangul, Arabic,
// Devanagari...); never Latin, Cyrillic, Greek or Cherokee together; and digits of one kind.
NameProblem name_problem(const std::string& name);

// "U+202E".
std::string code_point_label(char32_t c);

// The text for a terminal line: controls, invisible characters and bytes that are not UTF-8
// written as escapes ("\n", "\t", "\x1b", "\u{202e}"), so that stored text can neither break
// the line, reorder it nor drive the terminal. Other characters, backslash included, stay.
std::string terminal_text(const std::string& text);

#endif
