#pragma once

#include "gui/Command.h"
#include "lobby/RaceRecord.h"

#include <SDL.h>

// The first screen of every run: logs the player in (automatically when so stored) and
// returns the race list the server then sends.
RaceList runLoginScreen(SDL_Window* window);

class LoginCommand : public Command {
public:
    void execute() override;
    RaceList races;
};

class ShowRegisterCommand : public Command {
public:
    void execute() override;
    RaceList races;
};

// The close button and Escape: the program ends.
class ExitLoginCommand : public Command {
public:
    void execute() override;
};
