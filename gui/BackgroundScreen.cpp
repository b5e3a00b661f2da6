#include "gui/BackgroundScreen.h"

#include "gui/Image.h"

std::unique_ptr<Screen> createBackgroundScreen(SDL_Window* window)
{
    auto screen = std::make_unique<Screen>(window);
    auto* background = screen->addChild(
        std::make_unique<Image>(0, 0, screen->width, screen->height, "images/background.jpg"));
    background->crop = true;
    return screen;
}
