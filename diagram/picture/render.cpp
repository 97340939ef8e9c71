#include "diagram/picture/render.h"

#include <cairo/cairo-ft.h>
#include <cairo/cairo-pdf.h>
#include <cairo/cairo.h>
#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "base/messages.h"
#include "diagram/picture/colours.h"
#include "varo/file_write.h"

namespace picture {

namespace {

ExportError drawing_failed(cairo_status_t status) {
    return ExportError(format_message(msg::PICTURE_NOT_DRAWN, {cairo_status_to_string(status)}));
}

Rgb rgb_of(const std::string& colour) {
    // A colour no database knows is drawn black, as the window draws one it cannot allocate.
    auto rgb = colour_rgb(colour);
    return rgb ? *rgb : Rgb{0, 0, 0};
}

std::string utf8_of(const TextRun& run) {
    std::string out;
    for (FcChar32 c : run.chars) {
        FcChar8 bytes[FC_UTF8_MAX_LEN];
        int n = FcUcs4ToUtf8(c, bytes);
        out.append(reinterpret_cast<char*>(bytes), static_cast<std::size_t>(n));
    }
    return out;
}

double pixel_size(const DiagramFonts& fonts, int index) {
    double size = 11;
    if (index >= 0 && static_cast<std::size_t>(index) < fonts.count())
        FcPatternGetDouble(fonts.pattern(static_cast<std::size_t>(index)), FC_PIXEL_SIZE, 0, &size);
    return size;
}

std::string family_of(const DiagramFonts& fonts, int index) {
    FcChar8* family = nullptr;
    if (index >= 0 && static_cast<std::size_t>(index) < fonts.count() &&
        FcPatternGetString(fonts.pattern(static_cast<std::size_t>(index)), FC_FAMILY, 0, &family) == FcResultMatch)
        return reinterpret_cast<char*>(family);
    return "sans-serif";
}

// Runs of text through cairo, each font opened from its fontconfig pattern once.
class CairoTextPainter : public TextPainter {
public:
    CairoTextPainter(cairo_t* cr_, const DiagramFonts& fonts_) : cr(cr_), fonts(fonts_), faces(fonts_.count(), nullptr) {}
    ~CairoTextPainter() override {
        for (cairo_font_face_t* f : faces)
            if (f) cairo_font_face_destroy(f);
    }
    CairoTextPainter(const CairoTextPainter&) = delete;
    CairoTextPainter& operator=(const CairoTextPainter&) = delete;

    int advance(const TextRun& run) override {
        use(run.font);
        cairo_text_extents_t extents;
        cairo_text_extents(cr, utf8_of(run).c_str(), &extents);
        return static_cast<int>(std::lround(extents.x_advance));
    }
    void paint(const TextRun& run, int x, int baseline) override {
        use(run.font);
        cairo_move_to(cr, x, baseline);
        cairo_show_text(cr, utf8_of(run).c_str());
    }

private:
    void use(int index) {
        if (index >= 0 && static_cast<std::size_t>(index) < faces.size()) {
            cairo_font_face_t*& face = faces[static_cast<std::size_t>(index)];
            if (!face) face = cairo_ft_font_face_create_for_pattern(fonts.pattern(static_cast<std::size_t>(index)));
            cairo_set_font_face(cr, face);
        } else {
            cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
        }
        cairo_set_font_size(cr, pixel_size(fonts, index));
    }

    cairo_t* cr;
    const DiagramFonts& fonts;
    std::vector<cairo_font_face_t*> faces;
};

class CairoCanvas : public Canvas {
public:
    CairoCanvas(cairo_t* cr_, const DiagramFonts& fonts_) : cr(cr_), fonts(fonts_), text_painter(cr_, fonts_) {
        cairo_set_line_width(cr, LINE_WIDTH);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    }

