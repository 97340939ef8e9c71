#include "diagram/picture/text.h"

#include "base/utf8.h"

namespace {

const FcChar32 REPLACEMENT = 0xFFFD;

FcPattern* parse(const std::string& name) {
    FcPattern* p = FcNameParse(reinterpret_cast<const FcChar8*>(name.c_str()));
    return p ? p : FcNameParse(reinterpret_cast<const FcChar8*>(DIAGRAM_FALLBACK_FONT));
}

// The pattern's size times the scale, in pixels (points where it gives no pixels).
void scale_size(FcPattern* p, double scale) {
    for (const char* object : {FC_PIXEL_SIZE, FC_SIZE}) {
        double size = 0;
        if (FcPatternGetDouble(p, object, 0, &size) != FcResultMatch) continue;
        FcPatternDel(p, object);
        FcPatternAddDouble(p, object, size * scale);
        return;
    }
    FcPatternAddDouble(p, FC_PIXEL_SIZE, DIAGRAM_PIXEL_SIZE * scale);
}

}  // namespace

DiagramFonts::DiagramFonts(const std::string& name, double scale) {
    if (!FcInit()) return;
    FcPattern* request = parse(name);
    if (!request) return;
    if (scale != 1) scale_size(request, scale);
    FcConfigSubstitute(nullptr, request, FcMatchPattern);
    FcDefaultSubstitute(request);
    FcResult result = FcResultNoMatch;
    // Trimmed: only fonts that add characters to those before them.
    FcFontSet* sorted = FcFontSort(nullptr, request, FcTrue, nullptr, &result);
    if (sorted) {
        for (int i = 0; i < sorted->nfont; ++i)
            if (FcPattern* ready = FcFontRenderPrepare(nullptr, request, sorted->fonts[i])) patterns.push_back(ready);
        FcFontSetDestroy(sorted);
    }
    FcPatternDestroy(request);
}

DiagramFonts::~DiagramFonts() {
    for (FcPattern* p : patterns) FcPatternDestroy(p);
}

int DiagramFonts::font_for(FcChar32 c) const {
    for (std::size_t i = 0; i < patterns.size(); ++i) {
        FcCharSet* set = nullptr;
        if (FcPatternGetCharSet(patterns[i], FC_CHARSET, 0, &set) == FcResultMatch && FcCharSetHasChar(set, c))
            return static_cast<int>(i);
    }
    return -1;
}

std::vector<TextRun> DiagramFonts::runs(const std::string& utf8) const {
    std::vector<TextRun> out;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        FcChar32 c = utf8_next(utf8.data(), utf8.size(), &pos);
        int font = -1;
        if (patterns.empty()) {
            if (c < 0x20 || c >= 0x7F) c = '?';
        } else if ((font = font_for(c)) < 0) {
            c = REPLACEMENT;
            font = font_for(c);
            if (font < 0) {
                c = '?';
                font = 0;
            }
        }
        if (out.empty() || out.back().font != font) out.push_back({font, {}});
        out.back().chars.push_back(c);
    }
    return out;
}

double DiagramFonts::pixel_size() const {
    double size = DIAGRAM_PIXEL_SIZE;
    if (!patterns.empty()) FcPatternGetDouble(patterns.front(), FC_PIXEL_SIZE, 0, &size);
    return size;
}

int text_width(TextPainter& painter, const std::vector<TextRun>& runs) {
    int width = 0;
    for (const TextRun& run : runs) width += painter.advance(run);
    return width;
}

int draw_centred_text(TextPainter& painter, const DiagramFonts& fonts, const std::string& utf8, int centre_x,
                      int baseline) {
    std::vector<TextRun> runs = fonts.runs(utf8);
    int width = text_width(painter, runs);
    int x = centre_x - width / 2;
    for (const TextRun& run : runs) {
        painter.paint(run, x, baseline);
        x += painter.advance(run);
    }
    return width;
}
