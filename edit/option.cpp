#include "edit/option.h"

#include "ui/option_menus.h"

std::string Option::get_value(Widget option_menu) const { return option_value(option_menu); }
