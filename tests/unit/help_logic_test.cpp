// The help client's toolkit-free parts: finding files, the records and commands, and the
// viewer's help-file reader.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "help/help_paths.h"
#include "help/help_protocol.h"
#include "help/viewer/help_text.h"
#include "support/store_fixture.h"

namespace fs = std::filesystem;
namespace hp = help_protocol;
namespace ht = help_text;

namespace {
class HelpPaths : public ::testing::Test {
protected:
    void SetUp() override {
        file("doc.hlp", 0644);
        file("secret", 0200);
        fs::create_directory(dir + "/sub");
        fs::create_directory(dir + "/folder");
        fs::create_symlink("doc.hlp", dir + "/rel");
        fs::create_symlink(dir + "/doc.hlp", dir + "/abs");
        fs::create_symlink("../rel", dir + "/sub/up");  // relative to the link's folder, then on
        fs::create_symlink("missing", dir + "/dangling");
        chain("c20_", 20);
        chain("c21_", 21);
        mkfifo((dir + "/fifo").c_str(), 0600);  // neither a file nor a folder; opening it would block
    }
    void file(const std::string& name, mode_t mode) {
        std::ofstream(dir + "/" + name) << "x";
        chmod((dir + "/" + name).c_str(), mode);
    }
    // prefix1 -> prefix2 -> ... -> prefixN -> doc.hlp: N links.
    void chain(const std::string& prefix, int links) {
        for (int i = 1; i <= links; ++i)
            fs::create_symlink(i == links ? "doc.hlp" : prefix + std::to_string(i + 1), dir + "/" + prefix + std::to_string(i));
    }
    testenv::TempDir temp;
    const std::string dir = temp.path();
};
}  // namespace

TEST_F(HelpPaths, FindInPathSearchesInOrderFollowsLinksAndRefusesWhatDoesNotFit) {
    const mode_t readable = S_IFREG | S_IRUSR;
    std::string long_element(HELP_PATH_MAX, 'a');
    struct Case {
        const char* value;  // null: variable unset
        std::string name;
        mode_t mode;
        int result;
        std::string out;
    } cases[] = {
        {"/nonexistent:DIR", "doc.hlp", readable, 1, "DIR/doc.hlp"},
        {"DIR/sub:DIR", "doc.hlp", readable, 1, "DIR/doc.hlp"},
        {"::DIR:", "doc.hlp", readable, 1, "DIR/doc.hlp"},  // empty elements are tried and pass
        {"DIR", "rel", readable, 1, "DIR/doc.hlp"},          // link resolved in out
        {"DIR", "secret", readable, -1, ""},                 // mode bits missing
        {"DIR", "secret", S_IWUSR, 1, "DIR/secret"},
        {nullptr, "doc.hlp", readable, -1, ""},
        {"", "doc.hlp", readable, -1, ""},
        {"/nowhere", "DIR/doc.hlp", readable, 0, "DIR/doc.hlp"},  // a name with '/' is used as written
        {"/nowhere", "DIR/secret", readable, -1, ""},
        // Links followed up to twenty deep, a relative one from its own folder on.
        {nullptr, "DIR/abs", readable, 0, "DIR/doc.hlp"},
        {nullptr, "DIR/sub/up", readable, 0, "DIR/doc.hlp"},
        {nullptr, "DIR/c20_1", readable, 0, "DIR/doc.hlp"},
        // Refused by the lookup itself, whatever the mode asked: regular files only.
        {nullptr, "DIR/c21_1", 0, -1, ""}, {nullptr, "DIR/dangling", 0, -1, ""}, {nullptr, "DIR/folder", 0, -1, ""},
        {nullptr, "DIR/fifo", 0, -1, ""},  {nullptr, "DIR/nothing", 0, -1, ""},  {"DIR", "fifo", 0, -1, ""},
    };
    auto expand = [&](std::string s) {
        for (std::size_t at; (at = s.find("DIR")) != std::string::npos;) s.replace(at, 3, dir);
        return s;
    };
    for (const Case& c : cases) {
        if (c.value) setenv("HELP_TEST_PATH", expand(c.value).c_str(), 1);
        else unsetenv("HELP_TEST_PATH");
        char out[HELP_PATH_MAX];
        std::string name = expand(c.name);
        EXPECT_EQ(find_in_path("HELP_TEST_PATH", name.c_str(), c.mode, out), c.result) << (c.value ? c.value : "(unset)") << " " << c.name;
        if (!c.out.empty()) {
            EXPECT_EQ(fs::path(out).lexically_normal(), fs::path(expand(c.out))) << c.name;
        }
    }

    // Elements and names too long for the buffer are refused, never cut or overrun.
    char guarded[HELP_PATH_MAX + 16];
    std::memset(guarded, '#', sizeof guarded);
    setenv("HELP_TEST_PATH", (long_element + ":" + dir).c_str(), 1);
    EXPECT_EQ(find_in_path("HELP_TEST_PATH", "doc.hlp", readable, guarded), 1);
    EXPECT_EQ(find_in_path(nullptr, ("/" + long_element).c_str(), readable, guarded), -1);
    EXPECT_EQ(guarded[HELP_PATH_MAX], '#');
    char joined[8];
    EXPECT_FALSE(join_help_path(joined, sizeof joined, "abc", "defg"));
    EXPECT_TRUE(join_help_path(joined, sizeof joined, "abc", "def"));
    EXPECT_STREQ(joined, "abc/def");
}

