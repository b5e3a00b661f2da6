#pragma once

#include "table/CharSource.h"

#include <cstdint>
#include <istream>
#include <string>

enum TokenType {
    StringToken = 0,
    IntegerToken = 1,
    DoubleToken = 2,
    NameToken = 3,
    PunctuationToken = 4,
    EndToken = 5,
};

// One lexeme with the position before its first byte: the line counted from 1 and the
// number of bytes already read on that line.
struct Token {
    uint32_t line = 0;
    uint32_t column = 0;
    TokenType type = EndToken;
    std::string text;
};

// The "(line:column)" form that every positioned message ends with.
std::string positionText(uint32_t line, uint32_t column);

// Splits the table text into tokens, skipping blanks and remarks, and counts lines and
// columns exactly as the error messages report them.
class Lexer {
public:
    explicit Lexer(std::istream& stream);

    Token next();

    uint32_t line() const { return lineNumber; }
    uint32_t column() const { return columnNumber; }

private:
    void skipBlanksAndRemarks();
    void skipLineRemark();
    void skipBlockRemark();
    void readName(Token& token, char first);
    void readString(Token& token, char quote);
    void readNumber(Token& token, char first);

    char readByte()
    {
        ++columnNumber;
        return source.read();
    }
    void pushBack(char byte)
    {
        --columnNumber;
        source.pushBack(byte);
    }
    void newLine()
    {
        ++lineNumber;
        columnNumber = 0;
    }
    [[noreturn]] void failHere(const std::string& message) const;

    CharSource source;
    uint32_t lineNumber = 1;
    uint32_t columnNumber = 0;
};
