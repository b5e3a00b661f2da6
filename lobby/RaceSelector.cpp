#include "lobby/RaceSelector.h"

#include "app/Storage.h"
#include "gui/BackgroundScreen.h"
#include "gui/Button.h"
#include "gui/Image.h"
#include "gui/Label.h"
#include "gui/MessageBox.h"
#include "gui/Window.h"
#include "lobby/DownloadProcessor.h"
#include "net/Protocol.h"
#include "table/Exception.h"

namespace {

void addRaceRow(Window& window, const RaceRecord& race, int row, Command* command)
{
    int y = 50 + 250 * row;
    window.addChild(std::make_unique<Image>(90, y, 310, 206, race.image.c_str()));
    window.addChild(std::make_unique<Label>(440, y - 5, 460, 50, race.name.c_str()));
    std::string description = race.descr + "  Start at " + formatStartTime(race.start) + " GMT.";
    window.addChild(std::make_unique<Label>(440, y + 50, 460, 150, description.c_str()));
    window.addChild(std::make_unique<Button>(420, y + 140, 180, 96, race.own.sail != 0 ? "Continue" : "Join", command, true));
}

}

bool joinRace(SDL_Window* window, RaceRecord& race)
{
    std::string answer = fetch(window, joinUrl(race.id));
    if (!isGoodAnswer(answer))
        return false;
    bool parsed = parseJoin(answerTable(answer), race);
    if (!parsed)
        showMessageBox(window, "Error: Invalid server response.");
    return parsed;
}

bool loadBoatDescription(SDL_Window* window, RaceRecord& race)
{
    std::string answer = fetch(window, boatDescriptionUrl(race.id));
    if (!isGoodAnswer(answer))
        return false;
    try {
        race.boat = parseBoatDescription(answerTable(answer));
    } catch (const Exception&) {
        showMessageBox(window, "Error: Unexpected server response.");
        return false;
    }
    return true;
}

bool loadRoute(SDL_Window* window, RaceRecord& race)
{
    std::string answer = fetch(window, routeUrl(race.id));
    if (!isGoodAnswer(answer))
        return false;
    try {
        if (!parseRoute(answerTable(answer), race.route)) {
            showMessageBox(window, "Error: Invalid race route.");
            return false;
        }
    } catch (const Exception&) {
        showMessageBox(window, "Error: Unexpected server response.");
        return false;
    }
    return true;
}

bool runRaceSelector(SDL_Window* window, RaceList& races, RaceRecord& chosen)
{
    return RaceSelector(window, races).run(chosen);
}

RaceSelector::RaceSelector(SDL_Window* window, RaceList& races)
    : races(races)
    , screen(createBackgroundScreen(window))
{
    int count = int(races.size());
    // Nothing scrolls: from three races on, the window is taller than a 768-pixel screen.
    auto* selector = screen->addChild(std::make_unique<Window>(1000, 250 * count + 110, "SELECT RACE"));
    selector->centreIn(screen->width, screen->height);

    for (int i = 0; i < count; ++i)
        joins.push_back(std::make_unique<JoinRaceSelectorCommand>(this, i));
    for (int i = 0; i < count; ++i)
        addRaceRow(*selector, races[size_t(i)], i, joins[size_t(i)].get());

    selector->addChild(std::make_unique<Button>(900, 5, 49, 48, "images/close-btn.png", &exitSelector, false));
    selector->cancelCommand = &exitSelector;
    selector->setFocus(true);
}

bool RaceSelector::run(RaceRecord& chosen)
{
    screen->runEventLoop();
    if (selectedIndex == -1)
        return false;
    chosen = races[size_t(selectedIndex)];
    return true;
}

RaceSelector::JoinRaceSelectorCommand::JoinRaceSelectorCommand(RaceSelector* selector, int index)
    : selector(selector)
    , index(index)
{
}

// A race the player already has a boat in (sail not 0) is continued without a join; a
// failed step leaves the selector on screen with what the earlier steps wrote.
void RaceSelector::JoinRaceSelectorCommand::execute()
{
    RaceRecord& race = selector->races[size_t(index)];
    SDL_Window* window = selector->screen->window;
    if (race.own.sail == 0 && !joinRace(window, race))
        return;
    if (!loadBoatDescription(window, race))
        return;
    if (!loadRoute(window, race))
        return;
    selector->selectedIndex = index;
    selector->screen->done = true;
}

RaceSelector::ExitRaceSelectorCommand::ExitRaceSelectorCommand(RaceSelector* selector)
    : selector(selector)
{
}

void RaceSelector::ExitRaceSelectorCommand::execute()
{
    selector->screen->done = true;
    if (storage)
        storage->writeInt("autoLogin", 0);
}
