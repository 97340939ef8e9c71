#include "diagram/xft_text.h"

#include <string>

namespace {
// Text without any font falls back to the server's default font, six pixels a character.
const int CORE_CHAR_WIDTH = 6;
}  // namespace

XftTextPainter::XftTextPainter(Display* display_, Drawable drawable, Visual* visual, Colormap colormap_, GC gc_,
                               const DiagramFonts& fonts_)
    : display(display_),
      colormap(colormap_),
      gc(gc_),
      fonts(fonts_),
      target(drawable),
      draw(XftDrawCreate(display_, drawable, visual, colormap_)),
      opened(fonts_.count(), nullptr),
      tried(fonts_.count(), false),
      colour() {
    colour.color.alpha = 0xFFFF;
}

XftTextPainter::~XftTextPainter() {
    for (XftFont* f : opened)
        if (f) XftFontClose(display, f);
    if (draw) XftDrawDestroy(draw);
}

void XftTextPainter::set_pixel(unsigned long pixel) {
    if (have_colour && pixel == colour.pixel) return;
    have_colour = true;
    XColor c;
    c.pixel = pixel;
    XQueryColor(display, colormap, &c);
    colour.pixel = pixel;
    colour.color = {c.red, c.green, c.blue, 0xFFFF};
}

void XftTextPainter::clip(Region region) {
    if (draw) XftDrawSetClip(draw, region);
}

XftFont* XftTextPainter::font(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= opened.size()) return nullptr;
    if (!tried[index]) {
        tried[index] = true;
        FcPattern* p = FcPatternDuplicate(fonts.pattern(index));
        XftDefaultSubstitute(display, DefaultScreen(display), p);
        opened[index] = XftFontOpenPattern(display, p);  // owns p when it succeeds
        if (!opened[index]) FcPatternDestroy(p);
    }
    return opened[index];
}

int XftTextPainter::advance(const TextRun& run) {
    XftFont* f = font(run.font);
    if (!f) return CORE_CHAR_WIDTH * static_cast<int>(run.chars.size());
    XGlyphInfo extents;
    XftTextExtents32(display, f, run.chars.data(), static_cast<int>(run.chars.size()), &extents);
    return extents.xOff;
}

void XftTextPainter::paint(const TextRun& run, int x, int baseline) {
    XftFont* f = font(run.font);
    if (f && draw) {
        XftDrawString32(draw, &colour, f, x, baseline, run.chars.data(), static_cast<int>(run.chars.size()));
        return;
    }
    std::string ascii;
    for (FcChar32 c : run.chars) ascii += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    XDrawString(display, target, gc, x, baseline, ascii.c_str(), static_cast<int>(ascii.size()));
}
