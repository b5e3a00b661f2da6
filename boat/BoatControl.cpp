#include "boat/BoatControl.h"

#include "boat/BoatRecord.h"
#include "boat/ChartProjection.h"
#include "boat/ControlNotes.h"
#include "boat/HeadingCommands.h"
#include "boat/HeadingRing.h"
#include "gui/Button.h"
#include "gui/Image.h"
#include "gui/ToggleButton.h"
#include "nav/GreatCircle.h"
#include "net/TextureRegistry.h"

namespace {

constexpr double kilometresPerNauticalMile = 1.852;

std::unique_ptr<Texture> loadMarker(const char* name)
{
    std::unique_ptr<Texture> marker = loadTexture(name);
    if (marker && marker->getTexture())
        SDL_SetTextureAlphaMod(marker->getTexture(), 200);
    return marker;
}

void drawCentred(SDL_Renderer* renderer, const Texture* image, SDL_Point centre)
{
    if (!image || !image->getTexture())
        return;
    SDL_Rect destination { centre.x - image->getWidth() / 2, centre.y - image->getHeight() / 2, image->getWidth(),
        image->getHeight() };
    SDL_RenderCopy(renderer, image->getTexture(), nullptr, &destination);
}

}

BoatControl::BoatControl(const ChartProjection* map, BoatRecord* boat, RaceEntry* race)
    : Container(100, 100, 100, 100)
    , boat(boat)
    , map(map)
    , hours12Image(loadMarker("images/s12.png"))
    , hours24Image(loadMarker("images/s24.png"))
    , sailModel(boat)
    , race(race)
{
    auto* ring = addChild(std::make_unique<HeadingRing>(boat, race));
    ring->setPosition(70, 0);
    setSize(ring->width + 140, ring->height);

    addChild(std::make_unique<Image>(0, 0, 70, 300, "images/bracket-left.png"));
    addChild(std::make_unique<Image>(370, 0, 70, 300, "images/bracket-right.png"));
    addChild(std::make_unique<ToggleButton>(7, 13, 50, 44, 1, &sailModel, "images/sails-jib-on.png", "images/sails-jib-off.png"));
    addChild(std::make_unique<ToggleButton>(7, 63, 50, 44, 2, &sailModel, "images/sails-spinnaker-on.png",
        "images/sails-spinnaker-off.png"));
    applyButton = addChild(std::make_unique<Button>(383, 13, 50, 44, "images/btn-apply.png",
        std::make_unique<SubmitHeadingCommand>(boat, race), false));
    cancelButton = addChild(std::make_unique<Button>(383, 63, 50, 44, "images/btn-cancel.png",
        std::make_unique<CancelHeadingCommand>(boat, race), false));
    addChild(std::make_unique<ControlNotes>(ring->x, ring->height, ring->width, boat, race));
}

void BoatControl::update(double seconds)
{
    SDL_Point centre = map->latLonToScreen(boat->lat, boat->lon);
    setPosition(centre.x - width / 2, centre.y - height / 2);
    applyButton->visible = boat->pending;
    cancelButton->visible = boat->pending;
    Container::update(seconds);
}

// The projection lies under the panel's widgets.
void BoatControl::draw(SDL_Renderer* renderer, int drawX, int drawY)
{
    if (boat->speed > 0.1)
        drawCourseProjection(renderer);
    drawChildren(renderer, drawX, drawY);
}

void BoatControl::drawCourseProjection(SDL_Renderer* renderer)
{
    double kilometresPerHour = boat->speed * kilometresPerNauticalMile;
    GeoPoint after12 = destinationPoint(boat->lat, boat->lon, boat->heading, kilometresPerHour * 12);
    GeoPoint after24 = destinationPoint(boat->lat, boat->lon, boat->heading, kilometresPerHour * 24);
    SDL_Point here = map->latLonToScreen(boat->lat, boat->lon);
    SDL_Point point12 = map->latLonToScreen(after12.lat, after12.lon);
    SDL_Point point24 = map->latLonToScreen(after24.lat, after24.lon);
    SDL_SetRenderDrawColor(renderer, 255, 255, 255, 200);
    SDL_RenderDrawLine(renderer, here.x, here.y, point12.x, point12.y);
    SDL_RenderDrawLine(renderer, point12.x, point12.y, point24.x, point24.y);
    drawCentred(renderer, hours12Image.get(), point12);
    drawCentred(renderer, hours24Image.get(), point24);
}
