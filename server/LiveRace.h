#pragma once

#include "server/RaceSimulation.h"
#include "server/RaceSnapshot.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>

namespace server {

// One race shared between the stepping thread and the request threads. The stepper owns
// the simulation and publishes an immutable snapshot after each step; requests read the
// latest snapshot and queue their changes (a boat that joined, a new course), which the
// next step takes in. Until then a queued boat is what requests see of that player.
// When several instances share the database, the changes are taken from there instead,
// and an instance that does not simulate the race replaces it with what was stored.
class LiveRace {
public:
    LiveRace(std::unique_ptr<RaceSimulation> simulation, size_t listLimit);

    std::shared_ptr<const RaceSnapshot> snapshot() const;
    // The player's boat as requests see it: queued, else in the snapshot.
    std::optional<Boat> boatOf(int user) const;
    // Queues a player's boat: a new one to add, or a known one on a new course.
    void queue(const Boat& boat);
    size_t queuedCount() const;
    // The race's rules: requests use only what never changes after construction.
    std::shared_ptr<const RaceSimulation> simulation() const;
    // Identifies the changes queued so far; those are in the database already.
    uint64_t mark() const;

    // Stepping thread only: takes in the queue, steps, publishes.
    void step(double sailSeconds, int64_t time);
    // Stepping thread only: takes in changes read from the database instead of the queue,
    // steps, publishes, and forgets what was queued up to `mark`.
    void stepWith(const std::vector<Boat>& stored, uint64_t mark, double sailSeconds, int64_t time);
    // Stepping thread only: carries on with another simulation of the race, as built from
    // the database after `mark` was taken, and publishes it.
    void replace(std::unique_ptr<RaceSimulation> simulation, uint64_t mark);

private:
    void publish();
    struct Queued {
        Boat boat;
        uint64_t serial = 0;
    };

    void takeIn(const std::vector<Boat>& changes, int64_t time);
    void forget(uint64_t mark);

    std::shared_ptr<RaceSimulation> sim;
    size_t listLimit;
    mutable std::mutex snapshotLock;
    std::shared_ptr<const RaceSnapshot> current;
    mutable std::mutex queueLock;
    std::unordered_map<int, Queued> queued;
    uint64_t serial = 0;
};

} // namespace server
