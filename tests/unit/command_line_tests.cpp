// The command line, read strictly in pairs, and the host-name replacement.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/globals.h"

namespace {
CommandLine parse(std::vector<const char*> args) {
    args.insert(args.begin(), "tarnedit");
    return parse_command_line(static_cast<int>(args.size()), args.data());
}
}  // namespace

TEST(CommandLine, AcceptsThePairsAndTheLastOfARepeatedOptionWins) {
    CommandLine none = parse({});
    EXPECT_TRUE(none.ok);
    EXPECT_EQ(none.host, "localhost");
    EXPECT_EQ(none.template_name, "Noname");
    EXPECT_EQ(none.fd, 0);

    CommandLine all = parse({"-host", "nms1", "-t", "first", "-fd", "5", "-t", "second"});
    EXPECT_TRUE(all.ok);
    EXPECT_EQ(all.host, "nms1");
    EXPECT_EQ(all.template_name, "second");
    EXPECT_EQ(all.fd, 5);

    // A recognised option takes the next argument whatever it looks like.
    CommandLine odd = parse({"-t", "-host", "-host", "-t"});
    EXPECT_TRUE(odd.ok);
    EXPECT_EQ(odd.template_name, "-host");
    EXPECT_EQ(odd.host, "-t");

    EXPECT_EQ(parse({"-fd", "abc"}).fd, 0);  // not a number: no report
    EXPECT_EQ(parse({"-fd", "-1"}).fd, -1);
}

TEST(CommandLine, EverythingElseIsAUsageError) {
    const std::vector<std::vector<const char*>> refused = {
        {"-help"},          {"-h"},         {"extra"},         {"-fd"},          {"-host"},
        {"-t"},             {"-t", "a", "-t"}, {"-display", ":0"}, {"-geometry", "100x100"},
        {"-xrm", "*x: y"},  {"-iconic"},    {"-T", "x"},       {"-host", "h", "-help"},
    };
    for (const auto& args : refused) {
        std::string shown;
        for (const char* a : args) shown += std::string(a) + " ";
        EXPECT_FALSE(parse(args).ok) << shown;
    }
}

TEST(CommandLine, ValuesTooLongForTheirBuffersAreRefused) {
    std::string longest(PLATFORM_NAME_SIZE - 1, 'h');
    std::string too_long(PLATFORM_NAME_SIZE, 'h');
    EXPECT_TRUE(parse({"-host", longest.c_str()}).ok);
    EXPECT_FALSE(parse({"-host", too_long.c_str()}).ok);
    std::string longest_name(TEMPLATE_NAME_SIZE - 1, 't');  // 64 characters, the engine's limit
    std::string too_long_name(TEMPLATE_NAME_SIZE, 't');
    EXPECT_TRUE(parse({"-t", longest_name.c_str()}).ok);
    EXPECT_FALSE(parse({"-t", too_long_name.c_str()}).ok);
}

TEST(CommandLine, OnlyLocalhostIsReplacedByThisMachinesName) {
    char name[256] = {};
    ASSERT_EQ(gethostname(name, sizeof name - 1), 0);
    char host[PLATFORM_NAME_SIZE] = "localhost";
    replace_localhost(host, sizeof host);
    EXPECT_EQ(std::string(host), std::string(name).substr(0, PLATFORM_NAME_SIZE - 1));

    char other[PLATFORM_NAME_SIZE] = "Localhost";
    replace_localhost(other, sizeof other);
    EXPECT_STREQ(other, "Localhost");

    char tiny[4] = "loc";  // not "localhost": untouched, and never overrun
    replace_localhost(tiny, sizeof tiny);
    EXPECT_STREQ(tiny, "loc");
}
