#include "table/Exception.h"
#include "table/Table.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

// Reads every field the way the answer parsers do, so conversions run on whatever the
// parser built.
void readAll(const Table& table)
{
    for (const auto& [key, value] : table) {
        if (value->type() == TableType) {
            readAll(*value->toTable());
            continue;
        }
        try {
            value->toInt();
        } catch (const Exception&) {
        }
        try {
            value->toDouble();
        } catch (const Exception&) {
        }
        value->toString();
    }
}

} // namespace

// Any input must either give a tree or raise Exception: no crash, no hang, no leak.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    try {
        Table root = parseTable(text);
        readAll(root);
        Table copy(root);
        if (copy.size() != root.size())
            __builtin_trap();
    } catch (const Exception& error) {
        if (error.message().empty())
            __builtin_trap();
    }
    return 0;
}
