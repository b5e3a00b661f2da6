#include "server/LiveRace.h"

namespace server {

LiveRace::LiveRace(std::unique_ptr<RaceSimulation> simulation, size_t listLimit)
    : sim(std::move(simulation))
    , listLimit(listLimit)
{
    publish();
}

std::shared_ptr<const RaceSnapshot> LiveRace::snapshot() const
{
    std::lock_guard<std::mutex> guard(snapshotLock);
    return current;
}

std::optional<Boat> LiveRace::boatOf(int user) const
{
    {
        std::lock_guard<std::mutex> guard(queueLock);
        auto found = queued.find(user);
        if (found != queued.end())
            return found->second.boat;
    }
    const Boat* boat = snapshot()->boatOf(user);
    return boat ? std::optional<Boat>(*boat) : std::nullopt;
}

void LiveRace::queue(const Boat& boat)
{
    std::lock_guard<std::mutex> guard(queueLock);
    queued[boat.user] = { boat, ++serial };
}

size_t LiveRace::queuedCount() const
{
    std::lock_guard<std::mutex> guard(queueLock);
    return queued.size();
}

void LiveRace::takeIn(const std::unordered_map<int, Queued>& changes, int64_t time)
{
    std::vector<Boat> joined;
    for (const auto& [user, change] : changes) {
        if (!sim->setCourse(user, change.boat.heading, change.boat.sail, time))
            joined.push_back(change.boat);
    }
    if (!joined.empty())
        sim->add(joined);
}

void LiveRace::step(double sailSeconds, int64_t time)
{
    std::unordered_map<int, Queued> changes;
    {
        std::lock_guard<std::mutex> guard(queueLock);
        changes = queued;
    }
    takeIn(changes, time);
    sim->step(sailSeconds, time);
    publish();
    // What was queued meanwhile stays queued for the next step.
    std::lock_guard<std::mutex> guard(queueLock);
    for (const auto& [user, change] : changes) {
        auto found = queued.find(user);
        if (found != queued.end() && found->second.serial == change.serial)
            queued.erase(found);
    }
}

void LiveRace::publish()
{
    std::shared_ptr<const RaceSnapshot> made = std::make_shared<const RaceSnapshot>(*sim, listLimit);
    {
        std::lock_guard<std::mutex> guard(snapshotLock);
        current.swap(made);
    }
    // The previous snapshot, when no request holds it any more, is freed here, outside the
    // lock that requests take.
}

} // namespace server
