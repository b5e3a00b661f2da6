#pragma once

#include "gui/Container.h"

#include <list>

class IdleHandler;

// The root of a widget tree and owner of the event loop. Every screen and modal dialog
// of the program is a Screen run on the user-interface thread.
class Screen : public Container {
public:
    explicit Screen(SDL_Window* window);

    // The caller keeps the handler alive while the screen runs.
    void addIdleHandler(IdleHandler* handler);
    bool handleEvent(const SDL_Event& event);
    // Runs frames until done is set; the quit event ends the process with status 0. A frame
    // in which nothing visible can have changed (no event, no animation, nothing new from
    // the idle handlers or the services) is neither drawn nor presented, but takes its turn.
    void runEventLoop();

    SDL_Renderer* renderer;
    SDL_Window* window;
    bool done = false;
    std::list<IdleHandler*> idleHandlers;
    int lastMouseX = 0;
    int lastMouseY = 0;
    // Frames drawn and presented since the screen was made.
    int presentedFrames = 0;

private:
    void runFrame();
    bool handlePendingEvents();

    bool redrawDue = true;
};

// Work of the process-wide registries that the loop runs after the idle handlers of every
// frame (taking in finished image and wind downloads). Start-up registers them in order.
// A service returns whether it took in anything that may show.
using FrameService = bool (*)();
void addFrameService(FrameService service);

// The tick count of the previous frame, shared by all screens: 0 before the first frame.
Uint32 previousFrameTicks();
// Elapsed seconds since the previous frame; stores now as the previous tick count.
double advanceFrameClock(Uint32 now);
