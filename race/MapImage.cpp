#include "race/MapImage.h"

#include "gui/PictureKey.h"
#include "net/TextureRegistry.h"
#include "race/Map.h"
#include "race/Projection.h"

MapImage::MapImage(double lat, double lon, const char* name)
    : mx(latLonToMetres(lat, lon).mx)
    , my(latLonToMetres(lat, lon).my)
    , image(loadTexture(name))
{
}

bool MapImage::describe(const Map& map, PictureKey& key) const
{
    SDL_Point point = map.metresToScreen(mx, my);
    key.add(image ? image->getTexture() : nullptr);
    key.add(int64_t(point.x));
    key.add(int64_t(point.y));
    return true;
}

void MapImage::draw(const Map& map, SDL_Renderer* renderer, int32_t, int32_t, int32_t, double)
{
    if (!image || !image->getTexture())
        return;
    SDL_Point point = map.metresToScreen(mx, my);
    SDL_Rect destination { point.x, point.y - image->getHeight(), image->getWidth(), image->getHeight() };
    SDL_RenderCopy(renderer, image->getTexture(), nullptr, &destination);
}
