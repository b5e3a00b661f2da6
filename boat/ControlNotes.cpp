#include "boat/ControlNotes.h"

#include "boat/BoatRecord.h"
#include "boat/SailAdvice.h"
#include "gui/Font.h"

#include <string>

namespace {

constexpr SDL_Color warningColour = { 220, 0, 0, 255 };
constexpr int lineSpacing = 20;

}

ControlNotes::ControlNotes(int x, int y, int width, const BoatRecord* boat, RaceEntry* race)
    : Widget(x, y, width, 3 * lineSpacing)
    , boat(boat)
    , race(race)
    , font(getFont(SmallFont))
{
}

void ControlNotes::update(double)
{
    race->command.poll(steadySeconds());
}

bool ControlNotes::isAnimating() const
{
    return race->command.line(steadySeconds()) != drawnCommand;
}

void ControlNotes::draw(SDL_Renderer* renderer, int drawX, int drawY)
{
    drawnCommand = race->command.line(steadySeconds());
    if (!font)
        return;
    SailAdvice advice = adviseSail(*boat);
    auto drawLine = [&](int row, const std::string& text, SDL_Color colour) {
        if (!text.empty())
            font->drawText(renderer, drawX + (width - font->textWidth(text.c_str())) / 2, drawY + row * lineSpacing, text.c_str(), colour);
    };
    drawLine(0, drawnCommand, textColour);
    drawLine(1, advice.faster, textColour);
    drawLine(2, advice.noGo ? "No-go zone" : "", warningColour);
}
