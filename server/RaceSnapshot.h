#pragma once

#include "server/Boat.h"
#include "server/Route.h"

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

namespace server {

class RaceSimulation;

// A race as one simulation step left it, never changed once made: request threads read
// the latest one while the next step is being computed. The entries of the first boats by
// place are written once here, since every boats list starts with the leaders.
class RaceSnapshot {
public:
    // `listLimit` is the most boats one boats list holds.
    RaceSnapshot(const RaceSimulation& simulation, size_t listLimit);

    const Race& race() const { return info; }
    const std::vector<Boat>& boats() const { return fleet; }
    const Boat* boatOf(int user) const;

    // The boats list seen by `asker` (0 for someone without a boat): at most the limit of
    // boats, a fifth of them the leaders and the rest the nearest to the asker's boat (the
    // next by place for someone without one), never the asker's own; in order of place.
    std::string boatsList(int asker) const;
    // The boats chosen for that list, as indexes into boats().
    std::vector<size_t> chooseBoats(int asker) const;

private:
    double distanceSquared(size_t a, size_t b) const;

    Race info;
    std::vector<Boat> fleet;
    std::unordered_map<int, size_t> byUser;
    // Indexes of the boats in order of place.
    std::vector<size_t> byPlace;
    // Each boat's place in byPlace.
    std::vector<size_t> placeOf;
    // Unit vectors of the boats' positions: the nearest boats are the nearest in space.
    std::vector<float> xyz;
    size_t limit;
    std::vector<std::string> leaderEntries;
};

// A boat as one element of the boats list, numbers with 6 decimals.
std::string boatEntry(const Boat& boat);

} // namespace server