    void line(Part, Point a, Point b, const std::string& colour) override {
        use(colour);
        cairo_move_to(cr, a.x, a.y);
        cairo_line_to(cr, b.x, b.y);
        cairo_stroke(cr);
    }
    void polygon(Part, const Point* points, int n, const std::string& colour) override {
        use(colour);
        for (int i = 0; i < n; ++i) cairo_line_to(cr, points[i].x, points[i].y);
        cairo_close_path(cr);
        cairo_fill(cr);
    }
    void ring(Part, const Box& b, const std::string& colour) override {
        use(colour);
        circle(b);
        cairo_stroke(cr);
    }
    void dashed_ring(Part, const Box& b, const std::string& colour) override {
        static const double dashes[] = {DASH_ON, DASH_OFF};
        use(colour);
        circle(b);
        cairo_set_dash(cr, dashes, 2, 0);
        cairo_stroke(cr);
        cairo_set_dash(cr, nullptr, 0, 0);
    }
    void disc(Part, const Box& b, const std::string& colour) override {
        use(colour);
        circle(b);
        cairo_fill(cr);
    }
    void frame(Part, const Box& b, const std::string& colour) override {
        use(colour);
        cairo_rectangle(cr, b.x, b.y, b.w, b.h);
        cairo_stroke(cr);
    }
    void fill(Part, const Box& b, const std::string& colour) override {
        use(colour);
        cairo_rectangle(cr, b.x, b.y, b.w, b.h);
        cairo_fill(cr);
    }
    void text(Part, int centre_x, int baseline, const std::string& utf8, const std::string& colour) override {
        use(colour);
        draw_centred_text(text_painter, fonts, utf8, centre_x, baseline);
    }
    bool knows(const std::string& colour) override { return colour_rgb(colour).has_value(); }

private:
    void use(const std::string& colour) {
        Rgb c = rgb_of(colour);
        cairo_set_source_rgb(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0);
    }
    void circle(const Box& b) {
        cairo_new_sub_path(cr);
        cairo_arc(cr, b.x + b.w / 2.0, b.y + b.h / 2.0, b.w / 2.0, 0, 2 * M_PI);
    }

    cairo_t* cr;
    const DiagramFonts& fonts;
    CairoTextPainter text_painter;
};

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default: out += c;
        }
    }
    return out;
}

// Two decimals at most, without trailing zeros.
std::string number(double v) {
    long hundredths = std::lround(v * 100);
    std::string s = std::to_string(std::labs(hundredths) / 100);
    long rest = std::labs(hundredths) % 100;
    if (rest) {
        s += "." + std::string(1, static_cast<char>('0' + rest / 10));
        if (rest % 10) s += static_cast<char>('0' + rest % 10);
    }
    return hundredths < 0 ? "-" + s : s;
}

std::string svg_colour(const std::string& colour) {
    static const char digits[] = "0123456789abcdef";
    Rgb c = rgb_of(colour);
    std::string out = "#";
    for (unsigned char v : {c.r, c.g, c.b}) {
        out += digits[v >> 4];
        out += digits[v & 15];
    }
    return out;
}

const char* class_of(Part part) {
    switch (part) {
    case Part::Line: return "line";
    case Part::Arrow: return "arrow";
    case Part::Loop: return "loop";
    case Part::LabelFrame: return "label-frame";
    case Part::Label: return "label";
    case Part::Count: return "count";
    case Part::StateRing: return "state-ring";
    case Part::State: return "state";
    case Part::Name: return "name";
    case Part::FirstRing: return "first-selection";
    case Part::SecondRing: return "second-selection";
    }
    return "";
}

// SVG elements in painting order; text is measured by cairo so it sits where the PNG has it.
class SvgCanvas : public Canvas {
public:
    SvgCanvas(std::string& out_, cairo_t* measure, const DiagramFonts& fonts_)
        : out(out_), fonts(fonts_), measurer(measure, fonts_) {}

