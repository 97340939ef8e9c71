// Toolkit, catalogue and display.
#include "app/toolkit.h"

#include <string>

#include "base/data_paths.h"
#include "base/globals.h"
#include "base/messages.h"

std::string application_name(const char* invocation_name) {
    // A path or a '.' in the application name would break resource matching.
    std::string name = invocation_name ? invocation_name : "";
    if (std::string::size_type slash = name.find_last_of('/'); slash != std::string::npos) name.erase(0, slash + 1);
    for (char& c : name)
        if (c == '.' || c == '*' || c == '?' || c == ' ') c = '_';
    return name.empty() ? "tarnedit" : name;
}

Display* open_toolkit_display(const char* invocation_name) {
    if (display) return display;
    XtToolkitInitialize();
    open_message_catalogue();
    complete_xfilesearchpath();
    app_context = XtCreateApplicationContext();
    std::string name = application_name(invocation_name);
    int argc = 1;
    char* argv[] = {const_cast<char*>(invocation_name), nullptr};
    display = XtOpenDisplay(app_context, nullptr, name.c_str(), "Tarnedit", nullptr, 0, &argc, argv);
    return display;
}
