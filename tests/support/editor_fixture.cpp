#include "support/editor_fixture.h"

#include <X11/IntrinsicP.h>
#include <X11/CoreP.h>
#include <Xm/RowColumn.h>
#include <Xm/Text.h>
#include <Xm/TextF.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "app/startup.h"
#include "base/globals.h"
#include "base/messages.h"
#include "diagram/diagram_object.h"
#include "ui/callbacks.h"
#include "platform/qori.h"
#include "template/template_model.h"
#include "ui/option_menus.h"
#include "ui/widgets.h"
#include "ui/windows.h"

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

void build_all_windows(Display* d) {
    char name[] = "tarnedit";
    char* argv[] = {name, nullptr};
    create_te_win(d, name, 1, argv);
    create_state_diagram_win(te_win);
    create_editor_dialogs();
    create_open_list_win(te_win);
    create_pollrate_win(te_win);
    create_severity_edit_win(te_win);
    create_condition_text_win(te_win);
}

bool build_editor(const std::string& name) {
    static char program[] = "tarnedit", option[] = "-t";
    std::string value = name;
    char* argv[] = {program, option, &value[0], nullptr};
    return start_up(name == "Noname" ? 1 : 3, argv);
}

void EditorTest::start_editor(const std::string& name) {
    ASSERT_TRUE(gui::start_editor(name == "Noname" ? Texts{} : Texts{"-t", name})) << qori_error_str;
}

void EditorTest::dispatch() {
    dispatch_recursive(0);
    gui::process_events();
}

std::string status() { return gui::label(main_message_label); }

void dispatch_until(const std::function<bool()>& done) {
    for (int i = 0; i < 50 && !done(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        dispatch_recursive(0);
        gui::process_events();
    }
}

void add_state(const std::string& name, const std::string& descr) {
    XtManageChild(state_edit_dialog);
    gui::type_text(se_state_name, name);
    gui::type_text(se_description_name, descr);
    gui::press(state_edit_add_button);
}

void reopen(const std::string& name) {
    new_template();
    copy_bounded(open_template, sizeof open_template, name.c_str());
    template_open();
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
