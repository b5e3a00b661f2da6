#include "race/BoatRecord.h"

#include "boat/BoatDescription.h"

const SDL_Color textColour = {0, 0, 0, 0};

double predictedSpeed(const BoatRecord& boat)
{
    return boat.boat ? boatSpeed(*boat.boat, boat.sail, boat.heading, boat.windDir, boat.windSpeed) : 0.0;
}
