#include "server/Skipper.h"

#include "nav/GreatCircle.h"
#include "server/Coastline.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace server {

namespace {

constexpr double headingStep = 5.0;

// Keep the present course unless another is clearly better, so boats do not tack on
// every step. How much better differs from skipper to skipper, which spreads the fleet.
double keepCourseRatio(int64_t boatId)
{
    double golden = 0.6180339887498949;
    double fraction = std::fmod(static_cast<double>(boatId) * golden, 1.0);
    return 0.88 + 0.11 * fraction;
}

}

double Skipper::velocityMadeGood(const Course& course, double bearing, const Wind& wind) const
{
    double speed = boat.boatSpeed(course.sail, course.heading, wind.dir, wind.speed);
    return speed * std::cos((course.heading - bearing) * 3.141592653589793 / 180.0);
}

Course Skipper::choose(const Boat& current, const Waypoint& target, const Wind& wind, double stepKm) const
{
    GeoPoint here { current.lat, current.lon };
    double bearing = initialBearing(here.lat, here.lon, target.lat, target.lon);
    Course present { current.heading, current.sail };
    if (!current.grounded) {
        Course best = present;
        double bestGain = -1e9;
        for (double heading = 0.0; heading < 360.0; heading += headingStep) {
            for (int sail : { Jib, Spinnaker }) {
                double gain = velocityMadeGood({ heading, sail }, bearing, wind);
                if (gain > bestGain) {
                    bestGain = gain;
                    best = { heading, sail };
                }
            }
        }
        double presentGain = velocityMadeGood(present, bearing, wind);
        return presentGain > 0.0 && presentGain >= keepCourseRatio(current.id) * bestGain ? present : best;
    }
    // Aground: the first course in order of gain whose next step stays off the land.
    std::vector<std::pair<double, Course>> candidates;
    for (double heading = 0.0; heading < 360.0; heading += headingStep) {
        for (int sail : { Jib, Spinnaker }) {
            Course course { heading, sail };
            candidates.emplace_back(velocityMadeGood(course, bearing, wind), course);
        }
    }
    std::sort(candidates.begin(), candidates.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (const auto& candidate : candidates) {
        GeoPoint ahead = destination(here, candidate.second.heading, std::max(stepKm, 0.2));
        if (!land || !land->crossesLand(here, ahead))
            return candidate.second;
    }
    return present;
}

} // namespace server
