// The catalogue, its built-in defaults and the one bounded formatter.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

#include "app/messages.h"

namespace {
struct Entry {
    int set;
    int number;
    const char* text;
};
const Entry all_entries[] = {
#define MSG(set, number, text) {set, number, text},
#include "resources/messages.def"
#undef MSG
};

std::string make_temp_dir() {
    char pattern[] = "/tmp/tarnwright-msg.XXXXXX";
    return mkdtemp(pattern) ? pattern : "";
}
}  // namespace

TEST(Messages, FormatterFillsConversionsButNeverReadsArgumentsAsFormats) {
    EXPECT_EQ(format_text("Current Template: %s...modified", {"Alarm"}), "Current Template: Alarm...modified");
    // A name from the store or the user is inserted as it is.
    EXPECT_EQ(format_text("Template '%s' will be deleted.", {"%s%n%d%%"}), "Template '%s%n%d%%' will be deleted.");
    EXPECT_EQ(format_text("[%-6s|%4d]", {"ab", "7"}), "[ab    |   7]");
    EXPECT_EQ(format_text("%s and %s", {"one"}), "one and ");          // missing argument reads as ""
    EXPECT_EQ(format_text("100%% of %x %s", {"it"}), "100% of %x it");  // unknown conversion copied
    EXPECT_EQ(format_text("ends with %", {}), "ends with %");
    EXPECT_EQ(format_text("%99999999999s|", {"x"}), "%99999999999s|");  // absurd width is not a conversion
    EXPECT_EQ(format_text("%3s", {"longer"}), "longer");                // width never cuts
}

TEST(Messages, CopyBoundedAlwaysTerminatesAndNeverSplitsACharacter) {
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    copy_bounded(buffer, sizeof buffer, "abcdefghijk");
    EXPECT_STREQ(buffer, "abcdefg");
    copy_bounded(buffer, sizeof buffer, "abc");
    EXPECT_STREQ(buffer, "abc");
    // "abcde" + "é" (2 bytes) + "z": the 7-byte room would cut "é" in half.
    copy_bounded(buffer, 7, "abcde\xc3\xa9z");
    EXPECT_STREQ(buffer, "abcde");
    char one[1] = {'x'};
    copy_bounded(one, sizeof one, "abc");
    EXPECT_EQ(one[0], '\0');
    char untouched[2] = {'q', 'q'};
    copy_bounded(untouched, 0, "abc");
    EXPECT_EQ(untouched[0], 'q');
}

TEST(Messages, DefaultsAnswerWithoutACatalogue) {
    close_message_catalogue();
    EXPECT_STREQ(message_text(2, 7), "Can't connect to Varo!");
    EXPECT_STREQ(message_text(6, 2002), "Error");
    EXPECT_STREQ(message_text(2, 99999), "");
    EXPECT_EQ(format_message(2, 4, {"1.2", "alpha"}), "Quillon Corvane 1.2: Tarnwright [alpha]");
}

TEST(Messages, BuiltCatalogueHoldsExactlyTheDefaults) {
    // Only the build tree's catalogue: nothing the user set may interfere.
    setenv("NLSPATH", TARNWRIGHT_BUILD_RESOURCES "/%N", 1);
    open_message_catalogue();
    ASSERT_NE(catd, reinterpret_cast<nl_catd>(-1)) << "corvane.cat not found in the build tree";
    for (const Entry& e : all_entries) {
        // Ask the catalogue itself, with a fallback that cannot be mistaken for the text.
        const char* from_catalogue = catgets(catd, e.set, e.number, "<missing>");
        EXPECT_STREQ(from_catalogue, e.text) << "set " << e.set << " number " << e.number;
    }
}

TEST(Messages, AnotherCatalogueChangesTheTextsAndMissingEntriesFallBack) {
    std::string dir = make_temp_dir();
    ASSERT_FALSE(dir.empty());
    {
        std::ofstream msg(dir + "/corvane.msg");
        msg << "$quote \"\n$set 2\n4 \"Corvane %s sur [%s]\"\n$set 6\n2000 \"Oui\"\n";
    }
    std::string command = "gencat " + dir + "/corvane.cat " + dir + "/corvane.msg";
    ASSERT_EQ(std::system(command.c_str()), 0);
    setenv("NLSPATH", (dir + "/%N").c_str(), 1);
    open_message_catalogue();
    EXPECT_EQ(format_message(2, 4, {"1.2", "alpha"}), "Corvane 1.2 sur [alpha]");
    EXPECT_STREQ(message_text(6, 2000), "Oui");
    EXPECT_STREQ(message_text(6, 2001), "No");  // not in this catalogue
    close_message_catalogue();
    std::filesystem::remove_all(dir);
}
