// The compiled-in resource file: what the program shows and sends when nothing is installed.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "ui/app_resources.h"

namespace {

std::map<std::string, std::string> fallback_map()
{
    std::map<std::string, std::string> m;
    for (String* line = tarnedit_fallback_resources(); *line; ++line) {
        std::string s = *line;
        auto colon = s.find(':');
        if (colon == std::string::npos) continue;
        std::string value = s.substr(colon + 1);
        value.erase(0, value.find_first_not_of(" \t"));
        m[s.substr(0, colon)] = value;
    }
    return m;
}

}  // namespace

TEST(AppResources, FallbackCarriesItsVersionAndNoComments)
{
    auto m = fallback_map();
    EXPECT_EQ(tarnedit_resource_version(), m["Tarnedit.resourceVersion"]);
    for (String* line = tarnedit_fallback_resources(); *line; ++line) {
        EXPECT_NE('!', (*line)[0]) << *line;
        EXPECT_NE('\0', (*line)[0]);
    }
}

TEST(AppResources, InstalledVersionIsClassified)
{
    EXPECT_EQ(ResourceState::missing, classify_resources(""));
    EXPECT_EQ(ResourceState::current, classify_resources(tarnedit_resource_version()));
    EXPECT_EQ(ResourceState::stale, classify_resources("0.9"));
}
