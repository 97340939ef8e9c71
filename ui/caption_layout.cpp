#include "ui/caption_layout.h"

#include <algorithm>

CaptionSizes caption_size(const std::vector<CaptionRow>& rows, const CaptionSpacing& spacing)
{
    CaptionSizes s;
    int fixed = 0, min_stretch = 0, stretchable = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const CaptionRow& row = rows[i];
        bool more = i + 1 < rows.size();
        if (row.separator) {
            int h = row.caption_preferred.outer_height();
            s.total_height += h;
            fixed += h;
            min_stretch += h;
            if (more) {
                s.total_height += spacing.vertical_spacing;
                fixed += spacing.vertical_spacing;
                min_stretch += spacing.vertical_spacing;
            }
            continue;
        }
        const ChildSize& c = row.caption_preferred;
        const ChildSize& v = row.value_preferred;
        s.caption_width = std::max(s.caption_width, c.outer_width());
        s.widest_value = std::max(s.widest_value, v.outer_width());
        int row_height = std::max(v.outer_height(), c.outer_height());
        s.total_height += row_height;
        if (!row.stretch_vertical) {
            fixed += row_height;
            min_stretch += row_height;
        } else {
            min_stretch += c.outer_height();
            stretchable += v.outer_height();
        }
        if (more) {
            s.total_height += spacing.vertical_spacing;
            fixed += spacing.vertical_spacing;
        }
    }
    s.fixed_height = fixed + 2 * spacing.margin_height;
    s.min_stretch_height = min_stretch + 2 * spacing.margin_height;
    s.stretchable_height = stretchable;
    s.preferred_width = s.caption_width + spacing.horizontal_spacing + s.widest_value + 2 * spacing.margin_width;
    s.preferred_height = s.total_height + 2 * spacing.margin_height;
    return s;
}

namespace {

int stretched_value_height(const CaptionRow& row, const CaptionSizes& sizes, int height)
{
    const ChildSize& v = row.value_preferred;
    int extra = height - sizes.fixed_height;
    // At or below the minimum, and also between the minimum and the fixed height (where the
    // extra room would be negative), a stretching value is as tall as its caption.
    if (height <= sizes.min_stretch_height || extra <= 0 || sizes.stretchable_height <= 0)
        return std::max(1, row.caption_current.outer_height() - 2 * v.border);
    return std::max(1, v.outer_height() * extra / sizes.stretchable_height - 2 * v.border);
}

}  // namespace

std::vector<RowPlace> caption_layout(const std::vector<CaptionRow>& rows, const CaptionSpacing& spacing,
                                     const CaptionSizes& sizes, int column, int width, int height)
{
    std::vector<RowPlace> places;
    places.reserve(rows.size());
    int y = spacing.margin_height;
    for (const CaptionRow& row : rows) {
        RowPlace place;
        if (row.separator) {
            const ChildSize& s = row.caption_preferred;
            place.caption = {0, y, std::max(1, width - 2 * s.border), s.height, s.border};
            y += s.outer_height() + spacing.vertical_spacing;
            places.push_back(place);
            continue;
        }
        const ChildSize& c = row.caption_current;
        ChildSize v = row.value_preferred;
        if (row.stretch_vertical) v.height = stretched_value_height(row, sizes, height);
        int row_height = std::max(c.outer_height(), v.outer_height());

        place.caption = {spacing.margin_width + column - c.outer_width(), y, c.width, c.height, c.border};
        if (row.alignment == caption_top)
            place.caption.y = y;
        else if (row.alignment == caption_bottom)
            place.caption.y = y + row_height - c.outer_height();
        else
            place.caption.y = y + (row_height - c.outer_height()) / 2;

        int value_x = spacing.margin_width + column + spacing.horizontal_spacing;
        int room = std::max(1, width - (2 * spacing.margin_width + column + spacing.horizontal_spacing));
        int value_width = v.width;
        if (room < v.outer_width() || row.stretch_horizontal) value_width = std::max(1, room - 2 * v.border);
        place.value = {value_x, y + (row_height - v.outer_height()) / 2, value_width, v.height, v.border};

        y += row_height + spacing.vertical_spacing;
        places.push_back(place);
    }
    return places;
}
