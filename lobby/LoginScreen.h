#pragma once

#include "gui/Command.h"
#include "gui/Screen.h"
#include "lobby/RaceRecord.h"

#include <SDL.h>

#include <memory>
#include <string>

class CheckBox;
class InputLine;

// The first screen of every run: logs the player in (automatically when so stored) and
// returns the race list the server then sends.
RaceList runLoginScreen(SDL_Window* window);

// What the settings hold of the last login.
struct StoredLogin {
    std::string email;
    std::string password;
    bool autoLogin = false;
};

// The "PLEASE LOGIN" window over the background: the e-mail and password lines filled in
// from the settings, the automatic-login box, and the Login, Register... and close buttons.
class LoginScreen {
public:
    LoginScreen(SDL_Window* window, const StoredLogin& stored);
    LoginScreen(const LoginScreen&) = delete;
    LoginScreen& operator=(const LoginScreen&) = delete;

    // Runs until a login or a registration brought races, and returns them.
    RaceList run();

private:
    // Login and Enter: stores what was typed, then logs in.
    class LoginCommand : public Command {
    public:
        explicit LoginCommand(LoginScreen* login);
        void execute() override;
        RaceList races;

    private:
        LoginScreen* login;
    };

    class ShowRegisterCommand : public Command {
    public:
        explicit ShowRegisterCommand(LoginScreen* login);
        void execute() override;
        RaceList races;

    private:
        LoginScreen* login;
    };

    // The close button and Escape: the program ends.
    struct ExitLoginCommand : Command {
        void execute() override;
    };

    LoginCommand loginCommand { this };
    ShowRegisterCommand showRegister { this };
    ExitLoginCommand exitLogin;
    std::unique_ptr<Screen> screen;
    InputLine* emailLine = nullptr;
    InputLine* passwordLine = nullptr;
    CheckBox* autoLoginBox = nullptr;
};
