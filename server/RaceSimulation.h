#pragma once

#include "router/WindSampler.h"
#include "server/Boat.h"
#include "server/BoatType.h"
#include "server/PlanningThread.h"
#include "server/Route.h"
#include "server/Skipper.h"
#include "server/StepCrew.h"
#include "server/WindField.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace server {

class LandMask;

// One race in motion: its boats, moved along their headings at the polar speed of their
// sail for the wind where they are, passing the route's waypoints in order, ranked by
// progress. Not thread-safe: the owner serialises access.
class RaceSimulation {
public:
    RaceSimulation(Race race, const BoatType& boat, const WindSource& wind, const LandMask* land);

    const Race& race() const { return raceInfo; }
    const std::vector<Boat>& boats() const { return fleet; }
    // Indexes into boats() in order of place, as the last ranking left them.
    const std::vector<size_t>& byPlace() const { return order; }
    const Boat* boatOf(int user) const;

    // Adds boats (already stored, with their ids) and ranks the fleet again.
    void add(const Boat& boat);
    void add(const std::vector<Boat>& boats);
    // A new boat on the start line: `slot` spreads boats along it, in [0, 1].
    Boat newBoat(int user, const std::string& nick, double slot, int64_t time) const;

    // Sets a player's heading and sail now; the boat's speed follows at once. False when
    // the user has no boat in the race.
    bool setCourse(int user, double heading, int sail, int64_t time);
    // The boat on a new heading and sail in the wind it last had. Reads only what never
    // changes after construction, so it is safe while another thread steps the race.
    Boat withCourse(Boat boat, double heading, int sail, int64_t time) const;

    // Advances every boat by `sailSeconds` of sailing in the wind of `time`, read on the
    // lattice the skippers' router reads it on.
    void step(double sailSeconds, int64_t time);
    const Skipper& skippers() const { return skipper; }
    // Waits until the routes a large fleet asked for so far are planned; the next step
    // takes them. For measurements and tests: steps never wait for routes.
    void awaitRoutes();
    void rank();

private:
    // The time of a step and its wind as the router reads it.
    struct StepWind {
        int64_t time = 0;
        const WindSampler& forecast;
    };

    // True when the skipper found the step on its course clear of the land.
    bool steerRobot(size_t index, const Wind& wind, double sailSeconds, const StepWind& now);
    void move(size_t index, double sailSeconds, const StepWind& now);
    void takeRoutes();
    void advanceWaypoints(Boat& boat, const GeoPoint& from, const GeoPoint& to, int64_t time);
    double remainingKm(const Boat& boat) const;
    void updateWind(Boat& boat, int64_t time);

    Race raceInfo;
    const BoatType& boatType;
    const WindSource& wind;
    const LandMask* land;
    Skipper skipper;
    std::vector<Boat> fleet;
    // The computer skippers' routes, by index into the fleet.
    std::vector<SkipperPlan> plans;
    // The time of the last step, which tells how fast the wind moves on while boats sail,
    // and that rate.
    int64_t lastStep = 0;
    double lastRate = 1.0;
    std::vector<size_t> order;
    std::unordered_map<int, size_t> byUser;
    // The threads that share a large fleet's step, from its first large step on.
    std::unique_ptr<StepCrew> crew;
    // Plans a large fleet's routes between and during steps; last, so that it stops first.
    std::unique_ptr<PlanningThread> planner;
};

} // namespace server
