#include "boat/HeadingRing.h"

#include "boat/BoatRecord.h"
#include "gui/Font.h"
#include "nav/Angles.h"
#include "net/TextureRegistry.h"
#include "table/Value.h"

#include <cmath>
#include <cstdio>
#include <string>

HeadingRing::HeadingRing(BoatRecord* boat, RaceEntry* race)
    : Widget(0, 0, 100, 100)
    , boat(boat)
    , texture(loadTexture("images/compas.png"))
    , font(getFont(SmallFont))
    , race(race)
{
    if (texture && texture->getTexture()) {
        setSize(texture->getWidth(), texture->getHeight());
        SDL_SetTextureAlphaMod(texture->getTexture(), 200);
    }
    if (!font)
        std::printf("font not found!\n");
}

double HeadingRing::angleAt(int mx, int my) const
{
    int dx = mx - width / 2;
    int dy = height / 2 - my;
    if (dx == 0)
        return dy >= 0 ? 0 : 180;
    if (dy == 0)
        return dx > 0 ? 90 : 270;
    return intoFullCircle(std::atan2(dx, dy) * 180 / M_PI);
}

// Presses on the rose's centre or outside the band pass to the widgets below.
bool HeadingRing::onMouseDown(int, int mx, int my)
{
    int dx = mx - width / 2;
    int dy = height / 2 - my;
    double radius = std::sqrt(double(dx * dx + dy * dy));
    if (radius <= 105 || radius >= 145)
        return false;
    dragging = true;
    boat->pending = true;
    captureMouse();
    startAngle = angleAt(mx, my);
    startHeading = boat->heading;
    return true;
}

bool HeadingRing::onMouseMove(int, int mx, int my)
{
    if (!dragging)
        return false;
    boat->heading = intoFullCircle(angleAt(mx, my) - startAngle + startHeading);
    boat->speed = predictedSpeed(*boat);
    return true;
}

bool HeadingRing::onMouseUp(int, int, int)
{
    releaseMouse();
    dragging = false;
    return true;
}

void HeadingRing::update(double)
{
    if (boat->pending)
        return;
    boat->speed = race->own.speed;
    boat->heading = race->own.heading;
}

void HeadingRing::draw(SDL_Renderer* renderer, int drawX, int drawY)
{
    if (texture && texture->getTexture()) {
        SDL_Rect destination { drawX, drawY, width, height };
        SDL_RenderCopyEx(renderer, texture->getTexture(), nullptr, &destination, 0, nullptr, SDL_FLIP_NONE);
    }
    if (!font)
        return;
    std::string heading = "HEADING:" + std::to_string(truncateToInt(boat->heading));
    std::string speed = "SPEED:" + std::to_string(truncateToInt(boat->speed));
    font->drawText(renderer, drawX + (width - font->textWidth(heading.c_str())) / 2, drawY + 60, heading.c_str(), textColour);
    font->drawText(renderer, drawX + (width - font->textWidth(speed.c_str())) / 2, drawY + 80, speed.c_str(), textColour);
}
