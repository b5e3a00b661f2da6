#include "race/RaceScreen.h"

#include "base/Text.h"
#include "boat/BoatControl.h"
#include "boat/BoatInfo.h"
#include "gui/Button.h"
#include "gui/Screen.h"
#include "lobby/RaceRecord.h"
#include "nav/GreatCircle.h"
#include "net/Protocol.h"
#include "race/AheadMarker.h"
#include "race/BoatWidget.h"
#include "race/Map.h"
#include "race/MapImage.h"
#include "race/MapLine.h"
#include "race/PositionAge.h"
#include "race/RaceDownloaders.h"
#include "race/RouteButton.h"
#include "race/RouteOverlay.h"
#include "race/RoutePlanner.h"
#include "race/WindTape.h"
#include "table/Exception.h"
#include "table/Table.h"

#include <cstdio>
#include <cstdlib>

namespace {

// The own boat starts as the race reports it, steered against the race's boat description.
BoatRecord ownBoatOf(const RaceRecord& race)
{
    BoatRecord own = race.own;
    own.boat = &race.boat;
    own.user = -1;
    return own;
}

// The table text of a periodic answer: the envelope's content less "OK" and its separator.
Table parseAnswer(const std::string& answer)
{
    return parseTable(answerTable(extractResult(answer)));
}

void reportParseError(const Exception& error, const char* what, const std::string& answer)
{
    std::printf("%s\n", error.message().c_str());
    std::printf("Error parsing %s table '%s'\n", what, answer.c_str());
}

BoatRecord readBoat(const Table& table)
{
    BoatRecord boat;
    readBoatState(table, boat);
    boat.sail = getInt(table, "sail");
    boat.nick = getString(table, "nick", "");
    boat.user = getInt(table, "user");
    return boat;
}

}

int32_t downloadPeriod(int32_t zoom)
{
    return zoom < 11 ? int32_t(1) << (11 - zoom) : 1;
}

int32_t systemClock()
{
    return int32_t(std::time(nullptr));
}

// Boats are walked in the numeric order of their keys; a missing number is skipped.
std::vector<BoatRecord> parseBoats(const std::string& answer)
{
    std::vector<BoatRecord> boats;
    try {
        Table root = parseAnswer(answer);
        const Table* list = getTable(root, "boats");
        if (!list) {
            std::printf("missing boats table\n");
            return boats;
        }
        size_t count = list->size();
        for (size_t i = 0; i < count; ++i) {
            auto entry = find(*list, std::to_string(i));
            if (entry == list->end()) {
                std::printf("missing boat table\n");
                continue;
            }
            boats.push_back(readBoat(*entry->second->toTable()));
        }
    } catch (const Exception& error) {
        reportParseError(error, "boat", answer);
    } catch (...) {
        std::printf("Error parsing boat table '%s'\n", answer.c_str());
    }
    return boats;
}

std::optional<BoatRecord> parsePosition(const std::string& answer)
{
    try {
        Table root = parseAnswer(answer);
        BoatRecord report;
        readBoatState(root, report);
        report.windDir = getDouble(root, "windDir");
        report.windSpeed = getDouble(root, "windSpeed");
        return report;
    } catch (const Exception& error) {
        reportParseError(error, "position", answer);
    } catch (...) {
        std::printf("Error parsing position table '%s'\n", answer.c_str());
    }
    return std::nullopt;
}

void addRouteFeatures(const std::vector<Waypoint>& route, Map& map)
{
    if (route.size() < 2)
        return;
    for (size_t i = 1; i < route.size(); ++i)
        map.addFeature(std::make_unique<MapLine>(route[i - 1].lat, route[i - 1].lon, route[i].lat, route[i].lon));
    for (const Waypoint& point : route) {
        if (point.type != 2) {
            map.addFeature(std::make_unique<MapImage>(point.lat, point.lon, "images/flag-red.png"));
            continue;
        }
        GeoPoint one = destinationPoint(point.lat, point.lon, point.hdg, point.dst);
        GeoPoint other = destinationPoint(point.lat, point.lon, point.hdg - 180, point.dst);
        map.addFeature(std::make_unique<MapImage>(one.lat, one.lon, "images/flag-red.png"));
        map.addFeature(std::make_unique<MapImage>(other.lat, other.lon, "images/flag-red.png"));
    }
}

void runRaceScreen(SDL_Window* window, RaceRecord& race)
{
    RaceScreen(window, race).run();
}

RaceScreen::RaceScreen(SDL_Window* window, RaceRecord& race)
    : own(ownBoatOf(race))
    , root(std::make_unique<Screen>(window))
{
    auto newMap = std::make_unique<Map>(root->width, root->height, race.own.lat, race.own.lon);
    addRouteFeatures(race.route, *newMap);
    auto control = std::make_unique<BoatControl>(newMap.get(), &own, &race);

    auto* ownMarker = newMap->addWidget(std::make_unique<BoatWidget>(&own, control.get(), newMap.get()));
    ownMarker->setFocus(true);
    newMap->placeWidget(*ownMarker);
    chart = root->addChild(std::move(newMap));
    root->addChild(std::move(control));
    root->addChild(std::make_unique<BoatInfo>(&own));
    auto* tape = root->addChild(std::make_unique<WindTape>(root->height - 50, root->width, chart));
    auto marker = std::make_unique<AheadMarker>(&own, tape);
    ahead = marker.get();
    chart->addFeature(std::move(marker));
    root->addChild(std::make_unique<Button>(root->width - 48, 0, 49, 48, "images/close-btn.png", &exitGame, false));
    addRouting(race, *ownMarker);
    root->addAccelerator(&escape);

    boats = std::make_unique<BoatsDownloader>(chart, &race);
    position = std::make_unique<PositionDownloader>(chart, &race, &own);
    root->addIdleHandler(boats.get());
    root->addIdleHandler(position.get());
    root->addChild(std::make_unique<PositionAge>(10, 150, position.get(), chart));
}

RaceScreen::~RaceScreen() = default;

// The route button under the close button, taking R and Escape before the screen does; a
// finished route opens the boat control panel with its first leg proposed.
void RaceScreen::addRouting(const RaceRecord& race, MapWidget& ownMarker)
{
    planner = std::make_unique<RoutePlanner>(race, own, systemClock);
    planner->onRouted = [this, &ownMarker](const PlannedRoute& route) {
        proposeFirstLeg(route, own);
        for (const auto& widget : chart->widgets)
            widget->setFocus(widget.get() == &ownMarker);
    };
    chart->addFeature(std::make_unique<RouteOverlay>(planner.get()));
    ahead->planner = planner.get();
    root->addAccelerator(root->addChild(std::make_unique<RouteButton>(root->width - 48, 52, planner.get())));
    root->addIdleHandler(planner.get());
}

const PlannedRoute* RaceScreen::plannedRoute() const
{
    return planner->route();
}

void RaceScreen::run()
{
    root->runEventLoop();
}

void RaceScreen::ExitGameCommand::execute()
{
    std::exit(0);
}

bool RaceScreen::ExitGameAccelerator::handleKey(SDL_Keycode keyCode)
{
    if (keyCode != SDLK_ESCAPE)
        return false;
    std::exit(0);
}
