#include "ui/app_resources.h"

#include <X11/Xresource.h>

#include "base/messages.h"
#include "fallback_resources.inc"

String* tarnedit_fallback_resources()
{
    return const_cast<String*>(tarnedit_fallback_lines);
}

const char* tarnedit_resource_version()
{
    return TARNEDIT_RESOURCE_VERSION;
}

ResourceState classify_resources(const std::string& installed_version)
{
    if (installed_version.empty()) return ResourceState::missing;
    return installed_version == TARNEDIT_RESOURCE_VERSION ? ResourceState::current : ResourceState::stale;
}

namespace {

std::string installed_version(XrmDatabase db, const char* application_name)
{
    std::string name = std::string(application_name ? application_name : "tarnedit") + ".resourceVersion";
    char* type = nullptr;
    XrmValue value{};
    if (!db || !XrmGetResource(db, name.c_str(), "Tarnedit.ResourceVersion", &type, &value) || !value.addr)
        return "";
    return std::string(value.addr, value.size > 0 ? value.size - 1 : 0);
}

}  // namespace

void prepare_resources(Display* display, const char* application_name)
{
    XrmDatabase db = XtDatabase(display);
    std::string version = installed_version(db, application_name);
    switch (classify_resources(version)) {
    case ResourceState::current:
        break;
    case ResourceState::missing: {
        XrmDatabase fallback = nullptr;
        for (const char* const* line = tarnedit_fallback_lines; *line; ++line) XrmPutLineResource(&fallback, *line);
        // False: what the user's own resources say wins over the compiled-in defaults.
        XrmCombineDatabase(fallback, &db, False);
        break;
    }
    case ResourceState::stale:
        XtAppWarning(XtDisplayToApplicationContext(display),
                     const_cast<char*>(format_message(msg::RESOURCE_VERSION_MISMATCH, {version, TARNEDIT_RESOURCE_VERSION}).c_str()));
        break;
    }
}
