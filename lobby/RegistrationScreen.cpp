#include "lobby/RegistrationScreen.h"

#include "app/Storage.h"
#include "gui/BackgroundScreen.h"
#include "gui/Button.h"
#include "gui/InputLine.h"
#include "gui/Label.h"
#include "gui/MessageBox.h"
#include "gui/Window.h"
#include "lobby/LoginAndListRaces.h"
#include "net/Protocol.h"
#include "base/Text.h"

#include <cstdio>
#include <memory>

namespace {

// The widgets of the registration screen being shown, for its commands.
Screen* registrationScreen = nullptr;
InputLine* emailLine = nullptr;
InputLine* passwordLine = nullptr;
InputLine* passwordAgainLine = nullptr;
InputLine* nickLine = nullptr;

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
    RegisterCommand registerCommand;
    ExitRegisterCommand exitRegister;
    std::unique_ptr<Screen> screen = createBackgroundScreen(window);
    registrationScreen = screen.get();

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

    screen->runEventLoop();
    screen.reset();
    registrationScreen = nullptr;
    return registerCommand.races;
}

// Only the password match is checked here; empty fields go to the server as they are.
void RegisterCommand::execute()
{
    std::string email = trim(emailLine->getText());
    std::string password = trim(passwordLine->getText());
    std::string passwordAgain = trim(passwordAgainLine->getText());
    std::string nick = trim(nickLine->getText());
    if (password != passwordAgain) {
        showMessageBox(registrationScreen->window, "Passwords are not the same.");
        return;
    }
    races = loginAndListRaces(registrationScreen->window, registrationUrl(email, password, nick));
    if (races.empty()) {
        std::printf("something wrong\n");
        return;
    }
    registrationScreen->done = true;
    if (storage) {
        storage->writeString("login", email);
        storage->writeString("password", hexEncode(password));
        storage->flush();
    }
}

void ExitRegisterCommand::execute()
{
    registrationScreen->done = true;
}
