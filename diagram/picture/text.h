// The diagram's text: which installed font draws each character of a UTF-8 name, and the
// text measured and centred. Fontconfig only; the X window and a picture export each supply
// a painter that measures and paints one run of characters in one font.
#ifndef TARNWRIGHT_DIAGRAM_PICTURE_TEXT_H
#define TARNWRIGHT_DIAGRAM_PICTURE_TEXT_H

#include <fontconfig/fontconfig.h>

#include <cstddef>
#include <string>
#include <vector>

// Used when the named font cannot be parsed; any fontconfig setup resolves it.
#define DIAGRAM_FALLBACK_FONT "sans:pixelsize=11"
#define DIAGRAM_PIXEL_SIZE 11

// Characters drawn with one font; font indexes DiagramFonts, -1 when no font is installed
// at all (the characters are then plain ASCII).
struct TextRun {
    int font;
    std::vector<FcChar32> chars;
};

class DiagramFonts {
public:
    // name is a fontconfig name ("DejaVu Sans:pixelsize=11"). The font it matches comes first,
    // then the installed fonts that cover further characters, in fontconfig's order.
    // scale sizes the fonts for a zoomed drawing.
    explicit DiagramFonts(const std::string& name, double scale = 1);
    ~DiagramFonts();
    DiagramFonts(const DiagramFonts&) = delete;
    DiagramFonts& operator=(const DiagramFonts&) = delete;

    std::size_t count() const { return patterns.size(); }
    // The first font's size in pixels.
    double pixel_size() const;
    // Ready to open (Xft, cairo): size, hinting and the file of font i are all resolved.
    FcPattern* pattern(std::size_t i) const { return patterns[i]; }

    // Each character goes to the first font that has it. A character no font has, and a
    // byte that is not UTF-8, shows as U+FFFD, or as "?" where no font has that either.
    std::vector<TextRun> runs(const std::string& utf8) const;

private:
    int font_for(FcChar32 c) const;

    std::vector<FcPattern*> patterns;
};

// What a surface does with a run: its advance width in pixels, and painting it with the
// pen at (x, baseline).
class TextPainter {
public:
    virtual ~TextPainter() = default;
    virtual int advance(const TextRun& run) = 0;
    virtual void paint(const TextRun& run, int x, int baseline) = 0;
};

int text_width(TextPainter& painter, const std::vector<TextRun>& runs);
// Paints the text so that the middle of its advance width falls on centre_x; returns the width.
int draw_centred_text(TextPainter& painter, const DiagramFonts& fonts, const std::string& utf8, int centre_x,
                      int baseline);

#endif
