#include "nav/Waypoint.h"

#include "nav/LocalXY.h"

#include <algorithm>
#include <cmath>

namespace {

double cross(const LocalXY& a, const LocalXY& b, const LocalXY& c)
{
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

bool segmentsIntersect(const LocalXY& p1, const LocalXY& p2, const LocalXY& q1, const LocalXY& q2)
{
    double d1 = cross(q1, q2, p1);
    double d2 = cross(q1, q2, p2);
    double d3 = cross(p1, p2, q1);
    double d4 = cross(p1, p2, q2);
    return ((d1 > 0) != (d2 > 0)) && ((d3 > 0) != (d4 > 0)) && d1 != d2;
}

double distanceToSegment(const LocalXY& p, const LocalXY& a, const LocalXY& b)
{
    double dx = b.x - a.x;
    double dy = b.y - a.y;
    double length2 = dx * dx + dy * dy;
    double t = length2 > 0.0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length2, 0.0, 1.0) : 0.0;
    return std::hypot(a.x + t * dx - p.x, a.y + t * dy - p.y);
}

// The first point of the segment from a to b within the radius of the origin, as a
// fraction of the segment; the nearest point when rounding leaves none within it. A start
// within the radius makes the earlier root negative, so it clamps to 0.
double entryIntoCircle(const LocalXY& a, const LocalXY& b, double radius)
{
    double vx = b.x - a.x;
    double vy = b.y - a.y;
    double vv = vx * vx + vy * vy;
    double av = a.x * vx + a.y * vy;
    double aa = a.x * a.x + a.y * a.y;
    if (vv <= 0.0)
        return 0.0;
    double discriminant = av * av - vv * (aa - radius * radius);
    double t = discriminant >= 0.0 ? (-av - std::sqrt(discriminant)) / vv : -av / vv;
    return std::clamp(t, 0.0, 1.0);
}

}

GeoPoint RouteWaypoint::gateEnd(bool first) const
{
    return destination(centre(), first ? hdg : hdg - 180.0, dst);
}

bool passesWaypoint(const RouteWaypoint& waypoint, const GeoPoint& from, const GeoPoint& to)
{
    GeoPoint origin = waypoint.centre();
    LocalXY a = toLocal(origin, from);
    LocalXY b = toLocal(origin, to);
    if (waypoint.type == GateWaypoint) {
        LocalXY end1 = toLocal(origin, waypoint.gateEnd(true));
        LocalXY end2 = toLocal(origin, waypoint.gateEnd(false));
        return segmentsIntersect(a, b, end1, end2);
    }
    return distanceToSegment({ 0.0, 0.0 }, a, b) <= waypoint.dst;
}

double passingFraction(const RouteWaypoint& waypoint, const GeoPoint& from, const GeoPoint& to)
{
    GeoPoint origin = waypoint.centre();
    LocalXY a = toLocal(origin, from);
    LocalXY b = toLocal(origin, to);
    if (waypoint.type != GateWaypoint)
        return entryIntoCircle(a, b, waypoint.dst);
    LocalXY end1 = toLocal(origin, waypoint.gateEnd(true));
    LocalXY end2 = toLocal(origin, waypoint.gateEnd(false));
    double d1 = cross(end1, end2, a);
    double d2 = cross(end1, end2, b);
    return d1 != d2 ? std::clamp(d1 / (d1 - d2), 0.0, 1.0) : 0.0;
}
