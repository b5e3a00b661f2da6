#pragma once

#include "nav/GreatCircle.h"
#include "router/GridWind.h"
#include "router/LandGrid.h"
#include "router/TileRange.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class WindTile;

// Forecast grids start at the routing's start and follow each other this many hours apart
// up to the horizon.
constexpr int routeForecastStep = 3;
constexpr int routeForecastTimes = 72 / routeForecastStep + 1;

// The land of one land-mask answer: cells a side and the flags row by row. False for an
// answer that is not a good one or whose grid is incomplete.
bool parseLandMask(const std::string& answer, int& cells, std::vector<bool>& land);

// Gathers what a routing from start to target needs from the race server, on the
// user-interface thread: the wind grids of the tiles around the course at every forecast
// time through the wind registry, and their land grids through the land-mask request.
// A wind grid that fails is asked for once more; after that the routing goes without it.
// The first land answer that is not a good one ends the land requests: the routing then
// ignores land.
class RouteForecast {
public:
    RouteForecast(int32_t raceId, const GeoPoint& start, const GeoPoint& target, int32_t startTime);
    // Drops the handles on the grids and forgets the land requests still in flight.
    ~RouteForecast();
    RouteForecast(const RouteForecast&) = delete;
    RouteForecast& operator=(const RouteForecast&) = delete;

    // Takes in what has arrived; run once per frame.
    void poll();
    bool ready() const;
    // The share of grids that have arrived or been given up, in percent.
    int percent() const;

    // Once ready: the wind of every grid that arrived, and the land, null when ignored.
    std::unique_ptr<GridWind> wind() const;
    std::unique_ptr<LandGrid> land();
    bool windFailed() const { return failedGrids > 0; }

private:
    struct WindRequest {
        int tileX;
        int tileY;
        int time;
        std::unique_ptr<WindTile> tile;
        bool retried = false;
        bool done = false;
    };
    struct LandRequest {
        int tileX;
        int tileY;
        int id;
    };

    // Asks for the next grids in order while fewer than a handful are in flight.
    void askForWind();
    void pollWind(WindRequest& request);
    void pollLand();
    void ignoreLand();

    TileRange range;
    GeoPoint start;
    GeoPoint target;
    int32_t startTime;
    // Null until asked for.
    std::vector<WindRequest> winds;
    std::vector<LandRequest> lands;
    std::unique_ptr<LandGrid> landGrid;
    int settledGrids = 0;
    int failedGrids = 0;
};
