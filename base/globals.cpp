#include "base/globals.h"

char global_platform[PLATFORM_NAME_SIZE] = "localhost";
char open_template[TEMPLATE_NAME_SIZE] = "Noname";
char starting = 1;
XtAppContext app_context = nullptr;
Display* display = nullptr;
