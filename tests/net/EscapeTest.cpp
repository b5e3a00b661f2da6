#include "net/Downloader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Conversion {
    std::string input;
    std::string expected;
};

TEST(Escape, EncodesEverythingButUnreservedBytes)
{
    const std::vector<Conversion> cases = {
        { "AZaz09-._~", "AZaz09-._~" },
        { "a b&c=d", "a%20b%26c%3Dd" },
        { "me+you@mail.org", "me%2Byou%40mail.org" },
        { "100%/?#", "100%25%2F%3F%23" },
        { "\xC3\xA9", "%C3%A9" },
        { std::string("a\0b", 3), "a%00b" },
        { "", "" },
    };
    for (const Conversion& each : cases)
        EXPECT_EQ(escape(each.input), each.expected) << each.input;
}

}
