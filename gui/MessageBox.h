#pragma once

#include "gui/Command.h"

#include <SDL.h>

#include <functional>
#include <string>

// Shows the text with an OK button in a modal box and returns when the player closes it
// (OK or Escape). Every error the player must see goes through here.
void showMessageBox(SDL_Window* window, const std::string& text);

// Ends the message box being shown.
class DialogOkCommand : public Command {
public:
    void execute() override;
};

// Called with the text of every message box as it opens; tests watch the messages here.
using MessageBoxObserver = std::function<void(const std::string& text)>;
void setMessageBoxObserver(MessageBoxObserver observer);
