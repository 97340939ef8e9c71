// The floor of the editor's start-up: a bare Motif program that creates the widget trees
// written out by bench_startup (class, name, managed; the same resource file applies), shows
// the first shell, makes the same start-up report and then idles in the Xt main loop.
//
//     bench_floor_bare_motif TREE_FILE REPORT_FD
#include <X11/IntrinsicP.h>
#include <X11/Shell.h>
#include <Xm/ArrowB.h>
#include <Xm/BulletinB.h>
#include <Xm/CascadeB.h>
#include <Xm/CascadeBG.h>
#include <Xm/DialogS.h>
#include <Xm/DrawingA.h>
#include <Xm/DrawnB.h>
#include <Xm/Form.h>
#include <Xm/Frame.h>
#include <Xm/Label.h>
#include <Xm/LabelG.h>
#include <Xm/List.h>
#include <Xm/MainW.h>
#include <Xm/MenuShell.h>
#include <Xm/MessageB.h>
#include <Xm/PanedW.h>
#include <Xm/PushB.h>
#include <Xm/PushBG.h>
#include <Xm/RowColumn.h>
#include <Xm/Scale.h>
#include <Xm/ScrollBar.h>
#include <Xm/ScrolledW.h>
#include <Xm/SelectioB.h>
#include <Xm/Separator.h>
#include <Xm/SeparatoG.h>
#include <Xm/Text.h>
#include <Xm/TextF.h>
#include <Xm/ToggleB.h>
#include <Xm/ToggleBG.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

WidgetClass class_named(const std::string& name) {
    static const std::map<std::string, WidgetClass> classes = {
        {"ApplicationShell", applicationShellWidgetClass},
        {"TopLevelShell", topLevelShellWidgetClass},
        {"TransientShell", transientShellWidgetClass},
        {"XmDialogShell", xmDialogShellWidgetClass},
        {"XmMenuShell", xmMenuShellWidgetClass},
        {"XmArrowButton", xmArrowButtonWidgetClass},
        {"XmBulletinBoard", xmBulletinBoardWidgetClass},
        {"XmCascadeButton", xmCascadeButtonWidgetClass},
        {"XmCascadeButtonGadget", xmCascadeButtonGadgetClass},
        {"XmDrawingArea", xmDrawingAreaWidgetClass},
        {"XmDrawnButton", xmDrawnButtonWidgetClass},
        {"XmForm", xmFormWidgetClass},
        {"XmFrame", xmFrameWidgetClass},
        {"XmLabel", xmLabelWidgetClass},
        {"XmLabelGadget", xmLabelGadgetClass},
        {"XmList", xmListWidgetClass},
        {"XmMainWindow", xmMainWindowWidgetClass},
        {"XmMessageBox", xmMessageBoxWidgetClass},
        {"XmPanedWindow", xmPanedWindowWidgetClass},
        {"XmPushButton", xmPushButtonWidgetClass},
        {"XmPushButtonGadget", xmPushButtonGadgetClass},
        {"XmRowColumn", xmRowColumnWidgetClass},
        {"XmScale", xmScaleWidgetClass},
        {"XmScrollBar", xmScrollBarWidgetClass},
        {"XmScrolledWindow", xmScrolledWindowWidgetClass},
        {"XmSelectionBox", xmSelectionBoxWidgetClass},
        {"XmSeparator", xmSeparatorWidgetClass},
        {"XmSeparatorGadget", xmSeparatorGadgetClass},
        {"XmText", xmTextWidgetClass},
        {"XmTextField", xmTextFieldWidgetClass},
        {"XmToggleButton", xmToggleButtonWidgetClass},
        {"XmToggleButtonGadget", xmToggleButtonGadgetClass},
    };
    auto found = classes.find(name);
    // The editor's own layout widget has no Motif counterpart: a bulletin board stands in.
    return found == classes.end() ? xmBulletinBoardWidgetClass : found->second;
}

// A child its parent made itself when it was created (a message box's buttons, an option
// menu's label, a scrolled window's scroll bars).
Widget made_by_parent(Widget parent, const std::string& name, WidgetClass cls) {
    if (!XtIsComposite(parent)) return nullptr;
    CompositeWidget composite = reinterpret_cast<CompositeWidget>(parent);
    for (Cardinal i = 0; i < composite->composite.num_children; ++i) {
        Widget child = composite->composite.children[i];
        if (name == XtName(child) && XtClass(child) == cls) return child;
    }
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: bench_floor_bare_motif TREE_FILE REPORT_FD\n", stderr);
        return 1;
    }
    XtSetLanguageProc(nullptr, nullptr, nullptr);
    XtToolkitInitialize();
    XtAppContext app = XtCreateApplicationContext();
    int xargc = 1;
    char* xargv[] = {argv[0], nullptr};
    Display* display = XtOpenDisplay(app, nullptr, "tarnedit", "Tarnedit", nullptr, 0, &xargc, xargv);
    if (!display) return 255;

    // Each line: depth, class, name, managed, popup, row-column type, scrolling policy.
    std::ifstream in(argv[1]);
    std::vector<Widget> path;
    Widget root = nullptr;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::size_t depth = 0;
        std::string class_name, name;
        int managed = 0, popup = 0, rc_type = -1, scrolling = -1;
        fields >> depth >> class_name >> name >> managed >> popup >> rc_type >> scrolling;
        WidgetClass cls = class_named(class_name);
        Arg args[2];
        Cardinal n = 0;
        if (rc_type >= 0) { XtSetArg(args[n], XmNrowColumnType, rc_type); n++; }
        if (scrolling >= 0) { XtSetArg(args[n], XmNscrollingPolicy, scrolling); n++; }
        Widget w;
        if (depth == 0) {
            w = root = XtAppCreateShell(name.c_str(), "Tarnedit", cls, display, args, n);
        } else {
            if (depth > path.size()) continue;  // below a widget that could not be made
            Widget parent = path[depth - 1];
            if (popup && cls == xmMenuShellWidgetClass) {
                // As XmCreatePulldownMenu makes its shell.
                Arg shell_args[4];
                XtSetArg(shell_args[0], XmNwidth, 5);
                XtSetArg(shell_args[1], XmNheight, 5);
                XtSetArg(shell_args[2], XmNallowShellResize, True);
                XtSetArg(shell_args[3], XtNoverrideRedirect, True);
                w = XtCreatePopupShell(name.c_str(), cls, parent, shell_args, 4);
            } else if (popup) {
                w = XtCreatePopupShell(name.c_str(), cls, parent, args, n);
            } else {
                w = made_by_parent(parent, name, cls);
                if (!w && XtIsComposite(parent)) w = XtCreateWidget(name.c_str(), cls, parent, args, n);
                if (!w) continue;
                // A menu pane is managed when it is posted, not before.
                if (managed && !XtIsManaged(w) && XtClass(parent) != xmMenuShellWidgetClass) XtManageChild(w);
            }
        }
        path.resize(depth);
        path.push_back(w);
    }
    if (!root) return 2;
    XtRealizeWidget(root);
    XFlush(display);
    XmUpdateDisplay(root);

    int fd = std::atoi(argv[2]);
    if (fd > 0) {
        ssize_t ignored = write(fd, argv[0], std::strlen(argv[0]) + 1);
        (void)ignored;
        close(fd);
    }
    XtAppMainLoop(app);
}
