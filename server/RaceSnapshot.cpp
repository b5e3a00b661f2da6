#include "server/RaceSnapshot.h"

#include "server/RaceSimulation.h"
#include "server/TableWriter.h"

#include <algorithm>
#include <cmath>

namespace server {

namespace {

constexpr double radiansPerDegree = 3.14159265358979323846 / 180.0;
// Numbers of the boats list carry 6 decimals: a tenth of a metre in latitude.
constexpr int listDecimals = 6;

}

std::string boatEntry(const Boat& boat)
{
    TableWriter out(listDecimals);
    out.open().field("sail", boat.sail).field("position", boat.position).field("lat", boat.lat).field("lon", boat.lon);
    out.field("grounded", boat.grounded).field("heading", boat.heading).field("speed", boat.speed);
    out.field("waypoint", boat.waypoint).field("finished", boat.finished).field("nick", boat.nick).field("user", boat.user);
    out.close();
    return out.text();
}

RaceSnapshot::RaceSnapshot(const RaceSimulation& simulation, size_t listLimit)
    : info(simulation.race())
    , fleet(simulation.boats())
    , byPlace(simulation.byPlace())
    , placeOf(fleet.size())
    , xyz(fleet.size() * 3)
    , limit(listLimit)
{
    for (size_t place = 0; place < byPlace.size(); ++place)
        placeOf[byPlace[place]] = place;
    for (size_t i = 0; i < fleet.size(); ++i) {
        const Boat& boat = fleet[i];
        if (!boat.robot())
            byUser[boat.user] = i;
        double lat = boat.lat * radiansPerDegree;
        double lon = boat.lon * radiansPerDegree;
        xyz[i * 3] = static_cast<float>(std::cos(lat) * std::cos(lon));
        xyz[i * 3 + 1] = static_cast<float>(std::cos(lat) * std::sin(lon));
        xyz[i * 3 + 2] = static_cast<float>(std::sin(lat));
    }
    // One more than the limit, so that an asker among them still sees a full list.
    for (size_t place = 0; place < byPlace.size() && place <= limit; ++place)
        leaderEntries.push_back(boatEntry(fleet[byPlace[place]]));
}

const Boat* RaceSnapshot::boatOf(int user) const
{
    auto found = byUser.find(user);
    return found == byUser.end() ? nullptr : &fleet[found->second];
}

double RaceSnapshot::distanceSquared(size_t a, size_t b) const
{
    double dx = xyz[a * 3] - xyz[b * 3];
    double dy = xyz[a * 3 + 1] - xyz[b * 3 + 1];
    double dz = xyz[a * 3 + 2] - xyz[b * 3 + 2];
    return dx * dx + dy * dy + dz * dz;
}

std::vector<size_t> RaceSnapshot::chooseBoats(int asker) const
{
    auto own = byUser.find(asker);
    size_t skip = own == byUser.end() || asker == 0 ? fleet.size() : own->second;
    // Without a boat of one's own, the list is the first boats by place.
    bool alone = skip == fleet.size();
    size_t leaders = alone ? limit : limit / 5;
    std::vector<size_t> chosen;
    size_t place = 0;
    for (; place < byPlace.size() && chosen.size() < leaders; ++place) {
        if (byPlace[place] != skip)
            chosen.push_back(byPlace[place]);
    }
    if (alone)
        return chosen;
    std::vector<std::pair<double, size_t>> others;
    others.reserve(byPlace.size() - place);
    for (; place < byPlace.size(); ++place) {
        if (byPlace[place] != skip)
            others.emplace_back(distanceSquared(byPlace[place], skip), byPlace[place]);
    }
    size_t nearest = std::min(others.size(), limit - chosen.size());
    std::nth_element(others.begin(), others.begin() + static_cast<std::ptrdiff_t>(nearest), others.end());
    for (size_t i = 0; i < nearest; ++i)
        chosen.push_back(others[i].second);
    std::sort(chosen.begin(), chosen.end(), [this](size_t a, size_t b) { return placeOf[a] < placeOf[b]; });
    return chosen;
}

std::string RaceSnapshot::boatsList(int asker) const
{
    std::string out = "boats = {";
    bool first = true;
    for (size_t index : chooseBoats(asker)) {
        if (!first)
            out += ", ";
        first = false;
        size_t place = placeOf[index];
        out += place < leaderEntries.size() ? leaderEntries[place] : boatEntry(fleet[index]);
    }
    out += '}';
    return out;
}

} // namespace server
