#include "lobby/RegistrationScreen.h"

#include "app/Storage.h"
#include "base/Text.h"
#include "gui/BackgroundScreen.h"
#include "gui/Button.h"
#include "gui/InputLine.h"
#include "gui/Label.h"
#include "gui/MessageBox.h"
#include "gui/Window.h"
#include "lobby/LoginAndListRaces.h"
#include "net/Protocol.h"

#include <cstdio>

namespace {

InputLine* addField(Window& window, int y, const char* caption, bool password)
{
    auto* line = window.addChild(std::make_unique<InputLine>(45, y, 510, 100, nullptr));
    line->password = password;
    window.addChild(std::make_unique<Label>(80, y - 5, 500, 35, caption));
    return line;
}

}

RaceList runRegistrationScreen(SDL_Window* window)
{
    return RegistrationScreen(window).run();
}

RegistrationScreen::RegistrationScreen(SDL_Window* window)
    : screen(createBackgroundScreen(window))
{
    auto* dialog = screen->addChild(std::make_unique<Window>(600, 530, "PLEASE REGISTER"));
    dialog->centreIn(screen->width, screen->height);
    emailLine = addField(*dialog, 40, "E-Mail:", false);
    emailLine->setFocus(true);
    passwordLine = addField(*dialog, 125, "Password:", true);
    passwordAgainLine = addField(*dialog, 210, "Password again:", true);
    nickLine = addField(*dialog, 295, "Nick name:", false);
    dialog->addChild(std::make_unique<Button>(100, 380, 180, 96, "OK", &registerCommand, true));
    dialog->addChild(std::make_unique<Button>(320, 380, 180, 96, "Cancel", &exitRegister, true));
    dialog->addChild(std::make_unique<Button>(500, 5, 49, 48, "images/close-btn.png", &exitRegister, false));
    dialog->defaultCommand = &registerCommand;
    dialog->cancelCommand = &exitRegister;
}

RaceList RegistrationScreen::run()
{
    screen->runEventLoop();
    return registerCommand.races;
}

RegistrationScreen::RegisterCommand::RegisterCommand(RegistrationScreen* registration)
    : registration(registration)
{
}

// Only the password match is checked here; empty fields go to the server as they are.
void RegistrationScreen::RegisterCommand::execute()
{
    std::string email = trim(registration->emailLine->getText());
    std::string password = trim(registration->passwordLine->getText());
    std::string passwordAgain = trim(registration->passwordAgainLine->getText());
    std::string nick = trim(registration->nickLine->getText());
    SDL_Window* window = registration->screen->window;
    if (password != passwordAgain) {
        showMessageBox(window, "Passwords are not the same.");
        return;
    }
    races = loginAndListRaces(window, registrationUrl(email, password, nick));
    if (races.empty()) {
        std::printf("something wrong\n");
        return;
    }
    registration->screen->done = true;
    if (storage) {
        storage->writeString("login", email);
        storage->writeString("password", hexEncode(password));
        storage->flush();
    }
}

RegistrationScreen::ExitRegisterCommand::ExitRegisterCommand(RegistrationScreen* registration)
    : registration(registration)
{
}

void RegistrationScreen::ExitRegisterCommand::execute()
{
    registration->screen->done = true;
}
