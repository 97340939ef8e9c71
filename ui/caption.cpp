// The PsCaption widget: class record, resources and the Intrinsics procedures. The size and
// layout arithmetic is in caption_layout.cpp.
#include "ui/captionP.h"

#include <Xm/BaseClassP.h>
#include <Xm/RepType.h>
#include <Xm/PrimitiveP.h>

#include <vector>

#include "base/messages.h"
#include "ui/caption_layout.h"

XmOffsetPtr psCaptionOffsets = nullptr;
XmOffsetPtr psCaptionConstraintOffsets = nullptr;

namespace {

// Parts are reached through the offsets resolved at class initialisation, which need not
// match a compile-time record (Motif aligns the constraint part to 8 bytes).
PsCaptionPart* part(Widget w)
{
    return reinterpret_cast<PsCaptionPart*>(reinterpret_cast<char*>(w) + psCaptionOffsets[PsCaptionIndex]);
}
PsCaptionConstraintPart* constraints(Widget child)
{
    return reinterpret_cast<PsCaptionConstraintPart*>(static_cast<char*>(child->core.constraints) +
                                                      psCaptionConstraintOffsets[PsCaptionIndex]);
}
PsCaptionClassPart* class_part(Widget w)
{
    return &reinterpret_cast<PsCaptionClassRec*>(XtClass(w))->caption_class;
}

char* str(const char* s) { return const_cast<char*>(s); }

XtResource resources[] = {
    {str(XmNmarginWidth), str(XmCMarginWidth), str(XmRHorizontalDimension), sizeof(Dimension),
     XmPartOffset(PsCaption, margin_width), str(XmRImmediate), reinterpret_cast<XtPointer>(2)},
    {str(XmNmarginHeight), str(XmCMarginHeight), str(XmRVerticalDimension), sizeof(Dimension),
     XmPartOffset(PsCaption, margin_height), str(XmRImmediate), reinterpret_cast<XtPointer>(2)},
    {str(PsNhorizontalSpacing), str(PsCHorizontalSpacing), str(XmRHorizontalDimension), sizeof(Dimension),
     XmPartOffset(PsCaption, horizontal_spacing), str(XmRImmediate), reinterpret_cast<XtPointer>(2)},
    {str(PsNverticalSpacing), str(PsCVerticalSpacing), str(XmRVerticalDimension), sizeof(Dimension),
     XmPartOffset(PsCaption, vertical_spacing), str(XmRImmediate), reinterpret_cast<XtPointer>(8)},
    {str(PsNcaptionWidth), str(PsCCaptionWidth), str(XmRHorizontalDimension), sizeof(Dimension),
     XmPartOffset(PsCaption, caption_width), str(XmRImmediate), reinterpret_cast<XtPointer>(0)},
    {str(PsNreferenceCaptionWidth), str(PsCReferenceCaptionWidth), str(XmRHorizontalDimension), sizeof(Dimension),
     XmPartOffset(PsCaption, reference_caption_width), str(XmRImmediate), reinterpret_cast<XtPointer>(0)},
    {str(PsNreferenceWidget), str(XmCWidget), str(XmRWidget), sizeof(Widget),
     XmPartOffset(PsCaption, reference_widget), str(XmRImmediate), nullptr},
};

XmSyntheticResource synthetic_resources[] = {
    {str(XmNmarginWidth), sizeof(Dimension), XmPartOffset(PsCaption, margin_width), XmeFromHorizontalPixels,
     XmeToHorizontalPixels},
    {str(XmNmarginHeight), sizeof(Dimension), XmPartOffset(PsCaption, margin_height), XmeFromVerticalPixels,
     XmeToVerticalPixels},
    {str(PsNhorizontalSpacing), sizeof(Dimension), XmPartOffset(PsCaption, horizontal_spacing),
     XmeFromHorizontalPixels, XmeToHorizontalPixels},
    {str(PsNverticalSpacing), sizeof(Dimension), XmPartOffset(PsCaption, vertical_spacing), XmeFromVerticalPixels,
     XmeToVerticalPixels},
};

XtResource constraint_resources[] = {
    {str(PsNcaptionAlignment), str(PsCCaptionAlignment), str(PsRCaptionAlignment), sizeof(unsigned char),
     XmConstraintPartOffset(PsCaption, alignment), str(XmRImmediate), reinterpret_cast<XtPointer>(PsCAPTION_CENTER)},
    {str(PsNstretchHorizontal), str(PsCStretchHorizontal), str(XmRBoolean), sizeof(Boolean),
     XmConstraintPartOffset(PsCaption, stretch_horizontal), str(XmRImmediate), reinterpret_cast<XtPointer>(False)},
    {str(PsNstretchVertical), str(PsCStretchVertical), str(XmRBoolean), sizeof(Boolean),
     XmConstraintPartOffset(PsCaption, stretch_vertical), str(XmRImmediate), reinterpret_cast<XtPointer>(False)},
};

bool is_separator(Widget w)
{
    return _XmIsFastSubclass(XtClass(w), XmSEPARATOR_BIT) || _XmIsFastSubclass(XtClass(w), XmSEPARATOR_GADGET_BIT);
}

// Managed rectangle children, in order.
std::vector<Widget> counted_children(Widget self)
{
    CompositeWidget cw = reinterpret_cast<CompositeWidget>(self);
    std::vector<Widget> kids;
    for (Cardinal i = 0; i < cw->composite.num_children; ++i) {
        Widget c = cw->composite.children[i];
        if (XtIsRectObj(c) && XtIsManaged(c)) kids.push_back(c);
    }
    return kids;
}

ChildSize current_size(Widget child)
{
    ChildSize s;
    s.width = child->core.width;
    s.height = child->core.height;
    s.border = child->core.border_width;
    return s;
}

ChildSize preferred_size(Widget self, Widget child)
{
    ChildSize s = current_size(child);
    if (child == part(self)->handled_child) return s;
    XtWidgetGeometry reply;
    XtQueryGeometry(child, nullptr, &reply);
    if (reply.request_mode & CWWidth) s.width = reply.width;
    if (reply.request_mode & CWHeight) s.height = reply.height;
    return s;
}

// The rows with their children: a separator row has only `first`; a caption without a value
// is left out.
struct RowWidgets {
    Widget first;
    Widget value;
};

std::vector<RowWidgets> collect_rows(Widget self, std::vector<CaptionRow>& rows)
{
    std::vector<Widget> kids = counted_children(self);
    std::vector<RowWidgets> widgets;
    for (std::size_t i = 0; i < kids.size(); ++i) {
        CaptionRow row;
        if (is_separator(kids[i])) {
            row.separator = true;
            row.caption_preferred = preferred_size(self, kids[i]);
            rows.push_back(row);
            widgets.push_back({kids[i], nullptr});
            continue;
        }
        if (i + 1 >= kids.size()) break;
        Widget caption = kids[i], value = kids[i + 1];
        ++i;
        row.caption_preferred = preferred_size(self, caption);
        row.caption_current = current_size(caption);
        row.value_preferred = preferred_size(self, value);
        row.alignment = constraints(caption)->alignment;
        row.stretch_horizontal = constraints(value)->stretch_horizontal;
        row.stretch_vertical = constraints(value)->stretch_vertical;
        rows.push_back(row);
        widgets.push_back({caption, value});
    }
    return widgets;
}

CaptionSpacing spacing_of(Widget self)
{
    PsCaptionPart* p = part(self);
    CaptionSpacing s;
    s.margin_width = p->margin_width;
    s.margin_height = p->margin_height;
    s.horizontal_spacing = p->horizontal_spacing;
    s.vertical_spacing = p->vertical_spacing;
    return s;
}

Dimension dimension(int v)
{
    return static_cast<Dimension>(v < 0 ? 0 : v > 65535 ? 65535 : v);
}

bool is_caption(Widget w)
{
    return w && XtIsSubclass(w, psCaptionWidgetClass);
}

// A reference widget destroyed first is forgotten, so that no later layout reads it; a caption
// destroyed first stops its reference from pointing back at it.
void forget_reference(Widget, XtPointer client_data, XtPointer)
{
    part(static_cast<Widget>(client_data))->reference_widget = nullptr;
}

void follow_reference(Widget self, Widget old_reference, Widget new_reference)
{
    if (old_reference == new_reference) return;
    if (old_reference) XtRemoveCallback(old_reference, XtNdestroyCallback, forget_reference, self);
    if (new_reference) XtAddCallback(new_reference, XtNdestroyCallback, forget_reference, self);
}

void leave_reference(Widget self, XtPointer, XtPointer)
{
    follow_reference(self, part(self)->reference_widget, nullptr);
    part(self)->reference_widget = nullptr;
}

void size_procedure(Widget self, Dimension* width, Dimension* height)
{
    std::vector<CaptionRow> rows;
    collect_rows(self, rows);
    CaptionSizes s = caption_size(rows, spacing_of(self));
    PsCaptionPart* p = part(self);
    p->caption_width = dimension(s.caption_width);
    Widget reference = is_caption(p->reference_widget) ? p->reference_widget : nullptr;
    if (reference) {
        p->reference_caption_width = part(reference)->caption_width;
        part(reference)->reference_caption_width = p->caption_width;
    }
    p->column_width = dimension(caption_column(p->caption_width, reference != nullptr, p->reference_caption_width));
    p->min_stretch_height = dimension(s.min_stretch_height);
    p->fixed_height = dimension(s.fixed_height);
    p->stretchable_height = dimension(s.stretchable_height);
    if (p->width_computed) p->preferred_width = dimension(s.preferred_width);
    if (p->height_computed) p->preferred_height = dimension(s.preferred_height);
    if (width) *width = p->preferred_width;
    if (height) *height = p->preferred_height;
}

void run_size_procedure(Widget self, Dimension* width, Dimension* height)
{
    class_part(self)->size(self, width, height);
}

void place(Widget self, Widget child, const ChildPlace& at)
{
    if (child == part(self)->handled_child) {
        child->core.x = static_cast<Position>(at.x);
        child->core.y = static_cast<Position>(at.y);
        child->core.width = dimension(at.width);
        child->core.height = dimension(at.height);
        child->core.border_width = dimension(at.border);
        return;
    }
    XtConfigureWidget(child, static_cast<Position>(at.x), static_cast<Position>(at.y), dimension(at.width),
                      dimension(at.height), dimension(at.border));
}

void layout(Widget self)
{
    std::vector<CaptionRow> rows;
    std::vector<RowWidgets> widgets = collect_rows(self, rows);
    PsCaptionPart* p = part(self);
    CaptionSizes sizes;
    sizes.fixed_height = p->fixed_height;
    sizes.min_stretch_height = p->min_stretch_height;
    sizes.stretchable_height = p->stretchable_height;
    std::vector<RowPlace> places =
        caption_layout(rows, spacing_of(self), sizes, p->column_width, self->core.width, self->core.height);
    for (std::size_t i = 0; i < places.size(); ++i) {
        place(self, widgets[i].first, places[i].caption);
        if (widgets[i].value) place(self, widgets[i].value, places[i].value);
    }
}

// Asks the parent for the preferred size, taking its counter-proposals. Bounded, so that a
// parent that keeps proposing cannot hang the program.
void request_preferred_size(Widget self)
{
    PsCaptionPart* p = part(self);
    Dimension w = p->preferred_width, h = p->preferred_height;
    XtGeometryResult result = XtMakeResizeRequest(self, w, h, &w, &h);
    for (int tries = 0; result == XtGeometryAlmost && tries < 4; ++tries) result = XtMakeResizeRequest(self, w, h, &w, &h);
}

void warn(Widget w, MessageId number)
{
    XtAppWarning(XtWidgetToApplicationContext(w), str(message_text(number)));
}

bool derives_from(WidgetClass wc, WidgetClass base)
{
    for (; wc; wc = wc->core_class.superclass)
        if (wc == base) return true;
    return false;
}

void resolve(XmSyntheticResource* list, int count, XmOffsetPtr offsets)
{
    for (int i = 0; i < count; ++i) {
        Cardinal encoded = list[i].resource_offset;
        list[i].resource_offset =
            static_cast<Cardinal>(offsets[encoded >> XmOFFSETBITS] + static_cast<XmOffset>(encoded & XmOFFSETMASK));
    }
}

// --- Intrinsics procedures ---

void class_initialize()
{
    static const char* names[] = {"caption_top", "caption_center", "caption_bottom"};
    psCaptionClassRec.caption_class.alignment_rep_type =
        XmRepTypeRegister(str(PsRCaptionAlignment), const_cast<String*>(names), nullptr, XtNumber(names));
    XmResolveAllPartOffsets(psCaptionWidgetClass, &psCaptionOffsets, &psCaptionConstraintOffsets);
    PsResolveAllSyntheticOffsets(psCaptionWidgetClass, psCaptionOffsets, psCaptionConstraintOffsets);
}

void class_part_initialize(WidgetClass wc)
{
    if (wc == psCaptionWidgetClass) return;
    auto* self = reinterpret_cast<PsCaptionClassRec*>(wc);
    auto* super = reinterpret_cast<PsCaptionClassRec*>(wc->core_class.superclass);
    self->caption_class.alignment_rep_type = super->caption_class.alignment_rep_type;
    if (self->caption_class.size == PsInheritSizeProc) self->caption_class.size = super->caption_class.size;
}

void initialize(Widget, Widget w, ArgList, Cardinal*)
{
    PsCaptionPart* p = part(w);
    p->constraint_change_pending = False;
    p->handled_child = nullptr;
    follow_reference(w, nullptr, p->reference_widget);
    XtAddCallback(w, XtNdestroyCallback, leave_reference, nullptr);
    if (p->caption_width != 0) warn(w, msg::CAPTION_WIDTH_AT_CREATION);
    if (p->reference_caption_width != 0) {
        warn(w, msg::REFERENCE_CAPTION_WIDTH_AT_CREATION);
        p->reference_caption_width = 0;
    }
    p->width_computed = True;
    p->height_computed = True;
    if (w->core.width != 0) {
        p->preferred_width = w->core.width;
        p->width_computed = False;
    }
    if (w->core.height != 0) {
        p->preferred_height = w->core.height;
        p->height_computed = False;
    }
    run_size_procedure(w, &w->core.width, &w->core.height);
    layout(w);
}

void resize(Widget w)
{
    layout(w);
}

void redisplay(Widget w, XEvent* event, Region region)
{
    XmeRedisplayGadgets(w, event, region);
}

Boolean set_values(Widget old, Widget, Widget w, ArgList, Cardinal*)
{
    PsCaptionPart* o = part(old);
    PsCaptionPart* p = part(w);
    if (w->core.width != old->core.width) {
        p->width_computed = w->core.width == 0;
        if (w->core.width != 0) p->preferred_width = w->core.width;
    }
    if (w->core.height != old->core.height) {
        p->height_computed = w->core.height == 0;
        if (w->core.height != 0) p->preferred_height = w->core.height;
    }
    if (p->caption_width != o->caption_width) {
        warn(w, msg::CAPTION_WIDTH_READ_ONLY);
        p->caption_width = o->caption_width;
    }
    follow_reference(w, o->reference_widget, p->reference_widget);
    bool same_size = w->core.width == old->core.width && w->core.height == old->core.height;
    bool same_layout = p->margin_width == o->margin_width && p->margin_height == o->margin_height &&
                       p->horizontal_spacing == o->horizontal_spacing && p->vertical_spacing == o->vertical_spacing &&
                       p->reference_caption_width == o->reference_caption_width &&
                       p->reference_widget == o->reference_widget;
    if (same_size && same_layout) return False;
    run_size_procedure(w, &w->core.width, &w->core.height);
    if (w->core.width == old->core.width && w->core.height == old->core.height) layout(w);
    return False;
}

XtGeometryResult query_geometry(Widget w, XtWidgetGeometry* intended, XtWidgetGeometry* preferred)
{
    PsCaptionPart* p = part(w);
    preferred->request_mode = CWWidth | CWHeight;
    preferred->width = p->preferred_width;
    preferred->height = p->preferred_height;
    if (intended && (intended->request_mode & ~XtCWQueryOnly) == (CWWidth | CWHeight) &&
        intended->width == p->preferred_width && intended->height == p->preferred_height)
        return XtGeometryYes;
    if (w->core.width == p->preferred_width && w->core.height == p->preferred_height) return XtGeometryNo;
    return XtGeometryAlmost;
}

XtGeometryResult geometry_manager(Widget child, XtWidgetGeometry* request, XtWidgetGeometry*)
{
    Widget self = XtParent(child);
    PsCaptionPart* p = part(self);
    XtWidgetGeometry r = *request;
    if (p->constraint_change_pending) {
        p->constraint_change_pending = False;
        if ((r.request_mode & CWBorderWidth) && r.border_width > 0) r.border_width -= 1;
    }
    if (r.request_mode & XtCWQueryOnly) return XtGeometryYes;

    ChildSize preferred = preferred_size(self, child);
    child->core.width = dimension(preferred.width);
    child->core.height = dimension(preferred.height);
    if (r.request_mode & CWX) child->core.x = r.x;
    if (r.request_mode & CWY) child->core.y = r.y;
    if (r.request_mode & CWBorderWidth) child->core.border_width = r.border_width;
    if (r.request_mode & CWWidth) child->core.width = r.width;
    if (r.request_mode & CWHeight) child->core.height = r.height;
    p->handled_child = child;
    run_size_procedure(self, nullptr, nullptr);
    request_preferred_size(self);
    layout(self);
    p->handled_child = nullptr;
    return XtGeometryYes;
}

void change_managed(Widget self)
{
    run_size_procedure(self, nullptr, nullptr);
    request_preferred_size(self);
    layout(self);
    XmeNavigChangeManaged(self);
}

void constraint_initialize(Widget, Widget w, ArgList, Cardinal*)
{
    if (!XtIsRectObj(w)) return;
    PsCaptionConstraintPart* c = constraints(w);
    if (!XmRepTypeValidValue(class_part(XtParent(w))->alignment_rep_type, c->alignment, w))
        c->alignment = PsCAPTION_CENTER;
}

Boolean constraint_set_values(Widget old, Widget, Widget w, ArgList, Cardinal*)
{
    if (!XtIsRectObj(w)) return False;
    PsCaptionConstraintPart* o = constraints(old);
    PsCaptionConstraintPart* c = constraints(w);
    if (c->alignment != o->alignment &&
        !XmRepTypeValidValue(class_part(XtParent(w))->alignment_rep_type, c->alignment, w))
        c->alignment = o->alignment;
    bool changed = c->alignment != o->alignment || c->stretch_horizontal != o->stretch_horizontal ||
                   c->stretch_vertical != o->stretch_vertical;
    if (!changed || !XtIsManaged(w)) return False;
    Widget self = XtParent(w);
    if (XtIsRealized(self)) {
        // A border change makes Xt send a geometry request; the manager takes the one away
        // again and relays the children out.
        part(self)->constraint_change_pending = True;
        w->core.border_width += 1;
    } else {
        // Before realize Xt grants a child's requests without asking its manager, so the
        // request would never come: relay out here.
        run_size_procedure(self, nullptr, nullptr);
        request_preferred_size(self);
        layout(self);
    }
    return False;
}

}  // namespace

