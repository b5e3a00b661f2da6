#include "lobby/RaceRecord.h"

#include "table/Exception.h"
#include "table/Table.h"

#include <cstdio>
#include <ctime>
#include <utility>

bool parseRaceRecord(const Table* table, RaceRecord& record)
{
    if (!table)
        return false;
    record.id = getInt(*table, "id");
    record.name = getString(*table, "name", "");
    record.descr = getString(*table, "descr", "");
    record.image = getString(*table, "image", "");
    record.start = getLong(*table, "start");
    record.active = getInt(*table, "active") != 0;
    record.own.sail = getInt(*table, "sail");
    readBoatState(*table, record.own);
    record.own.windDir = getDouble(*table, "windDir");
    record.own.windSpeed = getDouble(*table, "windSpeed");
    record.own.nick = getString(*table, "nick", "");
    return true;
}

bool parseJoin(const std::string& text, RaceRecord& record)
{
    try {
        Table root = parseTable(text);
        return parseRaceRecord(getTable(root, "race"), record);
    } catch (const Exception& error) {
        std::printf("Error parsing table %s\n", error.message().c_str());
    }
    return false;
}

RaceList parseRaceList(const std::string& text)
{
    RaceList races;
    try {
        Table root = parseTable(text);
        const Table* list = getTable(root, "races");
        if (!list)
            return races;
        for (const auto& entry : *list) {
            if (!entry.second || entry.second->type() != TableType)
                continue;
            RaceRecord record;
            parseRaceRecord(entry.second->toTable(), record);
            races.push_back(std::move(record));
        }
    } catch (const Exception& error) {
        std::printf("Error parsing table %s\n", error.message().c_str());
    }
    return races;
}

// Unlike the race list, the route is walked in the numeric order of its keys; a missing
// number is skipped, so a gap drops the last entries. The waypoints are gathered apart and
// stored only once the whole answer has been read, so an answer that fails half-way leaves
// no partial route behind for a retry to add to.
bool parseRoute(const std::string& text, std::vector<Waypoint>& route)
{
    Table root = parseTable(text);
    const Table* waypoints = getTable(root, "waypoints");
    if (!waypoints)
        return false;
    std::vector<Waypoint> parsed;
    size_t count = waypoints->size();
    for (size_t i = 0; i < count; ++i) {
        const Table* point = getTable(*waypoints, std::to_string(i));
        if (!point) {
            std::printf("missing waypoint table\n");
            continue;
        }
        parsed.push_back(Waypoint { getDouble(*point, "lat"), getDouble(*point, "lon"), getDouble(*point, "hdg"),
            getDouble(*point, "dst"), getInt(*point, "type") });
    }
    route = std::move(parsed);
    return true;
}

std::string formatStartTime(int32_t seconds)
{
    std::time_t time = seconds;
    std::tm calendar {};
    if (!gmtime_r(&time, &calendar))
        return {};
    char text[32];
    size_t length = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &calendar);
    return std::string(text, length);
}
