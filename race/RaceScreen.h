#pragma once

#include "boat/BoatRecord.h"
#include "gui/Command.h"

#include <SDL.h>

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class Map;
class Screen;
struct RaceRecord;
struct Waypoint;

// The chosen race on its full screen: the chart with route and boats, the boat control and
// information panels, the wind tape and the close button. Returns when its loop ends.
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

// The close button: ends the program.
class ExitGameCommand : public Command {
public:
    explicit ExitGameCommand(Screen* screen);
    void execute() override;

private:
    Screen* screen;
};

// Escape, whichever widget has the focus: ends the program.
class ExitGameAccelerator : public Accelerator {
public:
    explicit ExitGameAccelerator(Screen* screen);
    bool handleKey(SDL_Keycode keyCode) override;

private:
    Screen* screen;
};
