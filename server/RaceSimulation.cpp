#include "server/RaceSimulation.h"

#include "nav/Angles.h"
#include "nav/GreatCircle.h"
#include "server/Coastline.h"
#include "server/RouterCharts.h"

#include <algorithm>
#include <atomic>
#include <numeric>
#include <thread>
#include <tuple>

namespace server {

namespace {

// Fleets of this many boats and more are moved by more than one thread, in shares of
// shareBoats boats.
constexpr size_t parallelFleet = 500;
constexpr size_t shareBoats = 64;

}

RaceSimulation::RaceSimulation(Race race, const BoatType& boat, const WindSource& wind, const LandMask* land)
    : raceInfo(std::move(race))
    , boatType(boat)
    , wind(wind)
    , land(land)
    , skipper(boat, land)
{
}

const Boat* RaceSimulation::boatOf(int user) const
{
    auto found = byUser.find(user);
    return found == byUser.end() ? nullptr : &fleet[found->second];
}

void RaceSimulation::add(const Boat& boat)
{
    add(std::vector<Boat> { boat });
}

void RaceSimulation::add(const std::vector<Boat>& boats)
{
    for (const Boat& boat : boats) {
        fleet.push_back(boat);
        plans.emplace_back();
        if (!boat.robot())
            byUser[boat.user] = fleet.size() - 1;
    }
    rank();
}

Boat RaceSimulation::newBoat(int user, const std::string& nick, double slot, int64_t time) const
{
    Boat boat;
    boat.race = raceInfo.id;
    boat.user = user;
    boat.nick = nick;
    const Waypoint& start = raceInfo.route.front();
    GeoPoint place = start.centre();
    if (start.type == GateWaypoint) {
        // Along the start line, a little short of both ends.
        double offset = (std::clamp(slot, 0.0, 1.0) * 2.0 - 1.0) * start.dst * 0.8;
        place = destination(place, start.hdg, offset);
    }
    boat.lat = place.lat;
    boat.lon = place.lon;
    boat.waypoint = raceInfo.route.size() > 1 ? 1 : 0;
    boat.heading = raceInfo.route.size() > 1 ? initialBearing(place.lat, place.lon, raceInfo.route[1].lat, raceInfo.route[1].lon) : 0.0;
    boat.sail = Jib;
    Wind w = wind.at(boat.lat, boat.lon, time);
    boat.windDir = w.dir;
    boat.windSpeed = w.speed;
    boat.speed = time >= raceInfo.start ? boatType.boatSpeed(boat.sail, boat.heading, w.dir, w.speed) : 0.0;
    return boat;
}

bool RaceSimulation::setCourse(int user, double heading, int sail, int64_t time)
{
    auto found = byUser.find(user);
    if (found == byUser.end())
        return false;
    Boat& boat = fleet[found->second];
    updateWind(boat, time);
    boat = withCourse(boat, heading, sail, time);
    return true;
}

Boat RaceSimulation::withCourse(Boat boat, double heading, int sail, int64_t time) const
{
    boat.heading = normalizeDegrees(heading);
    boat.sail = sail;
    // A new course is the way off the rocks; the next step finds out whether it works.
    boat.grounded = false;
    boat.speed = boat.finished || time < raceInfo.start ? 0.0 : boatType.boatSpeed(boat.sail, boat.heading, boat.windDir, boat.windSpeed);
    return boat;
}

void RaceSimulation::updateWind(Boat& boat, int64_t time)
{
    Wind w = wind.at(boat.lat, boat.lon, time);
    boat.windDir = w.dir;
    boat.windSpeed = w.speed;
}

bool RaceSimulation::steerRobot(size_t index, const Wind& w, double sailSeconds, const StepWind& now)
{
    Boat& boat = fleet[index];
    if (boat.waypoint >= static_cast<int>(raceInfo.route.size()))
        return false;
    const Waypoint& target = raceInfo.route[boat.waypoint];
    // Two pointers' worth of capture, which the function keeps without allocating.
    Skipper::AskRoute ask = [this, &boat](bool own) {
        planner->ask({ static_cast<size_t>(&boat - fleet.data()), boat, raceInfo.route[boat.waypoint], lastStep, lastRate, own });
    };
    Course course = skipper.steer(boat, plans[index], target, now.time, now.forecast, w, sailSeconds, planner ? &ask : nullptr);
    if (course.heading != boat.heading || course.sail != boat.sail)
        boat.grounded = false;
    boat.heading = course.heading;
    boat.sail = course.sail;
    return course.clear;
}

void RaceSimulation::move(size_t index, double sailSeconds, const StepWind& now)
{
    Boat& boat = fleet[index];
    WindSample sample;
    if (now.forecast.wind(boat.lat, boat.lon, 0.0, sample))
        std::tie(boat.windDir, boat.windSpeed) = std::pair(sample.dir, sample.speed);
    else
        updateWind(boat, now.time);
    if (boat.finished || now.time < raceInfo.start) {
        boat.speed = 0.0;
        return;
    }
    Wind w { boat.windDir, boat.windSpeed };
    // A skipper has already tried its step against the land; it is the same step or, when
    // the boat hardly moves, a longer one along the same line.
    bool clear = boat.robot() && steerRobot(index, w, sailSeconds, now);
    boat.speed = boatType.boatSpeed(boat.sail, boat.heading, w.dir, w.speed);
    double stepKm = boat.speed * kmPerNauticalMile * sailSeconds / 3600.0;
    if (stepKm <= 0.0)
        return;
    GeoPoint from { boat.lat, boat.lon };
    GeoPoint to = destination(from, boat.heading, stepKm);
    if (land && !clear && land->crossesLand(from, to)) {
        // Aground: the boat stays where it was until a new course takes it off.
        boat.grounded = true;
        boat.speed = 0.0;
        return;
    }
    boat.grounded = false;
    boat.lat = to.lat;
    boat.lon = to.lon;
    advanceWaypoints(boat, from, to, now.time);
}

void RaceSimulation::advanceWaypoints(Boat& boat, const GeoPoint& from, const GeoPoint& to, int64_t time)
{
    int count = static_cast<int>(raceInfo.route.size());
    // One step may pass more than one waypoint when they lie close together.
    while (boat.waypoint < count && passesWaypoint(raceInfo.route[boat.waypoint], from, to)) {
        ++boat.waypoint;
        if (boat.waypoint == count) {
            boat.finished = true;
            boat.finishTime = time;
            boat.speed = 0.0;
        }
    }
}

double RaceSimulation::remainingKm(const Boat& boat) const
{
    if (boat.finished || boat.waypoint >= static_cast<int>(raceInfo.route.size()))
        return 0.0;
    const Waypoint& next = raceInfo.route[boat.waypoint];
    return greatCircleDistance(boat.lat, boat.lon, next.lat, next.lon);
}

void RaceSimulation::step(double sailSeconds, int64_t time)
{
    // A sped-up race sails many seconds in each second of wind; until a second step shows
    // how many, the wind is taken to keep pace with the sailing.
    double windRate = lastStep > 0 && time > lastStep && sailSeconds > 0.0 ? std::min((time - lastStep) / sailSeconds, 1.0) : 1.0;
    lastStep = time;
    lastRate = windRate;
    // Each boat moves on its own, so a large fleet is shared out among the processors in
    // small shares, taken in turn: boats cost unevenly (a course searched near the shore,
    // a route planned in a small fleet), and whichever thread is free takes the next share.
    if (fleet.size() >= parallelFleet && !crew && std::thread::hardware_concurrency() > 1)
        crew = std::make_unique<StepCrew>(std::thread::hardware_concurrency() - 1);
    // A large fleet plans its routes on a thread of its own, so that its steps stay short.
    if (fleet.size() >= parallelFleet && !planner)
        planner = std::make_unique<PlanningThread>(skipper, wind);
    takeRoutes();
    size_t shares = (fleet.size() + shareBoats - 1) / shareBoats;
    std::atomic<size_t> next { 0 };
    auto moveShares = [&](size_t) {
        // The wind is read once per lattice point of each thread, not once per boat and
        // routing: the forecast is costly and varies over hundreds of kilometres.
        ForecastSampler forecast(wind, time, windRate);
        StepWind now { time, forecast };
        for (size_t share = next++; share < shares; share = next++) {
            size_t end = std::min(fleet.size(), (share + 1) * shareBoats);
            for (size_t i = share * shareBoats; i < end; ++i)
                move(i, sailSeconds, now);
        }
    };
    PlanningThread::Hold held(planner.get());
    if (crew && fleet.size() >= parallelFleet)
        crew->together(moveShares);
    else
        moveShares(0);
    rank();
}

void RaceSimulation::takeRoutes()
{
    if (!planner)
        return;
    for (RouteAnswer& answer : planner->answers()) {
        // The route starts where the boat asked for it, so the hours it has sailed since
        // count along it.
        SkipperPlan& plan = plans[answer.index];
        plan.legs = std::move(answer.legs);
        plan.pending = false;
    }
}

void RaceSimulation::awaitRoutes()
{
    if (planner)
        planner->finishAsked();
}

void RaceSimulation::rank()
{
    order.resize(fleet.size());
    std::iota(order.begin(), order.end(), 0);
    std::vector<double> remaining(fleet.size());
    for (size_t i = 0; i < fleet.size(); ++i)
        remaining[i] = remainingKm(fleet[i]);
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const Boat& x = fleet[a];
        const Boat& y = fleet[b];
        if (x.finished != y.finished)
            return x.finished;
        if (x.finished)
            return x.finishTime != y.finishTime ? x.finishTime < y.finishTime : x.id < y.id;
        if (x.waypoint != y.waypoint)
            return x.waypoint > y.waypoint;
        if (remaining[a] != remaining[b])
            return remaining[a] < remaining[b];
        return x.id < y.id;
    });
    for (size_t place = 0; place < order.size(); ++place)
        fleet[order[place]].position = static_cast<int>(place + 1);
}

} // namespace server
