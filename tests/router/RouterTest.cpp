#include "router/Router.h"

#include "nav/GreatCircle.h"
#include "nav/Polar.h"
#include "nav/RhumbLine.h"
#include "nav/Waypoint.h"
#include "router/Isochrones.h"
#include "router/LandChart.h"
#include "router/LegSailor.h"
#include "router/WindSampler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>

namespace {

constexpr double pi = 3.141592653589793;
constexpr double minute = 1.0 / 60.0;
constexpr double kmPerDegree = 6371.0 * pi / 180;
const double never = std::numeric_limits<double>::infinity();
const double nan = std::numeric_limits<double>::quiet_NaN();
const GeoPoint start { 45.0, -20.0 };

// A cruiser's jib and spinnaker; the spinnaker is the jib scaled by a factor per row.
const std::map<int, Polar> sails = [] {
    Polar jib { { 0, 6, 10, 16, 25 },
        { 0, 30, 40, 50, 60, 80, 100, 120, 140, 160, 180 },
        { { 0, 0, 0, 0, 0 }, { 0, 0, 0, 0, 0 }, { 0, 3.8, 5.6, 6.6, 6.9 }, { 0, 4.4, 6.2, 7.1, 7.4 }, { 0, 4.8, 6.6, 7.5, 7.8 },
            { 0, 5.2, 7.0, 8.0, 8.4 }, { 0, 5.1, 7.1, 8.3, 8.9 }, { 0, 4.7, 6.8, 8.1, 8.9 }, { 0, 4.0, 6.0, 7.4, 8.4 },
            { 0, 3.3, 5.1, 6.6, 7.7 }, { 0, 3.0, 4.7, 6.2, 7.3 } } };
    const double factors[] = { 0, 0, 0, 0, 0, 0.9, 1.05, 1.15, 1.22, 1.25, 1.22 };
    Polar spinnaker = jib;
    for (size_t row = 0; row < spinnaker.values.size(); ++row)
        for (double& speed : spinnaker.values[row])
            speed *= factors[row];
    return std::map<int, Polar> { { 1, jib }, { 2, spinnaker } };
}();
const SailPolars polars(sails, 5.0);

// The fastest of the sails at the wind angle and its number, the first of equals; sail 0
// when none moves the boat.
std::pair<double, int> fastestSail(double angle, double windSpeed)
{
    std::pair<double, int> best { 0, 0 };
    for (const auto& [number, polar] : sails) {
        if (double speed = polarSpeed(polar, angle, windSpeed); speed > best.first)
            best = { speed, number };
    }
    return best;
}

// The best velocity made good towards (sign 1) or away from (sign -1) the wind, scanned
// over wind angles a hundredth of a degree apart.
double bestVmg(double windSpeed, double sign)
{
    double best = 0;
    for (double angle = 0; angle <= 180; angle += 0.01)
        best = std::max(best, sign * std::cos(angle * pi / 180) * fastestSail(angle, windSpeed).first);
    return best;
}

// Wind known up to the given hour.
struct FieldWind : WindSampler {
    explicit FieldWind(std::function<WindSample(double, double, double)> field, double until = 72)
        : field(std::move(field))
        , until(until)
    {
    }
    bool wind(double lat, double lon, double hours, WindSample& sample) const override
    {
        sample = field(lat, lon, hours);
        return hours <= until;
    }
    std::function<WindSample(double, double, double)> field;
    double until;
};

// Wind of one direction and speed everywhere, known up to the given hour.
FieldWind uniform(double dir, double speed, double until = 72)
{
    return FieldWind([=](double, double, double) { return WindSample { dir, speed }; }, until);
}
const FieldWind northerly = uniform(0, 12), westerly = uniform(270, 14);

// A front lying north-south sweeps east at 15 knots: a southwesterly of 10 knots ahead of
// it, a northwesterly of 20 knots behind.
const FieldWind front([](double lat, double lon, double hours) {
    double kmEast = (lon + 21.0) * 111.2 * std::cos(lat * pi / 180) - 27.8 * hours;
    double ahead = 0.5 * (1 + std::tanh(kmEast / 40));
    return WindSample { 300 - 80 * ahead, 20 - 10 * ahead };
});

// A breeze that veers 5 degrees an hour and freshens towards the north.
const FieldWind veering([](double lat, double, double hours) { return WindSample { 200 + 5 * hours, 8 + 2 * (lat - 44) }; });

RouteRequest request(const WindSampler& wind, const RouteWaypoint& target) { return { start, target, sails, &wind, nullptr, {}, nullptr, {} }; }

RouteWaypoint markAt(double bearing, double nauticalMiles, double dst = 0.5)
{
    GeoPoint p = destination(start, bearing, nauticalMiles * kmPerNauticalMile);
    return { p.lat, p.lon, 0, dst, MarkWaypoint };
}

// Gives the heading and sail for the time and place, and until when they hold.
using Steering = std::function<void(double, const GeoPoint&, double&, int&, double&)>;

// Sails in steps of a minute (shorter when the steering changes sooner), each with the
// heading and sail the steering gives, and answers when the waypoint is passed (never
// within 100 hours).
double sailMinuteByMinute(const RouteRequest& r, const Steering& steer, std::vector<GeoPoint>* track = nullptr)
{
    GeoPoint here = r.start;
    for (double hours = 0; hours < 100;) {
        if (track)
            track->push_back(here);
        double heading = 0, until = never;
        int sail = 0;
        steer(hours, here, heading, sail, until);
        double step = std::clamp(until - hours, 1e-9, minute);
        WindSample w;
        r.wind->wind(here.lat, here.lon, hours, w);
        auto polar = r.sails.find(sail);
        double speed = polar == r.sails.end() ? 0 : speedOnHeading(polar->second, heading, w.dir, w.speed);
        GeoPoint next = destination(here, heading, speed * step * kmPerNauticalMile);
        if (passesWaypoint(r.target, here, next))
            return hours + passingFraction(r.target, here, next) * step;
        here = next;
        hours += step;
    }
    return never;
}

double replay(const RouteRequest& r, const PlannedRoute& route, std::vector<GeoPoint>* track = nullptr)
{
    Steering followRoute = [&](double hours, const GeoPoint&, double& heading, int& sail, double& until) {
        size_t leg = 0;
        while (leg + 1 < route.points.size() && route.points[leg + 1].hours <= hours + 1e-9)
            ++leg;
        heading = route.points[leg].heading;
        sail = route.points[leg].sail;
        if (leg + 1 < route.points.size())
            until = route.points[leg + 1].hours;
    };
    return sailMinuteByMinute(r, followRoute, track);
}

double sailStraight(const RouteRequest& r)
{
    return sailMinuteByMinute(r, [&](double hours, const GeoPoint& here, double& heading, int& sail, double&) {
        heading = initialBearing(here.lat, here.lon, r.target.lat, r.target.lon);
        WindSample w;
        r.wind->wind(here.lat, here.lon, hours, w);
        sail = fastestSail(std::remainder(heading - w.dir, 360.0), w.speed).second;
    });
}

TEST(Router, UniformWindMatchesTheClosedFormOptimumAndTheRouteSailedArrivesOnTime)
{
    const double knots = 12, miles = 100, dst = 0.5 / kmPerNauticalMile;
    // What, the wind's direction, the mark's bearing and the time to it.
    const std::tuple<const char*, double, double, double> cases[] = { { "upwind, tacking", 0, 0, (miles - dst) / bestVmg(knots, 1) },
        { "downwind, gybing", 200, 20, (miles - dst) / bestVmg(knots, -1) }, { "close reach", 0, 55, (miles - dst) / fastestSail(55, knots).first },
        { "broad reach", 250, 125, (miles - dst) / fastestSail(125, knots).first } };
    for (auto [what, windDir, bearing, hours] : cases) {
        PlannedRoute route = planRoute(request(uniform(windDir, knots), markAt(bearing, miles)));
        EXPECT_NEAR(hours, route.reached ? route.etaHours : never, 0.005 * hours) << what;
    }
    // The route sailed minute by minute arrives on time, and never after the straight course.
    GeoPoint gate = destination(start, 90, 150 * kmPerNauticalMile);
    const std::tuple<const char*, const WindSampler*, RouteWaypoint> courses[] = { { "uniform, dead upwind", &westerly, markAt(270, 60) },
        { "uniform, on a reach", &westerly, markAt(160, 80) }, { "a front passing over a gate", &front, { gate.lat, gate.lon, 0, 5, GateWaypoint } },
        { "a veering breeze", &veering, markAt(330, 120, 1) } };
    for (const auto& [what, wind, target] : courses) {
        SCOPED_TRACE(what);
        RouteRequest r = request(*wind, target);
        PlannedRoute route = planRoute(r);
        ASSERT_TRUE(route.reached);
        EXPECT_NEAR(route.etaHours, replay(r, route), 0.005 * route.etaHours);
        EXPECT_LE(route.etaHours, sailStraight(r) + minute);
    }
}

// A calm is usable wind; wind unknown, not a number or of negative speed is not.
TEST(WindSampler, OnlyKnownFiniteWindOfNoNegativeSpeedIsUsable)
{
    const std::tuple<double, double, double, bool> cases[] = { { 0, 0, 0, true }, { 350, 12, 1, true }, { 0, 12, 5, false }, { nan, 12, 0, false },
        { 0, nan, 0, false }, { 0, never, 0, false }, { 0, -1, 0, false } };
    for (auto [dir, speed, hours, usable] : cases) {
        WindSample sample;
        EXPECT_EQ(uniform(dir, speed, 1).usableWind(0, 0, hours, sample), usable) << dir << " " << speed << " " << hours;
    }
}

// Abeam of a northerly freshening from 10 to 16 knots over two hours the jib speeds up
// evenly from 7.05 to 8.15 knots: 15.2 miles, half of them after 1.036 hours.
TEST(LegSailor, ALegThroughAChangingWindCoversTheIntegralOfItsSpeed)
{
    const FieldWind freshening([](double, double, double hours) { return WindSample { 0, 10 + 3 * hours }; });
    LegSailor legs(freshening, polars);
    ASSERT_TRUE(legs.sail(start, 0, 2, 90, 1, 7.05));
    EXPECT_NEAR(legs.km(), 15.2 * kmPerNauticalMile, 1e-6);
    EXPECT_NEAR(legs.timeAt(legs.km() / 2), 1.0361369583, 1e-6);
    EXPECT_NEAR(legs.end().lat, start.lat, 1e-9);
    // Freshening eastwards instead, by 0.1 knot a kilometre, the speed grows with the distance
    // sailed, 7.05 + b x knots, so x = 7.05 / b (e^(1.852 b t) - 1).
    const FieldWind eastward([](double lat, double lon, double) { return WindSample { 0, 10 + 0.1 * (lon - start.lon) * kmPerDegree * std::cos(lat * pi / 180) }; });
    LegSailor spreading(eastward, polars);
    ASSERT_TRUE(spreading.sail(start, 0, 2, 90, 1, 7.05));
    const double b = 0.1 * 1.1 / 6;
    EXPECT_NEAR(spreading.km(), 7.05 / b * (std::exp(kmPerNauticalMile * b * 2) - 1), 0.02);
    EXPECT_NEAR(spreading.timeAt(20.0), std::log(1 + b * 20.0 / 7.05) / (kmPerNauticalMile * b), 0.002);
    const FieldWind gust([](double, double, double hours) { return WindSample { 0, hours < 1 ? 10.0 : 16.0 }; });
    LegSailor gusty(gust, polars);
    ASSERT_TRUE(gusty.sail(start, 0, 2, 90, 1, 7.05));
    EXPECT_NEAR(gusty.timeAt(0.4 * 7.05 * kmPerNauticalMile), 0.4, 1e-6) << "in the first of the pieces a gust splits the leg into";
    int readings = 0;
    const FieldWind counted([&](double, double, double) { return ++readings, WindSample { 0, 10 }; });
    ASSERT_TRUE(LegSailor(counted, polars).sail(start, 0, 2, 90, 1, 7.05));
    EXPECT_EQ(readings, 2) << "a steady wind is read at the middle and the end only";
    EXPECT_FALSE(LegSailor(uniform(0, 12, 3), polars).sail(start, 2, 2, 90, 1, 7.05)) << "the wind is unknown where the leg ends";
    const FieldWind calm = uniform(0, 0);
    LegSailor becalmed(calm, polars);
    ASSERT_TRUE(becalmed.sail(start, 0, 2, 90, 1, 0.0));
    EXPECT_EQ(std::pair(becalmed.km(), becalmed.timeAt(0.0)), std::pair(0.0, 0.0)) << "a becalmed leg goes nowhere at once";
}

// Where no sail makes way there is no best sail, and of two equally fast sails the first is
// kept, so that a route does not change sail for nothing.
TEST(SailPolars, TheFasterSailWinsAndATieKeepsTheFirst)
{
    const std::map<int, Polar> twins { { 1, sails.at(1) }, { 2, sails.at(1) } };
    for (auto [table, angle, sail] : { std::tuple(&sails, 0.0, 0), std::tuple(&sails, 150.0, 2), std::tuple(&sails, 60.0, 1), std::tuple(&twins, 90.0, 1) })
        EXPECT_EQ(SailPolars(*table, 5.0).best(angle, 12).sail, sail) << angle;
}

// In a steady wind the first step reaches as far as the polar allows on every heading of
// the wind-angle grid where the boat moves, on both tacks alike.
TEST(Isochrones, TheFirstStepSailsEveryHeadingOnBothTacksAtThePolarsSpeed)
{
    Isochrones isochrones(start, markAt(100, 300), polars, northerly, nullptr, 1.0);
    ASSERT_TRUE(isochrones.advance(1.0));
    int tacks[2] = { 0, 0 };
    for (const IsochroneNode& node : isochrones.nodes()) {
        if (node.parent < 0 || std::fmod(node.heading, 5.0) != 0)
            continue;
        ++tacks[node.heading > 180];
        EXPECT_NEAR(greatCircleDistance(start.lat, start.lon, node.position.lat, node.position.lon), polars.speed(node.sail, node.heading, 12) * kmPerNauticalMile, 1e-3) << node.heading;
        EXPECT_EQ(polars.best(node.heading, 12).sail, node.sail) << node.heading;
    }
    EXPECT_EQ(std::pair(tacks[0], tacks[1]), std::pair(30, 29)) << "35 to 180 and 185 to 325 degrees";
}

// After two steps in a steady wind each ten-degree sector of bearings seen from the start
// holds a point as far as any leg from the first front reaches into it, sailed as the boat
// sails it: the legs are filed and ranked by where they really end (to a hundredth of a
// degree, as a held heading's leg bends from a great circle).
TEST(Isochrones, EachSectorKeepsTheFarthestLegOfTheNextStep)
{
    const FieldWind wind = uniform(30, 12);
    Isochrones isochrones(start, markAt(100, 300), polars, wind, nullptr, 10.0);
    ASSERT_TRUE(isochrones.advance(0.5) && isochrones.advance(0.5));
    auto seen = [](const GeoPoint& p) { return std::pair(initialBearing(start.lat, start.lon, p.lat, p.lon), greatCircleDistance(start.lat, start.lon, p.lat, p.lon)); };
    std::map<int, double> reachable; // the farthest kilometres from the start by sector
    std::vector<std::pair<double, double>> kept;
    for (const IsochroneNode& node : isochrones.nodes()) {
        for (double heading = 0; node.hours == 0.5 && heading < 360; heading += 5) {
            double knots = polars.best(std::fabs(std::remainder(heading - 30, 360.0)), 12).speed;
            auto [bearing, km] = seen(rhumbDestination(node.position, heading, knots * 0.5 * kmPerNauticalMile));
            if (knots > 0 && std::fmod(bearing, 10.0) > 0.01 && std::fmod(bearing, 10.0) < 9.99)
                reachable[int(bearing / 10)] = std::max(reachable[int(bearing / 10)], km);
        }
        if (node.hours == 1.0)
            kept.push_back(seen(node.position));
    }
    ASSERT_GE(reachable.size(), 30u);
    for (auto [sector, km] : reachable) {
        bool held = std::any_of(kept.begin(), kept.end(), [&, sector = sector, km = km](const auto& point) {
            return point.first > 10 * sector - 0.01 && point.first < 10 * sector + 10.01 && point.second > km - 1e-3;
        });
        EXPECT_TRUE(held) << "sector " << sector << ", " << km << " km";
    }
}

// With sectors a quarter of the compass wide the farthest point of the first one lies on a
// reach, yet the point nearest an upwind target, a beat, stays in the front.
TEST(Isochrones, ThePointNearestTheTargetStaysInTheFront)
{
    const RouteWaypoint target = markAt(10, 300);
    Isochrones isochrones(start, target, polars, northerly, nullptr, 90.0);
    ASSERT_TRUE(isochrones.advance(0.5));
    double nearest = never;
    for (double heading = 0; heading < 360; heading += 5) {
        GeoPoint p = rhumbDestination(start, heading, polars.best(std::fabs(std::remainder(heading, 360.0)), 12).speed * 0.5 * kmPerNauticalMile);
        nearest = std::min(nearest, greatCircleDistance(p.lat, p.lon, target.lat, target.lon));
    }
    EXPECT_NEAR(isochrones.nearestKm(), nearest, 1e-6);
}

// A round island, its shore sampled every 200 metres along a leg.
struct Island : LandChart {
    Island(GeoPoint centre, double radiusKm)
        : centre(centre)
        , radiusKm(radiusKm)
    {
    }
    bool covers(const GeoPoint& p) const { return greatCircleDistance(p.lat, p.lon, centre.lat, centre.lon) < radiusKm; }
    bool crossesLand(const GeoPoint& from, const GeoPoint& to) const override
    {
        double km = greatCircleDistance(from.lat, from.lon, to.lat, to.lon);
        double bearing = initialBearing(from.lat, from.lon, to.lat, to.lon);
        for (double along = 0; along < km + 0.2; along += 0.2) {
            if (covers(destination(from, bearing, std::min(along, km))))
                return true;
        }
        return false;
    }
    GeoPoint centre;
    double radiusKm;
};

TEST(Router, TheRouteGoesRoundLandOnTheChart)
{
    RouteWaypoint target = markAt(90, 100);
    // What, then the island's bearing and distance in miles from the start, and its radius in km.
    const std::tuple<const char*, double, double, double> cases[] = { { "an island on the straight course", 90, 50, 20 },
        { "an island just off the start", 80, 8, 10 }, { "an island just short of the target", 92, 90, 12 } };
    for (auto [what, bearing, miles, radiusKm] : cases) {
        SCOPED_TRACE(what);
        Island island(destination(start, bearing, miles * kmPerNauticalMile), radiusKm);
        RouteRequest r { start, target, sails, &westerly, &island, {}, nullptr, {} };
        ASSERT_TRUE(island.crossesLand(start, target.centre()));
        PlannedRoute route = planRoute(r);
        EXPECT_TRUE(route.reached && !route.landIgnored);
        std::vector<GeoPoint> track;
        EXPECT_NEAR(route.etaHours, replay(r, route, &track), 0.005 * route.etaHours);
        for (const GeoPoint& p : track)
            ASSERT_FALSE(island.covers(p)) << p.lat << ", " << p.lon;
        for (size_t i = 0; i + 1 < route.points.size(); ++i)
            EXPECT_FALSE(island.crossesLand(route.points[i].position, route.points[i + 1].position)) << "leg " << i;
    }
}

TEST(Router, AnUnfinishedRouteEndsNearestTheTargetAndSaysWhy)
{
    const FieldWind tenHours = uniform(0, 12, 9.9), noneKnown = uniform(0, 12, -1);
    const std::atomic<bool> cancelled { true };
    // What, the wind, the options, the cancel flag and the most hours the route may take, then
    // whether it reaches the target, misses wind and was cancelled.
    const std::tuple<const char*, const WindSampler*, RouterOptions, const std::atomic<bool>*, double, bool, bool, bool> cases[] = {
        { "the horizon runs out", &northerly, { 5, 5, 1.0 / 6, 1, 1 }, nullptr, 5, false, false, false }, { "the wind runs out", &tenHours, {}, nullptr, 10, false, true, false },
        { "no wind at all", nullptr, {}, nullptr, 0, false, true, false }, { "no wind known", &noneKnown, {}, nullptr, 0, false, true, false },
        { "cancelled", &northerly, {}, &cancelled, 0, false, false, true }, { "unusable options", &northerly, { nan, 1e9, -1, -5, 1e9 }, nullptr, 72, true, false, false }
    };
    for (const auto& [what, wind, options, cancel, maxHours, reached, windMissing, stopped] : cases) {
        SCOPED_TRACE(what);
        std::vector<int> reports;
        RouteRequest r { start, markAt(45, 150), sails, wind, nullptr, options, cancel, [&](int percent) { reports.push_back(percent); } };
        PlannedRoute route = planRoute(r);
        EXPECT_EQ(std::tuple(reached, windMissing, stopped, true), std::tuple(route.reached, route.windMissing, route.cancelled, route.landIgnored));
        EXPECT_LE(route.etaHours, maxHours);
        ASSERT_FALSE(route.points.empty());
        const GeoPoint& end = route.points.back().position;
        EXPECT_LT(maxHours > 0 ? greatCircleDistance(end.lat, end.lon, r.target.lat, r.target.lon) : 0.0, 0.9 * 150 * kmPerNauticalMile);
        // Each step that gains a percent reports it once, and the end reports 100.
        EXPECT_TRUE(std::adjacent_find(reports.begin(), reports.end(), std::greater_equal<int>()) == reports.end() && !reports.empty() && reports.back() == 100);
        EXPECT_GE(reports.size(), maxHours > 0 ? 10u : 1u);
    }
}

} // namespace
