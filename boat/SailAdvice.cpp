#include "boat/SailAdvice.h"

#include "boat/BoatDescription.h"
#include "boat/BoatRecord.h"

#include <cstdio>

namespace {

constexpr int jib = 1;
constexpr int spinnaker = 2;
// The other sail must be at least this much faster to be worth the change.
constexpr double worthwhileGain = 1.02;

}

SailAdvice adviseSail(const BoatRecord& boat)
{
    SailAdvice advice;
    if (!boat.boat || (boat.sail != jib && boat.sail != spinnaker))
        return advice;
    int other = boat.sail == jib ? spinnaker : jib;
    double current = boatSpeed(*boat.boat, boat.sail, boat.heading, boat.windDir, boat.windSpeed);
    double alternative = boatSpeed(*boat.boat, other, boat.heading, boat.windDir, boat.windSpeed);
    advice.noGo = !(current > 0.0);
    if (alternative > 0.0 && alternative >= current * worthwhileGain) {
        char line[64];
        std::snprintf(line, sizeof line, "%s faster: %.1f kn", other == jib ? "Jib" : "Spinnaker", alternative);
        advice.faster = line;
    }
    return advice;
}
