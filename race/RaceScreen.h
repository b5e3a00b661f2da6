#pragma once

#include "boat/BoatRecord.h"
#include "gui/Command.h"

#include <SDL.h>

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class AheadMarker;
class BoatsDownloader;
class Map;
class MapWidget;
class PositionDownloader;
class RoutePlanner;
struct PlannedRoute;
class Screen;
struct RaceRecord;
struct Waypoint;

// Builds the race screen for the chosen race and runs it; returns when its loop ends.
void runRaceScreen(SDL_Window* window, RaceRecord& race);

// Lines between consecutive waypoints, then a flag on each waypoint, or two for a gate.
void addRouteFeatures(const std::vector<Waypoint>& route, Map& map);

// Seconds between periodic downloads at a zoom level: 2^(11 - zoom) below 11, else 1.
int32_t downloadPeriod(int32_t zoom);

// The calendar time in whole seconds; tests give the downloaders a clock of their own.
using Clock = std::function<int32_t()>;
int32_t systemClock();

// The boats of a boats answer, in the numeric order of their keys.
std::vector<BoatRecord> parseBoats(const std::string& answer);
// The own boat's state and the wind at it; nothing when some key could not be read.
std::optional<BoatRecord> parsePosition(const std::string& answer);

// The chosen race on its full screen: the chart with route and boats, the boat control and
// information panels, the wind tape and the close button, with the boats and the own
// boat's position downloaded periodically.
class RaceScreen {
public:
    // The screen keeps its own copy of the own boat's state and updates it.
    RaceScreen(SDL_Window* window, RaceRecord& race);
    ~RaceScreen();
    RaceScreen(const RaceScreen&) = delete;
    RaceScreen& operator=(const RaceScreen&) = delete;

    // Runs the event loop; Escape and the close button end the process.
    void run();

    // The widget tree and the chart at its bottom, for drawing frames without the loop.
    Screen& screen() const { return *root; }
    Map& map() const { return *chart; }
    // The route the player last asked for and still shown; null when there is none.
    const PlannedRoute* plannedRoute() const;
    // The routing that R and the route button start.
    RoutePlanner& router() const { return *planner; }

private:
    // The close button: ends the program.
    struct ExitGameCommand : Command {
        void execute() override;
    };

    // Escape, whichever widget has the focus: ends the program.
    struct ExitGameAccelerator : Accelerator {
        bool handleKey(SDL_Keycode keyCode) override;
    };

    void addRouting(const RaceRecord& race, MapWidget& ownMarker);

    BoatRecord own;
    ExitGameCommand exitGame;
    ExitGameAccelerator escape;
    std::unique_ptr<BoatsDownloader> boats;
    std::unique_ptr<PositionDownloader> position;
    std::unique_ptr<RoutePlanner> planner;
    // Declared after the downloaders and the planner so that it goes first, with the
    // markers that point into their records and the route's button and overlay.
    std::unique_ptr<Screen> root;
    Map* chart = nullptr;
    // The boat's copy at the wind tape's time, which follows the route once one is drawn.
    AheadMarker* ahead = nullptr;
};