TEST(HelpProtocol, RecordsAreReadWholeFromTheirOwnTypeAndFormatOnly) {
    hp::Record mine = hp::Record::for_client(67890);
    mine.set_window(0x1200007);
    ASSERT_TRUE(mine.set_command("-c 5000 /x/corvane_help.hlp\n"));
    hp::Record other = hp::Record::for_client(4242);
    std::vector<unsigned char> bytes = hp::write_records({other, mine});
    ASSERT_EQ(bytes.size(), 2 * hp::RECORD_SIZE);
    EXPECT_EQ(bytes[hp::RECORD_SIZE + 32], '-');

    struct Case {
        const char* what;
        std::size_t size;
        int format;
        bool own_type;
        std::size_t records;
    } cases[] = {
        {"two whole", bytes.size(), 8, true, 2},
        {"partial tail ignored", bytes.size() - 1, 8, true, 1},
        {"shorter than one", 100, 8, true, 0},
        {"format 32", bytes.size(), 32, true, 0},
        {"another type", bytes.size(), 8, false, 0},
    };
    for (const Case& c : cases) {
        auto records = hp::read_records(bytes.data(), c.size, c.format, c.own_type);
        EXPECT_EQ(records.size(), c.records) << c.what;
    }
    auto records = hp::read_records(bytes.data(), bytes.size(), 8, true);
    hp::Record* found = hp::find_record(records, 67890);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->window(), 0x1200007u);
    EXPECT_EQ(found->command(), "-c 5000 /x/corvane_help.hlp\n");
    EXPECT_EQ(hp::find_record(records, 1), nullptr);

    // A command field without its NUL reads as no command; one too long is not stored.
    std::memset(found->bytes.data() + 32, 'z', hp::COMMAND_SIZE);
    EXPECT_EQ(found->command(), "");
    EXPECT_FALSE(found->set_command(std::string(hp::COMMAND_SIZE, 'y')));
    EXPECT_TRUE(found->set_command(std::string(hp::COMMAND_SIZE - 1, 'y')));
}

TEST(HelpProtocol, CommandsAreWrittenWithinARecordAndReadBack) {
    EXPECT_EQ(hp::topic_command(5000, "/a/b.hlp"), "-c 5000 /a/b.hlp\n");
    EXPECT_EQ(hp::contents_command("/a/b.hlp"), "-i /a/b.hlp\n");
    EXPECT_EQ(hp::quit_command(67890), "-q 67890\n");
    // "-c 5000 " + file + "\n" must leave room for the NUL.
    EXPECT_EQ(hp::topic_command(5000, std::string(hp::COMMAND_SIZE - 10, 'f')).size(), hp::COMMAND_SIZE - 1);
    EXPECT_EQ(hp::topic_command(5000, std::string(hp::COMMAND_SIZE - 9, 'f')), "");
    EXPECT_EQ(hp::contents_command("a\nb"), "");

    struct Case {
        std::string text;
        hp::Verb verb;
        long number;
        std::string file;
    } cases[] = {
        {"-c 5300 /opt/help dir/corvane_help.hlp\n", hp::Verb::Topic, 5300, "/opt/help dir/corvane_help.hlp"},
        {"-i /x.hlp\n", hp::Verb::Contents, 0, "/x.hlp"},
        {"-q 67890\n", hp::Verb::Quit, 67890, ""},
        {"-q 67890 extra\n", hp::Verb::Invalid, 0, ""},
        {"-c 5300\n", hp::Verb::Invalid, 0, ""},
        {"-c x /f\n", hp::Verb::Invalid, 0, ""},
        {"-c 99999999999999999999 /f\n", hp::Verb::Invalid, 0, ""},
        {"-i \n", hp::Verb::Invalid, 0, ""},
        {"-x 1\n", hp::Verb::Invalid, 0, ""},
        {"", hp::Verb::Invalid, 0, ""},
    };
    for (const Case& c : cases) {
        hp::Command cmd = hp::parse_command(c.text);
        EXPECT_EQ(cmd.verb, c.verb) << c.text;
        if (c.verb == hp::Verb::Invalid) continue;
        EXPECT_EQ(cmd.number, c.number) << c.text;
        EXPECT_EQ(cmd.file, c.file) << c.text;
    }
}

