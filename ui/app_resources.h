// The application's resource file (class Tarnedit), compiled in as fallback resources, and the
// check that an installed copy is the one this program was built with.
#ifndef TARNWRIGHT_UI_APP_RESOURCES_H
#define TARNWRIGHT_UI_APP_RESOURCES_H

#include <X11/Intrinsic.h>

#include <string>

// The compiled-in resource lines, null-terminated, for XtAppSetFallbackResources.
String* tarnedit_fallback_resources();
// The version stamp of the compiled-in file.
const char* tarnedit_resource_version();

// What to do about the resource database the display opened with.
enum class ResourceState { current, missing, stale };
// Compares the installed stamp (empty when the database has none) with the compiled-in one.
ResourceState classify_resources(const std::string& installed_version);

// Called before the first window is built. With no resource file found at all (and no
// fallback given to Xt), merges the compiled-in lines below whatever the user has set; with
// a stale installed file, warns once on standard error through XtAppWarning.
void prepare_resources(Display* display, const char* application_name);

#endif
