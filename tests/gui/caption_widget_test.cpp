// The caption widget under the X server: its children's geometry, the reference alignment,
// constraint changes.
#include <gtest/gtest.h>

#include <X11/IntrinsicP.h>
#include <X11/Shell.h>
#include <Xm/BulletinB.h>
#include <Xm/Label.h>
#include <Xm/TextF.h>

#include <string>
#include <vector>

#include "base/globals.h"
#include "support/gui_harness.h"
#include "ui/captionP.h"

namespace {

class CaptionWidget : public gui::GuiTest {
protected:
    void SetUp() override { gui::GuiTest::SetUp(); shell = new_shell(); }
    Widget new_shell() { return XtVaAppCreateShell("tarnedit", "Tarnedit", applicationShellWidgetClass, display, nullptr); }

    Widget caption(const char* name, Widget parent = nullptr) { return PsCreateCaption(parent ? parent : shell, name, nullptr, 0); }
    Widget label(Widget parent, const char* text) { return XtVaCreateManagedWidget(text, xmLabelWidgetClass, parent, nullptr); }
    Widget field(Widget parent, const char* name, short columns = 20) {
        return XtVaCreateManagedWidget(name, xmTextFieldWidgetClass, parent, XmNcolumns, columns, nullptr);
    }
    // A managed caption with one row per caption text.
    Widget rows(const char* name, Widget parent, std::initializer_list<const char*> captions) {
        Widget c = caption(name, parent);
        for (const char* text : captions) {
            label(c, text);
            field(c, "f");
        }
        XtManageChild(c);
        return c;
    }
    void realize(Widget c) {
        XtManageChild(c);
        XtRealizeWidget(shell);
        gui::process_events();
    }

    Widget shell = nullptr;
};

PsCaptionPart* part(Widget w) {
    return reinterpret_cast<PsCaptionPart*>(reinterpret_cast<char*>(w) + psCaptionOffsets[PsCaptionIndex]);
}
int right(Widget w) { return w->core.x + w->core.width + 2 * w->core.border_width; }
int middle(Widget w) { return w->core.y + (w->core.height + 2 * w->core.border_width) / 2; }
int bottom(Widget w) { return w->core.y + w->core.height + 2 * w->core.border_width; }

}  // namespace

TEST_F(CaptionWidget, LabelsRightAlignedFieldsAtSpacingRowsEightApartCentred) {
    Widget c = caption("c");
    Widget l1 = label(c, "Name:");
    Widget f1 = field(c, "f1");
    Widget l2 = label(c, "Severity:");
    Widget f2 = field(c, "f2");
    realize(c);

    EXPECT_EQ(right(l1), right(l2));
    EXPECT_EQ(2, l2->core.x);  // the wider caption starts at the margin
    EXPECT_EQ(right(l2) + 2, f1->core.x);
    EXPECT_EQ(f1->core.x, f2->core.x);
    EXPECT_EQ(2, f1->core.y);
    EXPECT_EQ(bottom(f1) + 8, f2->core.y);
    EXPECT_LE(std::abs(middle(l1) - middle(f1)), 1);
    EXPECT_LE(std::abs(middle(l2) - middle(f2)), 1);
    EXPECT_EQ(right(f1) + 2, c->core.width);
    // The height sum starts at one pixel (so that an empty widget is 5 high).
    EXPECT_EQ(bottom(f2) + 2 + 1, c->core.height);
}

