#include "gui/Window.h"

#include "gui/Command.h"
#include "gui/Font.h"

Window::Window(int width, int height, const char* title)
    : Container(0, 0, width, height)
    , title(title ? title : "")
    , font(getFont(LargeFont))
    , skin("images/win")
{
}

void Window::draw(SDL_Renderer* renderer, int drawX, int drawY)
{
    skin.drawSkin(renderer, drawX, drawY, width, height);
    drawChildren(renderer, drawX, drawY);
}

bool Window::onKeyDown(SDL_Keycode keyCode)
{
    if (Container::onKeyDown(keyCode))
        return true;
    if (keyCode == SDLK_ESCAPE && cancelCommand) {
        cancelCommand->execute();
        return true;
    }
    return false;
}

void Window::centreIn(int parentWidth, int parentHeight)
{
    setPosition((parentWidth - width) / 2, (parentHeight - height) / 2);
}
