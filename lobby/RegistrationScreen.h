#pragma once

#include "gui/Command.h"
#include "lobby/RaceRecord.h"

#include <SDL.h>

// Creates an account, logs it in and returns the race list; empty when the player
// cancelled.
RaceList runRegistrationScreen(SDL_Window* window);

class RegisterCommand : public Command {
public:
    void execute() override;
    RaceList races;
};

// Cancel, the close button and Escape: back to the login screen.
class ExitRegisterCommand : public Command {
public:
    void execute() override;
};
