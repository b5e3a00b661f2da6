#include "net/Downloader.h"
#include "net/Protocol.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Conversion {
    std::string input;
    std::string expected;
};

TEST(Protocol, ExtractResultTakesTheFirstEnvelope)
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

TEST(Protocol, AnswerTableSkipsOkAndItsSeparator)
{
    EXPECT_EQ(answerTable("OK"), "");
    EXPECT_EQ(answerTable("OK "), "");
    EXPECT_EQ(answerTable("OK races = {}"), "races = {}");
}

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
