#pragma once

#include "gui/Container.h"
#include "gui/Skin.h"

#include <string>

class Command;
class Font;

// A dialog-like panel drawn over the "images/win" skin. Escape runs cancelCommand when
// nothing inside the window handled the key.
class Window : public Container {
public:
    Window(int width, int height, const char* title);

    void draw(SDL_Renderer* renderer, int x, int y) override;
    bool onKeyDown(SDL_Keycode keyCode) override;

    // Places the window in the middle of a parent of the given size.
    void centreIn(int parentWidth, int parentHeight);

    std::string title;
    Font* font;
    Skin skin;
    Command* cancelCommand = nullptr;
};
