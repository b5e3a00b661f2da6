#include "gui/Screen.h"

#include "gui/Command.h"

#include <cstdlib>
#include <vector>

namespace {

Uint32 previousTicks = 0;
std::vector<FrameService> frameServices;

SDL_Point windowSize(SDL_Window* window)
{
    SDL_Point size { 0, 0 };
    SDL_GetWindowSize(window, &size.x, &size.y);
    return size;
}

}

void addFrameService(FrameService service)
{
    frameServices.push_back(service);
}

Uint32 previousFrameTicks()
{
    return previousTicks;
}

double advanceFrameClock(Uint32 now)
{
    double elapsed = previousTicks == 0 ? 0.0 : Uint32(now - previousTicks) / 1000.0;
    previousTicks = now;
    return elapsed;
}

Screen::Screen(SDL_Window* window)
    : Container(0, 0, windowSize(window).x, windowSize(window).y)
    , renderer(SDL_GetRenderer(window))
    , window(window)
{
}

void Screen::addIdleHandler(IdleHandler* handler)
{
    idleHandlers.push_back(handler);
}

bool Screen::handleEvent(const SDL_Event& event)
{
    // The screen always covers the whole window, so a resize takes effect at the next event.
    SDL_Point size = windowSize(window);
    setPosition(0, 0);
    setSize(size.x, size.y);

    switch (event.type) {
    case SDL_KEYDOWN:
        return onKeyDown(event.key.keysym.sym);
    case SDL_MOUSEBUTTONDOWN:
        lastMouseX = event.button.x;
        lastMouseY = event.button.y;
        return onMouseDown(event.button.button, event.button.x, event.button.y);
    case SDL_MOUSEBUTTONUP:
        lastMouseX = event.button.x;
        lastMouseY = event.button.y;
        return onMouseUp(event.button.button, event.button.x, event.button.y);
    case SDL_MOUSEMOTION:
        lastMouseX = event.motion.x;
        lastMouseY = event.motion.y;
        return onMouseMove(event.motion.state, event.motion.x, event.motion.y);
    case SDL_MOUSEWHEEL:
        onMouseWheel(event.wheel.y, lastMouseX, lastMouseY);
        return false;
    case SDL_TEXTINPUT:
        return onTextInput(event.text.text);
    default:
        return false;
    }
}

// A screen run again (after a dialog over it, say) is drawn afresh.
void Screen::runEventLoop()
{
    done = false;
    redrawDue = true;
    while (!done)
        runFrame();
}

// Returns whether there was any event: each may change what is shown.
bool Screen::handlePendingEvents()
{
    bool any = false;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT)
            std::exit(0);
        handleEvent(event);
        any = true;
    }
    return any;
}

// What the idle handlers and services change shows from the next frame on, as it did when
// every frame was drawn.
void Screen::runFrame()
{
    bool drawing = handlePendingEvents() || redrawDue;
    if (done)
        return;

    update(advanceFrameClock(SDL_GetTicks()));
    if (done)
        return;

    drawing = drawing || isAnimating();
    // No clear: the first child of every screen covers the whole window.
    if (drawing)
        drawChildren(renderer, 0, 0);
    redrawDue = false;
    for (IdleHandler* handler : idleHandlers) {
        handler->onIdle(*this);
        redrawDue = handler->changedPicture() || redrawDue;
    }
    for (FrameService service : frameServices)
        redrawDue = service() || redrawDue;
    if (drawing) {
        SDL_RenderPresent(renderer);
        ++presentedFrames;
    }
    SDL_Delay(10);
}
