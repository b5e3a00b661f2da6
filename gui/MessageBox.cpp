#include "gui/MessageBox.h"

#include "gui/BackgroundScreen.h"
#include "gui/Button.h"
#include "gui/Label.h"
#include "gui/Window.h"

namespace {

Screen* messageBoxScreen = nullptr;
MessageBoxObserver observer;

}

void DialogOkCommand::execute()
{
    if (messageBoxScreen)
        messageBoxScreen->done = true;
}

void setMessageBoxObserver(MessageBoxObserver newObserver)
{
    observer = std::move(newObserver);
}

void showMessageBox(SDL_Window* window, const std::string& text)
{
    std::unique_ptr<Screen> screen = createBackgroundScreen(window);
    messageBoxScreen = screen.get();
    DialogOkCommand ok;

    auto* box = screen->addChild(std::make_unique<Window>(800, 250, "MESSAGE BOX"));
    box->centreIn(screen->width, screen->height);
    box->addChild(std::make_unique<Label>(80, 40, 640, 35, text.c_str()));
    box->addChild(std::make_unique<Button>((box->width - 180) / 2, 100, 180, 96, "OK", &ok, true));
    box->setFocus(true);
    box->cancelCommand = &ok;

    if (observer)
        observer(text);
    screen->runEventLoop();
    // Only a running message box may be ended by its command.
    messageBoxScreen = nullptr;
}
