#pragma once

#include "gui/Command.h"
#include "gui/Screen.h"
#include "lobby/RaceRecord.h"

#include <SDL.h>

#include <memory>
#include <vector>

// Shows the races with their pictures, descriptions and start times; true when the player
// made a race ready (chosen then holds it, with boat description and route), false when
// the player left the selector.
bool runRaceSelector(SDL_Window* window, RaceList& races, RaceRecord& chosen);

// The three requests that make a race ready; each shows its own error and returns false.
bool joinRace(SDL_Window* window, RaceRecord& race);
bool loadBoatDescription(SDL_Window* window, RaceRecord& race);
bool loadRoute(SDL_Window* window, RaceRecord& race);

// The "SELECT RACE" window over the background: a row per race with its Join (or
// Continue) button, and the close button. It works on the caller's list in place.
class RaceSelector {
public:
    RaceSelector(SDL_Window* window, RaceList& races);
    RaceSelector(const RaceSelector&) = delete;
    RaceSelector& operator=(const RaceSelector&) = delete;

    // Runs until a race is ready (true, chosen then holds a copy of it) or the player
    // left the selector (false).
    bool run(RaceRecord& chosen);

private:
    // Join (or Continue) of one race.
    class JoinRaceSelectorCommand : public Command {
    public:
        JoinRaceSelectorCommand(RaceSelector* selector, int index);
        void execute() override;

    private:
        RaceSelector* selector;
        int index;
    };

    // The close button and Escape: back to the login screen, with automatic login
    // switched off for the next start.
    class ExitRaceSelectorCommand : public Command {
    public:
        explicit ExitRaceSelectorCommand(RaceSelector* selector);
        void execute() override;

    private:
        RaceSelector* selector;
    };

    RaceList& races;
    int selectedIndex = -1;
    std::vector<std::unique_ptr<JoinRaceSelectorCommand>> joins;
    ExitRaceSelectorCommand exitSelector { this };
    std::unique_ptr<Screen> screen;
};
