// hyperhelp: a small hypertext viewer for the help files of help_text.h, driven by the
// editor's help client.
//
//   hyperhelp -d <client> [-s <n>] [-display <name>] (-c <topic> <file> | -i <file>)
//
// "-d" names the client whose record on the root window's property this viewer serves: it
// writes its window into that record at once, and on each ClientMessage from the client
// reads the record's command ("-c", "-i", "-q"). "-s" other than 0 makes the X connection
// synchronous (for debugging). The viewer ends on "-q", on Close, on the window manager's
// close, and when the client's window that the record names is destroyed (the client ended,
// even without a word), clearing its window from the record.
#include <X11/Intrinsic.h>
#include <X11/Shell.h>
#include <X11/StringDefs.h>
#include <Xm/Form.h>
#include <Xm/Label.h>
#include <Xm/Protocols.h>
#include <Xm/PushB.h>
#include <Xm/RowColumn.h>
#include <Xm/Text.h>
#include <Xm/TextF.h>
#include <Xm/Xm.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "help/help_protocol.h"
#include "help/viewer/help_page.h"
#include "help/viewer/help_text.h"

namespace hp = help_protocol;
namespace ht = help_text;

namespace {


struct Texts {
    String no_topic;
    String not_found;
    String cannot_read;
    String problems;
    String untitled;
};

#define TEXT_RESOURCE(name, cls, field, value)                                                              \
    {const_cast<char*>(name), const_cast<char*>(cls), XtRString, sizeof(String),                            \
     static_cast<Cardinal>(offsetof(Texts, field)), XtRString, const_cast<char*>(value)}
XtResource text_resources[] = {
    TEXT_RESOURCE("noTopic", "NoTopic", no_topic, "Topic %d is not in this help file."),
    TEXT_RESOURCE("notFound", "NotFound", not_found, "Not found: %s"),
    TEXT_RESOURCE("cannotRead", "CannotRead", cannot_read, "Can't read help file %s: %s"),
    TEXT_RESOURCE("problems", "Problems", problems, "%d problems in help file %s; the first: line %d, %s"),
    TEXT_RESOURCE("untitled", "Untitled", untitled, "Help"),
};
#undef TEXT_RESOURCE

struct Viewer {
    long client = -1;
    int sync = 0;
    std::string display_name;
    std::string first_command;

    Texts texts{};
    Display* dpy = nullptr;
    Atom atom = None;
    Widget shell = nullptr, page = nullptr, status = nullptr, find_field = nullptr, back_button = nullptr;

    Window client_window = None;  // watched: its end is the client's

