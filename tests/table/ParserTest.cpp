#include "table/Parser.h"

#include "table/CharSource.h"
#include "table/Exception.h"
#include "table/Table.h"

#include <gtest/gtest.h>

namespace {

// A compact text of a tree: i, d and s mark integers, doubles and strings; tables are
// written in iteration order.
std::string describe(const Table& table)
{
    std::string text = "{";
    for (const auto& [key, value] : table) {
        if (text.size() > 1)
            text += ",";
        text += key + ":";
        switch (value->type()) {
        case IntType: text += "i" + value->toString(); break;
        case DoubleType: text += "d" + value->toString(); break;
        case StringType: text += "s'" + value->toString() + "'"; break;
        case TableType: text += describe(*value->toTable()); break;
        }
    }
    return text + "}";
}

template <typename Parse>
std::string outcome(Parse parse)
{
    try {
        return describe(parse());
    } catch (const Exception& error) {
        return "error: " + error.message();
    }
}

// Hands out its text one byte per refill, so every read crosses a buffer boundary.
struct TrickleBuffer : std::streambuf {
    int_type underflow() override
    {
        if (position == text.size())
            return traits_type::eof();
        setg(&text[position], &text[position], &text[position] + 1);
        return traits_type::to_int_type(text[position++]);
    }

