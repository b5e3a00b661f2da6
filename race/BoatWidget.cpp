#include "race/BoatWidget.h"

#include "boat/BoatRecord.h"
#include "gui/Font.h"
#include "gui/PictureKey.h"
#include "gui/Utf.h"
#include "net/TextureRegistry.h"
#include "race/Map.h"

#include <cstdio>

namespace {

// The label is made in a buffer of this size, terminator included.
constexpr size_t labelBufferSize = 500;

}

BoatWidget::BoatWidget(const BoatRecord* record, Widget* panel, const Map* map)
    : MapWidget(0, 0, 64, 64)
    , record(record)
    , icon(loadTexture(panel ? "images/boat-green.png" : "images/boat-red.png"))
    , panel(panel)
    , font(getFont(SmallFont))
    , map(map)
{
}

std::string BoatWidget::label(const BoatRecord& boat)
{
    std::string text = boat.nick;
    if (boat.position != 0)
        text += " (" + std::to_string(boat.position) + ")";
    return cutUtf8(text, labelBufferSize - 1);
}

void BoatWidget::draw(SDL_Renderer* renderer, int drawX, int drawY)
{
    if (!icon || !icon->getTexture()) {
        std::printf("boat icon not found\n");
        return;
    }
    SDL_Rect destination { drawX, drawY, width, height };
    SDL_RenderCopyEx(renderer, icon->getTexture(), nullptr, &destination, record->heading, nullptr, SDL_FLIP_NONE);
    if (map->zoom < 8 || !font)
        return;
    std::string text = label(*record);
    font->drawText(renderer, drawX + (width - font->textWidth(text.c_str())) / 2, drawY + 50, text.c_str(), textColour);
}

bool BoatWidget::describe(PictureKey& key) const
{
    key.add(icon ? icon->getTexture() : nullptr);
    key.add(record->heading);
    key.add(map->zoom >= 8 && font ? label(*record) : std::string());
    return true;
}

void BoatWidget::setFocus(bool focus)
{
    focused = focus;
    if (panel)
        panel->visible = focus;
}

void BoatWidget::getPosition(double& lat, double& lon) const
{
    lat = record->lat;
    lon = record->lon;
}