    std::string file;  // loaded; "" while none could be
    ht::Document doc;
    int current = -1;  // topic number shown
    std::vector<int> history;
};
Viewer v;

void usage() {
    std::fputs("usage: hyperhelp -d <client> [-s <n>] [-display <name>] (-c <topic> <file> | -i <file>)\n", stderr);
    std::exit(2);
}

// Fills %d and %s of a resource text, in order.
std::string fill(const char* format, std::initializer_list<std::string> args) {
    std::string out;
    auto next = args.begin();
    for (const char* p = format; *p; ++p) {
        if (*p == '%' && (p[1] == 's' || p[1] == 'd')) {
            if (next != args.end()) out += *next++;
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

void set_status(const std::string& text) {
    XmString s = XmStringCreateLocalized(const_cast<char*>(text.empty() ? " " : text.c_str()));
    XtVaSetValues(v.status, XmNlabelString, s, nullptr);
    XmStringFree(s);
}

// A file that cannot be shown says why where the user looks and where a log goes; the page
// shown before (if any) stays.
bool load(const std::string& path) {
    if (path == v.file) return true;
    ht::Parsed parsed = ht::read_file(path);
    if (!parsed.refused.empty()) {
        std::string why = fill(v.texts.cannot_read, {path, parsed.refused});
        set_status(why);
        std::fprintf(stderr, "%s\n", why.c_str());
        return false;
    }
    v.doc = std::move(parsed.document);
    v.file = path;
    v.current = -1;
    v.history.clear();
    if (!parsed.problems.empty()) {
        const ht::Problem& p = parsed.problems.front();
        std::fprintf(stderr, "%s\n",
                     fill(v.texts.problems, {std::to_string(parsed.problems.size()), path, std::to_string(p.line), p.what})
                         .c_str());
    }
    return true;
}

void show(int number, bool remember) {
    if (v.file.empty()) return;  // the status line says why
    const ht::Topic* topic = v.doc.find(number);
    std::string note;
    if (!topic) {
        note = fill(v.texts.no_topic, {std::to_string(number)});
        topic = v.doc.find(ht::CONTENTS);
        if (!topic && !v.doc.topics.empty()) topic = &v.doc.topics.front();
        if (!topic) {
            set_status(note);
            return;
        }
    }
    if (remember && v.current >= 0 && v.current != topic->number) v.history.push_back(v.current);
    v.current = topic->number;
    help_page::fill(v.page, *topic);
    std::string title = v.doc.title.empty() ? v.texts.untitled : v.doc.title;
    if (!topic->title.empty()) title += ": " + topic->title;
    XtVaSetValues(v.shell, XmNtitle, title.c_str(), XmNiconName, title.c_str(), nullptr);
    XtSetSensitive(v.back_button, !v.history.empty());
    set_status(note);
}

// Clears this viewer's window (and the command it has done) from its record.
void unregister() {
    if (!v.dpy || v.atom == None || !v.shell || !XtIsRealized(v.shell)) return;
    XGrabServer(v.dpy);
    Atom type;
    int format;
    unsigned long items, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(v.dpy, DefaultRootWindow(v.dpy), v.atom, 0, hp::PROPERTY_READ_UNITS, False,
                           AnyPropertyType, &type, &format, &items, &after, &data) == Success) {
        std::vector<hp::Record> records = hp::read_records(data, format == 8 ? items : 0, format, type == v.atom);
        hp::Record* r = hp::find_record(records, static_cast<std::uint32_t>(v.client));
        if (r && r->window() == XtWindow(v.shell)) {
            r->set_window(0);
            r->set_command("");
            std::vector<unsigned char> bytes = hp::write_records(records);
            XChangeProperty(v.dpy, DefaultRootWindow(v.dpy), v.atom, v.atom, 8, PropModeReplace, bytes.data(),
                            static_cast<int>(bytes.size()));
        }
    }
    if (data) XFree(data);
    XUngrabServer(v.dpy);
    XSync(v.dpy, False);
}

[[noreturn]] void quit() {
    unregister();
    std::exit(0);
}

void run(const std::string& text) {
    hp::Command cmd = hp::parse_command(text);
    switch (cmd.verb) {
    case hp::Verb::Topic:
        if (load(cmd.file)) show(static_cast<int>(cmd.number), true);
        break;
    case hp::Verb::Contents:
        if (load(cmd.file)) show(ht::CONTENTS, true);
        break;
    case hp::Verb::Quit:
        if (cmd.number == v.client) quit();
        return;
    case hp::Verb::Invalid:
        return;
    }
    XMapRaised(v.dpy, XtWindow(v.shell));
}

struct Taken {
    std::string command;
    Window client_window = None;
};

// The command and the client's window in this client's record; with write, puts our window
// into it (adding the record when there is none) in the same grab.
Taken take_record(bool write) {
    Taken taken;
    XGrabServer(v.dpy);
    Atom type;
    int format;
    unsigned long items, after;
    unsigned char* data = nullptr;
    std::vector<hp::Record> records;
    if (XGetWindowProperty(v.dpy, DefaultRootWindow(v.dpy), v.atom, 0, hp::PROPERTY_READ_UNITS, False,
                           AnyPropertyType, &type, &format, &items, &after, &data) == Success)
        records = hp::read_records(data, format == 8 ? items : 0, format, type == v.atom);
    if (data) XFree(data);
    hp::Record* r = hp::find_record(records, static_cast<std::uint32_t>(v.client));
    if (write) {
        if (!r && records.size() < hp::MAX_RECORDS) {
            records.push_back(hp::Record::for_client(static_cast<std::uint32_t>(v.client)));
            r = &records.back();
        }
        if (r) {
            r->set_window(static_cast<std::uint32_t>(XtWindow(v.shell)));
            std::vector<unsigned char> bytes = hp::write_records(records);
            XChangeProperty(v.dpy, DefaultRootWindow(v.dpy), v.atom, v.atom, 8, PropModeReplace, bytes.data(),
                            static_cast<int>(bytes.size()));
        }
    }
    if (r) taken = {r->command(), r->client_window()};
    XUngrabServer(v.dpy);
    XFlush(v.dpy);
    return taken;
}

bool watch_failed = false;
int note_watch_failure(Display*, XErrorEvent*) {
    watch_failed = true;
    return 0;
}

// Follows the client's window: its DestroyNotify ends the viewer (see main), and a window
// already gone ends it now. A client that names none is not followed.
void watch_client(Window window) {
    if (window == None || window == v.client_window) return;
    XSync(v.dpy, False);
    XErrorHandler previous = XSetErrorHandler(note_watch_failure);
    if (v.client_window != None) XSelectInput(v.dpy, v.client_window, NoEventMask);
    XSync(v.dpy, False);
    watch_failed = false;
    XSelectInput(v.dpy, window, StructureNotifyMask);
    XSync(v.dpy, False);
    XSetErrorHandler(previous);
    if (watch_failed) quit();
    v.client_window = window;
}

void on_client_message(Widget, XtPointer, XEvent* event, Boolean*) {
    if (event->type != ClientMessage || event->xclient.message_type != v.atom || event->xclient.format != 8) return;
    char id[sizeof event->xclient.data.b + 1] = {};
    std::memcpy(id, event->xclient.data.b, sizeof event->xclient.data.b);
    char* end = nullptr;
    long client = std::strtol(id, &end, 10);
    if (end == id || *end || client != v.client) return;
    Taken taken = take_record(false);
    watch_client(taken.client_window);
    run(taken.command);
}

void contents_cb(Widget, XtPointer, XtPointer) { show(ht::CONTENTS, true); }

void back_cb(Widget, XtPointer, XtPointer) {
    if (v.history.empty()) return;
    int previous = v.history.back();
    v.history.pop_back();
    show(previous, false);
}

void close_cb(Widget, XtPointer, XtPointer) { quit(); }

void find_cb(Widget, XtPointer, XtPointer) {
    char* raw = XmTextFieldGetString(v.find_field);
    std::string needle = raw ? raw : "";
    XtFree(raw);
    if (needle.empty() || v.doc.topics.empty()) return;
    ht::Place from;
    for (std::size_t i = 0; i < v.doc.topics.size(); ++i)
        if (v.doc.topics[i].number == v.current) from.topic = i;
    XmTextPosition left, right;
    from.offset = XmTextGetSelectionPosition(v.page, &left, &right) ? static_cast<std::size_t>(left) + 1
                                                                     : static_cast<std::size_t>(XmTextGetInsertionPosition(v.page));
    ht::Place found;
    if (!ht::find_next(v.doc, needle, from, found)) {
        set_status(fill(v.texts.not_found, {needle}));
        return;
    }
    const ht::Topic& topic = v.doc.topics[found.topic];
    if (topic.number != v.current) show(topic.number, true);
    XmTextPosition at = static_cast<XmTextPosition>(found.offset);
    XmTextSetSelection(v.page, at, at + static_cast<XmTextPosition>(needle.size()), CurrentTime);
    XmTextShowPosition(v.page, at);
}

void follow(XmTextPosition position) {
    const ht::Topic* topic = v.doc.find(v.current);
    if (!topic || position < 0) return;
    if (const ht::Link* link = ht::link_at(*topic, static_cast<std::size_t>(position))) show(link->target, true);
}

void on_click(Widget, XtPointer, XEvent* event, Boolean*) {
    if (event->type != ButtonRelease || event->xbutton.button != Button1) return;
    XmTextPosition left, right;
    if (XmTextGetSelectionPosition(v.page, &left, &right) && left != right) return;  // a drag selects
    follow(XmTextXYToPos(v.page, static_cast<Position>(event->xbutton.x), static_cast<Position>(event->xbutton.y)));
}

// Return on a link follows it, for the keyboard.
void follow_link_action(Widget, XEvent*, String*, Cardinal*) { follow(XmTextGetInsertionPosition(v.page)); }

void on_wm_close(Widget, XtPointer, XtPointer) { quit(); }

Widget push(Widget parent, const char* name, XtCallbackProc cb) {
    Widget b = XmCreatePushButton(parent, const_cast<char*>(name), nullptr, 0);
    XtAddCallback(b, XmNactivateCallback, cb, nullptr);
    XtManageChild(b);
    return b;
}

void build(XtAppContext app) {
    Widget form = XmCreateForm(v.shell, const_cast<char*>("form"), nullptr, 0);
    Widget bar = XtVaCreateManagedWidget("bar", xmRowColumnWidgetClass, form, XmNorientation, XmHORIZONTAL,
                                         XmNtopAttachment, XmATTACH_FORM, XmNleftAttachment, XmATTACH_FORM,
                                         XmNrightAttachment, XmATTACH_FORM, nullptr);
    push(bar, "contents", contents_cb);
    v.back_button = push(bar, "back", back_cb);
    XtManageChild(XmCreateLabel(bar, const_cast<char*>("findLabel"), nullptr, 0));
    v.find_field = XmCreateTextField(bar, const_cast<char*>("find"), nullptr, 0);
    XtAddCallback(v.find_field, XmNactivateCallback, find_cb, nullptr);
    XtManageChild(v.find_field);
    push(bar, "findNext", find_cb);
    push(bar, "close", close_cb);

    v.status = XtVaCreateManagedWidget("status", xmLabelWidgetClass, form, XmNleftAttachment, XmATTACH_FORM,
                                       XmNrightAttachment, XmATTACH_FORM, XmNbottomAttachment, XmATTACH_FORM, nullptr);
    v.page = help_page::create(form, "page");
    XtVaSetValues(XtParent(v.page), XmNtopAttachment, XmATTACH_WIDGET, XmNtopWidget, bar, XmNleftAttachment,
                  XmATTACH_FORM, XmNrightAttachment, XmATTACH_FORM, XmNbottomAttachment, XmATTACH_WIDGET,
                  XmNbottomWidget, v.status, nullptr);
    XtManageChild(v.page);
    XtAddEventHandler(v.page, ButtonReleaseMask, False, on_click, nullptr);
    XtActionsRec actions[] = {{const_cast<char*>("follow-link"), follow_link_action}};
    XtAppAddActions(app, actions, 1);
    XtOverrideTranslations(v.page, XtParseTranslationTable("<Key>Return: follow-link()"));
    XtManageChild(form);
}

void parse_arguments(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) usage();
            return argv[++i];
        };
        if (a == "-d") {
            v.client = std::strtol(value().c_str(), nullptr, 10);
        } else if (a == "-s") {
            v.sync = std::atoi(value().c_str());
        } else if (a == "-display") {
            v.display_name = value();
        } else if (a == "-c") {
            std::string topic = value();
            v.first_command = hp::topic_command(std::atoi(topic.c_str()), value());
        } else if (a == "-i") {
            v.first_command = hp::contents_command(value());
        } else {
            usage();
        }
    }
    if (v.client < 0 || v.first_command.empty()) usage();
}
}  // namespace