    void line(Part part, Point a, Point b, const std::string& colour) override {
        out += "<line class=\"" + std::string(class_of(part)) + "\" x1=\"" + number(a.x) + "\" y1=\"" + number(a.y) +
               "\" x2=\"" + number(b.x) + "\" y2=\"" + number(b.y) + "\" stroke=\"" + svg_colour(colour) +
               "\" stroke-width=\"3\" stroke-linecap=\"round\"/>\n";
    }
    void polygon(Part part, const Point* points, int n, const std::string& colour) override {
        std::string list;
        for (int i = 0; i < n; ++i) list += (i ? " " : "") + number(points[i].x) + "," + number(points[i].y);
        out += "<polygon class=\"" + std::string(class_of(part)) + "\" points=\"" + list + "\" fill=\"" +
               svg_colour(colour) + "\"/>\n";
    }
    void ring(Part part, const Box& b, const std::string& colour) override {
        out += circle(part, b) + " fill=\"none\" stroke=\"" + svg_colour(colour) + "\" stroke-width=\"3\"/>\n";
    }
    void dashed_ring(Part part, const Box& b, const std::string& colour) override {
        out += circle(part, b) + " fill=\"none\" stroke=\"" + svg_colour(colour) + "\" stroke-width=\"3\" stroke-dasharray=\"" +
               std::to_string(DASH_ON) + " " + std::to_string(DASH_OFF) + "\"/>\n";
    }
    bool knows(const std::string& colour) override { return colour_rgb(colour).has_value(); }
    void disc(Part part, const Box& b, const std::string& colour) override {
        out += circle(part, b) + " fill=\"" + svg_colour(colour) + "\"/>\n";
    }
    void frame(Part part, const Box& b, const std::string& colour) override {
        out += rect(part, b) + " fill=\"none\" stroke=\"" + svg_colour(colour) + "\" stroke-width=\"3\"/>\n";
    }
    void fill(Part part, const Box& b, const std::string& colour) override {
        out += rect(part, b) + " fill=\"" + svg_colour(colour) + "\"/>\n";
    }
    void text(Part part, int centre_x, int baseline, const std::string& utf8, const std::string& colour) override {
        std::vector<TextRun> runs = fonts.runs(utf8);
        int x = centre_x - text_width(measurer, runs) / 2;
        out += "<text class=\"" + std::string(class_of(part)) + "\" fill=\"" + svg_colour(colour) + "\">";
        for (const TextRun& run : runs) {
            out += "<tspan x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(baseline) + "\" font-family=\"" +
                   escaped(family_of(fonts, run.font)) + "\" font-size=\"" + number(pixel_size(fonts, run.font)) +
                   "px\">" + escaped(utf8_of(run)) + "</tspan>";
            x += measurer.advance(run);
        }
        out += "</text>\n";
    }

private:
    static std::string circle(Part part, const Box& b) {
        return "<circle class=\"" + std::string(class_of(part)) + "\" cx=\"" + number(b.x + b.w / 2.0) + "\" cy=\"" +
               number(b.y + b.h / 2.0) + "\" r=\"" + number(b.w / 2.0) + "\"";
    }
    static std::string rect(Part part, const Box& b) {
        return "<rect class=\"" + std::string(class_of(part)) + "\" x=\"" + std::to_string(b.x) + "\" y=\"" +
               std::to_string(b.y) + "\" width=\"" + std::to_string(b.w) + "\" height=\"" + std::to_string(b.h) + "\"";
    }

    std::string& out;
    const DiagramFonts& fonts;
    CairoTextPainter measurer;
};

struct SurfaceFree {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextFree {
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};

cairo_status_t append(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

}  // namespace

std::optional<Format> format_for(const std::string& path) {
    if (path.size() < 4) return std::nullopt;
    std::string end;
    for (char c : path.substr(path.size() - 4)) end += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (end == ".png") return Format::Png;
    if (end == ".svg") return Format::Svg;
    if (end == ".pdf") return Format::Pdf;
    return std::nullopt;
}

Box picture_area(const Scene& scene) {
    Box b = scene_bounds(scene);
    return {b.x - PICTURE_MARGIN, b.y - PICTURE_MARGIN, b.w + 2 * PICTURE_MARGIN, b.h + 2 * PICTURE_MARGIN};
}

std::string render_png(const Scene& scene, const DiagramFonts& fonts) {
    Box area = picture_area(scene);
    std::unique_ptr<cairo_surface_t, SurfaceFree> surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, area.w, area.h));
    std::unique_ptr<cairo_t, ContextFree> cr(cairo_create(surface.get()));
    if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) throw drawing_failed(cairo_status(cr.get()));
    cairo_set_source_rgb(cr.get(), 1, 1, 1);
    cairo_paint(cr.get());
    cairo_translate(cr.get(), -area.x, -area.y);
    {
        CairoCanvas canvas(cr.get(), fonts);
        paint_scene(scene, canvas);
    }
    cairo_surface_flush(surface.get());
    std::string bytes;
    cairo_status_t status = cairo_surface_write_to_png_stream(surface.get(), append, &bytes);
    if (status != CAIRO_STATUS_SUCCESS) throw drawing_failed(status);
    return bytes;
}

