// The GUI test harness: see gui_harness.h.
#include "support/gui_harness.h"

#include <X11/IntrinsicP.h>
#include <X11/Shell.h>
#include <Xm/DialogS.h>
#include <Xm/Form.h>
#include <Xm/Label.h>
#include <Xm/LabelG.h>
#include <Xm/List.h>
#include <Xm/MessageB.h>
#include <Xm/PushB.h>
#include <Xm/RowColumn.h>
#include <Xm/Text.h>
#include <Xm/TextF.h>
#include <Xm/ToggleB.h>
#include <Xm/ToggleBG.h>
#include <Xm/Xm.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>

#include "app/startup.h"
#include "app/toolkit.h"
#include "base/globals.h"
#include "ui/option_menus.h"
#include "ui/widgets.h"
#include "ui/xm_string.h"

namespace gui {
namespace {

std::vector<Widget>& known_roots() {
    static std::vector<Widget> roots;
    return roots;
}

pid_t own_xvfb = 0;

void stop_own_xvfb() {
    if (own_xvfb > 0) {
        kill(own_xvfb, SIGTERM);
        waitpid(own_xvfb, nullptr, 0);
        own_xvfb = 0;
    }
}

bool x_server_answers() {
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) return false;
    Display* probe = XOpenDisplay(nullptr);
    if (!probe) return false;
    XCloseDisplay(probe);
    return true;
}

// Starts Xvfb on a display number it picks itself and waits until it reports it.
void start_own_xvfb() {
    int fds[2];
    if (pipe(fds) != 0) return;
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (pid < 0 || number.empty()) return;
    own_xvfb = pid;
    std::atexit(stop_own_xvfb);
    setenv("DISPLAY", (":" + number).c_str(), 1);
}

// Known roots plus the trees of every realized top-level window of the display.
std::vector<Widget> all_roots() {
    std::vector<Widget> roots = known_roots();
    if (!display) return roots;
    Window root_window, parent, *children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root_window, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count; ++i) {
            Widget w = XtWindowToWidget(display, children[i]);
            while (w && XtParent(w)) w = XtParent(w);
            if (w && std::find(roots.begin(), roots.end(), w) == roots.end()) roots.push_back(w);
        }
        if (children) XFree(children);
    }
    return roots;
}

// Each widget once, also when one root lies inside another's tree (the diagram window is a
// popup of the main window).
void walk_all(const std::function<void(Widget)>& visit) {
    std::set<Widget> seen;
    for (Widget root : all_roots())
        walk(root, [&](Widget w) {
            if (seen.insert(w).second) visit(w);
        });
}

bool usable(Widget w, const char* what) {
    const char* why = !w ? "no widget" : !XtIsManaged(w) ? "not managed" : !XtIsSensitive(w) ? "insensitive" : nullptr;
    if (why) ADD_FAILURE() << what << ": " << (w ? XtName(w) : "") << " " << why;
    return !why;
}

XEvent fake_click(Widget w) {
    XEvent event{};
    event.xbutton.type = ButtonRelease;
    event.xbutton.display = display;
    event.xbutton.window = XtWindowOfObject(w);
    event.xbutton.time = CurrentTime;
    event.xbutton.button = Button1;
    event.xbutton.same_screen = True;
    return event;
}

// A button's activate callbacks, as a click on it calls them.
void activate(Widget button) {
    XEvent event = fake_click(button);
    XmPushButtonCallbackStruct cbs{};
    cbs.reason = XmCR_ACTIVATE;
    cbs.event = &event;
    cbs.click_count = 1;
    XtCallCallbacks(button, XmNactivateCallback, &cbs);
}

// A message box's managed buttons, left to right.
std::vector<Widget> managed_buttons(Widget box) {
    std::vector<Widget> out;
    for (unsigned char child : {XmDIALOG_OK_BUTTON, XmDIALOG_CANCEL_BUTTON, XmDIALOG_HELP_BUTTON}) {
        Widget b = box ? XmMessageBoxGetChild(box, child) : nullptr;
        if (b && XtIsManaged(b)) out.push_back(b);
    }
    return out;
}

