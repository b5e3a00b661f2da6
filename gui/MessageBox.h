#pragma once

#include "gui/Command.h"
#include "gui/Screen.h"

#include <SDL.h>

#include <functional>
#include <memory>
#include <string>

// A modal box with a text and an OK button over the background picture; OK and Escape
// close it. Every error the player must see goes through here.
class MessageBox {
public:
    MessageBox(SDL_Window* window, const std::string& text);
    MessageBox(const MessageBox&) = delete;
    MessageBox& operator=(const MessageBox&) = delete;

    // Runs the box's own event loop until the player closes it.
    void run();

private:
    // OK and Escape: ends the box.
    class DialogOkCommand : public Command {
    public:
        explicit DialogOkCommand(MessageBox* box);
        void execute() override;

    private:
        MessageBox* box;
    };

    std::string text;
    std::unique_ptr<Screen> screen;
    DialogOkCommand ok { this };
};

// Shows the text in a message box and returns when the player has closed it.
void showMessageBox(SDL_Window* window, const std::string& text);

// What the process does around every message box besides showing it.
struct MessageBoxHooks {
    // Called with the text of every message box as it opens; tests watch the messages
    // and close the boxes here.
    std::function<void(const std::string& text)> observer;
};
extern MessageBoxHooks messageBoxHooks;
