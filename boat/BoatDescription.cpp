#include "boat/BoatDescription.h"

#include "boat/PolarParser.h"
#include "table/Table.h"

namespace {

void readSails(const Table& sails, BoatDescription& description)
{
    for (const auto& entry : sails) {
        if (!entry.second)
            continue;
        const Table* sail = entry.second->toTable();
        if (!sail)
            continue;
        int32_t number = getInt(*sail, "id");
        const Table* polar = getTable(*sail, "polar");
        // A later sail with the same number replaces the earlier one.
        description.sails[number] = polar ? parsePolar(*polar) : Polar {};
    }
}

} // namespace

BoatDescription parseBoatDescription(const std::string& text)
{
    Table root = parseTable(text);
    BoatDescription description;
    description.id = getString(root, "id", "");
    description.name = getString(root, "name", "");
    if (const Table* sails = getTable(root, "sails"))
        readSails(*sails, description);
    return description;
}

double boatSpeed(const BoatDescription& description, int32_t sail, double heading, double windDir,
    double windSpeed)
{
    auto found = description.sails.find(sail);
    if (found == description.sails.end())
        return 0.0;
    return speedOnHeading(found->second, heading, windDir, windSpeed);
}
