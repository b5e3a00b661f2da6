#pragma once

#include "server/LiveRace.h"
#include "server/Storage.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace server {

// Steps the races of one server among several that share a database. Each race is
// simulated by the instance that holds its lease: it takes in the joins and courses any
// instance stored, steps, and publishes every boat's state after each step. The others
// rebuild the race from the database at each step. When the simulating instance stops
// renewing its lease, the next to find it expired takes the race over from the state it
// last published.
class ClusterStepper {
public:
    // Builds a race from the database; with `simulate` also ready to be stepped (computer
    // boats added, the clock caught up).
    using Builder = std::function<std::unique_ptr<RaceSimulation>(const Race& race, bool simulate)>;

    ClusterStepper(Storage& store, Builder build);

    // Stepping thread only.
    void step(LiveRace& live, double sailSeconds, int64_t now);
    // Gives up the races this instance simulates, as it stops: another takes them over
    // without waiting for the leases to expire.
    void release();
    const std::string& instance() const { return name; }

private:
    struct Holding {
        bool owned = false;
        int64_t revision = 0;
        bool failing = false;
    };

    void advance(LiveRace& live, Holding& holding, double sailSeconds, int64_t now);
    void publish(const LiveRace& live, int64_t now);

    Storage& store;
    Builder build;
    // Unique to this run of this server.
    std::string name;
    std::map<int, Holding> holdings;
};

} // namespace server
