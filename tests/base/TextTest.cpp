#include "base/Text.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Conversion {
    std::string input;
    std::string expected;
};

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

}
