// Preparing the resource database at start-up: a stale installed file is reported, a missing
// one is replaced by the compiled-in lines without overriding what the user set.
#include "support/gui_harness.h"

#include <X11/Xresource.h>

#include <string>
#include <vector>

#include "app/globals.h"
#include "ui/app_resources.h"

namespace {

std::vector<std::string> warnings;
void record_warning(String message) { warnings.push_back(message ? message : ""); }

std::string lookup(Display* d, const char* name, const char* cls)
{
    char* type = nullptr;
    XrmValue value{};
    if (!XrmGetResource(XtDatabase(d), name, cls, &type, &value) || !value.addr) return "";
    return std::string(value.addr);
}

using PrepareResources = gui::GuiTest;

}  // namespace

TEST_F(PrepareResources, StaleInstalledFileIsReportedOnce)
{
    XrmDatabase db = XtDatabase(display);
    XrmPutLineResource(&db, "Tarnedit.resourceVersion: 0.1");
    XtAppSetWarningHandler(app_context, record_warning);
    prepare_resources(display, "tarnedit");
    ASSERT_EQ(1u, warnings.size());
    EXPECT_NE(std::string::npos, warnings[0].find("version 0.1"));
    EXPECT_NE(std::string::npos, warnings[0].find(tarnedit_resource_version()));
}

TEST_F(PrepareResources, MissingFileIsFilledInBelowTheUsersOwnSettings)
{
    XrmDatabase db = XtDatabase(display);
    // Nothing installed: forget what the build-tree file put there, keep one user setting.
    XrmPutLineResource(&db, "Tarnedit.resourceVersion:");
    XrmPutLineResource(&db, "Tarnedit*main_exit_button.labelString: Quit");
    XtAppSetWarningHandler(app_context, record_warning);
    prepare_resources(display, "tarnedit");
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ("Quit", lookup(display, "tarnedit.x.main_exit_button.labelString", "Tarnedit.X.X.LabelString"));
    EXPECT_EQ("Template", lookup(display, "tarnedit.x.main_template.labelString", "Tarnedit.X.X.LabelString"));
}
