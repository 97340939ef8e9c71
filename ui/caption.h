// PsCaption: a manager that lays out caption/value pairs as a two-column form, captions
// right-aligned in one column, values to their right; a separator child takes a full row.
#ifndef TARNWRIGHT_UI_CAPTION_H
#define TARNWRIGHT_UI_CAPTION_H

#include <Xm/Xm.h>

extern WidgetClass psCaptionWidgetClass;

typedef struct _PsCaptionClassRec* PsCaptionWidgetClass;
typedef struct _PsCaptionRec* PsCaptionWidget;

#define PsNhorizontalSpacing "horizontalSpacing"
#define PsCHorizontalSpacing "HorizontalSpacing"
#define PsNverticalSpacing "verticalSpacing"
#define PsCVerticalSpacing "VerticalSpacing"
#define PsNcaptionWidth "captionWidth"
#define PsCCaptionWidth "CaptionWidth"
#define PsNreferenceCaptionWidth "referenceCaptionWidth"
#define PsCReferenceCaptionWidth "ReferenceCaptionWidth"
#define PsNreferenceWidget "referenceWidget"
#define PsNcaptionAlignment "captionAlignment"
#define PsCCaptionAlignment "CaptionAlignment"
#define PsRCaptionAlignment "CaptionAlignment"
#define PsNstretchHorizontal "stretchHorizontal"
#define PsCStretchHorizontal "StretchHorizontal"
#define PsNstretchVertical "stretchVertical"
#define PsCStretchVertical "StretchVertical"

enum { PsCAPTION_TOP = 0, PsCAPTION_CENTER = 1, PsCAPTION_BOTTOM = 2 };

Widget PsCreateCaption(Widget parent, const char* name, ArgList args, Cardinal count);

// Rewrites the synthetic resource offsets of a primitive or manager class (and, for a manager
// given constraint offsets, its synthetic constraint resources) from part-relative form
// (part index in the high 16 bits, offset in the low 16) to absolute offsets.
void PsResolveAllSyntheticOffsets(WidgetClass wc, XmOffsetPtr offsets, XmOffsetPtr constraint_offsets);
void PsResolveSyntheticOffsets(WidgetClass wc, XmOffsetPtr offsets);

#endif
