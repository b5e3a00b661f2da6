#include "lobby/LoginScreen.h"

#include "app/Storage.h"
#include "gui/BackgroundScreen.h"
#include "gui/Button.h"
#include "gui/CheckBox.h"
#include "gui/InputLine.h"
#include "gui/Label.h"
#include "gui/Window.h"
#include "lobby/LoginAndListRaces.h"
#include "lobby/RegistrationScreen.h"
#include "net/Protocol.h"
#include "base/Text.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

// The widgets of the login screen being shown, for its commands.
Screen* loginScreen = nullptr;
InputLine* emailLine = nullptr;
InputLine* passwordLine = nullptr;
CheckBox* autoLoginBox = nullptr;

struct StoredLogin {
    std::string email;
    std::string password;
    bool autoLogin = false;
};

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

void buildLoginWindow(Screen& screen, const StoredLogin& stored, LoginCommand& login, ShowRegisterCommand& showRegister,
    ExitLoginCommand& exitLogin)
{
    auto* window = screen.addChild(std::make_unique<Window>(600, 460, "PLEASE LOGIN"));
    window->centreIn(screen.width, screen.height);
    emailLine = window->addChild(std::make_unique<InputLine>(45, 50, 510, 100, stored.email.c_str()));
    emailLine->setFocus(true);
    window->addChild(std::make_unique<Label>(80, 40, 500, 35, "E-Mail:"));
    passwordLine = window->addChild(std::make_unique<InputLine>(45, 150, 510, 100, stored.password.c_str()));
    passwordLine->password = true;
    window->addChild(std::make_unique<Label>(80, 140, 500, 35, "Password:"));
    autoLoginBox = window->addChild(std::make_unique<CheckBox>(55, 225, 88, 88, stored.autoLogin));
    window->addChild(std::make_unique<Label>(135, 252, 500, 35, "Login automatically next time"));
    window->addChild(std::make_unique<Button>(100, 300, 180, 96, "Login", &login, true));
    window->addChild(std::make_unique<Button>(320, 300, 180, 96, "Register...", &showRegister, true));
    window->addChild(std::make_unique<Button>(500, 5, 49, 48, "images/close-btn.png", &exitLogin, false));
    window->defaultCommand = &login;
    window->cancelCommand = &exitLogin;
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

    LoginCommand login;
    ShowRegisterCommand showRegister;
    ExitLoginCommand exitLogin;
    std::unique_ptr<Screen> screen = createBackgroundScreen(window);
    loginScreen = screen.get();
    buildLoginWindow(*screen, stored, login, showRegister, exitLogin);
    screen->runEventLoop();
    screen.reset();
    loginScreen = nullptr;
    return !login.races.empty() ? login.races : showRegister.races;
}

// What was typed is stored before the request, whatever its outcome.
void LoginCommand::execute()
{
    std::string email = trim(emailLine->getText());
    std::string password = trim(passwordLine->getText());
    bool autoLogin = autoLoginBox->isOn;
    if (storage) {
        storage->writeString("login", email);
        storage->writeString("password", hexEncode(password));
        storage->writeInt("autoLogin", autoLogin ? 1 : 0);
        storage->flush();
    }
    races = loginAndListRaces(loginScreen->window, loginUrl(email, password));
    if (!races.empty())
        loginScreen->done = true;
    else
        std::printf("something wrong\n");
}

void ShowRegisterCommand::execute()
{
    races = runRegistrationScreen(loginScreen->window);
    if (!races.empty())
        loginScreen->done = true;
}

void ExitLoginCommand::execute()
{
    loginScreen->done = true;
    std::exit(0);
}
