#include "server/RaceCatalog.h"

#include <cmath>
#include <cstdint>
#include <ctime>
#include <iomanip>
#include <sstream>

namespace server {

namespace {

Waypoint mark(double lat, double lon, double radiusKm)
{
    return { lat, lon, 0.0, radiusKm, MarkWaypoint };
}

Waypoint gate(double lat, double lon, double hdg, double halfWidthKm)
{
    return { lat, lon, hdg, halfWidthKm, GateWaypoint };
}

int64_t startOfDay(int64_t time)
{
    return time - time % 86400;
}

// "2026-12-24 12:00" in UTC, or a plain number of seconds since 1970.
bool parseStart(const std::string& text, int64_t& start)
{
    std::tm tm {};
    std::istringstream in(text);
    in >> std::get_time(&tm, "%Y-%m-%d %H:%M");
    if (!in.fail()) {
        start = static_cast<int64_t>(timegm(&tm));
        return true;
    }
    char* end = nullptr;
    long long seconds = std::strtoll(text.c_str(), &end, 10);
    if (end == text.c_str() || *end != '\0')
        return false;
    start = seconds;
    return true;
}

// The client reads a start into a signed 32-bit number.
bool fitsClient(int64_t start)
{
    return start >= 0 && start <= INT32_MAX;
}

bool validWaypoint(const Waypoint& w)
{
    return std::isfinite(w.lat) && std::isfinite(w.lon) && std::isfinite(w.hdg) && std::isfinite(w.dst)
        && std::fabs(w.lat) <= 85.0 && std::fabs(w.lon) <= 180.0 && w.dst > 0.0 && w.dst <= 100.0;
}

std::string trimmed(const std::string& text)
{
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return "";
    size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

}

std::vector<Race> RaceCatalog::builtIn(int64_t now)
{
    std::vector<Race> races;
    races.push_back({ 1, "Channel Sprint",
        "A coastal sprint from Brighton along the Sussex shore, south of the Isle of Wight and across the Channel to Cherbourg.",
        "/images/race-1.png", startOfDay(now),
        { gate(50.76, -0.15, 90.0, 2.0), mark(50.62, -0.62, 1.5), mark(50.50, -1.30, 1.5), mark(49.80, -2.05, 1.5),
            gate(49.71, -1.62, 0.0, 2.0) } });
    races.push_back({ 2, "Trade Wind Crossing",
        "The classic Atlantic crossing from Gran Canaria to St Lucia: 2,700 miles with the trade winds behind you.",
        "/images/race-2.png", startOfDay(now) - 86400,
        { gate(28.10, -15.30, 90.0, 3.0), mark(27.65, -15.30, 3.0), mark(20.0, -30.0, 20.0), gate(14.26, -60.75, 0.0, 8.0) } });
    races.push_back({ 3, "Round Mallorca",
        "Once round Mallorca and Menorca in the Balearic Islands: Cabrera, Menorca, Cap de Formentor and Dragonera.",
        "/images/race-3.png", startOfDay(now) + 18 * 3600,
        { gate(39.42, 2.70, 90.0, 1.5), mark(39.05, 2.95, 1.5), mark(39.90, 4.45, 1.5), mark(40.15, 4.25, 1.5),
            mark(40.05, 3.25, 1.5), mark(39.95, 2.70, 1.5), mark(39.58, 2.22, 1.5), mark(39.40, 2.45, 1.5),
            gate(39.42, 2.70, 90.0, 1.5) } });
    return races;
}

std::vector<Race> RaceCatalog::read(std::istream& in, std::vector<std::string>& errors)
{
    std::vector<Race> races;
    Race race;
    bool open = false;
    bool broken = false;
    int lineNumber = 0;
    std::string line;
    auto fail = [&](const std::string& what) {
        errors.push_back("line " + std::to_string(lineNumber) + ": " + what);
        broken = true;
    };
    while (std::getline(in, line)) {
        ++lineNumber;
        std::string text = trimmed(line);
        if (text.empty() || text[0] == '#')
            continue;
        std::istringstream words(text);
        std::string keyword;
        words >> keyword;
        std::string rest = trimmed(text.substr(keyword.size()));
        if (keyword == "race") {
            if (open)
                fail("race without end");
            race = Race();
            open = true;
            broken = false;
            if (!(words >> race.id) || race.id <= 0)
                fail("race needs a positive number");
            race.imagePath = "/images/race-" + std::to_string(race.id) + ".png";
        } else if (!open) {
            fail("'" + keyword + "' outside a race");
        } else if (keyword == "name") {
            race.name = rest;
        } else if (keyword == "descr") {
            race.descr = rest;
        } else if (keyword == "image") {
            race.imagePath = rest;
        } else if (keyword == "start") {
            if (!parseStart(rest, race.start) || !fitsClient(race.start))
                fail("start must be YYYY-MM-DD HH:MM (UTC) or seconds since 1970, from 1970 to 2038");
        } else if (keyword == "mark" || keyword == "gate") {
            Waypoint w;
            w.type = keyword == "gate" ? GateWaypoint : MarkWaypoint;
            bool read = keyword == "gate" ? static_cast<bool>(words >> w.lat >> w.lon >> w.hdg >> w.dst)
                                          : static_cast<bool>(words >> w.lat >> w.lon >> w.dst);
            if (!read || !validWaypoint(w))
                fail("bad " + keyword + ": " + rest);
            race.route.push_back(w);
        } else if (keyword == "end") {
            if (race.name.empty())
                fail("race without a name");
            if (race.route.size() < 2)
                fail("a route needs a start and a finish");
            if (!broken)
                races.push_back(race);
            open = false;
        } else {
            fail("unknown keyword '" + keyword + "'");
        }
    }
    if (open)
        errors.push_back("race " + std::to_string(race.id) + " has no end");
    return races;
}

} // namespace server
