#pragma once

#include "gui/Command.h"
#include "gui/Screen.h"
#include "lobby/RaceRecord.h"

#include <SDL.h>

#include <memory>

class InputLine;

// Creates an account, logs it in and returns the race list; empty when the player
// cancelled.
RaceList runRegistrationScreen(SDL_Window* window);

// The "PLEASE REGISTER" window over the background: e-mail, password twice and nick name,
// with the OK, Cancel and close buttons.
class RegistrationScreen {
public:
    explicit RegistrationScreen(SDL_Window* window);
    RegistrationScreen(const RegistrationScreen&) = delete;
    RegistrationScreen& operator=(const RegistrationScreen&) = delete;

    // Runs until an account was made and logged in, or the player went back; returns the
    // races of the new account, or none.
    RaceList run();

private:
    // OK and Enter.
    class RegisterCommand : public Command {
    public:
        explicit RegisterCommand(RegistrationScreen* registration);
        void execute() override;
        RaceList races;

    private:
        RegistrationScreen* registration;
    };

    // Cancel, the close button and Escape: back to the login screen.
    class ExitRegisterCommand : public Command {
    public:
        explicit ExitRegisterCommand(RegistrationScreen* registration);
        void execute() override;

    private:
        RegistrationScreen* registration;
    };

    RegisterCommand registerCommand { this };
    ExitRegisterCommand exitRegister { this };
    std::unique_ptr<Screen> screen;
    InputLine* emailLine = nullptr;
    InputLine* passwordLine = nullptr;
    InputLine* passwordAgainLine = nullptr;
    InputLine* nickLine = nullptr;
};
