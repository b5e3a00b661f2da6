#include "server/CoastBuilder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <unordered_map>

namespace server {

namespace {

using PointKey = std::pair<int64_t, int64_t>;

PointKey keyOf(const LonLat& p)
{
    return { std::llround(p.lon * 1e6), std::llround(p.lat * 1e6) };
}

bool onDateLine(const LonLat& p)
{
    return std::fabs(std::fabs(p.lon) - 180.0) < 1e-9;
}

struct PipeCloser {
    void operator()(FILE* pipe) const { pclose(pipe); }
};

void closeRing(Ring& ring)
{
    const LonLat first = ring.front();
    const LonLat last = ring.back();
    if (keyOf(first) == keyOf(last)) {
        ring.pop_back();
        return;
    }
    if (onDateLine(first) && onDateLine(last) && (first.lon > 0) != (last.lon > 0)) {
        // Goes right round the globe: close through the pole on the side it encloses.
        double pole = (first.lat + last.lat) < 0 ? -90.0 : 90.0;
        ring.push_back({ last.lon, pole });
        ring.push_back({ first.lon, pole });
    }
}

// Clips one ring against one half-plane given by an inside test and an intersection.
template <typename Inside, typename Cut>
Ring clipEdge(const Ring& input, Inside inside, Cut cut)
{
    Ring output;
    if (input.empty())
        return output;
    output.reserve(input.size() + 4);
    LonLat previous = input.back();
    bool previousInside = inside(previous);
    for (const LonLat& current : input) {
        bool currentInside = inside(current);
        if (currentInside != previousInside)
            output.push_back(cut(previous, current));
        if (currentInside)
            output.push_back(current);
        previous = current;
        previousInside = currentInside;
    }
    return output;
}

LonLat atLon(const LonLat& a, const LonLat& b, double lon)
{
    double t = (lon - a.lon) / (b.lon - a.lon);
    return { lon, a.lat + t * (b.lat - a.lat) };
}

LonLat atLat(const LonLat& a, const LonLat& b, double lat)
{
    double t = (lat - a.lat) / (b.lat - a.lat);
    return { a.lon + t * (b.lon - a.lon), lat };
}

struct CellRange {
    int c0, c1, r0, r1;
};

void distribute(CoastGrid& grid, const Ring& ring, CellRange range)
{
    if (ring.size() < 3)
        return;
    if (range.c0 == range.c1 && range.r0 == range.r1) {
        grid.addRing(range.c0, range.r0, ring);
        return;
    }
    double size = grid.cellSize();
    CellRange first = range;
    CellRange second = range;
    if (range.c1 - range.c0 >= range.r1 - range.r0) {
        int middle = (range.c0 + range.c1) / 2;
        first.c1 = middle;
        second.c0 = middle + 1;
    } else {
        int middle = (range.r0 + range.r1) / 2;
        first.r1 = middle;
        second.r0 = middle + 1;
    }
    for (const CellRange& half : { first, second }) {
        Ring part = CoastBuilder::clip(ring, grid.west(half.c0), grid.south(half.r0), grid.west(half.c1) + size, grid.south(half.r1) + size);
        distribute(grid, part, half);
    }
}

}

std::vector<Ring> CoastBuilder::readSegments(std::istream& in)
{
    std::vector<Ring> segments;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty())
            continue;
        if (line[0] == '>') {
            segments.emplace_back();
            continue;
        }
        if (segments.empty())
            segments.emplace_back();
        LonLat p;
        if (std::sscanf(line.c_str(), "%lf %lf", &p.lon, &p.lat) == 2)
            segments.back().push_back(p);
    }
    segments.erase(std::remove_if(segments.begin(), segments.end(), [](const Ring& s) { return s.size() < 2; }), segments.end());
    return segments;
}

