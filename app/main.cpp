#include "app/AudioDriver.h"
#include "gui/Screen.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>

namespace {

void setWindowIcon(SDL_Window* window)
{
    SDL_Surface* icon = IMG_Load("data/images/sail_boat.png");
    if (!icon)
        return;
    SDL_SetWindowIcon(window, icon);
    SDL_FreeSurface(icon);
}

void runScreens(SDL_Window* window)
{
    Screen screen(window);
    screen.runEventLoop();
}

}

int main(int, char**)
{
    chooseAudioDriver();
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        std::printf("%s\n", SDL_GetError());
        return 1;
    }
    SDL_Window* window = SDL_CreateWindow("Tidewake", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 1024, 768,
        SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE);
    if (!window) {
        std::printf("%s\n", SDL_GetError());
        return 1;
    }
    setWindowIcon(window);
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
    if (!renderer) {
        std::printf("%s\n", SDL_GetError());
        return 1;
    }
    SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_BLEND);
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "best");

    runScreens(window);

    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