int main(int argc, char** argv) {
    parse_arguments(argc, argv);
    XtSetLanguageProc(nullptr, nullptr, nullptr);
    XtToolkitInitialize();
    XtAppContext app = XtCreateApplicationContext();
    XtAppSetFallbackResources(app, help_page::fallback_resources());
    int no_args = 1;
    char* name = const_cast<char*>("hyperhelp");
    v.dpy = XtOpenDisplay(app, v.display_name.empty() ? nullptr : v.display_name.c_str(), name, "Hyperhelp", nullptr, 0,
                          &no_args, &name);
    if (!v.dpy) {
        std::fprintf(stderr, "hyperhelp: can't open display %s\n", v.display_name.c_str());
        return 1;
    }
    if (v.sync) XSynchronize(v.dpy, True);
    v.shell = XtVaAppCreateShell(name, "Hyperhelp", applicationShellWidgetClass, v.dpy, XmNdeleteResponse,
                                 XmDO_NOTHING, nullptr);
    XtGetApplicationResources(v.shell, &v.texts, text_resources, XtNumber(text_resources), nullptr, 0);
    build(app);
    Atom wm_delete = XmInternAtom(v.dpy, const_cast<char*>("WM_DELETE_WINDOW"), False);
    XmAddWMProtocolCallback(v.shell, wm_delete, on_wm_close, nullptr);
    XtAddEventHandler(v.shell, NoEventMask, True, on_client_message, nullptr);
    XtRealizeWidget(v.shell);
    v.atom = XInternAtom(v.dpy, hp::ATOM_NAME, False);

    // The record's command is newer than ours when the client was pressed again meanwhile.
    Taken pending = take_record(true);
    watch_client(pending.client_window);
    run(hp::parse_command(pending.command).verb != hp::Verb::Invalid ? pending.command : v.first_command);
    if (v.current < 0) show(ht::CONTENTS, false);
    for (;;) {
        XEvent event;
        XtAppNextEvent(app, &event);
        if (event.type == DestroyNotify && v.client_window != None && event.xdestroywindow.window == v.client_window)
            quit();
        XtDispatchEvent(&event);
    }
}
