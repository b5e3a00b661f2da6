#include "table/Parser.h"

#include "table/Exception.h"

namespace {

bool isPunctuation(const Token& token, char which)
{
    return token.type == PunctuationToken && token.text[0] == which;
}

void storeElement(Table& table, std::unique_ptr<Value> value)
{
    table.set(std::to_string(table.nextIndex), std::move(value));
    ++table.nextIndex;
}

} // namespace

Parser::Parser(std::istream& stream)
    : lexer(stream)
{
}

void Parser::parseBody(Table& table, bool nested, uint32_t startLine, uint32_t startColumn)
{
    std::optional<Token> pending;
    for (;;) {
        Token token;
        if (pending) {
            token = std::move(*pending);
            pending.reset();
        } else {
            token = lexer.next();
        }

        if (token.type == EndToken) {
            if (nested)
                throw Exception("Table started at " + positionText(startLine, startColumn) + " is never finished");
            return;
        }
        if (nested && isPunctuation(token, '}'))
            return;
        if (isPunctuation(token, ',') || isPunctuation(token, ';'))
            continue;
        if (token.type != NameToken) {
            storeElement(table, valueFromToken(token));
            continue;
        }

        Token after = lexer.next();
        if (after.type != PunctuationToken)
            throw Exception("Unexpected token at " + positionText(startLine, startColumn));
        if (isPunctuation(after, '=')) {
            table.set(token.text, parseValueForKey());
        } else {
            // A bare name is an element holding its own text; the punctuation after it
            // is handled by the next pass.
            storeElement(table, std::make_unique<StringValue>(std::move(token.text)));
            pending = std::move(after);
        }
    }
}

std::unique_ptr<Value> Parser::parseValueForKey()
{
    Token token = lexer.next();
    if (token.type == EndToken)
        throw Exception("Unexpected end of file");
    return valueFromToken(token);
}

std::unique_ptr<Value> Parser::valueFromToken(Token& token)
{
    switch (token.type) {
    case StringToken:
    case NameToken:
        return std::make_unique<StringValue>(std::move(token.text));
    case IntegerToken:
        return std::make_unique<IntValue>(parseLong(token.text));
    case DoubleToken:
        return std::make_unique<DoubleValue>(parseDouble(token.text));
    case PunctuationToken:
        if (token.text[0] == '{')
            return parseNestedTable(token);
        break;
    case EndToken:
        break;
    }
    throw Exception("Invalid lexeme type at " + positionText(token.line, token.column));
}

std::unique_ptr<Value> Parser::parseNestedTable(const Token& brace)
{
    if (depth >= maxDepth)
        throw Exception("Table nested too deeply at " + positionText(brace.line, brace.column));
    auto table = std::make_unique<Table>();
    ++depth;
    parseBody(*table, true, brace.line, brace.column);
    --depth;
    return std::make_unique<TableValue>(std::move(table));
}
