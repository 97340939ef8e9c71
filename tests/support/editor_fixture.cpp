#include "support/editor_fixture.h"

#include <X11/IntrinsicP.h>
#include <X11/CoreP.h>
#include <Xm/RowColumn.h>

#include <cstdlib>
#include <cstring>

#include "app/globals.h"
#include "app/messages.h"
#include "app/notifications.h"
#include "diagram/diagram_object.h"
#include "diagram/draw_area.h"
#include "platform/qori.h"
#include "template/template_model.h"
#include "ui/widgets.h"
#include "ui/windows.h"

void EditorTest::SetUp() {
    gui::GuiTest::SetUp();
    const char* spec = std::getenv("VARO_STORE");
    ASSERT_NE(nullptr, spec);
    other = varo::open_store(spec);
}

void EditorTest::TearDown() {
    destroy_list();
    qor_handle = Qor_Defn();
    qori_shutdown();
    other.reset();
    gui::GuiTest::TearDown();
}

bool build_editor(const std::string& name) {
    copy_bounded(open_template, sizeof open_template, name);
    if (!qori_init("localhost")) return false;
    static char invocation[] = "tarnedit";
    char* argv[] = {invocation, nullptr};
    create_te_win(display, invocation, 1, argv);
    create_state_diagram_win(te_win);
    create_state_edit_win(te_win);
    create_transition_edit_win(te_win);
    create_order_trans_win(te_win);
    create_state_list_win(state_diagram_win);
    create_transition_list_win(state_diagram_win);
    create_configure_states(state_diagram_win);
    create_state_information(state_diagram_win);
    init_template_win(te_win);
    init_pollrate_win(te_win);
    init_severity_win(te_win);
    init_cond_win(te_win);
    XtRealizeWidget(te_win);
    XtRealizeWidget(state_diagram_win);
    init_draw_area();
    register_callbacks();
    if (name == "Noname")
        new_template();
    else
        template_open();
    return true;
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

std::vector<std::string> menu_entries(Widget pulldown) {
    std::vector<std::string> names;
    if (!pulldown) return names;
    WidgetList children = nullptr;
    Cardinal count = 0;
    XtVaGetValues(pulldown, XmNchildren, &children, XmNnumChildren, &count, nullptr);
    for (Cardinal i = 0; i < count; ++i)
        if (!children[i]->core.being_destroyed) names.push_back(XtName(children[i]));
    return names;
}
