#include "table/CharSource.h"
#include "table/Exception.h"
#include "table/Lexer.h"
#include "table/Table.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace {

// Hands out its text one byte per refill, so every read crosses a buffer boundary.
class TrickleBuffer : public std::streambuf {
public:
    explicit TrickleBuffer(std::string text)
        : text(std::move(text))
    {
    }

protected:
    int_type underflow() override
    {
        if (position == text.size())
            return traits_type::eof();
        current = text[position++];
        setg(&current, &current, &current + 1);
        return traits_type::to_int_type(current);
    }

private:
    std::string text;
    size_t position = 0;
    char current = 0;
};

// Claims a next byte when peeked but delivers none when it is taken.
class LyingBuffer : public std::streambuf {
protected:
    int_type underflow() override { return 'a'; }
    int_type uflow() override { return traits_type::eof(); }
};

std::string messageOf(std::istream& stream)
{
    try {
        parseTable(stream);
    } catch (const Exception& error) {
        return error.message();
    }
    return "(no exception)";
}

TEST(CharSourceTest, PushedBackBytesComeFirstInReverseOrder)
{
    std::istringstream stream("xy");
    CharSource source(stream);
    EXPECT_EQ(source.read(), 'x');
    source.pushBack('1');
    source.pushBack('2');
    std::string read;
    while (!source.atEnd())
        read += source.read();
    EXPECT_EQ(read, "21y");
    source.pushBack('z');
    EXPECT_FALSE(source.atEnd());
    EXPECT_EQ(source.read(), 'z');
    EXPECT_TRUE(source.atEnd());
}

TEST(CharSourceTest, FailedStreamsEndTheInputAndRefuseReads)
{
    std::istringstream failed("a = 1");
    failed.setstate(std::ios::failbit);
    CharSource source(failed);
    EXPECT_TRUE(source.atEnd());
    try {
        source.read();
        FAIL() << "read from a failed stream";
    } catch (const Exception& error) {
        EXPECT_EQ(error.message(), "Error reading from stream 1");
    }
    EXPECT_EQ(parseTable(failed).size(), 0u);
}

TEST(CharSourceTest, AStreamThatDeliversNoByteIsReported)
{
    LyingBuffer buffer;
    std::istream stream(&buffer);
    EXPECT_EQ(messageOf(stream), "Error reading from stream 2");
}

TEST(CharSourceTest, ByteAtATimeStreamsParseLikeStrings)
{
    const std::string inputs[] = {
        "race = {id = 7, name = 'Cape \\'run\\'', boats = {a, b}}\n# end",
        "list = {a}",
        "a = 1\n b = {\n 2.5, x = 5.",
    };
    for (const auto& input : inputs) {
        TrickleBuffer buffer(input);
        std::istream stream(&buffer);
        std::string expected;
        try {
            expected = std::to_string(parseTable(input).size());
        } catch (const Exception& error) {
            expected = error.message();
        }
        std::string actual;
        try {
            actual = std::to_string(parseTable(stream).size());
        } catch (const Exception& error) {
            actual = error.message();
        }
        EXPECT_EQ(actual, expected) << input;
    }
}

TEST(LexerTest, TokensCarryTheirTypeTextAndPosition)
{
    std::istringstream stream("a.b = 1\n  s='x\ny' {\t-2.5}; # c\n/* r */ \"q\"");
    Lexer lexer(stream);
    struct Expected {
        TokenType type;
        uint32_t line;
        uint32_t column;
        const char* text;
    };
    const Expected expected[] = {
        {NameToken, 1, 0, "a.b"}, {PunctuationToken, 1, 4, "="}, {IntegerToken, 1, 6, "1"},
        {NameToken, 2, 2, "s"}, {PunctuationToken, 2, 3, "="}, {StringToken, 2, 4, "xy"},
        {PunctuationToken, 3, 3, "{"}, {DoubleToken, 3, 5, "-2.5"}, {PunctuationToken, 3, 9, "}"},
        {PunctuationToken, 3, 10, ";"}, {StringToken, 4, 8, "q"}, {EndToken, 4, 11, ""},
    };
    for (const auto& e : expected) {
        Token token = lexer.next();
        EXPECT_EQ(token.type, e.type) << e.text;
        EXPECT_EQ(token.line, e.line) << e.text;
        EXPECT_EQ(token.column, e.column) << e.text;
        EXPECT_EQ(token.text, e.text);
    }
}

} // namespace
