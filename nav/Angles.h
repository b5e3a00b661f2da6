#pragma once

// Angles in degrees brought into their usual ranges.

// An angle a little outside [0, 360) brought into it, by one turn at most each way.
double intoFullCircle(double degrees);

// Any angle, however many turns away, brought into [0, 360).
double normalizeDegrees(double degrees);

// A longitude brought into [-180, 180).
double normalizeLongitude(double lon);