std::string xm_resource_text(Widget w, const char* resource) {
    XmString s = nullptr;
    XtVaGetValues(w, resource, &s, nullptr);
    std::string out = xm_string_text(s);
    if (s) XmStringFree(s);  // Motif hands out a copy
    return out;
}

bool is_toggle(Widget w) { return XmIsToggleButton(w) || XmIsToggleButtonGadget(w); }

// A user's action reaches callbacks from inside XtDispatchEvent, where Xt defers the
// destruction of widgets until the callbacks are done. The harness does the same: it sends
// itself a ClientMessage and runs the action from that event's handler.
std::function<void()> pending_action;

void run_pending_action(Widget, XtPointer, XEvent* event, Boolean*) {
    if (event->type != ClientMessage || !pending_action) return;
    std::function<void()> action = std::move(pending_action);
    pending_action = nullptr;
    action();
}

Widget dispatch_widget() {
    static Widget shell = nullptr;
    if (!shell) {
        shell = XtVaAppCreateShell("harness", "Harness", applicationShellWidgetClass, display, XmNwidth, 1,
                                   XmNheight, 1, XmNmappedWhenManaged, False, nullptr);
        XtAddEventHandler(shell, NoEventMask, True, run_pending_action, nullptr);
        XtRealizeWidget(shell);
    }
    return shell;
}

void as_user(std::function<void()> action) {
    Widget target = dispatch_widget();
    pending_action = std::move(action);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = XtWindow(target);
    event.xclient.message_type = XInternAtom(display, "TARNWRIGHT_HARNESS", False);
    event.xclient.format = 32;
    XSendEvent(display, XtWindow(target), False, NoEventMask, &event);
    for (int i = 0; i < 100 && pending_action; ++i) process_events();
    if (pending_action) {
        pending_action = nullptr;
        ADD_FAILURE() << "the harness's own event never arrived";
    }
    process_events();
}

}  // namespace

void GuiTest::SetUp() {
    build_unseen_menus = true;
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    char pattern[] = "/tmp/tarnwright-gui.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
    setenv("VARO_STORE", ("sqlite:" + dir + "/varo.db").c_str(), 1);
    setenv("XDG_DATA_HOME", dir.c_str(), 1);
    setenv("XDG_STATE_HOME", dir.c_str(), 1);
    open_display();
    ASSERT_NE(display, nullptr) << "cannot open the X display";
}

void GuiTest::TearDown() {
    std::error_code ignored;
    if (!dir.empty()) std::filesystem::remove_all(dir, ignored);
}

void ensure_x_server() {
    if (!x_server_answers()) start_own_xvfb();
}

void open_display() {
    if (display) return;
    ensure_x_server();
    open_toolkit_display("tarnedit");
}

