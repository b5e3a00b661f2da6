#include "server/Route.h"

#include "nav/GreatCircle.h"
#include "server/GeoMath.h"

#include <algorithm>
#include <cmath>

namespace server {

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

}

GeoPoint Waypoint::gateEnd(bool first) const
{
    return destination(centre(), first ? hdg : hdg - 180.0, dst);
}

bool passesWaypoint(const Waypoint& waypoint, const GeoPoint& from, const GeoPoint& to)
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

} // namespace server
