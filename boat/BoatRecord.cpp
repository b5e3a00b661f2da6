#include "boat/BoatRecord.h"

#include "boat/BoatDescription.h"
#include "table/Table.h"

const SDL_Color textColour = { 0, 0, 0, 0 };

void readBoatState(const Table& table, BoatRecord& boat)
{
    boat.position = getInt(table, "position");
    boat.lat = getDouble(table, "lat");
    boat.lon = getDouble(table, "lon");
    boat.grounded = getInt(table, "grounded") != 0;
    boat.heading = getDouble(table, "heading");
    boat.speed = getDouble(table, "speed");
    boat.waypoint = getInt(table, "waypoint");
    boat.finished = getInt(table, "finished") != 0;
}

void copySteering(const BoatRecord& from, BoatRecord& to)
{
    to.heading = from.heading;
    to.sail = from.sail;
    to.speed = from.speed;
}

double predictedSpeed(const BoatRecord& boat)
{
    return boat.boat ? boatSpeed(*boat.boat, boat.sail, boat.heading, boat.windDir, boat.windSpeed) : 0.0;
}
