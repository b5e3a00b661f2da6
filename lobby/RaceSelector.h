#pragma once

#include "gui/Command.h"
#include "lobby/RaceRecord.h"

#include <SDL.h>

class Screen;

// Shows the races with their pictures, descriptions and start times; true when the player
// made a race ready (chosen then holds it, with boat description and route), false when
// the player left the selector.
bool runRaceSelector(SDL_Window* window, RaceList& races, RaceRecord& chosen);

// The three requests that make a race ready; each shows its own error and returns false.
bool joinRace(SDL_Window* window, RaceRecord& race);
bool loadBoatDescription(SDL_Window* window, RaceRecord& race);
bool loadRoute(SDL_Window* window, RaceRecord& race);

// Join (or Continue) of one race of the selector.
class JoinRaceSelectorCommand : public Command {
public:
    JoinRaceSelectorCommand(Screen* screen, int* selectedIndex, int index, RaceList* races);
    void execute() override;

private:
    Screen* screen;
    int* selectedIndex;
    int index;
    RaceList* races;
};

// The selector's close button and Escape: back to the login screen, with automatic login
// switched off for the next start.
class ExitRaceSelectorCommand : public Command {
public:
    explicit ExitRaceSelectorCommand(Screen* screen);
    void execute() override;

private:
    Screen* screen;
};
