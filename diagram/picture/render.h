// The diagram as a picture file, drawn from its scene: PNG through cairo, SVG written with
// one element per circle, line, arrowhead, label and name (text kept as text, so names can
// be searched and read back). Text is measured and placed by the same fonts as the window.
#ifndef TARNWRIGHT_DIAGRAM_PICTURE_RENDER_H
#define TARNWRIGHT_DIAGRAM_PICTURE_RENDER_H

#include <optional>
#include <stdexcept>
#include <string>

#include "diagram/picture/text.h"
#include "diagram/picture/scene.h"

// The diagram's font where no resource names one (the resource file gives the same).
#define DIAGRAM_FONT "DejaVu Sans:pixelsize=11"

namespace picture {

enum class Format { Png, Svg, Pdf };
// By the name's ending, ".png", ".svg" or ".pdf" in any case; null for anything else.
std::optional<Format> format_for(const std::string& path);

struct ExportError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Space around the drawing in a picture.
enum { PICTURE_MARGIN = 20 };
// The part of the canvas a picture shows: the drawing with its margin.
Box picture_area(const Scene& scene);

// A sheet of paper, in millimetres, upright.
struct Paper {
    double width, height;
};
// The paper of the user's locale (LC_PAPER); A4 where the locale does not say.
Paper locale_paper();

std::string render_png(const Scene& scene, const DiagramFonts& fonts);
std::string render_svg(const Scene& scene, const DiagramFonts& fonts);
// One page of the paper, turned when the picture is wider than high, the picture centred on
// it inside a margin and made smaller to fit (never larger than a point per pixel).
std::string render_pdf(const Scene& scene, const DiagramFonts& fonts, Paper paper);
// Writes the picture in the format its name asks for (a PDF on the locale's paper),
// replacing any file of that name only once the whole picture is written. Throws
// ExportError saying why it could not.
void export_picture(const Scene& scene, const DiagramFonts& fonts, const std::string& path);

}  // namespace picture

#endif
