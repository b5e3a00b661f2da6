#include "server/ClusterStepper.h"

#include <sodium.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <limits>

namespace server {

namespace {

// A lease not renewed for this long is free for another instance to take.
constexpr int leaseSeconds = 10;
// Boats written in one statement when the fleet is published.
constexpr size_t publishPart = 2000;

std::string instanceName()
{
    char host[256] = "";
    if (gethostname(host, sizeof host - 1) != 0)
        host[0] = '\0';
    return std::string(host) + ":" + std::to_string(getpid()) + ":" + std::to_string(randombytes_random());
}

}

ClusterStepper::ClusterStepper(Storage& store, Builder build)
    : store(store)
    , build(std::move(build))
    , name(instanceName())
{
}

void ClusterStepper::step(LiveRace& live, double sailSeconds, int64_t now)
{
    int race = live.simulation()->race().id;
    Holding& holding = holdings[race];
    try {
        advance(live, holding, sailSeconds, now);
        if (holding.failing)
            std::fprintf(stderr, "tidewake-server: race %d: the database answers again\n", race);
        holding.failing = false;
    } catch (const DatabaseError& error) {
        // Requests go on reading the last snapshot; the lease is given up for lost, so
        // that a reconnected instance starts again from what is stored.
        if (!holding.failing)
            std::fprintf(stderr, "tidewake-server: race %d: %s\n", race, error.what());
        holding.failing = true;
        holding.owned = false;
    }
}

void ClusterStepper::release()
{
    for (auto& [race, holding] : holdings) {
        try {
            if (holding.owned)
                store.releaseLease(race, name);
        } catch (const DatabaseError& error) {
            std::fprintf(stderr, "tidewake-server: race %d: %s\n", race, error.what());
        }
        holding.owned = false;
    }
}

void ClusterStepper::advance(LiveRace& live, Holding& holding, double sailSeconds, int64_t now)
{
    std::shared_ptr<const RaceSimulation> current = live.simulation();
    const Race& race = current->race();
    bool owned = store.holdLease(race.id, name, leaseSeconds);
    // Whatever is queued up to here was stored before it was queued.
    uint64_t mark = live.mark();
    if (owned && holding.owned) {
        BoatChanges changes = store.boatChanges(race.id, holding.revision);
        live.stepWith(changes.boats, mark, sailSeconds, now);
        holding.revision = changes.revision;
    } else {
        // Changes read again after the rebuild do no harm; none may be missed.
        int64_t revision = store.boatChanges(race.id, std::numeric_limits<int64_t>::max()).revision;
        live.replace(build(race, owned), mark);
        holding.revision = revision;
        if (owned)
            std::fprintf(stderr, "tidewake-server: simulating race %d\n", race.id);
    }
    holding.owned = owned;
    if (owned)
        publish(live, now);
}

void ClusterStepper::publish(const LiveRace& live, int64_t now)
{
    std::shared_ptr<const RaceSnapshot> snapshot = live.snapshot();
    const std::vector<Boat>& boats = snapshot->boats();
    for (size_t first = 0; first < boats.size(); first += publishPart)
        store.saveBoats(boats.data() + first, std::min(publishPart, boats.size() - first));
    store.setRaceClock(snapshot->race().id, now);
}

} // namespace server
