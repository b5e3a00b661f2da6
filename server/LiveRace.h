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
class LiveRace {
public:
    LiveRace(std::unique_ptr<RaceSimulation> simulation, size_t listLimit);

    std::shared_ptr<const RaceSnapshot> snapshot() const;
    // The player's boat as requests see it: queued, else in the snapshot.
    std::optional<Boat> boatOf(int user) const;
    // Queues a player's boat: a new one to add, or a known one on a new course.
    void queue(const Boat& boat);
    size_t queuedCount() const;
    const RaceSimulation& simulation() const { return *sim; }

    // Stepping thread only: takes in the queue, steps, publishes.
    void step(double sailSeconds, int64_t time);

private:
    void publish();
    struct Queued {
        Boat boat;
        uint64_t serial = 0;
    };

    void takeIn(const std::unordered_map<int, Queued>& changes, int64_t time);

    std::unique_ptr<RaceSimulation> sim;
    size_t listLimit;
    mutable std::mutex snapshotLock;
    std::shared_ptr<const RaceSnapshot> current;
    mutable std::mutex queueLock;
    std::unordered_map<int, Queued> queued;
    uint64_t serial = 0;
};

} // namespace server
