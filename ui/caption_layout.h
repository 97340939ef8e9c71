// The caption widget's arithmetic, free of the toolkit: how big a two-column form of
// caption/value rows wants to be, and where each child goes.
#ifndef TARNWRIGHT_UI_CAPTION_LAYOUT_H
#define TARNWRIGHT_UI_CAPTION_LAYOUT_H

#include <vector>

enum CaptionAlign { caption_top = 0, caption_center = 1, caption_bottom = 2 };

struct ChildSize {
    int width = 0;
    int height = 0;
    int border = 0;
    int outer_width() const { return width + 2 * border; }
    int outer_height() const { return height + 2 * border; }
};

// One row: a separator (only `caption` used, as the separator) or a caption and its value.
struct CaptionRow {
    bool separator = false;
    ChildSize caption_preferred;  // also the separator's preferred size
    ChildSize caption_current;    // a caption keeps its current size when placed
    ChildSize value_preferred;
    int alignment = caption_center;
    bool stretch_horizontal = false;
    bool stretch_vertical = false;
};

struct CaptionSpacing {
    int margin_width = 2;
    int margin_height = 2;
    int horizontal_spacing = 2;
    int vertical_spacing = 8;
};

struct CaptionSizes {
    int caption_width = 1;   // widest caption's outer width
    int widest_value = 1;
    int total_height = 1;
    int fixed_height = 0;        // includes both margins
    int min_stretch_height = 0;  // includes both margins
    int stretchable_height = 0;
    int preferred_width = 0;
    int preferred_height = 0;
};

CaptionSizes caption_size(const std::vector<CaptionRow>& rows, const CaptionSpacing& spacing);

// The caption column: the widget's own widest caption, or the larger of it and the
// reference widget's when there is one.
inline int caption_column(int caption_width, bool has_reference, int reference_width)
{
    return has_reference && reference_width > caption_width ? reference_width : caption_width;
}

struct ChildPlace {
    int x = 0, y = 0, width = 0, height = 0, border = 0;
};
struct RowPlace {
    ChildPlace caption;  // the separator for a separator row
    ChildPlace value;
};

std::vector<RowPlace> caption_layout(const std::vector<CaptionRow>& rows, const CaptionSpacing& spacing,
                                     const CaptionSizes& sizes, int column, int width, int height);

#endif
