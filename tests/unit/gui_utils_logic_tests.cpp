// The toolkit-free parts of the GUI utilities: the hourglass image, the start-up report,
// and the search paths for the program's data.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "app/data_paths.h"
#include "ui/gui_utils.h"
#include "ui/hourglass.h"

TEST(Hourglass, MaskCoversTheImageWithAOnePixelMargin) {
    const HourglassBits& source = hourglass_source_bits();
    const HourglassBits& mask = hourglass_mask_bits();
    int set = 0;
    for (int y = 0; y < HOURGLASS_SIZE; ++y)
        for (int x = 0; x < HOURGLASS_SIZE; ++x) {
            if (!hourglass_bit(source, x, y)) continue;
            ++set;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    int nx = x + dx, ny = y + dy;
                    if (nx >= 0 && ny >= 0 && nx < HOURGLASS_SIZE && ny < HOURGLASS_SIZE) {
                        EXPECT_TRUE(hourglass_bit(mask, nx, ny)) << nx << "," << ny;
                    }
                }
        }
    EXPECT_GT(set, 100);
    EXPECT_TRUE(hourglass_bit(mask, HOURGLASS_HOT_X, HOURGLASS_HOT_Y));
    // The sand lies in the lower bulb.
    int upper = 0, lower = 0;
    for (int y = 5; y < 15; ++y)
        for (int x = 9; x < 23; ++x) upper += hourglass_bit(source, x, y);
    for (int y = 17; y < 27; ++y)
        for (int x = 9; x < 23; ++x) lower += hourglass_bit(source, x, y);
    EXPECT_GT(lower, 3 * upper);
}

TEST(PanelResponse, WritesTheTextWithItsNulOnceThenCloses) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    g2_panel_response(fds[1], "/usr/bin/tarnedit");
    EXPECT_EQ(fcntl(fds[1], F_GETFD), -1) << "descriptor left open";
    std::string got;
    char buffer[64];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0) got.append(buffer, static_cast<std::size_t>(n));
    close(fds[0]);
    EXPECT_EQ(got, std::string("/usr/bin/tarnedit\0", 18));

    // -1 neither writes nor closes anything.
    int probe = dup(0);
    g2_panel_response(-1, "x");
    EXPECT_NE(fcntl(probe, F_GETFD), -1);
    close(probe);
}

TEST(DataPaths, UserPathComesFirstThenEachFolder) {
    EXPECT_EQ(join_search_path("", {"/a", "/b"}, "%N"), "/a/%N:/b/%N");
    EXPECT_EQ(join_search_path("/mine/%N", {"/a"}, "%N"), "/mine/%N:/a/%N");
    EXPECT_TRUE(running_from_build_tree());  // the tests run from the build tree
}

TEST(DataPaths, AnInstallMovedToAnotherPrefixFindsItsOwnShareFolder) {
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