    std::string text;
    size_t position = 0;
};

// Claims a next byte when peeked but delivers none when it is taken.
struct LyingBuffer : std::streambuf {
    int_type underflow() override { return 'a'; }
    int_type uflow() override { return traits_type::eof(); }
};

// The tree as describe writes it, or the message raised. The text is read both in place
// and from a stream that delivers a byte at a time, which must give the same.
std::string parseResult(const std::string& input)
{
    std::string inPlace = outcome([&] { return parseTable(input); });
    TrickleBuffer trickle;
    trickle.text = input;
    std::istream stream(&trickle);
    EXPECT_EQ(outcome([&] { return parseTable(stream); }), inPlace) << "byte by byte";
    return inPlace;
}

// Each answer with the tree as describe writes it, then malformed ones with their message.
const std::pair<const char*, const char*> answers[] = { { "", "{}" }, { "  # only\n// remarks\r\n/* and\n more */\t", "{}" },
    { "a = 1, b = 2.5; c = hello, d = 'x y'", "{a:i1,b:d2.5,c:s'hello',d:s'x y'}" }, { "{1, 2} {3}", "{0:{0:i1,1:i2},1:{0:i3}}" },
    { "list = {a}", "{list:{0:s'a'}}" }, { "/*/ 1/2 *x **/ a = 1", "{a:i1}" },
    { "a = 'one\\ntwo'", "{a:s'onentwo'}" }, { "a = 1, b = 2, b = 3, a = 4", "{a:i4,b:i3}" },
    { "x = 1, 10, y = 2, 20", "{0:i10,1:i20,x:i1,y:i2}" }, { "a = 'it\\'s', b = \"q\\\"\\\\\"", "{a:s'it's',b:s'q\"\\'}" },
    { "a = 'line\nbreak'", "{a:s'linebreak'}" }, { "a=1;;,,b=2;", "{a:i1,b:i2}" },
    { "a = 1 b = 2", "{a:i1,b:i2}" }, { "n.x_1 = -0, _ = +7, Zulu.Az = 1", "{Zulu.Az:i1,_:i7,n.x_1:i0}" },
    { "a = 007, b = -.5, c = 3.0", "{a:i7,b:d-0.5,c:d3}" }, { "a = 2147483648, b = -2147483649", "{a:i2147483647,b:i-2147483648}" },
    { "a='x'b=1", "{a:s'x',b:i1}" }, { "a = {}, b = {c = {d = 1}}", "{a:{},b:{c:{d:i1}}}" },
    { "a = 1 # remark\nb = 2 // remark", "{a:i1,b:i2}" }, { "s = '\xc3\xa9t\xc3\xa9'", "{s:s'\xc3\xa9t\xc3\xa9'}" },
    { "a = x, b,", "{0:s'b',a:s'x'}" },
    { "x = 5.", "error: Missing digit after dot at (1:6)" }, { "x = 1.2.3", "error: To many dots in number at (1:8)" },
    { "x = 12ab", "error: invalid number at (1:7)" }, { "x = -", "error: Invalid long '-'" },
    { "a b", "error: Unexpected token at (0:0)" }, { "t = {\n a 'b' }", "error: Unexpected token at (1:4)" },
    { "x = ", "error: Unexpected end of file" }, { "a = {\n  b = {1,\n", "error: Table started at (2:6) is never finished" },
    { "x = 3 {", "error: Table started at (1:6) is never finished" }, { "/* note", "error: Remark started at (1:2) is not closed" },
    { "a = 1\n  /* x\n\n", "error: Remark started at (2:4) is not closed" }, { "abc = @", "error: Invalid character at (1:6)" },
    { "a = 1 / 2", "error: Invalid character at (1:6)" }, { "a = /", "error: Invalid character at (1:4)" },
    { "\x80", "error: Invalid character at (1:0)" }, { "# c\n@", "error: Invalid character at (2:0)" },
    { "// c\r\n @", "error: Invalid character at (2:1)" }, { "/* a\n b */ @", "error: Invalid character at (2:6)" },
    { "a = \"x\ny\" @", "error: Invalid character at (2:3)" }, { "a = 'x\\ y'", "error: Invalid escape sequence at (1:7)" },
    { "a = 1,\n'\\\n'", "error: Invalid escape sequence at (2:2)" }, { "a = 'abc", "error: String at (1:4) doesn't closed" },
    { "a = 'abc\\", "error: String at (1:4) doesn't closed" }, { "a = \"x\ny'", "error: String at (1:4) doesn't closed" },
    { "a=1}", "error: Invalid lexeme type at (1:3)" }, { "a = }", "error: Invalid lexeme type at (1:4)" },
    { "'s' = 1", "error: Invalid lexeme type at (1:4)" }, { "a = 1#c", "error: invalid number at (1:6)" },
    { "a = 1.5e3", "error: invalid number at (1:8)" }, { "a = 5\n  x = 1.\n", "error: Missing digit after dot at (2:8)" } };

TEST(ParserTest, AnswersBuildTheTreeOrRaiseTheMessageWithItsPosition)
{
    for (auto [input, expected] : answers)
        EXPECT_EQ(parseResult(input), expected) << input;
}

TEST(ParserTest, BrokenStreamsEndTheInputOrAreReportedListsOfAnyLengthAreKeptAndDeepNestingIsRefused)
{
    std::istringstream failed("a = 1");
    failed.setstate(std::ios::failbit);
    EXPECT_EQ(outcome([&] { return parseTable(failed); }), "{}");
    CharSource source(failed);
    EXPECT_EQ(outcome([&] { return source.read(), Table(); }), "error: Error reading from stream 1");

    LyingBuffer lying;
    std::istream stream(&lying);
    EXPECT_EQ(outcome([&] { return parseTable(stream); }), "error: Error reading from stream 2");
    // Elements are stored in the byte order of their numbers' texts, which for long lists is
    // not the order they arrive in.
    for (int count : { 1, 2, 9, 10, 11, 99, 100, 101, 1234 }) {
        std::string text = "x = 1, list = {";
        for (int i = 0; i < count; ++i)
            text += std::to_string(i) + (i % 3 ? ", " : "; name = 'n', ");
        Table root = parseTable(text + "}, tail;");
        const Table& list = *getTable(root, "list");
        ASSERT_EQ(list.size(), size_t(count) + 1) << count;
        EXPECT_EQ(std::tuple(list.nextIndex, root.nextIndex, getString(root, "0", "")), std::tuple(count, 1, "tail"));
        for (int i = 0; i < count; ++i)
            ASSERT_EQ(getInt(list, std::to_string(i)), i) << count;
    }
    std::string deepest(Parser::maxDepth, '{');
    Table root = parseTable(deepest + std::string(Parser::maxDepth, '}'));
    int depth = 0;
    for (const Table* table = &root; !table->empty(); table = getTable(*table, "0"))
        ++depth;
    EXPECT_EQ(depth, Parser::maxDepth);

    EXPECT_EQ(parseResult(std::string(100000, '{')), "error: Table nested too deeply at (1:1000)");
    EXPECT_EQ(parseResult("a = {\n" + deepest), "error: Table nested too deeply at (2:999)");
}

} // namespace
