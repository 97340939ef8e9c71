// The diagram's text on an X drawable through Xft, anti-aliased; each font of DiagramFonts
// is opened the first time a run needs it.
#ifndef TARNWRIGHT_DIAGRAM_XFT_TEXT_H
#define TARNWRIGHT_DIAGRAM_XFT_TEXT_H

#include <X11/Xft/Xft.h>

#include <vector>

#include "diagram/picture/text.h"

class XftTextPainter : public TextPainter {
public:
    // gc draws the plain ASCII of a run without a font (no font installed at all).
    XftTextPainter(Display* display, Drawable drawable, Visual* visual, Colormap colormap, GC gc,
                   const DiagramFonts& fonts);
    ~XftTextPainter() override;
    XftTextPainter(const XftTextPainter&) = delete;
    XftTextPainter& operator=(const XftTextPainter&) = delete;

    // The text colour: a pixel of the colormap, as the graphics context holds it.
    void set_pixel(unsigned long pixel);
    // Text is drawn only within the region (window pixels); null: anywhere.
    void clip(Region region);
    int advance(const TextRun& run) override;
    void paint(const TextRun& run, int x, int baseline) override;

private:
    XftFont* font(int index);

    Display* display;
    Colormap colormap;
    GC gc;
    const DiagramFonts& fonts;
    Drawable target;
    XftDraw* draw;
    std::vector<XftFont*> opened;
    std::vector<bool> tried;
    XftColor colour;
    bool have_colour = false;
};

#endif
