#include "ui/widgets.h"

#define WIDGET(v) Widget v = nullptr;
#define PART(v) Widget v = nullptr;
#include "ui/widget_list.def"
#undef WIDGET
#undef PART
