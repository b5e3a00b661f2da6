#include "lobby/RaceSelector.h"

#include "app/Storage.h"
#include "gui/BackgroundScreen.h"
#include "gui/Button.h"
#include "gui/Image.h"
#include "gui/Label.h"
#include "gui/MessageBox.h"
#include "gui/Window.h"
#include "net/DownloadProcessor.h"
#include "net/Protocol.h"
#include "base/Text.h"
#include "table/Exception.h"
#include "table/Table.h"

#include <cstdio>
#include <memory>
#include <vector>

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
    bool parsed = false;
    try {
        Table root = parseTable(answerTable(answer));
        parsed = parseRaceRecord(getTable(root, "race"), race);
    } catch (const Exception& error) {
        std::printf("Error parsing table %s\n", error.message().c_str());
    }
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

JoinRaceSelectorCommand::JoinRaceSelectorCommand(Screen* screen, int* selectedIndex, int index, RaceList* races)
    : screen(screen)
    , selectedIndex(selectedIndex)
    , index(index)
    , races(races)
{
}

// A race the player already has a boat in (sail not 0) is continued without a join; a
// failed step leaves the selector on screen with what the earlier steps wrote.
void JoinRaceSelectorCommand::execute()
{
    RaceRecord& race = (*races)[size_t(index)];
    if (race.own.sail == 0 && !joinRace(screen->window, race))
        return;
    if (!loadBoatDescription(screen->window, race))
        return;
    if (!loadRoute(screen->window, race))
        return;
    *selectedIndex = index;
    screen->done = true;
}

ExitRaceSelectorCommand::ExitRaceSelectorCommand(Screen* screen)
    : screen(screen)
{
}

void ExitRaceSelectorCommand::execute()
{
    screen->done = true;
    if (storage)
        storage->writeInt("autoLogin", 0);
}

bool runRaceSelector(SDL_Window* window, RaceList& races, RaceRecord& chosen)
{
    int count = int(races.size());
    int selectedIndex = -1;
    std::unique_ptr<Screen> screen = createBackgroundScreen(window);

    // Nothing scrolls: from three races on, the window is taller than a 768-pixel screen.
    auto* selector = screen->addChild(std::make_unique<Window>(1000, 250 * count + 110, "SELECT RACE"));
    selector->centreIn(screen->width, screen->height);

    std::vector<std::unique_ptr<JoinRaceSelectorCommand>> joins;
    for (int i = 0; i < count; ++i)
        joins.push_back(std::make_unique<JoinRaceSelectorCommand>(screen.get(), &selectedIndex, i, &races));
    for (int i = 0; i < count; ++i)
        addRaceRow(*selector, races[size_t(i)], i, joins[size_t(i)].get());

    ExitRaceSelectorCommand exit(screen.get());
    selector->addChild(std::make_unique<Button>(900, 5, 49, 48, "images/close-btn.png", &exit, false));
    selector->cancelCommand = &exit;
    selector->setFocus(true);

    screen->runEventLoop();
    screen.reset();
    if (selectedIndex == -1)
        return false;
    chosen = races[size_t(selectedIndex)];
    return true;
}
