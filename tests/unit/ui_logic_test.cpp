// The toolkit-free parts of the user interface, without a display: the caption widget's size
// and layout arithmetic, the start-up report and the search
// paths for the program's data. (Which resources win, and the reference column: the GUI tests.)
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "base/data_paths.h"
#include "ui/caption_layout.h"
#include "ui/gui_utils.h"

namespace {

CaptionRow row(int caption_w, int caption_h, int value_w, int value_h)
{
    CaptionRow r;
    r.caption_preferred = {caption_w, caption_h, 0};
    r.caption_current = r.caption_preferred;
    r.value_preferred = {value_w, value_h, 0};
    return r;
}

CaptionRow separator(int height)
{
    CaptionRow r;
    r.separator = true;
    r.caption_preferred = {10, height, 0};
    return r;
}

}  // namespace

TEST(CaptionLayout, HorizontalStretchReachesRightMarginNarrowRoomShrinksValueAndSeparatorsSpanAll)
{
    CaptionSpacing sp;
    std::vector<CaptionRow> rows = {separator(4), row(40, 18, 100, 30), row(40, 18, 100, 30)};
    rows[2].stretch_horizontal = true;
    rows[2].value_preferred.border = 1;
    CaptionSizes s = caption_size(rows, sp);
    auto places = caption_layout(rows, sp, s, s.caption_width, 300, s.preferred_height);
    EXPECT_EQ(0, places[0].caption.x);
    EXPECT_EQ(300, places[0].caption.width);
    EXPECT_EQ(2 + 4 + 8, places[1].value.y);
    EXPECT_EQ(100, places[1].value.width);
    const ChildPlace& v = places[2].value;
    EXPECT_EQ(300 - 2, v.x + v.width + 2 * v.border);

    places = caption_layout(rows, sp, s, s.caption_width, 90, s.preferred_height);
    EXPECT_EQ(90 - (2 * 2 + 40 + 2), places[1].value.width);
    // Never below one pixel, however narrow.
    places = caption_layout(rows, sp, s, s.caption_width, 10, s.preferred_height);
    EXPECT_EQ(1, places[1].value.width);
}

TEST(CaptionLayout, VerticalStretchSharesExtraHeightAndFallsBackToCaptionHeight)
{
    CaptionSpacing sp;
    std::vector<CaptionRow> rows = {row(40, 18, 100, 30), row(40, 18, 100, 60)};
    rows[1].stretch_vertical = true;
    CaptionSizes s = caption_size(rows, sp);
    EXPECT_EQ(30 + 8 + 4, s.fixed_height);
    EXPECT_EQ(30 + 18 + 4, s.min_stretch_height);
    EXPECT_EQ(60, s.stretchable_height);

    auto places = caption_layout(rows, sp, s, 40, 200, 142);  // 100 extra
    EXPECT_EQ(60 * 100 / 60, places[1].value.height);
    places = caption_layout(rows, sp, s, 40, 200, s.min_stretch_height);
    EXPECT_EQ(18, places[1].value.height);
    // Between the minimum and the fixed height the extra room would be negative.
    s.fixed_height = s.min_stretch_height + 10;
    places = caption_layout(rows, sp, s, 40, 200, s.min_stretch_height + 5);
    EXPECT_EQ(18, places[1].value.height);
}

// What -fd writes, once, and the closing: the process test of the start-up report.
TEST(PanelResponse, MinusOneNeitherWritesNorClosesAnything) {
    int probe = dup(0);
    g2_panel_response(-1, "x");
    EXPECT_NE(fcntl(probe, F_GETFD), -1);
    close(probe);
}

// The user's path comes first, then each folder; an install moved to another prefix finds its
// own share folder.
TEST(DataPaths, UserPathFirstAndAMovedInstallFindsItsOwnShareFolder) {
    EXPECT_EQ(join_search_path("/mine/%N", {"/a", "/b"}, "%N"), "/mine/%N:/a/%N:/b/%N");
    EXPECT_EQ(join_search_path("", {"/a"}, "%N"), "/a/%N");
    EXPECT_TRUE(running_from_build_tree());  // the tests run from the build tree
    const char* share = "/usr/local/share/tarnwright/nls";
    struct { const char* prefix; const char* exe; const char* expected; } cases[] = {
        {"/usr/local", "/opt/tw/bin/tarnedit", "/opt/tw/share/tarnwright/nls"},
        {"/usr/local/", "/opt/tw/bin/tarnedit", "/opt/tw/share/tarnwright/nls"},
        {"/usr/local", "/usr/local/bin/tarnedit", share},
        {"/usr/local", "/home/me/build/tarnedit", share},  // not in a bin folder
        {"/srv", "/opt/tw/bin/tarnedit", share},            // not under the compiled-in prefix
        {"/usr/local", "", share},
    };
    for (const auto& c : cases) EXPECT_EQ(relocate(share, c.prefix, c.exe), c.expected) << c.exe;
}
