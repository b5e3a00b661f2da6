#include "boat/PolarParser.h"

#include "table/Table.h"

#include <cstdio>
#include <string>

namespace {

std::vector<double> readNumbers(const Table& list, size_t count)
{
    std::vector<double> numbers;
    numbers.reserve(count);
    for (size_t i = 0; i < count; ++i)
        numbers.push_back(getDouble(list, std::to_string(i)));
    return numbers;
}

std::vector<double> readAxis(const Table& table, const char* key, const char* missingMessage)
{
    const Table* axis = getTable(table, key);
    if (!axis) {
        printf("%s", missingMessage);
        return {};
    }
    return readNumbers(*axis, axis->size());
}

std::vector<std::vector<double>> readRows(const Table& table, size_t angleCount, size_t windCount)
{
    const Table* rows = getTable(table, "values");
    if (!rows) {
        printf("values not found\n");
        return {};
    }
    if (rows->size() != angleCount) {
        printf("Invalid values size\n");
        return {};
    }
    std::vector<std::vector<double>> values;
    for (size_t j = 0; j < angleCount; ++j) {
        const Table* row = getTable(*rows, std::to_string(j));
        if (!row) {
            printf("values row not found\n");
            continue;
        }
        if (row->size() != windCount) {
            printf("invalid row size\n");
            continue;
        }
        values.push_back(readNumbers(*row, windCount));
    }
    return values;
}

} // namespace

Polar parsePolar(const Table& table)
{
    Polar polar;
    polar.winds = readAxis(table, "winds", "winds not found\n");
    polar.angles = readAxis(table, "angles", "angles not found\n");
    polar.values = readRows(table, polar.angles.size(), polar.winds.size());
    return polar;
}
