#include "lobby/LoginScreen.h"

#include "app/Storage.h"
#include "base/Text.h"
#include "gui/BackgroundScreen.h"
#include "gui/Button.h"
#include "gui/CheckBox.h"
#include "gui/InputLine.h"
#include "gui/Label.h"
#include "gui/Window.h"
#include "lobby/LoginAndListRaces.h"
#include "lobby/RegistrationScreen.h"
#include "net/Protocol.h"

#include <cstdio>
#include <cstdlib>

namespace {

StoredLogin readStoredLogin()
{
    StoredLogin stored;
    if (storage) {
        stored.email = storage->readString("login", "");
        stored.password = hexDecode(storage->readString("password", ""));
        stored.autoLogin = storage->readInt("autoLogin", 0) != 0;
    }
    return stored;
}

}

RaceList runLoginScreen(SDL_Window* window)
{
    StoredLogin stored = readStoredLogin();
    if (stored.autoLogin) {
        RaceList races = loginAndListRaces(window, loginUrl(stored.email, stored.password));
        if (!races.empty())
            return races;
    }
    return LoginScreen(window, stored).run();
}

LoginScreen::LoginScreen(SDL_Window* window, const StoredLogin& stored)
    : screen(createBackgroundScreen(window))
{
    auto* dialog = screen->addChild(std::make_unique<Window>(600, 460, "PLEASE LOGIN"));
    dialog->centreIn(screen->width, screen->height);
    emailLine = dialog->addChild(std::make_unique<InputLine>(45, 50, 510, 100, stored.email.c_str()));
    emailLine->setFocus(true);
    dialog->addChild(std::make_unique<Label>(80, 40, 500, 35, "E-Mail:"));
    passwordLine = dialog->addChild(std::make_unique<InputLine>(45, 150, 510, 100, stored.password.c_str()));
    passwordLine->password = true;
    dialog->addChild(std::make_unique<Label>(80, 140, 500, 35, "Password:"));
    autoLoginBox = dialog->addChild(std::make_unique<CheckBox>(55, 225, 88, 88, stored.autoLogin));
    dialog->addChild(std::make_unique<Label>(135, 252, 500, 35, "Login automatically next time"));
    dialog->addChild(std::make_unique<Button>(100, 300, 180, 96, "Login", &loginCommand, true));
    dialog->addChild(std::make_unique<Button>(320, 300, 180, 96, "Register...", &showRegister, true));
    dialog->addChild(std::make_unique<Button>(500, 5, 49, 48, "images/close-btn.png", &exitLogin, false));
    dialog->defaultCommand = &loginCommand;
    dialog->cancelCommand = &exitLogin;
}

RaceList LoginScreen::run()
{
    screen->runEventLoop();
    return !loginCommand.races.empty() ? loginCommand.races : showRegister.races;
}

LoginScreen::LoginCommand::LoginCommand(LoginScreen* login)
    : login(login)
{
}

// What was typed is stored before the request, whatever its outcome.
void LoginScreen::LoginCommand::execute()
{
    std::string email = trim(login->emailLine->getText());
    std::string password = trim(login->passwordLine->getText());
    bool autoLogin = login->autoLoginBox->isOn;
    if (storage) {
        storage->writeString("login", email);
        storage->writeString("password", hexEncode(password));
        storage->writeInt("autoLogin", autoLogin ? 1 : 0);
        storage->flush();
    }
    races = loginAndListRaces(login->screen->window, loginUrl(email, password));
    if (!races.empty())
        login->screen->done = true;
    else
        std::printf("something wrong\n");
}

LoginScreen::ShowRegisterCommand::ShowRegisterCommand(LoginScreen* login)
    : login(login)
{
}

void LoginScreen::ShowRegisterCommand::execute()
{
    races = runRegistrationScreen(login->screen->window);
    if (!races.empty())
        login->screen->done = true;
}

void LoginScreen::ExitLoginCommand::execute()
{
    std::exit(0);
}
