#include "race/RouteForecast.h"

#include "net/Downloader.h"
#include "net/Protocol.h"
#include "race/WindTile.h"
#include "table/Exception.h"
#include "table/Table.h"
#include "table/Value.h"

#include <algorithm>

namespace {

// Tiles around the course: at most four, at zoom 6 or coarser, with a margin of a quarter
// of the distance and at least 150 km.
constexpr int maxTiles = 4;
constexpr int maxZoom = 6;
// Cells a side of the land grids the companion server answers.
constexpr int landCells = 32;
// Wind grids asked for at once: a burst of a hundred would keep a server's threads
// waiting on idle connections.
constexpr int gridsInFlight = 6;

TileRange courseTiles(const GeoPoint& start, const GeoPoint& target)
{
    double km = greatCircleDistance(start.lat, start.lon, target.lat, target.lon);
    return TileRange::covering(start, target, std::max(150.0, km / 4.0), maxTiles, maxZoom);
}

}

bool parseLandMask(const std::string& answer, int& cells, std::vector<bool>& land)
{
    std::string text = extractResult(answer);
    if (!isGoodAnswer(text))
        return false;
    try {
        Table root = parseTable(answerTable(text));
        cells = getInt(root, "numCells");
        const Table* flags = getTable(root, "land");
        if (!flags || cells < 1 || cells > 256 || flags->size() != size_t(cells) * size_t(cells))
            return false;
        land.assign(size_t(cells) * size_t(cells), false);
        for (size_t i = 0; i < land.size(); ++i)
            land[i] = getInt(*flags, std::to_string(i)) != 0;
        return true;
    } catch (const Exception&) {
        return false;
    }
}

RouteForecast::RouteForecast(int32_t raceId, const GeoPoint& start, const GeoPoint& target, int32_t startTime)
    : range(courseTiles(start, target))
    , start(start)
    , target(target)
    , startTime(startTime)
    , landGrid(std::make_unique<LandGrid>(range, landCells))
{
    for (int j = 0; j < range.rows(); ++j) {
        for (int i = 0; i < range.columns(); ++i) {
            int x = range.tileColumn(i);
            int y = range.north() + j;
            for (int time = 0; time < routeForecastTimes; ++time)
                winds.push_back({ x, y, time, nullptr });
            int id = downloader.download(landMaskUrl(raceId, range.zoom(), x, y), RaceRequest, nullptr);
            lands.push_back({ x, y, id });
        }
    }
    askForWind();
}

RouteForecast::~RouteForecast()
{
    for (const LandRequest& request : lands)
        downloader.cancel(request.id);
}

void RouteForecast::askForWind()
{
    int inFlight = 0;
    for (WindRequest& request : winds) {
        if (!request.tile && inFlight < gridsInFlight)
            request.tile = getWindTile(range.zoom(), request.tileX, request.tileY, startTime + request.time * routeForecastStep * 3600);
        inFlight += request.tile && !request.done;
    }
}

void RouteForecast::poll()
{
    for (WindRequest& request : winds)
        pollWind(request);
    askForWind();
    pollLand();
}

void RouteForecast::pollWind(WindRequest& request)
{
    if (!request.tile || request.done || request.tile->isLoading())
        return;
    if (request.tile->gridSize() == 0 && !request.retried) {
        request.retried = true;
        if (windRegistry.retry(request.tile->getName()))
            return;
    }
    request.done = true;
    ++settledGrids;
    if (request.tile->gridSize() == 0)
        ++failedGrids;
}

void RouteForecast::pollLand()
{
    for (auto request = lands.begin(); request != lands.end();) {
        Answer answer;
        if (request->id > 0 && !downloader.pollById(request->id, answer)) {
            ++request;
            continue;
        }
        int cells = 0;
        std::vector<bool> land;
        bool good = answer.status == 0 && answer.bytes && parseLandMask(answer.bytes.get(), cells, land) && cells == landCells;
        if (!good)
            return ignoreLand();
        landGrid->setGrid(request->tileX, request->tileY, land);
        request = lands.erase(request);
    }
}

void RouteForecast::ignoreLand()
{
    for (const LandRequest& request : lands)
        downloader.cancel(request.id);
    lands.clear();
    landGrid.reset();
}

bool RouteForecast::ready() const
{
    return lands.empty() && settledGrids == int(winds.size());
}

int RouteForecast::percent() const
{
    size_t all = winds.size() + size_t(range.columns() * range.rows());
    size_t landDone = size_t(range.columns() * range.rows()) - lands.size();
    return all ? int((size_t(settledGrids) + landDone) * 100 / all) : 100;
}

std::unique_ptr<GridWind> RouteForecast::wind() const
{
    int32_t cellsPerTile = 8;
    for (const WindRequest& request : winds)
        cellsPerTile = request.tile && request.tile->gridSize() > 0 ? request.tile->gridSize() : cellsPerTile;
    auto grids = std::make_unique<GridWind>(range, cellsPerTile, routeForecastTimes, routeForecastStep);
    std::vector<WindSample> cells;
    for (const WindRequest& request : winds) {
        int32_t n = request.tile ? request.tile->gridSize() : 0;
        cells.clear();
        for (int32_t row = 0; row < n; ++row) {
            for (int32_t column = 0; column < n; ++column)
                cells.push_back({ request.tile->windAt(column, row).first, request.tile->windAt(column, row).second });
        }
        grids->setGrid(request.time, request.tileX, request.tileY, cells);
    }
    return grids;
}

std::unique_ptr<LandGrid> RouteForecast::land()
{
    if (landGrid) {
        landGrid->clearAt(start);
        landGrid->clearAt(target);
    }
    return std::move(landGrid);
}
