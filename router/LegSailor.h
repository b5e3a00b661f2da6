#pragma once

#include "nav/GreatCircle.h"

#include <vector>

class SailPolars;
class WindSampler;

// Sails one leg of a route: a heading and a sail held for a time through a wind that
// changes along the way. The speed at the start, middle and end of a piece of the leg
// gives its distance by Simpson's rule; a piece whose middle speed strays from the
// average of its ends is sailed as two halves, so that a front crossing the leg is
// followed closely while steady wind costs two readings.
class LegSailor {
public:
    LegSailor(const WindSampler& wind, const SailPolars& sails);

    // Sails from the point at the time (hours) for the span, setting off at the start
    // speed (knots); false when the wind is unknown somewhere along the leg.
    bool sail(const GeoPoint& from, double hours, double span, double heading, int sail, double startSpeed);

    double km() const { return totalKm; }
    GeoPoint end() const { return pointAt(totalKm); }
    GeoPoint pointAt(double km) const;
    // The time from the leg's start at which it has covered the distance.
    double timeAt(double km) const;

private:
    struct Piece {
        double hours = 0.0;
        double span = 0.0;
        double startKm = 0.0;
        double km = 0.0;
        double startSpeed = 0.0;
        double endSpeed = 0.0;
    };

    bool sailPiece(double hours, double span, double startSpeed, int depth, double& endSpeed);
    bool speedAt(double km, double hours, double& speed) const;

    const WindSampler& wind;
    const SailPolars& sails;
    GeoPoint origin;
    double startHours = 0.0;
    double heading = 0.0;
    int sailNumber = 0;
    double totalKm = 0.0;
    std::vector<Piece> pieces;
};
