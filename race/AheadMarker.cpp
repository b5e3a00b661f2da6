#include "race/AheadMarker.h"

#include "boat/BoatRecord.h"
#include "gui/Font.h"
#include "gui/PictureKey.h"
#include "net/TextureRegistry.h"
#include "race/BoatAhead.h"
#include "race/Map.h"
#include "race/RoutePlanner.h"
#include "race/WindTape.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int32_t shortestOffset = 15 * 60;
constexpr Uint8 copyAlpha = 120;
// As the boat markers are drawn.
constexpr int markerSide = 64;

}

AheadMarker::AheadMarker(const BoatRecord* boat, const WindTape* tape, Clock clock)
    : font(getFont(SmallFont))
    , boat(boat)
    , tape(tape)
    , clock(std::move(clock))
    , icon(loadTexture("images/boat-green.png"))
{
}

std::string AheadMarker::label(int32_t offsetSeconds)
{
    char text[16];
    std::snprintf(text, sizeof text, "%+dh", int(std::lround(offsetSeconds / 3600.0)));
    return text;
}

std::optional<AheadMarker::Placement> AheadMarker::place(const Map& map) const
{
    int32_t offset = tape->selected - clock();
    if (std::abs(offset) < shortestOffset || !icon || !icon->getTexture())
        return std::nullopt;
    const PlannedRoute* route = planner ? planner->route() : nullptr;
    // A route's hours count from when it was planned, the course's from now.
    int32_t from = route ? planner->routeStart() : tape->selected - offset;
    BoatAhead ahead = sailAhead(*boat, (tape->selected - from) / 3600.0, mapWind(map, tape->selected), route);
    // A wild speed or heading from the server gives no place to draw at, and the renderer
    // must not be handed an angle that is not a number.
    if (!std::isfinite(ahead.position.lat) || !std::isfinite(ahead.position.lon) || !std::isfinite(ahead.heading))
        return std::nullopt;
    return Placement { map.latLonToScreen(ahead.position.lat, ahead.position.lon), ahead.heading, label(offset) };
}

bool AheadMarker::describe(const Map& map, PictureKey& key) const
{
    std::optional<Placement> placement = place(map);
    key.add(int64_t(placement.has_value()));
    if (placement) {
        key.add(int64_t(placement->centre.x));
        key.add(int64_t(placement->centre.y));
        key.add(placement->heading);
        key.add(placement->text);
    }
    return true;
}

// The icon is shared with the boat's own marker, so its alpha is put back after the copy.
void AheadMarker::draw(const Map& map, SDL_Renderer* renderer, int32_t, int32_t, int32_t, double)
{
    std::optional<Placement> placement = place(map);
    if (!placement)
        return;
    SDL_Point centre = placement->centre;
    SDL_Rect destination { centre.x - markerSide / 2, centre.y - markerSide / 2, markerSide, markerSide };
    Uint8 alpha = 255;
    if (SDL_GetTextureAlphaMod(icon->getTexture(), &alpha) != 0 || SDL_SetTextureAlphaMod(icon->getTexture(), copyAlpha) != 0)
        return;
    SDL_RenderCopyEx(renderer, icon->getTexture(), nullptr, &destination, placement->heading, nullptr, SDL_FLIP_NONE);
    SDL_SetTextureAlphaMod(icon->getTexture(), alpha);
    if (!font)
        return;
    const std::string& text = placement->text;
    font->drawText(renderer, centre.x - font->textWidth(text.c_str()) / 2, destination.y + markerSide - 14, text.c_str(), textColour);
}
