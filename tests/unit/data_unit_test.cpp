// DataUnit: shared contents, views, private copies and the terminator invariant.
#include <gtest/gtest.h>

#include <string>

#include "platform/vorn.h"

TEST(DataUnit, EmptySourcesGiveTheEmptyValue) {
    for (const DataUnit& d : {DataUnit(), DataUnit(static_cast<const char*>(nullptr)), DataUnit(""),
                              DataUnit(std::string()), DataUnit("abc", 0)}) {
        EXPECT_TRUE(d.empty());
        EXPECT_STREQ(d.c_str(), "");
        EXPECT_EQ(d, DataUnit());
    }
}

TEST(DataUnit, CopiesShareAndOutliveTheirSource) {
    DataUnit* original = new DataUnit("temperature > 40");
    DataUnit copy = *original;
    DataUnit assigned;
    assigned = copy;
    assigned = assigned;  // self-assignment keeps the value
    delete original;
    EXPECT_STREQ(copy.c_str(), "temperature > 40");
    EXPECT_STREQ(assigned.c_str(), "temperature > 40");
    assigned = DataUnit("other");
    EXPECT_STREQ(copy.c_str(), "temperature > 40") << "assignment changed a sharer";
    EXPECT_EQ(std::string("x\0y", 3), DataUnit(std::string("x\0y", 3)).str());
}

TEST(DataUnit, ViewsReadOnlyTheirWindowAndNeverTheSource) {
    DataUnit whole("ifOperStatus");
    DataUnit middle = whole.sub(2, 4);
    DataUnit tail = whole.sub(8, 100);  // clamped
    EXPECT_EQ(middle.length(), 4u);
    EXPECT_EQ(middle, DataUnit("Oper"));
    EXPECT_STREQ(middle.c_str(), "Oper") << "a view must be terminated at its own end";
    EXPECT_STREQ(tail.c_str(), "atus");
    EXPECT_STREQ(whole.c_str(), "ifOperStatus") << "making a view private changed the source";
    EXPECT_TRUE(whole.sub(12, 1).empty());
    EXPECT_TRUE(whole.sub(0, 0).empty());
    EXPECT_EQ(middle.sub(1, 2).str(), "pe") << "a view of a view";

    // A view that is the last holder of its contents.
    DataUnit last;
    {
        DataUnit temp("abcdef");
        last = temp.sub(1, 3);
    }
    EXPECT_STREQ(last.c_str(), "bcd");
    EXPECT_NE(DataUnit("abc"), DataUnit("abd"));
    EXPECT_NE(DataUnit("abc"), DataUnit("ab"));
}
