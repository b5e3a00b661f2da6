#include "race/WindTape.h"

#include "boat/BoatRecord.h"
#include "gui/Font.h"
#include "race/Map.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

// The scale leaves 30 pixels free at each end.
constexpr int margin = 30;

void setColour(SDL_Renderer* renderer, Uint8 r, Uint8 g, Uint8 b)
{
    SDL_SetRenderDrawColor(renderer, r, g, b, 240);
}

}

WindTape::WindTape(int y, int width, Map* map)
    : Widget(0, y, width, 50)
    , selected(int32_t(std::time(nullptr)))
    , start(selected / 3600 * 3600)
    , end(start + 259200)
    , font(getFont(SmallFont))
    , map(map)
{
}

int WindTape::hours() const
{
    return (end - start) / 3600;
}

int WindTape::hourOffset(int hour) const
{
    double pixelsPerHour = double(width - 2 * margin) / hours();
    return int(hour * pixelsPerHour + margin);
}

int WindTape::knobOffset() const
{
    return int(double(selected - start) / double(end - start) * (width - 2 * margin));
}

void WindTape::draw(SDL_Renderer* renderer, int x0, int y0)
{
    SDL_Rect tape { x0, y0, width, height };
    setColour(renderer, 232, 246, 11);
    SDL_RenderFillRect(renderer, &tape);

    setColour(renderer, 50, 50, 50);
    for (int hour = 0; hour <= hours(); ++hour)
        SDL_RenderDrawLine(renderer, x0 + hourOffset(hour), y0 + 8, x0 + hourOffset(hour), y0 + 15);

    if (font) {
        for (int hour = 0; hour <= hours(); hour += 4) {
            char label[16];
            if (hour == 0)
                std::snprintf(label, sizeof label, "00h");
            else
                std::snprintf(label, sizeof label, "+%02ih", hour);
            font->drawText(renderer, hourOffset(hour) - font->textWidth(label) / 2, y0 + height - 23, label, textColour);
        }
    }

    setColour(renderer, 50, 50, 50);
    double quarterSpacing = double(width - 2 * margin) / (hours() * 4.0);
    for (int quarter = 0; quarter <= 4 * hours(); ++quarter) {
        int tick = x0 + int(quarter * quarterSpacing + margin);
        SDL_RenderDrawLine(renderer, tick, y0 + 15, tick, y0 + height - 25);
    }

    SDL_Rect knob { x0 + knobOffset() + 20, y0 + 3, 20, height - 20 };
    setColour(renderer, 200, 200, 200);
    SDL_RenderFillRect(renderer, &knob);
    setColour(renderer, 50, 50, 50);
    SDL_RenderDrawRect(renderer, &knob);
}

// Only a press on the knob, or up to 10 pixels right of it, starts a drag.
bool WindTape::onMouseDown(int, int px, int)
{
    int knob = knobOffset();
    if (px < knob + 20 || px > knob + 50)
        return true;
    captureMouse();
    dragging = true;
    grabOffset = px - knob - 30;
    return true;
}

bool WindTape::onMouseMove(int, int px, int)
{
    if (dragging) {
        double fraction = double(px - margin - grabOffset) / (width - 2 * margin);
        selected = std::clamp(start + int32_t(fraction * (end - start)), start, end);
    }
    return true;
}

bool WindTape::onMouseUp(int, int, int)
{
    if (!dragging)
        return true;
    releaseMouse();
    dragging = false;
    map->windTime = selected;
    return true;
}