std::vector<Ring> CoastBuilder::assemble(std::vector<Ring> segments)
{
    std::vector<Ring> rings;
    std::multimap<PointKey, size_t> byStart;
    std::map<PointKey, int> endCount;
    std::vector<bool> used(segments.size(), false);
    for (size_t i = 0; i < segments.size(); ++i) {
        if (keyOf(segments[i].front()) == keyOf(segments[i].back())) {
            used[i] = true;
            rings.push_back(std::move(segments[i]));
            rings.back().pop_back();
            continue;
        }
        byStart.emplace(keyOf(segments[i].front()), i);
        ++endCount[keyOf(segments[i].back())];
    }
    auto follow = [&](size_t head) {
        used[head] = true;
        Ring chain = std::move(segments[head]);
        while (keyOf(chain.back()) != keyOf(chain.front())) {
            auto [from, to] = byStart.equal_range(keyOf(chain.back()));
            auto next = std::find_if(from, to, [&](const auto& entry) { return !used[entry.second]; });
            if (next == to)
                break;
            used[next->second] = true;
            const Ring& piece = segments[next->second];
            chain.insert(chain.end(), piece.begin() + 1, piece.end());
        }
        closeRing(chain);
        if (chain.size() >= 3)
            rings.push_back(std::move(chain));
    };
    // Chains that nothing leads into start first, so that they are followed whole.
    for (size_t i = 0; i < segments.size(); ++i) {
        if (!used[i] && endCount.count(keyOf(segments[i].front())) == 0)
            follow(i);
    }
    for (size_t i = 0; i < segments.size(); ++i) {
        if (!used[i])
            follow(i);
    }
    return rings;
}

Ring CoastBuilder::clip(const Ring& ring, double west, double south, double east, double north)
{
    Ring r = clipEdge(
        ring, [&](const LonLat& p) { return p.lon >= west; }, [&](const LonLat& a, const LonLat& b) { return atLon(a, b, west); });
    r = clipEdge(
        r, [&](const LonLat& p) { return p.lon <= east; }, [&](const LonLat& a, const LonLat& b) { return atLon(a, b, east); });
    r = clipEdge(
        r, [&](const LonLat& p) { return p.lat >= south; }, [&](const LonLat& a, const LonLat& b) { return atLat(a, b, south); });
    return clipEdge(
        r, [&](const LonLat& p) { return p.lat <= north; }, [&](const LonLat& a, const LonLat& b) { return atLat(a, b, north); });
}

CoastGrid CoastBuilder::cut(const std::vector<Ring>& rings, double cellSize)
{
    CoastGrid grid(cellSize);
    for (const Ring& ring : rings) {
        double west = 180.0, east = -180.0, south = 90.0, north = -90.0;
        for (const LonLat& p : ring) {
            west = std::min(west, p.lon);
            east = std::max(east, p.lon);
            south = std::min(south, p.lat);
            north = std::max(north, p.lat);
        }
        auto column = [&](double lon) { return std::clamp(static_cast<int>(std::floor((lon + 180.0) / cellSize)), 0, grid.columns() - 1); };
        auto row = [&](double lat) { return std::clamp(static_cast<int>(std::floor((lat + 90.0) / cellSize)), 0, grid.rows() - 1); };
        CellRange range { column(west), column(east), row(south), row(north) };
        Ring bounded = clip(ring, grid.west(range.c0), grid.south(range.r0), grid.west(range.c1) + cellSize, grid.south(range.r1) + cellSize);
        distribute(grid, bounded, range);
    }
    return grid;
}

CoastGrid CoastBuilder::fromGmt(char resolution, double cellSize, const std::string& workDir)
{
    if (std::string("clih").find(resolution) == std::string::npos)
        throw std::invalid_argument("unknown coastline resolution");
    std::string quoted = "'";
    for (char c : workDir)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    quoted += "'";
    std::string command = "cd " + quoted + " && gmt coast -Rd -D" + resolution + " -W -M 2>/dev/null";
    std::unique_ptr<FILE, PipeCloser> pipe(popen(command.c_str(), "r"));
    if (!pipe)
        throw std::runtime_error("Can't run: " + command);
    std::string text;
    char buffer[65536];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0)
        text.append(buffer, count);
    pipe.reset();
    std::error_code ignored;
    std::filesystem::remove(std::filesystem::path(workDir) / "gmt.history", ignored);
    std::istringstream in(text);
    std::vector<Ring> segments = readSegments(in);
    if (segments.empty())
        throw std::runtime_error("No coastline from: " + command + " (is GMT with GSHHG installed?)");
    return cut(assemble(std::move(segments)), cellSize);
}

} // namespace server
