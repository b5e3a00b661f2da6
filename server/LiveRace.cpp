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

std::shared_ptr<const RaceSimulation> LiveRace::simulation() const
{
    std::lock_guard<std::mutex> guard(snapshotLock);
    return sim;
}

uint64_t LiveRace::mark() const
{
    std::lock_guard<std::mutex> guard(queueLock);
    return serial;
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

void LiveRace::takeIn(const std::vector<Boat>& changes, int64_t time)
{
    std::vector<Boat> joined;
    for (const Boat& change : changes) {
        if (!sim->setCourse(change.user, change.heading, change.sail, time))
            joined.push_back(change);
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
    std::vector<Boat> boats;
    for (const auto& [user, change] : changes)
        boats.push_back(change.boat);
    takeIn(boats, time);
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

void LiveRace::stepWith(const std::vector<Boat>& stored, uint64_t mark, double sailSeconds, int64_t time)
{
    // In the order stored, so that a player's last change wins.
    for (const Boat& change : stored) {
        if (!sim->setCourse(change.user, change.heading, change.sail, time))
            sim->add(change);
    }
    sim->step(sailSeconds, time);
    publish();
    forget(mark);
}

void LiveRace::replace(std::unique_ptr<RaceSimulation> simulation, uint64_t mark)
{
    std::shared_ptr<RaceSimulation> next(std::move(simulation));
    std::shared_ptr<const RaceSnapshot> made = std::make_shared<const RaceSnapshot>(*next, listLimit);
    {
        std::lock_guard<std::mutex> guard(snapshotLock);
        sim.swap(next);
        current.swap(made);
    }
    forget(mark);
}

void LiveRace::forget(uint64_t mark)
{
    std::lock_guard<std::mutex> guard(queueLock);
    for (auto change = queued.begin(); change != queued.end();)
        change = change->second.serial <= mark ? queued.erase(change) : std::next(change);
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
