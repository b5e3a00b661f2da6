#include "table/Parser.h"

#include "table/Exception.h"

namespace {

bool isPunctuation(const Token& token, char which)
{
    return token.type == PunctuationToken && token.text[0] == which;
}

// Calls visit with 0 to count - 1 in the byte order of their decimal texts ("0", "1",
// "10", "100", ..., "11", ..., "2", ...): each number comes right before the numbers
// whose texts begin with its own, then the next number of the same length follows.
template <typename Visit>
void inDecimalTextOrder(int32_t count, Visit visit)
{
    if (count <= 0)
        return;
    visit(0);
    if (count == 1)
        return;
    int64_t number = 1;
    for (;;) {
        visit(static_cast<int32_t>(number));
        if (number * 10 < count) {
            number *= 10;
            continue;
        }
        // Step to the next number of the same length, or back up to a shorter one.
        while (number % 10 == 9 || number + 1 >= count) {
            number /= 10;
            if (number == 0)
                return;
        }
        ++number;
    }
}

} // namespace

Parser::Parser(std::istream& stream)
    : lexer(stream)
{
}

void Parser::parseBody(Table& table, bool nested, uint32_t startLine, uint32_t startColumn)
{
    while (elementsByDepth.size() <= static_cast<size_t>(depth))
        elementsByDepth.emplace_back();
    Elements& elements = elementsByDepth[depth];
    elements.clear();

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
            storeElements(table, elements);
            return;
        }
        if (nested && isPunctuation(token, '}')) {
            storeElements(table, elements);
            return;
        }
        if (isPunctuation(token, ',') || isPunctuation(token, ';'))
            continue;
        if (token.type != NameToken) {
            elements.push_back(valueFromToken(token));
            ++table.nextIndex;
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
            elements.push_back(std::make_unique<StringValue>(std::move(token.text)));
            ++table.nextIndex;
            pending = std::move(after);
        }
    }
}

void Parser::storeElements(Table& table, Elements& elements)
{
    inDecimalTextOrder(static_cast<int32_t>(elements.size()),
        [&](int32_t index) { table.set(std::to_string(index), std::move(elements[index])); });
    elements.clear();
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