unsigned long pixel_at(Widget w, int x, int y) {
    XSync(display, False);
    XImage* image = XGetImage(display, XtWindow(w), x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return 0;
    unsigned long pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return pixel;
}

void pointer_event(Widget w, int type, unsigned int button, int x, int y, unsigned int modifiers) {
    XEvent e = {};
    e.xbutton.type = type;
    e.xbutton.display = display;
    e.xbutton.window = XtWindow(w);
    e.xbutton.root = RootWindowOfScreen(XtScreen(w));
    e.xbutton.time = CurrentTime;  // a later time than the server's would make a menu's grab fail
    e.xbutton.x = x;
    e.xbutton.y = y;
    Window child;
    XTranslateCoordinates(display, e.xbutton.window, e.xbutton.root, x, y, &e.xbutton.x_root, &e.xbutton.y_root,
                          &child);  // where a popup menu goes
    e.xbutton.state = (type == ButtonPress || button == 0 ? 0 : Button1Mask << (button - 1)) | modifiers;  // 0: a move with no button held
    e.xbutton.button = button;
    e.xbutton.same_screen = True;
    if (type == MotionNotify) e.xmotion.is_hint = NotifyNormal;
    XtDispatchEvent(&e);
    process_events();
}

unsigned long named_pixel(Widget w, const char* colour) {
    XColor screen{}, exact{};
    XAllocNamedColor(display, DefaultColormapOfScreen(XtScreen(w)), colour, &screen, &exact);
    return screen.pixel;
}

Widget test_shell() {
    static Widget shell = nullptr;
    if (shell) return shell;
    shell = XtVaAppCreateShell("tarnedit", "Tarnedit", applicationShellWidgetClass, display, XmNwidth, 600,
                               XmNheight, 400, XmNx, 0, XmNy, 0, nullptr);
    Widget form = XtVaCreateManagedWidget("testForm", xmFormWidgetClass, shell, nullptr);
    XtVaCreateManagedWidget("testButton", xmPushButtonWidgetClass, form, XmNtopAttachment, XmATTACH_FORM,
                            XmNleftAttachment, XmATTACH_FORM, nullptr);
    XtRealizeWidget(shell);
    add_root(shell);
    process_events();
    return shell;
}

bool start_editor(const std::vector<std::string>& args) {
    open_display();
    static std::vector<std::string> storage;  // argv must outlive the program's use of it
    storage.assign({"tarnedit"});
    storage.insert(storage.end(), args.begin(), args.end());
    static std::vector<char*> argv;
    argv.clear();
    for (std::string& a : storage) argv.push_back(a.data());
    argv.push_back(nullptr);
    bool connected = start_up(static_cast<int>(storage.size()), argv.data());
    add_root(te_win);
    add_root(state_diagram_win);
    process_events();
    return connected;
}

void add_root(Widget root) {
    if (root && std::find(known_roots().begin(), known_roots().end(), root) == known_roots().end())
        known_roots().push_back(root);
}

Widget find(const std::string& name) {
    Widget found = nullptr;
    walk_all([&](Widget w) {
        if (!found && name == XtName(w)) found = w;
    });
    return found;
}

std::vector<Widget> children(Widget w) {
    CompositeWidget c = reinterpret_cast<CompositeWidget>(w);
    return std::vector<Widget>(c->composite.children, c->composite.children + c->composite.num_children);
}

void walk(Widget root, const std::function<void(Widget)>& visit) {
    if (!root || root->core.being_destroyed) return;
    visit(root);
    if (XtIsComposite(root))
        for (Widget child : children(root)) walk(child, visit);
    if (XtIsWidget(root))
        for (Widget popup : std::vector<Widget>(root->core.popup_list, root->core.popup_list + root->core.num_popups))
            walk(popup, visit);
}

Widget need(const std::string& name) {
    Widget w = find(name);
    if (!w) ADD_FAILURE() << "no widget named " << name;
    return w;
}

bool build_unseen_menus = true;

namespace {
void drain_events() {
    for (int round = 0; round < 1000; ++round) {
        XSync(display, False);
        if (!XtAppPending(app_context)) break;
        while (XtAppPending(app_context)) XtAppProcessEvent(app_context, XtIMAll);
    }
}
}  // namespace

void process_events() {
    if (!display) return;
    drain_events();
    if (!build_unseen_menus) return;
    build_pending_menus();
    drain_events();  // what the menus' making brought back
}

void send_wm_delete(Display* dpy, Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(dpy, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(dpy, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy, window, False, NoEventMask, &event);
    XFlush(dpy);
}

void close_from_window_manager(Widget shell) {
    send_wm_delete(XtDisplay(shell), XtWindow(shell));
    process_events();
}

bool press(Widget button) {
    if (!usable(button, "press")) return false;
    if (is_toggle(button)) {
        bool on = !XmToggleButtonGetState(button);
        as_user([button, on] { XmToggleButtonSetState(button, on ? True : False, True); });
        return true;
    }
    if (XtHasCallbacks(button, XmNactivateCallback) == XtCallbackNoList) {
        ADD_FAILURE() << "press: " << XtName(button) << " has no activate callback list";
        return false;
    }
    as_user([button] { activate(button); });
    return true;
}

namespace {
// Typing into a text field or text: the whole contents replaced, or an insert at the cursor.
bool edit_text(Widget field, const std::string& value, bool replace, const char* what) {
    if (!usable(field, what)) return false;
    bool one_line = XmIsTextField(field);
    if (!one_line && !XmIsText(field)) {
        ADD_FAILURE() << what << ": " << XtName(field) << " is not a text field";
        return false;
    }
    if (!(one_line ? XmTextFieldGetEditable(field) : XmTextGetEditable(field))) {
        ADD_FAILURE() << what << ": " << XtName(field) << " is not editable";
        return false;
    }
    char* text = const_cast<char*>(value.c_str());
    as_user([=] {
        XmTextPosition at = one_line ? XmTextFieldGetInsertionPosition(field) : XmTextGetInsertionPosition(field);
        XmTextPosition end = !replace ? at : one_line ? XmTextFieldGetLastPosition(field) : XmTextGetLastPosition(field);
        if (replace) at = 0;
        one_line ? XmTextFieldReplace(field, at, end, text) : XmTextReplace(field, at, end, text);
    });
    process_events();
    return true;
}
}  // namespace

bool type_text(Widget field, const std::string& value) { return edit_text(field, value, true, "type_text"); }
bool insert_text(Widget field, const std::string& value) { return edit_text(field, value, false, "insert_text"); }

bool select_list_pos(Widget list, int position) {
    if (!usable(list, "select_list_pos")) return false;
    int count = 0;
    XtVaGetValues(list, XmNitemCount, &count, nullptr);
    if (position < 1 || position > count) {
        ADD_FAILURE() << "select_list_pos: " << XtName(list) << " has " << count << " items, no " << position;
        return false;
    }
    as_user([list, position] { XmListSelectPos(list, position, True); });
    return true;
}

bool select_list_item(Widget list, const std::string& item) {
    std::vector<std::string> items = list_items(list);
    auto it = std::find(items.begin(), items.end(), item);
    if (it == items.end()) {
        ADD_FAILURE() << "select_list_item: no item \"" << item << "\" in " << (list ? XtName(list) : "(null)");
        return false;
    }
    return select_list_pos(list, static_cast<int>(it - items.begin()) + 1);
}

bool activate_list_pos(Widget list, int position) {
    if (!select_list_pos(list, position)) return false;
    as_user([list, position]() mutable {
        XmStringTable items = nullptr;
        XtVaGetValues(list, XmNitems, &items, nullptr);
        XEvent event = fake_click(list);
        XmListCallbackStruct cbs{};
        cbs.reason = XmCR_DEFAULT_ACTION;
        cbs.event = &event;
        cbs.item = items[position - 1];
        cbs.item_length = XmStringLength(cbs.item);
        cbs.item_position = position;
        cbs.selected_items = &items[position - 1];
        cbs.selected_item_count = 1;
        cbs.selected_item_positions = &position;
        XtCallCallbacks(list, XmNdefaultActionCallback, &cbs);
    });
    return true;
}

bool choose_option(Widget option_menu, const std::string& entry) {
    if (!usable(option_menu, "choose_option")) return false;
    Widget pulldown = nullptr;
    XtVaGetValues(option_menu, XmNsubMenuId, &pulldown, nullptr);
    if (!pulldown) {
        ADD_FAILURE() << "choose_option: " << XtName(option_menu) << " has no pulldown";
        return false;
    }
    Widget chosen = nullptr;
    walk(pulldown, [&](Widget w) {
        if (chosen || w == pulldown) return;
        bool labelled = XmIsLabel(w) || XmIsLabelGadget(w);
        if (entry == XtName(w) || (labelled && label(w) == entry)) chosen = w;
    });
    if (!chosen) {
        ADD_FAILURE() << "choose_option: no entry \"" << entry << "\" in " << XtName(option_menu);
        return false;
    }
    if (!usable(chosen, "choose_option")) return false;
    as_user([option_menu, chosen] {
        XtVaSetValues(option_menu, XmNmenuHistory, chosen, nullptr);
        activate(chosen);
    });
    return true;
}

std::vector<std::string> list_items(Widget list) {
    std::vector<std::string> out;
    if (!list) return out;
    XmStringTable items = nullptr;
    int count = 0;
    XtVaGetValues(list, XmNitems, &items, XmNitemCount, &count, nullptr);
    for (int i = 0; i < count; ++i) out.push_back(xm_string_text(items[i]));
    return out;
}

std::vector<int> selected_positions(Widget list) {
    std::vector<int> out;
    int* positions = nullptr;
    int count = 0;
    if (list && XmListGetSelectedPos(list, &positions, &count)) {
        out.assign(positions, positions + count);
        XtFree(reinterpret_cast<char*>(positions));
    }
    return out;
}

std::string label(Widget w) { return w ? xm_resource_text(w, XmNlabelString) : std::string(); }

std::string text(Widget field) {
    char* value = !field ? nullptr : XmIsTextField(field) ? XmTextFieldGetString(field) : XmIsText(field) ? XmTextGetString(field) : nullptr;
    if (field && !value) ADD_FAILURE() << "text: " << XtName(field) << " is not a text field";
    std::string out = value ? value : "";
    XtFree(value);
    return out;
}

std::string option_value(Widget option_menu) {
    Widget current = nullptr;
    if (option_menu) XtVaGetValues(option_menu, XmNmenuHistory, &current, nullptr);
    return current ? label(current) : std::string();
}

std::string title(Widget shell) {
    char* t = nullptr;
    if (shell) XtVaGetValues(shell, XtNtitle, &t, nullptr);
    return t ? t : "";
}

bool sensitive(Widget w) { return w && XtIsSensitive(w); }

bool managed(Widget w) { return w && XtIsManaged(w); }

Widget Dialog::button(const std::string& wanted) const {
    for (Widget b : managed_buttons(box))
        if (label(b) == wanted) return b;
    ADD_FAILURE() << "dialog " << name << " has no button \"" << wanted << "\"";
    return nullptr;
}

std::vector<Dialog> open_dialogs() {
    process_events();
    std::vector<Dialog> out;
    const std::set<std::string> kinds = {"ErrorDialog", "WarningDialog", "QuestionDialog", "InformationDialog"};
    walk_all([&](Widget w) {
        if (!XmIsMessageBox(w) || !XtIsManaged(w) || !XtParent(w) || !XmIsDialogShell(XtParent(w))) return;
        if (!kinds.count(XtName(w))) return;
        Dialog d;
        d.box = w;
        d.name = XtName(w);
        d.title = title(XtParent(w));
        d.message = xm_resource_text(w, XmNmessageString);
        for (Widget b : managed_buttons(w)) d.buttons.push_back(label(b));
        Position x = 0, y = 0;
        XtVaGetValues(w, XmNdialogStyle, &d.style, nullptr);
        XtVaGetValues(XtParent(w), XmNx, &x, XmNy, &y, nullptr);
        d.x = x;
        d.y = y;
        out.push_back(d);
    });
    return out;
}

Dialog only_dialog() {
    std::vector<Dialog> dialogs = open_dialogs();
    if (dialogs.size() != 1) {
        ADD_FAILURE() << "expected one dialog up, found " << dialogs.size();
        return dialogs.empty() ? Dialog() : dialogs.back();
    }
    return dialogs.front();
}

std::vector<std::string> answer_all() {
    std::vector<std::string> seen;
    for (const Dialog& d : open_dialogs()) {
        seen.push_back(d.message);
        press(d.button(d.buttons.at(0)));
    }
    return seen;
}

void snap(Widget shell, const std::string& file) {
    const char* dir = std::getenv("TARNWRIGHT_SCREENSHOTS");
    if (!dir) return;
    process_events();
    std::string window = shell ? std::to_string(XtWindow(shell)) : "root";
    EXPECT_EQ(0, std::system(("import -window " + window + " '" + dir + "/" + file + "'").c_str()));
}

}  // namespace gui
