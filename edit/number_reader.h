// The checked reader behind the editors' number fields.
#ifndef TARNWRIGHT_EDIT_NUMBER_READER_H
#define TARNWRIGHT_EDIT_NUMBER_READER_H

#include <optional>
#include <string>

// The decimal number a field holds, when it lies in low..high: digits only, blanks around
// them allowed. Anything else is refused, overflow included, so that "4294967297" is never
// read as 1.
std::optional<int> read_number(const std::string& text, int low, int high);

#endif
