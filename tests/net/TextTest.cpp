#include "net/Downloader.h"
#include "net/Text.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Conversion {
    std::string input;
    std::string expected;
};

TEST(Text, ExtractResultTakesTheFirstEnvelope)
{
    const std::vector<Conversion> cases = {
        { "<result>OK</result>", "OK" },
        { "before<result> OK 1 </result>after", " OK 1 " },
        { "<result>first</result><result>second</result>", "first" },
        { "<result></result>", "" },
        { "</result><result>x</result>", "x" },
        { "<result>unclosed", "" },
        { "no envelope</result>", "" },
        { "", "" },
    };
    for (const Conversion& each : cases)
        EXPECT_EQ(extractResult(each.input), each.expected) << each.input;
}

TEST(Text, TrimRemovesBlanksAtBothEndsUnlessNothingElseIsLeft)
{
    const std::vector<Conversion> cases = {
        { "  word  ", "word" },
        { "\t\r\nword\n", "word" },
        { " two words ", "two words" },
        { "word", "word" },
        { "   ", "   " },
        { "\t\n", "\t\n" },
        { "", "" },
        { "\vword\v", "\vword\v" },
    };
    for (const Conversion& each : cases)
        EXPECT_EQ(trim(each.input), each.expected) << '"' << each.input << '"';
}

TEST(Text, StartsWithAndEndsWithCompareBytes)
{
    struct Case {
        std::string text;
        std::string part;
        bool starts;
        bool ends;
    };
    const std::vector<Case> cases = {
        { "OK 12", "OK", true, false },
        { "image.png", ".png", false, true },
        { "abc", "abc", true, true },
        { "abc", "", true, true },
        { "", "", true, true },
        { "ab", "abc", false, false },
        { "", "a", false, false },
        { "Ok", "OK", false, false },
    };
    for (const Case& each : cases) {
        EXPECT_EQ(startsWith(each.text, each.part), each.starts) << each.text << " / " << each.part;
        EXPECT_EQ(endsWith(each.text, each.part), each.ends) << each.text << " / " << each.part;
    }
}

TEST(Text, ToLowerChangesOnlyAsciiCapitals)
{
    const std::vector<Conversion> cases = {
        { "HTTP://Example.COM", "http://example.com" },
        { "already lower 09", "already lower 09" },
        { "@[`{", "@[`{" },
        { "\xC3\x89T\xC3\x89", "\xC3\x89t\xC3\x89" },
        { "", "" },
    };
    for (const Conversion& each : cases)
        EXPECT_EQ(toLower(each.input), each.expected) << each.input;
}

TEST(Text, EscapeEncodesEverythingButUnreservedBytes)
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
