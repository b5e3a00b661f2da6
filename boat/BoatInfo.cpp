#include "boat/BoatInfo.h"

#include "boat/BoatRecord.h"
#include "gui/Font.h"
#include "gui/Utf.h"
#include "table/Value.h"

#include <cstdio>

namespace {

// Each line is made in a buffer of this size, terminator included.
constexpr size_t lineBufferSize = 200;

template <typename Number>
std::string formatted(const char* format, Number value)
{
    char line[lineBufferSize];
    std::snprintf(line, sizeof line, format, value);
    return line;
}

}

BoatInfo::BoatInfo(const BoatRecord* boat)
    : Widget(10, 0, 300, 200)
    , boat(boat)
    , font(getFont(SmallFont))
{
    if (!font)
        std::printf("font not found!\n");
}

std::vector<std::string> BoatInfo::lines(const BoatRecord& boat)
{
    return {
        cutUtf8("Name: " + boat.nick, lineBufferSize - 1),
        formatted("Place: %i", boat.position),
        formatted("TWA: %i", truncateToInt(boat.windDir)),
        formatted("TWS: %.1lf", boat.windSpeed),
        formatted("Heading: %i", truncateToInt(boat.heading)),
        formatted("Speed: %.1lf", boat.speed),
        boat.sail == 1 ? "Sail: Jib" : "Sail: Spinnaker",
    };
}

void BoatInfo::draw(SDL_Renderer* renderer, int drawX, int drawY)
{
    if (!font)
        return;
    int offset = 10;
    for (const std::string& line : lines(*boat)) {
        font->drawText(renderer, drawX, drawY + offset, line.c_str(), textColour);
        offset += 20;
    }
}
