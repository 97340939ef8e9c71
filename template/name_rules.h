// What the editor accepts as a template name and description, and the ground state's
// poll rate and severity, as plain functions over texts.
#ifndef TARNWRIGHT_TEMPLATE_NAME_RULES_H
#define TARNWRIGHT_TEMPLATE_NAME_RULES_H

#include <string>
#include <vector>

enum { NAME_MAX_BYTES = 64, DESCR_MAX_BYTES = 255 };

enum class NameCheck { Blank, HasSpace, Invisible, MixedScripts, Ok };

// A name is one word: blanks around it are allowed, blanks inside it are not; nor are
// invisible or control characters, nor look-alike letters of different scripts mixed.
// kept: the name is one already stored, used again (to change or delete what it names),
// which keeps the rule it was stored under: one word. character, when given, is set to the
// character ("U+202E") behind HasSpace or Invisible.
NameCheck check_name(const std::string& text, bool kept = false, std::string* character = nullptr);
// The catalogue's text for a refusal (HasSpace, Invisible, MixedScripts) given the character
// check_name named; "" for Blank and Ok.
std::string name_refusal(NameCheck check, const std::string& character);
// The first word, cut to 64 bytes on a character boundary, as typed: a stored name is found
// by its bytes first.
std::string name_word(const std::string& text);
// The name a new object gets: the first word in Unicode normal form (NFC), so that the two
// spellings of "Café" are one name.
std::string new_name_word(const std::string& text);
// Leading white space removed, then cut to 255 bytes on a character boundary.
std::string normalise_description(const std::string& text);
// Whether anything but white space is left.
bool description_has_text(const std::string& text);
// Cut to at most `max_bytes` without splitting a UTF-8 character.
std::string cut_utf8(const std::string& text, std::size_t max_bytes);
// The n-th name offered for a copy of `name`: the name itself for 1, else "name_n", the
// name cut so that the whole stays a valid name.
std::string numbered_name(const std::string& name, int n);

// The ground state's poll rate from the poll-rate names in album order: "Poll", else
// "default_rate", else the first one, else "".
std::string choose_ground_pollrate(const std::vector<std::string>& names);
// The ground state's severity: "Normal", else the first one, else "".
std::string choose_ground_severity(const std::vector<std::string>& names);

extern const char* POLL_PR;
extern const char* DEFAULT_PR;
extern const char* NORMAL_SEVERITY;

#endif
