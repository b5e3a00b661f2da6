#include "gui/MessageBox.h"

#include "gui/BackgroundScreen.h"
#include "gui/Button.h"
#include "gui/Label.h"
#include "gui/Window.h"

MessageBoxHooks messageBoxHooks;

MessageBox::DialogOkCommand::DialogOkCommand(MessageBox* box)
    : box(box)
{
}

void MessageBox::DialogOkCommand::execute()
{
    box->screen->done = true;
}

MessageBox::MessageBox(SDL_Window* window, const std::string& text)
    : text(text)
    , screen(createBackgroundScreen(window))
{
    auto* dialog = screen->addChild(std::make_unique<Window>(800, 250, "MESSAGE BOX"));
    dialog->centreIn(screen->width, screen->height);
    dialog->addChild(std::make_unique<Label>(80, 40, 640, 35, text.c_str()));
    dialog->addChild(std::make_unique<Button>((dialog->width - 180) / 2, 100, 180, 96, "OK", &ok, true));
    dialog->setFocus(true);
    dialog->cancelCommand = &ok;
}

void MessageBox::run()
{
    if (messageBoxHooks.observer)
        messageBoxHooks.observer(text);
    screen->runEventLoop();
}

void showMessageBox(SDL_Window* window, const std::string& text)
{
    MessageBox(window, text).run();
}
