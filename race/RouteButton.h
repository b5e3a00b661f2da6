#pragma once

#include "gui/Button.h"
#include "gui/Command.h"

class Font;
class RoutePlanner;
struct BoatRecord;
struct PlannedRoute;

// Sets the boat control panel's heading and sail to the route's first leg, as a pending
// change the player applies or cancels; a route without a leg changes nothing.
void proposeFirstLeg(const PlannedRoute& route, BoatRecord& own);

// The route button of the race screen's top-right column, with "Routing..." and the
// percentage done under it while a routing runs. The button and R start a routing or
// cancel the one running; Escape cancels it too, and is left to the screen otherwise.
class RouteButton : public Button, public Accelerator {
public:
    RouteButton(int x, int y, RoutePlanner* planner);

    void draw(SDL_Renderer* renderer, int x, int y) override;
    bool handleKey(SDL_Keycode keyCode) override;

    Font* labelFont;

private:
    class ToggleCommand : public Command {
    public:
        explicit ToggleCommand(RoutePlanner* planner);
        void execute() override;

    private:
        RoutePlanner* planner;
    };

    RoutePlanner* planner;
};