TEST(HelpText, PagesLinksAndFind) {
    ht::Parsed p = ht::parse(
        "# comment\n"
        ".title Demo Help\n"
        ".contents Contents\n"
        "See {10|the first topic}\n"
        "and {{braces}.\n"
        "\n"
        ".topic 10 First\n"
        "== Controls\n"
        "- Save: writes\n"
        "  the template.\n"
        "- Back: {0|contents}\n"
        "== More\n"
        "text\n");
    ASSERT_TRUE(p.problems.empty()) << p.problems.front().what;
    EXPECT_EQ(p.document.title, "Demo Help");
    ASSERT_EQ(p.document.topics.size(), 2u);
    const ht::Topic& contents = p.document.topics[0];
    EXPECT_EQ(contents.number, ht::CONTENTS);
    EXPECT_EQ(contents.text, "Contents\n\nSee the first topic and {braces}.\n");
    ASSERT_EQ(contents.links.size(), 1u);
    EXPECT_EQ(contents.text.substr(contents.links[0].start, contents.links[0].end - contents.links[0].start),
              "the first topic");
    EXPECT_EQ(ht::link_at(contents, contents.links[0].start)->target, 10);
    EXPECT_EQ(ht::link_at(contents, contents.links[0].end), nullptr);
    const ht::Topic* first = p.document.find(10);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->text, "First\n\nControls\n- Save: writes the template.\n- Back: contents\n\nMore\ntext\n");

    ht::Place found;
    ASSERT_TRUE(ht::find_next(p.document, "THE", {0, 0}, found));
    EXPECT_EQ(found.topic, 0u);
    ASSERT_TRUE(ht::find_next(p.document, "the", {0, found.offset + 1}, found));
    EXPECT_EQ(found.topic, 1u);  // on to the next page
    ASSERT_TRUE(ht::find_next(p.document, "see", {1, 0}, found));
    EXPECT_EQ(found.topic, 0u);  // round to the start
    EXPECT_FALSE(ht::find_next(p.document, "absent", {0, 0}, found));
}

TEST(HelpText, ProblemsAreReportedWithTheirLine) {
    struct Case {
        std::string source;
        int line;
        std::string what;
    } cases[] = {
        {"stray text\n.topic 1 A\n", 1, "text outside a topic"},
        {".topic 1 A\n.topic 1 B\n", 2, "topic 1 appears twice"},
        {".topic 1 A\nsee {2|two}\n", 2, "which the file does not have"},
        {".topic 1 A\nbroken {1 link\n", 2, "a link is {number|text}"},
        {".topic 1 A\n{x|bad}\n", 2, "a link is {number|text}"},
        {".contents C\n.topic x A\n", 2, "a topic needs a number above 0"},
    };
    for (const Case& c : cases) {
        ht::Parsed p = ht::parse(c.source);
        ASSERT_FALSE(p.problems.empty()) << c.source;
        EXPECT_EQ(p.problems.front().line, c.line) << c.source;
        EXPECT_NE(p.problems.front().what.find(c.what), std::string::npos) << p.problems.front().what;
    }
}

