#include "table/Lexer.h"

#include "table/Exception.h"

namespace {

bool isLetter(char byte)
{
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || byte == '_';
}

bool isDigit(char byte)
{
    return byte >= '0' && byte <= '9';
}

bool isNameByte(char byte)
{
    return isLetter(byte) || isDigit(byte) || byte == '.';
}

bool isPunctuation(char byte)
{
    return byte == '{' || byte == '}' || byte == ',' || byte == '=' || byte == ';';
}

bool isWhiteSpace(char byte)
{
    return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\r';
}

} // namespace

std::string positionText(uint32_t line, uint32_t column)
{
    return "(" + std::to_string(line) + ":" + std::to_string(column) + ")";
}

Lexer::Lexer(std::istream& stream)
    : source(stream)
{
}

void Lexer::failHere(const std::string& message) const
{
    throw Exception(message + positionText(lineNumber, columnNumber));
}

Token Lexer::next()
{
    skipBlanksAndRemarks();
    Token token;
    token.line = lineNumber;
    token.column = columnNumber;
    if (source.atEnd())
        return token;

    char first = readByte();
    if (isLetter(first))
        readName(token, first);
    else if (first == '"' || first == '\'')
        readString(token, first);
    else if (first == '+' || first == '-' || isDigit(first))
        readNumber(token, first);
    else if (isPunctuation(first)) {
        token.type = PunctuationToken;
        token.text.push_back(first);
    } else
        throw Exception("Invalid character at " + positionText(token.line, token.column));
    return token;
}

void Lexer::skipBlanksAndRemarks()
{
    while (!source.atEnd()) {
        char byte = readByte();
        if (byte == ' ' || byte == '\t' || byte == '\r')
            continue;
        if (byte == '\n') {
            newLine();
        } else if (byte == '#') {
            skipLineRemark();
        } else if (byte == '/') {
            if (source.atEnd()) {
                pushBack(byte);
                return;
            }
            char second = readByte();
            if (second == '/') {
                skipLineRemark();
            } else if (second == '*') {
                skipBlockRemark();
            } else {
                // The "/" is read again as the start of a token, which it cannot be.
                pushBack(second);
                pushBack(byte);
                return;
            }
        } else {
            pushBack(byte);
            return;
        }
    }
}

void Lexer::skipLineRemark()
{
    while (!source.atEnd()) {
        if (readByte() == '\n') {
            newLine();
            return;
        }
    }
}

void Lexer::skipBlockRemark()
{
    uint32_t startLine = lineNumber;
    uint32_t startColumn = columnNumber;
    bool afterStar = false;
    while (!source.atEnd()) {
        char byte = readByte();
        if (afterStar && byte == '/')
            return;
        afterStar = byte == '*';
        if (byte == '\n')
            newLine();
    }
    throw Exception("Remark started at " + positionText(startLine, startColumn) + " is not closed");
}

void Lexer::readName(Token& token, char first)
{
    token.type = NameToken;
    token.text.push_back(first);
    // The byte that ends the name is pushed back without ever being counted.
    while (!source.atEnd()) {
        char byte = source.read();
        if (!isNameByte(byte)) {
            source.pushBack(byte);
            return;
        }
        ++columnNumber;
        token.text += byte;
    }
}

void Lexer::readString(Token& token, char quote)
{
    token.type = StringToken;
    for (;;) {
        if (source.atEnd())
            break;
        char byte = readByte();
        if (byte == quote)
            return;
        if (byte == '\n') {
            newLine();
            continue;
        }
        if (byte == '\\') {
            uint32_t escapeColumn = columnNumber;
            if (source.atEnd())
                break;
            byte = readByte();
            if (isWhiteSpace(byte))
                throw Exception("Invalid escape sequence at " + positionText(lineNumber, escapeColumn));
        }
        token.text += byte;
    }
    throw Exception("String at " + positionText(token.line, token.column) + " doesn't closed");
}

void Lexer::readNumber(Token& token, char first)
{
    token.type = IntegerToken;
    token.text.push_back(first);
    while (!source.atEnd()) {
        char byte = readByte();
        if (isDigit(byte)) {
            token.text += byte;
        } else if (byte == '.') {
            if (token.type == DoubleToken)
                failHere("To many dots in number at ");
            token.type = DoubleToken;
            token.text += byte;
        } else if (isPunctuation(byte) || isWhiteSpace(byte)) {
            pushBack(byte);
            break;
        } else {
            failHere("invalid number at ");
        }
    }
    if (token.text.back() == '.')
        failHere("Missing digit after dot at ");
}
