#pragma once

#include <SDL.h>

class Screen;

// What a button or a key does.
class Command {
public:
    virtual ~Command() = default;
    virtual void execute() = 0;
};

// A keyboard shortcut, offered every key before the focused widget.
class Accelerator {
public:
    virtual ~Accelerator() = default;
    virtual bool handleKey(SDL_Keycode keyCode) = 0;
};

// Work done once per frame of the screen it is registered with.
class IdleHandler {
public:
    virtual ~IdleHandler() = default;
    virtual void onIdle(Screen& screen) = 0;
    // Whether the last onIdle may have changed what the screen shows. A screen skips a
    // frame's drawing only when no handler says so; the default draws every frame.
    virtual bool changedPicture() const { return true; }
};
