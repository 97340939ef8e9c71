// Line formats, name and description rules, the ground choice and the list order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "template/line_format.h"
#include "template/name_rules.h"

namespace {

TEST(LineFormat, ToStateOfTwentyFiveTouchesItsCondition) {
    std::string s24(24, 's'), s25(25, 's'), s30(30, 's');
    EXPECT_EQ(s24 + " c", lines::transition(s24.c_str(), "c"));
    EXPECT_EQ(s25 + "c", lines::transition(s25.c_str(), "c"));
    EXPECT_EQ(s30 + "c", lines::transition(s30.c_str(), "c"));
    // The order dialog splits such a line at white space: the names come back glued.
    EXPECT_EQ(s25 + "c", lines::first_word(lines::transition(s25.c_str(), "c")));
}

TEST(LineFormat, AnythingTheStoreHoldsStaysBoundedAndWhole) {
    std::string huge(5000, 'x');
    EXPECT_EQ(149u, lines::text_view_state(huge.c_str()).size());
    EXPECT_EQ(99u, lines::transition(huge.c_str(), "c").size());
    EXPECT_EQ(375u, lines::template_line("t", huge.c_str(), lines::TEMPLATE_REFRESH).size());
    EXPECT_EQ(99u, lines::severity_line(huge.c_str(), 1, "red", lines::SEVERITY_START).size());
    // A two-byte character straddling the bound is dropped, not cut in half.
    std::string accents;
    for (int i = 0; i < 100; ++i) accents += "\xC3\xA9";
    std::string to = "x" + accents;  // "-> x" then two-byte characters from byte 4 on
    std::string line = lines::state_dump_transition(to.c_str(), "c");
    EXPECT_EQ(98u, line.size());
    EXPECT_EQ("-> " + to.substr(0, 95), line);
    EXPECT_EQ("Nocolor         1               ", lines::severity_line("Nocolor", 1, ""))
        << "an empty colour still pads its column";
    // Formats are never taken from the data, and null texts read as "".
    EXPECT_EQ("%s%n", lines::text_view_state("%s%n"));
    EXPECT_EQ("       -> " + std::string(15, ' ') + "()", lines::text_view_transition(nullptr, nullptr));
}

// (The plain ASCII lines, each format's own, are what the GUI tests read back from the lists.)
TEST(LineFormat, ColumnsPadByCharactersShown) {
    struct Row {
        std::string got, want;
    };
    const Row rows[] = {
        {lines::state_list("a_name_longer_than_15", "s", "p"), "a_name_longer_than_15 s               p"},
        // UTF-8: a letter of two bytes takes one column, a CJK character two, a combining mark none.
        {lines::text_view_transition("\u00dcberlast", "c"), "       -> \u00dcberlast       (c)"},
        {lines::text_view_transition("\u6b63\u5e38", "c"), "       -> \u6b63\u5e38           (c)"},
        {lines::state_list("St\u00f6rung", "\u6b63\u5e38", "Poll"), "St\u00f6rung         \u6b63\u5e38            Poll"},
        {lines::transition("Cafe\u0301", "c"), "Cafe\u0301" + std::string(21, ' ') + "c"},
        {lines::text_view_action("\u6b63\u5e38", "a", "b"), std::string(30 + 11, ' ') + "\u6b63\u5e38 : a b"},
        {lines::severity_line("\u00dc", 1, "gr\u00fcn"), "\u00dc               1     gr\u00fcn      "},
        // A byte that is not UTF-8 still takes its one column.
        {lines::transition("x\xFF", "c"), "x\xFF" + std::string(23, ' ') + "c"},
    };
    for (std::size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) EXPECT_EQ(rows[i].want, rows[i].got) << "row " << i;
}

TEST(ListOrder, ByteOrderWithShorterPrefixFirstAndEqualLinesStable) {
    std::vector<std::string> in = {lines::pollrate_line("b", 1), lines::pollrate_line("abc", 2),
                                   lines::pollrate_line("a", 3), lines::pollrate_line("ab", 4),
                                   lines::pollrate_line("B", 5)};
    std::vector<std::string> out = lines::in_list_order(in);
    std::vector<std::string> names;
    for (const auto& l : out) names.push_back(lines::first_word(l));
    EXPECT_EQ((std::vector<std::string>{"B", "a", "ab", "abc", "b"}), names);

    // The same order as inserting one by one with insert_position.
    std::vector<std::string> one_by_one;
    for (const auto& l : in) {
        int pos = lines::insert_position(one_by_one, l);
        one_by_one.insert(pos ? one_by_one.begin() + (pos - 1) : one_by_one.end(), l);
    }
    EXPECT_EQ(out, one_by_one);
    EXPECT_EQ(0, lines::insert_position({"a", "b"}, "b")) << "an equal line goes after";
    EXPECT_EQ(1, lines::insert_position({"b"}, "a"));
}

// Option menus show long names cut in the middle, and read the whole name back.
TEST(LineFormat, CutInTheMiddleKeepsStartAndEndOnCharacters) {
    auto bytes = [](const std::string& t) { return static_cast<int>(t.size()); };
    const std::string e = "\xC3\xA9";  // two bytes, one character
    const struct {
        std::string text;
        int room;
        std::string shown;
    } cases[] = {
        {"Ground", 6, "Ground"},
        {"abcdefghij", 9, "abc...hij"},
        {"abcdefghij", 8, "abc...ij"},  // the start takes the odd character
        {e + e + e + e + e, 8, e + "..." + e},
        {"abcdef", 2, "..."},
    };
    for (const auto& c : cases) {
        std::string shown = lines::cut_middle(c.text, c.room, bytes);
        EXPECT_EQ(c.shown, shown) << c.text << " in " << c.room;
        EXPECT_EQ(shown != c.text, lines::is_cut_of(shown, c.text)) << shown;
    }
    EXPECT_FALSE(lines::is_cut_of("abc...hij", "abcdefghik"));
}

TEST(NameRules, NamesAreOneVisibleWordOfAtMostSixtyFourBytes) {
    struct Case {
        const char* text;
        NameCheck check;
        const char* character;  // named for HasSpace and Invisible when one is found
    };
    const Case cases[] = {
        {"", NameCheck::Blank, ""},
        {" \t ", NameCheck::Blank, ""},
        {"two words", NameCheck::HasSpace, ""},
        {"  report  ", NameCheck::Ok, ""},
        {"no\u00A0break", NameCheck::HasSpace, "U+00A0"},
        {"\u3000wide", NameCheck::HasSpace, "U+3000"},
        {"Ro\u202Euter", NameCheck::Invisible, "U+202E"},  // right-to-left override
        {"\u2066Router", NameCheck::Invisible, "U+2066"},  // left-to-right isolate
        {"Rou\u200Bter", NameCheck::Invisible, "U+200B"},  // zero-width space
        {"a\u200Db", NameCheck::Invisible, "U+200D"},      // zero-width joiner
        {"\uFEFFRouter", NameCheck::Invisible, "U+FEFF"},  // byte order mark
        {"\u3164", NameCheck::Invisible, "U+3164"},        // Hangul filler
        {"x\uFFA0", NameCheck::Invisible, "U+FFA0"},       // halfwidth Hangul filler
        {"one\u2028two", NameCheck::HasSpace, "U+2028"},   // line separator
        {"one\u2029two", NameCheck::HasSpace, "U+2029"},   // paragraph separator
        {"esc\x1b[2J", NameCheck::Invisible, "U+001B"},
        {"csi\u009B2J", NameCheck::Invisible, "U+009B"},
        {"soft\u00ADhyphen", NameCheck::Invisible, "U+00AD"},
        {"Rout\u0435r", NameCheck::MixedScripts, ""},      // Cyrillic ie
        {"\u0391lpha", NameCheck::MixedScripts, ""},       // Greek capital alpha
        {"x\u0661" "1", NameCheck::MixedScripts, ""},      // Arabic-Indic and ASCII digits
        {"Caf\u00E9", NameCheck::Ok, ""},
        {"Cafe\u0301", NameCheck::Ok, ""},
        {"\u0421\u0435\u0440\u0432\u0435\u0440_2", NameCheck::Ok, ""},  // Cyrillic alone
        {"\u6771\u4EAC\u30BF\u30EF\u30FC-Tokyo", NameCheck::Ok, ""},     // Han, Katakana, Latin
        {"link.down-2", NameCheck::Ok, ""},
    };
    for (const Case& c : cases) {
        std::string character;
        EXPECT_EQ(c.check, check_name(c.text, false, &character)) << c.text;
        EXPECT_EQ(c.character, character) << c.text;
        // A name stored before the rule keeps its own: one word.
        if (c.check != NameCheck::HasSpace && c.check != NameCheck::Blank) {
            EXPECT_EQ(NameCheck::Ok, check_name(c.text, true)) << c.text;
        }
    }
    EXPECT_EQ("Caf\u00E9", new_name_word(" Cafe\u0301 ")) << "a new name is stored composed";
    EXPECT_EQ("Cafe\u0301", name_word("Cafe\u0301")) << "a name looked up is taken as typed";
    EXPECT_EQ("report", name_word("  report  "));
    EXPECT_EQ(std::string(64, 'n'), name_word(std::string(100, 'n')));
    std::string accented = std::string(63, 'n') + "\xC3\xA9";
    EXPECT_EQ(std::string(63, 'n'), name_word(accented)) << "never half a character";
}

TEST(NameRules, OfferedCopyNamesStayValidNames) {
    std::string accented = std::string(61, 'n') + "\xC3\xA9";  // 63 bytes
    struct Case {
        std::string name;
        int n;
        std::string offered;
    };
    const Case cases[] = {
        {"router", 1, "router"},
        {"router", 2, "router_2"},
        {std::string(64, 'n'), 12, std::string(61, 'n') + "_12"},
        {accented, 2, std::string(61, 'n') + "_2"},  // cut before the character, not through it
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.offered, numbered_name(c.name, c.n)) << c.name << " " << c.n;
        EXPECT_EQ(NameCheck::Ok, check_name(c.offered));
    }
}

TEST(NameRules, DescriptionsLoseLeadingBlanksAndAreCutOnACharacter) {
    EXPECT_EQ("my template ", normalise_description(" \t my template "));
    EXPECT_FALSE(description_has_text("  \t\n"));
    EXPECT_TRUE(description_has_text(" x"));
    EXPECT_EQ(255u, normalise_description(std::string(400, 'd')).size());
    std::string euro;
    for (int i = 0; i < 100; ++i) euro += "\xE2\x82\xAC";  // 300 bytes
    std::string cut = normalise_description(euro);
    EXPECT_EQ(255u, cut.size()) << "85 whole characters";
    EXPECT_EQ(euro.substr(0, 255), cut);
    EXPECT_EQ(253u, normalise_description("x" + euro).size()) << "1 + 84 * 3, the 85th would cross";
}

}  // namespace
