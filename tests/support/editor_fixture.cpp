#include "support/editor_fixture.h"

#include <X11/IntrinsicP.h>
#include <X11/CoreP.h>
#include <Xm/RowColumn.h>
#include <Xm/Text.h>
#include <Xm/TextF.h>

#include <cstdlib>
#include <cstring>

#include "app/startup.h"
#include "base/globals.h"
#include "diagram/diagram_object.h"
#include "ui/callbacks.h"
#include "platform/qori.h"
#include "template/template_model.h"
#include "ui/option_menus.h"
#include "ui/widgets.h"

void EditorTest::SetUp() {
    gui::GuiTest::SetUp();
    const char* address = std::getenv("VARO_STORE");
    ASSERT_NE(nullptr, address);
    other = varo::open_store(address);
}

void EditorTest::TearDown() {
    // Taken down without their callbacks, which may end the process: a dialog left up must not
    // reach the next test when several run in one process.
    for (const gui::Dialog& d : gui::open_dialogs()) XtUnmanageChild(d.box);
    destroy_list();
    qor_handle = Qor_Defn();
    qori_shutdown();
    other.reset();
    gui::GuiTest::TearDown();
}

bool build_editor(const std::string& name) {
    static char program[] = "tarnedit", option[] = "-t";
    std::string value = name;
    char* argv[] = {program, option, &value[0], nullptr};
    return start_up(name == "Noname" ? 1 : 3, argv);
}

void EditorTest::start_editor(const std::string& name) {
    gui::open_display();
    ASSERT_TRUE(build_editor(name)) << qori_error_str;
    gui::add_root(te_win);
    gui::add_root(state_diagram_win);
    gui::process_events();
}

void EditorTest::dispatch() {
    dispatch_recursive(0);
    gui::process_events();
}

void EditorTest::store_template(const varo::TemplateDef& def) { other->insert_template(def); }

std::shared_ptr<testenv::FailSwitch> EditorTest::watch_writes() {
    auto fail = std::make_shared<testenv::FailSwitch>();
    EXPECT_TRUE(qori_attach_store(testenv::failing_store(varo::open_store(std::getenv("VARO_STORE")), fail)));
    return fail;
}

void paste(Widget field, const std::string& text) {
    XtRemoveCallback(field, XmNmodifyVerifyCallback, verify_no_space, nullptr);
    if (XmIsTextField(field)) XmTextFieldSetString(field, const_cast<char*>(text.c_str()));
    else XmTextSetString(field, const_cast<char*>(text.c_str()));
    XtAddCallback(field, XmNmodifyVerifyCallback, verify_no_space, nullptr);
}

std::vector<std::string> menu_entries(Widget& pulldown) {
    if (gui::build_unseen_menus) build_pending_menus();  // may replace the pulldown
    std::vector<std::string> names;
    if (!pulldown) return names;
    WidgetList children = nullptr;
    Cardinal count = 0;
    XtVaGetValues(pulldown, XmNchildren, &children, XmNnumChildren, &count, nullptr);
    for (Cardinal i = 0; i < count; ++i)
        if (!children[i]->core.being_destroyed) names.push_back(XtName(children[i]));
    return names;
}
