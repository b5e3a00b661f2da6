#pragma once

#include "table/Lexer.h"
#include "table/Table.h"

#include <istream>
#include <memory>
#include <optional>

// Builds a Value tree from the tokens of one answer. Everything built so far is owned by
// the table under construction, so an Exception leaves no partial tree behind.
class Parser {
public:
    // Tables nested deeper than this are refused: the parser recurses once per level and
    // must not run out of stack on a hostile answer.
    static constexpr int maxDepth = 1000;

    explicit Parser(std::istream& stream);

    // Fills the table with entries up to its closing "}" (nested) or the end of input
    // (root). The start position is that of the "{", or (0:0) for the root.
    void parseBody(Table& table, bool nested, uint32_t startLine, uint32_t startColumn);
    // The value after "=".
    std::unique_ptr<Value> parseValueForKey();
    std::unique_ptr<Value> valueFromToken(Token& token);

private:
    std::unique_ptr<Value> parseNestedTable(const Token& brace);

    Lexer lexer;
    int depth = 0;
};
