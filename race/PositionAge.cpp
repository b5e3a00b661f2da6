#include "race/PositionAge.h"

#include "boat/BoatRecord.h"
#include "gui/Font.h"
#include "race/Map.h"
#include "race/RaceDownloaders.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr SDL_Color lateColour = { 220, 0, 0, 255 };

}

PositionAge::PositionAge(int x, int y, const PositionDownloader* position, const Map* map)
    : Widget(x, y, 300, 20)
    , position(position)
    , map(map)
    , font(getFont(SmallFont))
{
}

std::string PositionAge::text(double age)
{
    return "Updated " + std::to_string(int64_t(std::max(0.0, std::floor(age)))) + " s ago";
}

// A request goes out once more than the period has passed since the last one, so answers
// come a period and a second apart; red means the expected answer and two more are missing.
bool PositionAge::isLate(double age, int32_t zoom)
{
    return age > 3.0 * (downloadPeriod(zoom) + 1);
}

std::string PositionAge::line(bool& late) const
{
    double age = steadySeconds() - position->answeredAt;
    late = isLate(age, map->zoom);
    return text(age);
}

bool PositionAge::isAnimating() const
{
    bool late = false;
    return line(late) != drawnLine || late != drawnLate;
}

void PositionAge::draw(SDL_Renderer* renderer, int drawX, int drawY)
{
    drawnLine = line(drawnLate);
    if (font)
        font->drawText(renderer, drawX, drawY, drawnLine.c_str(), drawnLate ? lateColour : textColour);
}
