// X colour names as red, green and blue without an X server: "#rgb" forms, "rgb:r/g/b", and
// the names of the X colour database (rgb.txt), so a picture made without a display shows
// the severities in the colours the diagram window gives them.
#ifndef TARNWRIGHT_DIAGRAM_PICTURE_COLOURS_H
#define TARNWRIGHT_DIAGRAM_PICTURE_COLOURS_H

#include <optional>
#include <string>

namespace picture {

struct Rgb {
    unsigned char r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

// Names match as X matches them: case and blanks do not count. Null when unknown.
std::optional<Rgb> colour_rgb(const std::string& name);

}  // namespace picture

#endif
