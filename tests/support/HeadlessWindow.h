#pragma once

#include <SDL.h>

// SDL with a hidden window and a software renderer, for widget and drawing tests.
// Pixels drawn can be read back with pixelAt.
class HeadlessWindow {
public:
    explicit HeadlessWindow(int width = 1024, int height = 768);
    ~HeadlessWindow();
    HeadlessWindow(const HeadlessWindow&) = delete;
    HeadlessWindow& operator=(const HeadlessWindow&) = delete;

    void clear(SDL_Color colour = { 0, 0, 0, 255 });
    SDL_Color pixelAt(int x, int y) const;
    // The pixel's strong channels as bits: 4 red, 2 green, 1 blue.
    int channels(int x, int y) const;

    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
};

// Pushes synthetic input through SDL's event queue, as a player would produce it.
void pushMouseButton(Uint32 type, int x, int y, Uint8 button = SDL_BUTTON_LEFT);
void pushClick(int x, int y, Uint8 button = SDL_BUTTON_LEFT);
void pushMouseMotion(int x, int y, Uint32 state = 0);
void pushWheel(int amount);
void pushKey(SDL_Keycode key);
void pushText(const char* utf8);
