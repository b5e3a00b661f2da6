#include "base/Text.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

TEST(Text, TrimKeepsAllBlanksPrefixesAndSuffixesMatchByteForByteAndLowerCaseIsAscii)
{
    const std::pair<std::string, std::string> cases[] = { { "  word  ", "word" }, { "\t\r\nword\n", "word" }, { " two words ", "two words" },
        { "word", "word" }, { "   ", "   " }, { "\t\n", "\t\n" }, { "", "" }, { "\vword\v", "\vword\v" } };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(trim(input), expected) << '"' << input << '"';
    // Image names are told by their suffix and URLs by their scheme, in any case.
    EXPECT_TRUE(startsWith("images/boat.png", "images/") && startsWith("abc", "abc") && startsWith("abc", ""));
    EXPECT_FALSE(startsWith("ab", "abc") || startsWith("xabc", "abc"));
    EXPECT_TRUE(endsWith("boat.png", ".png") && endsWith(".png", ".png") && endsWith("abc", ""));
    EXPECT_FALSE(endsWith("ng", ".png") || endsWith("boat.PNG", ".png") || endsWith("a.pngx", ".png"));
    EXPECT_EQ(toLower("HTTP://Host/AZ@[`az\xc9"), "http://host/az@[`az\xc9");
}

}
