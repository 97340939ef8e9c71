// The condition-code language: what it accepts (and how it groups it), what it refuses, where.
#include <gtest/gtest.h>

#include "varo/condition_parser.h"

namespace {

std::string tree(const std::string& code) {
    varo::ConditionParse p = varo::parse_condition(code);
    if (p.error) return "ERROR " + p.error->text();
    return varo::condition_to_string(*p.tree);
}

std::string error(const std::string& code) {
    auto e = varo::condition_code_error(code);
    return e ? *e : "accepted";
}

TEST(ConditionParser, PrecedenceAndGrouping) {
    EXPECT_EQ(tree("ifOperStatus != \"up\" and ifInErrors > 100"), "(and (!= ifOperStatus \"up\") (> ifInErrors 100))");
    EXPECT_EQ(tree("a or b and c"), "(or a (and b c))");
    EXPECT_EQ(tree("(a or b) and c"), "(and (or a b) c)");
    EXPECT_EQ(tree("not a == 1 or b"), "(or (not (== a 1)) b)");
    EXPECT_EQ(tree("not not a"), "(not (not a))");
    EXPECT_EQ(tree("a or b or c"), "(or (or a b) c)");
    EXPECT_EQ(tree("x + 2 * y - 1 >= -z / 4"), "(>= (- (+ x (* 2 y)) 1) (/ (- z) 4))");
    EXPECT_EQ(tree("a - b - c < 0"), "(< (- (- a b) c) 0)");
}

TEST(ConditionParser, AcceptedForms) {
    EXPECT_EQ(tree("ifAdminStatus = 1"), "(== ifAdminStatus 1)");
    EXPECT_EQ(tree("ifAdminStatus <> 1"), "(!= ifAdminStatus 1)");
    EXPECT_EQ(tree("load <= 0.75"), "(<= load 0.75)");
    EXPECT_EQ(tree("ifType in (6, 117, \"gig\")"), "(in ifType 6 117 \"gig\")");
    EXPECT_EQ(tree("ifType NOT IN (1)"), "(not in ifType 1)");
    EXPECT_EQ(tree("AND_x and True"), "(and AND_x true)") << "keywords are case-insensitive, names are not";
    EXPECT_EQ(tree("linkUp"), "linkUp") << "a bare attribute tests whether it is set";
    EXPECT_EQ(tree("ifTable.3.ifOperStatus == \"down\""), "(== ifTable.3.ifOperStatus \"down\")");
    EXPECT_EQ(tree("msg == \"say \\\"hi\\\"\\n\""), "(== msg \"say \\\"hi\\\"\\n\")");
    EXPECT_EQ(tree("# leading comment\n  a > 1   # trailing\n\n  and b < 2\n"), "(and (> a 1) (< b 2))");
    EXPECT_EQ(tree("descr == \"Ünïcödé\""), "(== descr \"Ünïcödé\")");
    EXPECT_EQ(tree("(a == b) == false"), "(== (== a b) false)");
}

TEST(ConditionParser, RefusalsSayWhereAndWhat) {
    EXPECT_EQ(error(""), "line 1, column 1: expected a condition");
    EXPECT_EQ(error("  # only a comment\n"), "line 2, column 1: expected a condition");
    EXPECT_EQ(error("a == 1 and\nb >"), "line 2, column 4: expected a value after '>'");
    EXPECT_EQ(error("a >  # nothing after\n\n"), "line 1, column 4: expected a value after '>'");
    EXPECT_EQ(error("a == 1 and\n   ) "), "line 2, column 4: expected a value after 'and', found ')'");
    EXPECT_EQ(error("(a > 1"), "line 1, column 7: expected ')' after '1' to close the '(' at line 1, column 1");
    EXPECT_EQ(error("a > 1)"), "line 1, column 6: expected 'and', 'or' or the end after '1', found ')'");
    EXPECT_EQ(error("a b"), "line 1, column 3: expected 'and', 'or' or the end after 'a', found 'b'");
    EXPECT_EQ(error("1 < a < 3"), "line 1, column 7: comparisons cannot be chained; join them with 'and'");
    EXPECT_EQ(error("s == \"open"), "line 1, column 6: unterminated string");
    EXPECT_EQ(error("s == \"two\nlines\""), "line 1, column 6: unterminated string");
    EXPECT_EQ(error("s == \"a\\q\""), "line 1, column 8: unknown escape '\\q' in a string");
    EXPECT_EQ(error("a $ b"), "line 1, column 3: unexpected character '$'");
    EXPECT_EQ(error("ä == 1"), "line 1, column 1: unexpected non-ASCII or control character");
    EXPECT_EQ(error("\"ä\" == x $"), "line 1, column 10: unexpected character '$'") << "columns count characters";
    EXPECT_EQ(error("a > 12abc"), "line 1, column 5: malformed number '12a'");
    EXPECT_EQ(error("a. == 1"), "line 1, column 1: attribute name 'a.' ends with '.'");
    EXPECT_EQ(error("a in 1, 2"), "line 1, column 6: expected '(' after 'in'");
    EXPECT_EQ(error("a in (1, 2"), "line 1, column 11: expected ',' or ')' after '2'");
    EXPECT_EQ(error("a in ()"), "line 1, column 7: expected a value after '(', found ')'");
    EXPECT_EQ(error("== 3"), "line 1, column 1: expected a condition, found '=='");
}

TEST(ConditionParser, ConditionsAndValuesAreNotMixedUp) {
    EXPECT_EQ(error("42"), "line 1, column 1: expected a condition, found a number");
    EXPECT_EQ(error("a and \"yes\""), "line 1, column 7: expected a condition, found a string");
    EXPECT_EQ(error("x + 1"), "line 1, column 1: expected a condition, found a calculation");
    EXPECT_EQ(error("not 3"), "line 1, column 5: expected a condition, found a number");
    EXPECT_EQ(error("name + 1 > 2 and \"a\" * 2 > 1"), "line 1, column 18: expected a number, found a string");
    EXPECT_EQ(error("(a > 1) < 3"), "line 1, column 2: expected a value, found a condition");
    EXPECT_EQ(error("(a or b) in (1)"), "line 1, column 2: expected a value, found a condition");
}

TEST(ConditionParser, DeepNestingIsRefusedNotACrash) {
    std::string deep(30000, '(');
    EXPECT_NE(error(deep + "a" + std::string(30000, ')')).find("nested too deeply"), std::string::npos);
    std::string nots;
    for (int i = 0; i < 10000; ++i) nots += "not ";
    EXPECT_NE(error(nots + "a").find("nested too deeply"), std::string::npos);
    EXPECT_NE(error(std::string(30000, '-') + "1 > 0").find("nested too deeply"), std::string::npos);
    EXPECT_EQ(tree(std::string(50, '(') + "a" + std::string(50, ')')), "a");
}

TEST(ConditionParser, LongCodeAndLongChainsAreRefusedNotACrash) {
    auto chain = [](int operators) {
        std::string code = "a";
        for (int i = 0; i < operators; ++i) code += " or a";
        return code;
    };
    EXPECT_EQ(error(chain(4096)), "accepted");
    EXPECT_NE(error(chain(4097)).find("more than 4096 operators"), std::string::npos);
    EXPECT_NE(error(chain(400000)).find("longer than 65536 bytes"), std::string::npos);
    std::string padded = "a == 1 #";
    padded += std::string(varo::kMaxConditionCode - padded.size(), 'x');
    EXPECT_EQ(error(padded), "accepted");
    EXPECT_EQ(error(padded + "x"), "line 1, column 1: the condition code is longer than 65536 bytes");
}

}  // namespace