void PsResolveAllSyntheticOffsets(WidgetClass wc, XmOffsetPtr offsets, XmOffsetPtr constraint_offsets)
{
    if (derives_from(wc, xmPrimitiveWidgetClass)) {
        auto* pc = reinterpret_cast<XmPrimitiveClassRec*>(wc);
        resolve(pc->primitive_class.syn_resources, pc->primitive_class.num_syn_resources, offsets);
    } else if (derives_from(wc, xmManagerWidgetClass)) {
        auto* mc = reinterpret_cast<XmManagerClassRec*>(wc);
        resolve(mc->manager_class.syn_resources, mc->manager_class.num_syn_resources, offsets);
        if (constraint_offsets)
            resolve(mc->manager_class.syn_constraint_resources, mc->manager_class.num_syn_constraint_resources,
                    constraint_offsets);
    }
}

void PsResolveSyntheticOffsets(WidgetClass wc, XmOffsetPtr offsets)
{
    PsResolveAllSyntheticOffsets(wc, offsets, nullptr);
}

PsCaptionClassRec psCaptionClassRec = {
    {
        /* superclass */ reinterpret_cast<WidgetClass>(&xmManagerClassRec),
        /* class_name */ str("PsCaption"),
        /* widget_size: the part; completed by XmResolveAllPartOffsets */ sizeof(PsCaptionPart),
        /* class_initialize */ class_initialize,
        /* class_part_initialize */ class_part_initialize,
        /* class_inited */ False,
        /* initialize */ initialize,
        /* initialize_hook */ nullptr,
        /* realize */ XtInheritRealize,
        /* actions */ nullptr,
        /* num_actions */ 0,
        /* resources */ resources,
        /* num_resources */ XtNumber(resources),
        /* xrm_class */ NULLQUARK,
        /* compress_motion */ True,
        /* compress_exposure */ XtExposeCompressMaximal,
        /* compress_enterleave */ True,
        /* visible_interest */ False,
        /* destroy */ nullptr,
        /* resize */ resize,
        /* expose */ redisplay,
        /* set_values */ set_values,
        /* set_values_hook */ nullptr,
        /* set_values_almost */ XtInheritSetValuesAlmost,
        /* get_values_hook */ nullptr,
        /* accept_focus */ nullptr,
        /* version */ XtVersion,
        /* callback_private */ nullptr,
        /* tm_table */ XtInheritTranslations,
        /* query_geometry */ query_geometry,
        /* display_accelerator */ nullptr,
        /* extension */ nullptr,
    },
    {
        /* geometry_manager */ geometry_manager,
        /* change_managed */ change_managed,
        /* insert_child */ XtInheritInsertChild,
        /* delete_child */ XtInheritDeleteChild,
        /* extension */ nullptr,
    },
    {
        /* resources */ constraint_resources,
        /* num_resources */ XtNumber(constraint_resources),
        /* constraint_size: the part; completed by XmResolveAllPartOffsets */ sizeof(PsCaptionConstraintPart),
        /* initialize */ constraint_initialize,
        /* destroy */ nullptr,
        /* set_values */ constraint_set_values,
        /* extension */ nullptr,
    },
    {
        /* translations */ XtInheritTranslations,
        /* syn_resources */ synthetic_resources,
        /* num_syn_resources */ XtNumber(synthetic_resources),
        /* syn_constraint_resources */ nullptr,
        /* num_syn_constraint_resources */ 0,
        /* parent_process */ XmInheritParentProcess,
        /* extension */ nullptr,
    },
    {
        /* alignment_rep_type */ 0,
        /* size */ size_procedure,
    },
};

WidgetClass psCaptionWidgetClass = reinterpret_cast<WidgetClass>(&psCaptionClassRec);

Widget PsCreateCaption(Widget parent, const char* name, ArgList args, Cardinal count)
{
    return XtCreateWidget(name, psCaptionWidgetClass, parent, args, count);
}
