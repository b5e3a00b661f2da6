#include "support/HeadlessWindow.h"

#include <cstring>
#include <stdexcept>

HeadlessWindow::HeadlessWindow(int width, int height)
{
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS) != 0)
        throw std::runtime_error(SDL_GetError());
    window = SDL_CreateWindow("test", 0, 0, width, height, SDL_WINDOW_HIDDEN);
    if (!window)
        throw std::runtime_error(SDL_GetError());
    renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer)
        throw std::runtime_error(SDL_GetError());
    SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_BLEND);
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}

HeadlessWindow::~HeadlessWindow()
{
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS);
}

void HeadlessWindow::clear(SDL_Color colour)
{
    SDL_SetRenderDrawColor(renderer, colour.r, colour.g, colour.b, colour.a);
    SDL_RenderClear(renderer);
}

SDL_Color HeadlessWindow::pixelAt(int x, int y) const
{
    Uint32 pixel = 0;
    SDL_Rect rect { x, y, 1, 1 };
    SDL_RenderReadPixels(renderer, &rect, SDL_PIXELFORMAT_ARGB8888, &pixel, sizeof pixel);
    return SDL_Color { Uint8(pixel >> 16), Uint8(pixel >> 8), Uint8(pixel), Uint8(pixel >> 24) };
}

int HeadlessWindow::channels(int x, int y) const
{
    SDL_Color pixel = pixelAt(x, y);
    return (pixel.r > 127) * 4 + (pixel.g > 127) * 2 + (pixel.b > 127);
}

void pushMouseButton(Uint32 type, int x, int y, Uint8 button)
{
    SDL_Event event {};
    event.button = { type, 0, 0, 0, button, Uint8(type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED), 1, 0, x, y };
    SDL_PushEvent(&event);
}

void pushClick(int x, int y, Uint8 button)
{
    pushMouseButton(SDL_MOUSEBUTTONDOWN, x, y, button);
    pushMouseButton(SDL_MOUSEBUTTONUP, x, y, button);
}

void pushMouseMotion(int x, int y, Uint32 state)
{
    SDL_Event event {};
    event.motion = { SDL_MOUSEMOTION, 0, 0, 0, state, x, y, 0, 0 };
    SDL_PushEvent(&event);
}

void pushWheel(int amount)
{
    SDL_Event event { SDL_MOUSEWHEEL };
    event.wheel.y = amount;
    SDL_PushEvent(&event);
}

void pushKey(SDL_Keycode key)
{
    SDL_Event event {};
    event.key = { SDL_KEYDOWN, 0, 0, SDL_PRESSED, 0, 0, 0, { SDL_SCANCODE_UNKNOWN, key, 0, 0 } };
    SDL_PushEvent(&event);
}

void pushText(const char* utf8)
{
    SDL_Event event { SDL_TEXTINPUT };
    std::strncpy(event.text.text, utf8, sizeof event.text.text - 1);
    SDL_PushEvent(&event);
}
