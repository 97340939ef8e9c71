// The toolkit-free parts of the GUI utilities: the hourglass image, the start-up report,
// and the search paths for the program's data.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "app/data_paths.h"
#include "ui/gui_utils.h"
#include "ui/hourglass.h"

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
