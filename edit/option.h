// Reading an option menu's current choice.
#ifndef TARNWRIGHT_EDIT_OPTION_H
#define TARNWRIGHT_EDIT_OPTION_H

#include <X11/Intrinsic.h>

#include <string>

class Option {
public:
    // The label of the menu's option button, whole ("" for a null menu).
    std::string get_value(Widget option_menu) const;
};

#endif