TEST_F(CaptionWidget, ReferenceWidgetsShareOneColumn) {
    Widget form = XtVaCreateManagedWidget("box", xmBulletinBoardWidgetClass, shell, nullptr);
    Widget wide = rows("wide", form, {"A much longer caption:"});
    Widget narrow = caption("narrow", form);
    Widget short_label = label(narrow, "To:");
    Widget f2 = field(narrow, "f2");
    XtVaSetValues(narrow, PsNreferenceWidget, wide, nullptr);
    XtManageChild(narrow);
    XtVaSetValues(wide, PsNreferenceWidget, narrow, nullptr);
    XtRealizeWidget(shell);

    Dimension wide_width = 0, narrow_width = 0;
    XtVaGetValues(wide, PsNcaptionWidth, &wide_width, nullptr);
    XtVaGetValues(narrow, PsNcaptionWidth, &narrow_width, nullptr);
    EXPECT_GT(wide_width, narrow_width);
    PsCaptionPart* np = part(narrow);
    EXPECT_EQ(part(wide)->column_width, np->column_width);
    EXPECT_EQ(wide_width, np->column_width);
    // The narrow one's fields line up with the wide one's column...
    EXPECT_EQ(2 + wide_width + 2, f2->core.x);
    EXPECT_EQ(2 + wide_width, right(short_label));
    // ...but its preferred width counts only its own captions, less than the column needs.
    XtWidgetGeometry f2_preferred;
    XtQueryGeometry(f2, nullptr, &f2_preferred);
    EXPECT_EQ(narrow_width + 2 + f2_preferred.width + 4, np->preferred_width);
    EXPECT_LT(np->preferred_width, wide_width + 2 + f2_preferred.width + 4);
}

// A reference destroyed first is forgotten and the survivors lay out without it; a caption
// destroyed first leaves nothing behind in its old or current reference. The sanitizer build
// checks every access.
TEST_F(CaptionWidget, DestroyedReferenceIsForgotten) {
    Widget form = XtVaCreateManagedWidget("box", xmBulletinBoardWidgetClass, shell, nullptr);
    Widget a = rows("a", form, {"Caption:"}), b = rows("b", form, {"Caption:"}), c = rows("c", form, {"Caption:"});
    XtVaSetValues(a, PsNreferenceWidget, b, nullptr);
    XtVaSetValues(b, PsNreferenceWidget, a, nullptr);
    XtVaSetValues(c, PsNreferenceWidget, a, nullptr);
    XtVaSetValues(c, PsNreferenceWidget, b, nullptr);
    realize(form);

    XtDestroyWidget(b);
    for (Widget w : {a, c}) {
        Widget reference = shell;
        XtVaGetValues(w, PsNreferenceWidget, &reference, nullptr);
        EXPECT_EQ(nullptr, reference) << XtName(w);
        label(w, "A longer caption:");
        field(w, "g");  // a new row: size and layout run again
        EXPECT_EQ(part(w)->caption_width, part(w)->column_width) << XtName(w) << " has a column of its own";
    }
    XtDestroyWidget(c);
    XtDestroyWidget(a);  // c once referred to it
    gui::process_events();
}

// A constraint change relays the rows out whether it comes before the widget is realized or
// after: the changed child keeps its border and the rows below stay where they belong.
TEST_F(CaptionWidget, ConstraintChangeRelaysOutBeforeAndAfterRealize) {
    for (bool realized : {false, true}) {
        SCOPED_TRACE(realized ? "after realize" : "before realize");
        Widget top = new_shell();
        Widget c = caption("c", top);
        Widget l1 = label(c, "Name:");
        Widget f1 = field(c, "f1", 10);
        label(c, "Longer caption:");
        Widget f2 = field(c, "f2", 30);
        XtManageChild(c);
        if (realized) XtRealizeWidget(top);
        XtVaSetValues(f1, PsNstretchHorizontal, True, nullptr);
        XtVaSetValues(l1, PsNcaptionAlignment, PsCAPTION_TOP, nullptr);
        if (!realized) XtRealizeWidget(top);
        gui::process_events();

        EXPECT_EQ(0, f1->core.border_width);
        EXPECT_EQ(0, l1->core.border_width);
        EXPECT_FALSE(part(c)->constraint_change_pending);
        EXPECT_EQ(right(f2), right(f1)) << "the stretched field reaches the right margin";
        EXPECT_EQ(f1->core.y, l1->core.y) << "the caption sits at the top of its row";
        EXPECT_EQ(bottom(f1) + 8, f2->core.y);
        XtDestroyWidget(top);
    }
}
