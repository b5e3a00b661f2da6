#pragma once

#include "table/Lexer.h"
#include "table/Table.h"

#include <deque>
#include <istream>
#include <memory>
#include <optional>
#include <vector>

// Builds a Value tree from the tokens of one answer. Everything built so far is owned by
// the table under construction, so an Exception leaves no partial tree behind.
class Parser {
public:
    // Tables nested deeper than this are refused: the parser recurses once per level and
    // must not run out of stack on a hostile answer.
    static constexpr int maxDepth = 1000;

    explicit Parser(std::istream& stream);

    // Fills the empty table with entries up to its closing "}" (nested) or the end of input
    // (root). The start position is that of the "{", or (0:0) for the root.
    void parseBody(Table& table, bool nested, uint32_t startLine, uint32_t startColumn);
    // The value after "=".
    std::unique_ptr<Value> parseValueForKey();
    std::unique_ptr<Value> valueFromToken(Token& token);

private:
    using Elements = std::vector<std::unique_ptr<Value>>;

    std::unique_ptr<Value> parseNestedTable(const Token& brace);
    void storeElements(Table& table, Elements& elements);

    Lexer lexer;
    int depth = 0;
    // The unnamed elements of each open table, in arrival order, kept until the table
    // ends and then stored in key order. A long list stored one by one would walk the
    // map's tree on every element, through nodes scattered across the whole answer.
    // A deque, because each body holds on to its own list while nested bodies add theirs.
    std::deque<Elements> elementsByDepth;
};
