// Private records of the PsCaption widget, for the widget itself and for subclasses.
#ifndef TARNWRIGHT_UI_CAPTIONP_H
#define TARNWRIGHT_UI_CAPTIONP_H

#include <Xm/ManagerP.h>
#include <Xm/RepType.h>

#include "ui/caption.h"

#define PsCaptionIndex (XmManagerIndex + 1)

// The size procedure: the preferred width and height into the results (either may be null).
typedef void (*PsCaptionSizeProc)(Widget w, Dimension* width, Dimension* height);
#define PsInheritSizeProc ((PsCaptionSizeProc)_XtInherit)

typedef struct {
    XmRepTypeId alignment_rep_type;
    PsCaptionSizeProc size;
} PsCaptionClassPart;

typedef struct _PsCaptionClassRec {
    CoreClassPart core_class;
    CompositeClassPart composite_class;
    ConstraintClassPart constraint_class;
    XmManagerClassPart manager_class;
    PsCaptionClassPart caption_class;
} PsCaptionClassRec;

extern PsCaptionClassRec psCaptionClassRec;

typedef struct {
    Dimension margin_width;
    Dimension margin_height;
    Dimension horizontal_spacing;
    Dimension vertical_spacing;
    Dimension preferred_width;
    Dimension preferred_height;
    Boolean width_computed;
    Boolean height_computed;
    Boolean constraint_change_pending;
    Widget handled_child;
    Widget reference_widget;
    Dimension caption_width;
    Dimension reference_caption_width;
    Dimension column_width;
    Dimension fixed_height;
    Dimension min_stretch_height;
    Dimension stretchable_height;
} PsCaptionPart;

typedef struct _PsCaptionRec {
    CorePart core;
    CompositePart composite;
    ConstraintPart constraint;
    XmManagerPart manager;
    PsCaptionPart caption;
} PsCaptionRec;

typedef struct {
    unsigned char alignment;
    Boolean stretch_horizontal;
    Boolean stretch_vertical;
} PsCaptionConstraintPart;

// Resolved part offsets, filled at class initialisation; index them with PsCaptionIndex to
// reach a widget's PsCaptionPart or a child's PsCaptionConstraintPart.
extern XmOffsetPtr psCaptionOffsets;
extern XmOffsetPtr psCaptionConstraintOffsets;

#endif
