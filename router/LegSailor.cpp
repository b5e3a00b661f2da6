#include "router/LegSailor.h"

#include "nav/Angles.h"
#include "nav/RhumbLine.h"
#include "router/SailPolars.h"
#include "router/WindSampler.h"

#include <algorithm>
#include <cmath>

namespace {

// A piece is halved while Simpson's rule and the trapezoid differ by more than this
// (kilometres), down to a sixteenth of the leg.
constexpr double toleranceKm = 0.02;
constexpr int deepestSplit = 4;

// The time at which a piece whose speed changes evenly from s1 to s2 over its span has
// covered the distance (nautical miles, knots, hours).
double timeToCover(double miles, double s1, double s2, double span)
{
    if (miles <= 0.0)
        return 0.0;
    double a = (s2 - s1) / (2.0 * span);
    double root = std::sqrt(std::max(0.0, s1 * s1 + 4.0 * a * miles));
    return s1 + root > 0.0 ? std::min(span, 2.0 * miles / (s1 + root)) : span;
}

}

LegSailor::LegSailor(const WindSampler& wind, const SailPolars& sails)
    : wind(wind)
    , sails(sails)
{
}

bool LegSailor::sail(const GeoPoint& from, double hours, double span, double heading, int sail, double startSpeed)
{
    origin = from;
    startHours = hours;
    this->heading = heading;
    sailNumber = sail;
    totalKm = 0.0;
    pieces.clear();
    double endSpeed = 0.0;
    return sailPiece(hours, span, startSpeed, 0, endSpeed);
}

GeoPoint LegSailor::pointAt(double km) const
{
    return rhumbDestination(origin, heading, km);
}

bool LegSailor::speedAt(double km, double hours, double& speed) const
{
    GeoPoint where = pointAt(km);
    WindSample sample;
    if (!wind.usableWind(where.lat, where.lon, hours, sample))
        return false;
    speed = sails.speed(sailNumber, normalizeDegrees(heading - sample.dir), sample.speed);
    return true;
}

bool LegSailor::sailPiece(double hours, double span, double startSpeed, int depth, double& endSpeed)
{
    double miles = kmPerNauticalMile * span;
    double middleSpeed = 0.0;
    if (!speedAt(totalKm + startSpeed * miles / 2.0, hours + span / 2.0, middleSpeed)
        || !speedAt(totalKm + middleSpeed * miles, hours + span, endSpeed))
        return false;
    double simpson = (startSpeed + 4.0 * middleSpeed + endSpeed) / 6.0 * miles;
    double trapezoid = (startSpeed + endSpeed) / 2.0 * miles;
    if (std::fabs(simpson - trapezoid) > toleranceKm && depth < deepestSplit) {
        double middle = 0.0;
        return sailPiece(hours, span / 2.0, startSpeed, depth + 1, middle)
            && sailPiece(hours + span / 2.0, span / 2.0, middle, depth + 1, endSpeed);
    }
    pieces.push_back({ hours, span, totalKm, simpson, startSpeed, endSpeed });
    totalKm += simpson;
    return true;
}

double LegSailor::timeAt(double km) const
{
    for (const Piece& piece : pieces) {
        if (km <= piece.startKm + piece.km || &piece == &pieces.back()) {
            // Within a piece the speed changes nearly evenly, or it would have been split.
            double share = piece.km > 0.0 ? std::clamp((km - piece.startKm) / piece.km, 0.0, 1.0) : 0.0;
            double miles = share * (piece.startSpeed + piece.endSpeed) / 2.0 * piece.span;
            return piece.hours - startHours + timeToCover(miles, piece.startSpeed, piece.endSpeed, piece.span);
        }
    }
    return 0.0;
}
