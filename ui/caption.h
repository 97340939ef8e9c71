// PsCaption: a manager that lays out caption/value pairs as a two-column form, captions
// right-aligned in one column, values to their right; a separator child takes a full row.
#ifndef TARNWRIGHT_UI_CAPTION_H
#define TARNWRIGHT_UI_CAPTION_H

#include <Xm/Xm.h>

extern WidgetClass psCaptionWidgetClass;

typedef struct _PsCaptionClassRec* PsCaptionWidgetClass;
typedef struct _PsCaptionRec* PsCaptionWidget;

#define PsNhorizontalSpacing const_cast<char*>("horizontalSpacing")
#define PsCHorizontalSpacing const_cast<char*>("HorizontalSpacing")
#define PsNverticalSpacing const_cast<char*>("verticalSpacing")
#define PsCVerticalSpacing const_cast<char*>("VerticalSpacing")
#define PsNcaptionWidth const_cast<char*>("captionWidth")
#define PsCCaptionWidth const_cast<char*>("CaptionWidth")
#define PsNreferenceCaptionWidth const_cast<char*>("referenceCaptionWidth")
#define PsCReferenceCaptionWidth const_cast<char*>("ReferenceCaptionWidth")
#define PsNreferenceWidget const_cast<char*>("referenceWidget")
#define PsNcaptionAlignment const_cast<char*>("captionAlignment")
#define PsCCaptionAlignment const_cast<char*>("CaptionAlignment")
#define PsRCaptionAlignment const_cast<char*>("CaptionAlignment")
#define PsNstretchHorizontal const_cast<char*>("stretchHorizontal")
#define PsCStretchHorizontal const_cast<char*>("StretchHorizontal")
#define PsNstretchVertical const_cast<char*>("stretchVertical")
#define PsCStretchVertical const_cast<char*>("StretchVertical")

enum { PsCAPTION_TOP = 0, PsCAPTION_CENTER = 1, PsCAPTION_BOTTOM = 2 };

Widget PsCreateCaption(Widget parent, const char* name, ArgList args, Cardinal count);

// Rewrites the synthetic resource offsets of a primitive or manager class (and, for a manager
// given constraint offsets, its synthetic constraint resources) from part-relative form
// (part index in the high 16 bits, offset in the low 16) to absolute offsets.
void PsResolveAllSyntheticOffsets(WidgetClass wc, XmOffsetPtr offsets, XmOffsetPtr constraint_offsets);
void PsResolveSyntheticOffsets(WidgetClass wc, XmOffsetPtr offsets);

#endif
