// The one instance the editor dialogs share; the operations live with their editing area.
#include "edit/generic.h"

Generic generic;
