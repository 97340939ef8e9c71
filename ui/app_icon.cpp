#include "ui/app_icon.h"

namespace {
#include "resources/icons/tarnedit_icon.xpm"
}

char** application_icon_xpm() { return const_cast<char**>(tarnedit_icon_xpm); }