// Each file the viewer cannot show is refused whole with its reason; the largest it takes is
// taken. A FIFO is refused before it is opened (opening one would block).
TEST(HelpText, FilesItCannotShowAreRefusedWithTheirReason) {
    testenv::TempDir temp;
    auto topics = [](std::size_t n) {
        std::string text;
        for (std::size_t i = 1; i <= n; ++i) text += ".topic " + std::to_string(i) + " T\n";
        return text;
    };
    const struct {
        const char* name;
        std::string contents;  // written as the file; "(fifo)" and "(absent)" are made so
        std::string reason;    // "" : read
    } cases[] = {
        {"absent", "(absent)", "No such file or directory"},
        {"fifo", "(fifo)", "it is not a regular file"},
        {"empty", "", "it is empty"},
        {"binary", std::string("\x7f" "ELF\2\1\0", 7), "it is not text (byte 0x7f at offset 0)"},
        {"nul", std::string(".contents C\nab\0c\n", 17), "it is not text (byte 0x00 at offset 14)"},
        {"comments", "# nothing else\n\n", "it has no topics"},
        {"too big", std::string(ht::MAX_FILE_BYTES + 1, ' '), "it is larger than 4 MB"},
        {"longest line", ".contents C\n" + std::string(ht::MAX_LINE_BYTES, 'x') + "\n", ""},
        {"long line", ".contents C\n" + std::string(ht::MAX_LINE_BYTES + 1, 'x') + "\n",
         "line 2 is longer than 1048576 bytes"},
        {"most topics", topics(ht::MAX_TOPICS), ""},
        {"too many topics", topics(ht::MAX_TOPICS + 1), "it has more than 10000 topics"},
    };
    for (const auto& c : cases) {
        std::string path = temp.path() + "/" + c.name;
        if (c.contents == "(fifo)") mkfifo(path.c_str(), 0600);
        else if (c.contents != "(absent)") std::ofstream(path, std::ios::binary) << c.contents;
        ht::Parsed p = ht::read_file(path);
        EXPECT_EQ(p.refused, c.reason) << c.name;
        EXPECT_EQ(p.document.topics.empty(), !c.reason.empty()) << c.name;
    }
}

// Lines the text widget would wrap slowly are broken, at a blank where there is one, and
// links keep covering their words.
TEST(HelpText, LongLinesAreBrokenAndLinksMoveWithTheirWords) {
    const struct {
        const char* name;
        std::string unit;   // repeated to fill one paragraph
        std::string label;  // of its link
    } cases[] = {
        {"words and links", "see {0|the contents} and more words ", "the contents"},
        {"one word", "x{0|link}\xc3\xa9", "link"},  // no blank: broken between two characters
    };
    for (const auto& c : cases) {
        std::string line;
        while (line.size() < 5 * ht::MAX_SHOWN_LINE) line += c.unit;
        ht::Parsed p = ht::parse(".contents C\n" + line + "\n");
        ASSERT_TRUE(p.problems.empty()) << c.name;
        const ht::Topic& t = p.document.topics.at(0);
        std::size_t longest = 0, lines = 0;
        for (std::size_t start = 0, nl; (nl = t.text.find('\n', start)) != std::string::npos; start = nl + 1, ++lines)
            longest = std::max(longest, nl - start);
        EXPECT_LE(longest, ht::MAX_SHOWN_LINE + 1) << c.name;
        EXPECT_GT(lines, 5u) << c.name;
        ASSERT_FALSE(t.links.empty());
        for (const ht::Link& l : t.links) {
            // A blank that became a line break, or a line break put between two letters.
            std::string shown = t.text.substr(l.start, l.end - l.start), joined = shown;
            std::replace(shown.begin(), shown.end(), '\n', ' ');
            joined.erase(std::remove(joined.begin(), joined.end(), '\n'), joined.end());
            EXPECT_TRUE(shown == c.label || joined == c.label) << c.name << ": " << shown;
        }
    }
}

TEST(HelpText, TheShippedHelpFileHasAContentsPageAndEveryButtonsTopic) {
    std::ifstream in(std::string(TEST_SOURCE_DIR) + "/../resources/help/corvane_help.hlp");
    std::stringstream all;
    all << in.rdbuf();
    ht::Parsed p = ht::parse(all.str());
    for (const ht::Problem& problem : p.problems) ADD_FAILURE() << "line " << problem.line << ": " << problem.what;
    for (int topic : {0, 5000, 5100, 5200, 5300, 5400, 5500, 5600, 5700, 5800, 5900, 6100})
        EXPECT_NE(p.document.find(topic), nullptr) << topic;
}