std::string render_svg(const Scene& scene, const DiagramFonts& fonts) {
    Box area = picture_area(scene);
    std::unique_ptr<cairo_surface_t, SurfaceFree> scratch(cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1));
    std::unique_ptr<cairo_t, ContextFree> measure(cairo_create(scratch.get()));
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(area.w) + "\" height=\"" +
           std::to_string(area.h) + "\" viewBox=\"" + std::to_string(area.x) + " " + std::to_string(area.y) + " " +
           std::to_string(area.w) + " " + std::to_string(area.h) + "\">\n";
    out += "<rect class=\"background\" x=\"" + std::to_string(area.x) + "\" y=\"" + std::to_string(area.y) +
           "\" width=\"" + std::to_string(area.w) + "\" height=\"" + std::to_string(area.h) + "\" fill=\"#ffffff\"/>\n";
    {
        SvgCanvas canvas(out, measure.get(), fonts);
        paint_scene(scene, canvas);
    }
    out += "</svg>\n";
    return out;
}

Paper locale_paper() {
    Paper paper = {210, 297};
    // The user's paper, whatever locale the program itself runs in.
    locale_t user = newlocale(LC_PAPER_MASK, "", static_cast<locale_t>(nullptr));
    if (!user) return paper;
    auto millimetres = [user](nl_item item) {
        return static_cast<int>(reinterpret_cast<std::intptr_t>(nl_langinfo_l(item, user)));
    };
    int w = millimetres(_NL_PAPER_WIDTH), h = millimetres(_NL_PAPER_HEIGHT);
    freelocale(user);
    if (w > 0 && h > 0) paper = {double(w), double(h)};
    return paper;
}

std::string render_pdf(const Scene& scene, const DiagramFonts& fonts, Paper paper) {
    const double points_per_mm = 72 / 25.4, margin = 36;
    Box area = picture_area(scene);
    double page_w = paper.width * points_per_mm, page_h = paper.height * points_per_mm;
    if ((area.w > area.h) != (page_w > page_h)) std::swap(page_w, page_h);
    double scale = std::min({1.0, (page_w - 2 * margin) / area.w, (page_h - 2 * margin) / area.h});
    std::string bytes;
    {
        std::unique_ptr<cairo_surface_t, SurfaceFree> surface(cairo_pdf_surface_create_for_stream(append, &bytes, page_w, page_h));
        std::unique_ptr<cairo_t, ContextFree> cr(cairo_create(surface.get()));
        if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) throw drawing_failed(cairo_status(cr.get()));
        cairo_translate(cr.get(), (page_w - area.w * scale) / 2, (page_h - area.h * scale) / 2);
        cairo_scale(cr.get(), scale, scale);
        cairo_translate(cr.get(), -area.x, -area.y);
        {
            CairoCanvas canvas(cr.get(), fonts);
            paint_scene(scene, canvas);
        }
        cairo_show_page(cr.get());
        cairo_surface_finish(surface.get());
        cairo_status_t status = cairo_surface_status(surface.get());
        if (status != CAIRO_STATUS_SUCCESS) throw drawing_failed(status);
    }
    return bytes;
}

void export_picture(const Scene& scene, const DiagramFonts& fonts, const std::string& path) {
    std::optional<Format> format = format_for(path);
    if (!format) throw ExportError(message_text(msg::PICTURE_NEEDS_SUFFIX));
    std::string bytes = *format == Format::Png   ? render_png(scene, fonts)
                        : *format == Format::Svg ? render_svg(scene, fonts)
                                                 : render_pdf(scene, fonts, locale_paper());
    std::string why;
    if (!varo::write_file_replacing(path, bytes, &why)) throw ExportError(why);
}

}  // namespace picture
