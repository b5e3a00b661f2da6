#include "race/RouteButton.h"

#include "boat/BoatRecord.h"
#include "gui/Font.h"
#include "race/RoutePlanner.h"

#include <string>

void proposeFirstLeg(const PlannedRoute& route, BoatRecord& own)
{
    if (route.points.size() < 2 || route.points.front().sail == 0)
        return;
    own.heading = route.points.front().heading;
    own.sail = route.points.front().sail;
    own.pending = true;
    own.speed = predictedSpeed(own);
}

RouteButton::ToggleCommand::ToggleCommand(RoutePlanner* planner)
    : planner(planner)
{
}

void RouteButton::ToggleCommand::execute()
{
    planner->toggle();
}

RouteButton::RouteButton(int x, int y, RoutePlanner* planner)
    : Button(x, y, 49, 48, "images/route-btn.png", std::make_unique<ToggleCommand>(planner), false)
    , labelFont(getFont(SmallFont))
    , planner(planner)
{
}

void RouteButton::draw(SDL_Renderer* renderer, int drawX, int drawY)
{
    Button::draw(renderer, drawX, drawY);
    if (planner->state() == RoutePlanner::State::Idle || !labelFont)
        return;
    std::string label = "Routing... " + std::to_string(planner->percent()) + "%";
    int labelX = drawX + width - labelFont->textWidth(label.c_str()) - 4;
    labelFont->drawText(renderer, labelX, drawY + height + 4, label.c_str(), textColour);
}

bool RouteButton::handleKey(SDL_Keycode keyCode)
{
    if (keyCode == SDLK_r) {
        planner->toggle();
        return true;
    }
    return keyCode == SDLK_ESCAPE && planner->cancel();
}
