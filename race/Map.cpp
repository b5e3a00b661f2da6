#include "race/Map.h"

#include "app/Storage.h"
#include "base/Oldest.h"
#include "gui/Screen.h"
#include "net/TextureRegistry.h"
#include "race/Projection.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace {

constexpr int tileSide = 256;
constexpr int32_t minimumZoom = 2;
constexpr int32_t maximumZoom = 15;

int32_t floorDiv(int32_t value, int32_t divisor)
{
    int32_t quotient = value / divisor;
    return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

int32_t wrap(int32_t value, int32_t modulus)
{
    int32_t remainder = value % modulus;
    return remainder < 0 ? remainder + modulus : remainder;
}

std::string tileUrl(int32_t z, int32_t x, int32_t y)
{
    char path[200];
    std::snprintf(path, sizeof path, "/tiles/%i/%i/%i.png", z, x, y);
    return tileServerUrl() + path;
}

double fingerDistance(const SDL_Finger& a, const SDL_Finger& b)
{
    double dx = double(a.x) - double(b.x);
    double dy = double(a.y) - double(b.y);
    return std::sqrt(dx * dx + dy * dy);
}

}

Map::Map(int width, int height, double lat, double lon)
    : Widget(0, 0, width, height)
    , sea(loadLocalTexture("images/sea.png"))
    , windTime(int32_t(std::time(nullptr)))
    , arrow(loadLocalTexture("images/wind-arrow.png"))
{
    WorldPixel centre = latLonToWorldPixel(lat, lon, zoom);
    viewX = centre.px - width / 2;
    viewY = centre.py - height / 2;
    if (arrow && arrow->getTexture())
        SDL_SetTextureAlphaMod(arrow->getTexture(), 200);
}

Map::~Map() = default;

MapWidget* Map::addWidget(std::unique_ptr<MapWidget> widget)
{
    widgets.push_back(std::move(widget));
    return widgets.back().get();
}

void Map::addFeature(std::unique_ptr<MapFeature> feature)
{
    features.push_back(std::move(feature));
}

void Map::removeWidget(MapWidget* widget)
{
    auto found = std::find_if(widgets.begin(), widgets.end(), [widget](const auto& owned) { return owned.get() == widget; });
    if (found != widgets.end())
        widgets.erase(found);
}

TileEntry& Map::getTile(int32_t z, int32_t x, int32_t y, Uint32 now)
{
    auto found = tiles.find(TileKey { z, x, y });
    if (found == tiles.end()) {
        TileEntry entry;
        entry.texture = loadRemoteTexture(tileUrl(z, x, y));
        entry.wind = getWindTile(z, x, y, windTime);
        entry.lastUse = now;
        return tiles.emplace(TileKey { z, x, y }, std::move(entry)).first->second;
    }
    TileEntry& entry = found->second;
    entry.lastUse = now;
    if (entry.texture && !entry.texture->isLoaded() && !entry.texture->isLoading()) {
        std::printf("redownloading tile after error %s\n", entry.texture->getName());
        redownload(*entry.texture);
    }
    if (!entry.wind || entry.wind->getTime() != windTime)
        entry.wind = getWindTile(z, x, y, windTime);
    return entry;
}

// Zoom animation: offsets are scaled about the map's centre.
SDL_Point Map::scaled(int32_t sx, int32_t sy) const
{
    if (scale == 1.0)
        return SDL_Point { sx, sy };
    return SDL_Point { int(sx * scale - (width * scale - width) * 0.5), int(sy * scale - (height * scale - height) * 0.5) };
}

template <typename Visit>
void Map::forEachVisibleTile(Visit visit) const
{
    int32_t n = int32_t(1) << zoom;
    int32_t firstColumn = floorDiv(viewX, tileSide);
    int32_t firstRow = floorDiv(viewY, tileSide);
    int32_t row = wrap(firstRow, n);
    for (int sy = tileSide * firstRow - viewY; sy < height; sy += tileSide, row = (row + 1) % n) {
        int32_t column = wrap(firstColumn, n);
        for (int sx = tileSide * firstColumn - viewX; sx < width; sx += tileSide, column = (column + 1) % n)
            visit(sx, sy, column, row);
    }
}

bool Map::tilesHideSea(SDL_Renderer* renderer, int drawX, int drawY) const
{
    SDL_Point output { 0, 0 };
    if (scale != 1.0 || drawX != 0 || drawY != 0 || SDL_GetRendererOutputSize(renderer, &output.x, &output.y) != 0
        || output.x > width || output.y > height)
        return false;
    bool covered = true;
    forEachVisibleTile([&](int, int, int32_t column, int32_t row) {
        auto found = tiles.find(TileKey { zoom, column, row });
        covered = covered && found != tiles.end() && found->second.texture
            && found->second.composed.coversOpaque(found->second.texture->getTexture(), found->second.wind.get(), arrow.get());
    });
    return covered;
}

// Drawing hundreds of markers, rotated arrows and labels costs many times a copy of the
// whole window, so a frame that shows what the one before showed copies the picture kept
// from it. The tiles shown are visited all the same, so that their use is recorded.
void Map::draw(SDL_Renderer* renderer, int drawX, int drawY)
{
    PictureKey key;
    bool copied = describeChart(renderer, drawX, drawY, key)
        && picture.draw(renderer, std::move(key), [&] { drawChart(renderer, drawX, drawY); });
    if (!copied)
        drawChart(renderer, drawX, drawY);

    if (--evictCountdown < 1) {
        evictTile();
        evictCountdown = 100;
    }
}

// The picture is kept only at rest, for a map at the window's origin that covers the
// window, and while the sea or the tiles cover all of it, so that nothing of an earlier
// frame shows through.
bool Map::describeChart(SDL_Renderer* renderer, int drawX, int drawY, PictureKey& key)
{
    if (scale != 1.0 || drawX != 0 || drawY != 0 || (!(sea && sea->getTexture()) && !tilesHideSea(renderer, drawX, drawY)))
        return false;
    for (int64_t value : { int64_t(viewX), int64_t(viewY), int64_t(zoom), int64_t(width), int64_t(height) })
        key.add(value);
    key.add(sea ? sea->getTexture() : nullptr);
    key.add(arrow ? arrow->getTexture() : nullptr);
    Uint32 now = SDL_GetTicks();
    forEachVisibleTile([&](int, int, int32_t column, int32_t row) {
        const TileEntry& entry = visitTile(column, row, now);
        key.add(entry.texture ? entry.texture->getTexture() : nullptr);
        key.add(int64_t(entry.wind ? entry.wind->getTime() : 0));
        key.add(int64_t(entry.wind ? entry.wind->gridSize() : 0));
    });
    key.add(int64_t(features.size()));
    for (const auto& feature : features) {
        if (!feature->describe(*this, key))
            return false;
    }
    key.add(int64_t(widgets.size()));
    for (const auto& widget : widgets) {
        SDL_Point centre = markerCentre(*widget);
        key.add(int64_t(centre.x));
        key.add(int64_t(centre.y));
        if (!widget->describe(key))
            return false;
    }
    return true;
}

// The sea is left out when the tiles will cover it, as they do once loaded: it is the
// most costly copy of a frame.
void Map::drawChart(SDL_Renderer* renderer, int drawX, int drawY)
{
    if (sea && sea->getTexture() && !tilesHideSea(renderer, drawX, drawY))
        SDL_RenderCopy(renderer, sea->getTexture(), nullptr, nullptr);

    int32_t n = int32_t(1) << zoom;
    Uint32 now = SDL_GetTicks();
    forEachVisibleTile([&](int sx, int sy, int32_t column, int32_t row) { drawTile(renderer, drawX + sx, drawY + sy, column, row, now); });

    for (auto& feature : features)
        feature->draw(*this, renderer, viewX, viewY, n, scale);
    for (auto& widget : widgets) {
        SDL_Point centre = markerCentre(*widget);
        widget->draw(renderer, drawX + centre.x - widget->width / 2, drawY + centre.y - widget->height / 2);
    }
}

TileEntry& Map::visitTile(int32_t column, int32_t row, Uint32 now)
{
    TileEntry& entry = getTile(zoom, column, row, now);
    if (entry.texture && !entry.texture->isLoaded() && !entry.texture->isLoading()) {
        SDL_Log("redownloading texture %s", entry.texture->getName());
        redownload(*entry.texture);
    }
    return entry;
}

void Map::drawTile(SDL_Renderer* renderer, int sx, int sy, int32_t column, int32_t row, Uint32 now)
{
    TileEntry& entry = visitTile(column, row, now);
    if (!entry.texture || !entry.texture->getTexture())
        return;
    if (scale == 1.0 && entry.composed.draw(renderer, sx, sy, entry.texture->getTexture(), entry.wind.get(), arrow.get()))
        return;
    SDL_Rect destination { sx, sy, tileSide, tileSide };
    if (scale != 1.0) {
        SDL_Point corner = scaled(sx - x, sy - y);
        int side = int(scale * tileSide + 1.0);
        destination = SDL_Rect { x + corner.x, y + corner.y, side, side };
    }
    SDL_RenderCopy(renderer, entry.texture->getTexture(), nullptr, &destination);
    drawWindArrows(renderer, destination, entry.wind.get(), arrow.get());
}

// The target is taken from the current zoom, so wheel steps during an animation do not
// add up.
bool Map::onMouseWheel(int deltaY, int, int)
{
    zoomTowards(deltaY >= 1 ? zoom + 1 : zoom - 1);
    return true;
}

void Map::zoomTowards(int32_t level)
{
    level = std::clamp(level, minimumZoom, maximumZoom);
    if (level == zoom)
        return;
    targetZoom = level;
    prefetchTiles();
}

int Map::pinchSteps()
{
    int devices = SDL_GetNumTouchDevices();
    for (int i = 0; i < devices; ++i) {
        SDL_TouchID device = SDL_GetTouchDevice(i);
        if (device == 0)
            continue;
        PinchState& state = pinchStates[device];
        state.touchId = device;
        if (SDL_GetNumTouchFingers(device) != 2) {
            state.fingerA = 0;
            state.fingerB = 0;
            continue;
        }
        SDL_Finger* a = SDL_GetTouchFinger(device, 0);
        SDL_Finger* b = SDL_GetTouchFinger(device, 1);
        if (!a || !b)
            continue;
        bool samePair = (a->id == state.fingerA || a->id == state.fingerB) && (b->id == state.fingerA || b->id == state.fingerB);
        if (!samePair) {
            state.fingerA = a->id;
            state.fingerB = b->id;
            state.referenceDistance = fingerDistance(*a, *b);
            continue;
        }
        int steps = int((fingerDistance(*a, *b) - state.referenceDistance) / 0.1);
        if (steps == 0)
            return 0;
        state.referenceDistance += steps * 0.1;
        return steps;
    }
    return 0;
}

void Map::update(double seconds)
{
    if (seconds == 0.0)
        return;
    if (int steps = pinchSteps())
        zoomTowards(zoom + steps);
    animateZoom(seconds);
    for (auto& widget : widgets)
        placeWidget(*widget);
}

bool Map::isAnimating() const
{
    return targetZoom != zoom || scale != 1.0;
}

// One level takes a second of zooming in and half a second of zooming out; when a level
// is crossed the view moves to the next level keeping its centre.
void Map::animateZoom(double seconds)
{
    if (targetZoom > zoom) {
        scale += seconds;
        if (scale > 2.0) {
            viewX = 2 * viewX + width / 2;
            viewY = 2 * viewY + height / 2;
            ++zoom;
            scale = 1.0;
        }
    } else if (targetZoom < zoom) {
        scale -= seconds;
        if (scale < 0.5) {
            viewX = viewX / 2 - width / 4;
            viewY = viewY / 2 - height / 4;
            --zoom;
            scale = 1.0;
        }
    }
}

// Asks at once for the tiles the target level will show, so they load during the
// animation.
void Map::prefetchTiles()
{
    bool zoomingIn = targetZoom > zoom;
    int32_t originX = zoomingIn ? 2 * viewX + width / 2 : viewX / 2 - width / 4;
    int32_t originY = zoomingIn ? 2 * viewY + height / 2 : viewY / 2 - height / 4;
    int32_t m = int32_t(1) << targetZoom;
    int32_t firstColumn = wrap(floorDiv(originX, tileSide), m);
    int32_t firstRow = wrap(floorDiv(originY, tileSide), m);
    Uint32 now = SDL_GetTicks();
    for (int32_t r = 0; r <= height / tileSide; ++r) {
        for (int32_t c = 0; c <= width / tileSide; ++c)
            getTile(targetZoom, (firstColumn + c) % m, (firstRow + r) % m, now);
    }
}

// Composed pictures are kept only for tiles shown in the last two seconds, so that the
// cache of images does not double in size: at rest a frame copies the chart's picture,
// and only a pan soon after brings back tiles it had shown. One is made again when its
// tile shows.
void Map::evictTile()
{
    if (tiles.size() > 500)
        tiles.erase(findOldest(tiles, &TileEntry::lastUse));
    Uint32 now = SDL_GetTicks();
    for (auto& [key, entry] : tiles) {
        if (Uint32(now - entry.lastUse) > 2000)
            entry.composed.release();
    }
}

bool Map::onMouseDown(int, int px, int py)
{
    captureMouse();
    dragging = true;
    dragX = downX = px;
    dragY = downY = py;
    downTime = previousFrameTicks();
    return true;
}

// The world repeats vertically as well as horizontally.
bool Map::onMouseMove(int, int px, int py)
{
    if (dragging) {
        int32_t world = worldSize(zoom);
        viewX += dragX - px;
        viewY += dragY - py;
        if (viewX < -world)
            viewX += world;
        if (viewX > world)
            viewX -= world;
        if (viewY < -world)
            viewY += world;
        if (viewY > world)
            viewY -= world;
    }
    dragX = px;
    dragY = py;
    return true;
}

// A press shorter than a second is a click at the press position, even when the pointer
// moved in between.
bool Map::onMouseUp(int, int, int)
{
    releaseMouse();
    dragging = false;
    if (Uint32(previousFrameTicks() - downTime) < 1000)
        focusAt(downX, downY);
    return true;
}

void Map::focusAt(int px, int py)
{
    MapWidget* focusedWidget = nullptr;
    for (auto& widget : widgets) {
        if (widget->focused)
            focusedWidget = widget.get();
    }
    for (auto& widget : widgets) {
        SDL_Point centre = markerCentre(*widget);
        int left = centre.x - widget->width / 2;
        int top = centre.y - widget->height / 2;
        if (px >= left && px < left + widget->width && py >= top && py < top + widget->height) {
            if (focusedWidget)
                focusedWidget->setFocus(false);
            widget->setFocus(true);
            return;
        }
    }
    if (focusedWidget)
        focusedWidget->setFocus(false);
}

void Map::placeWidget(MapWidget& widget) const
{
    double lat = 0.0;
    double lon = 0.0;
    widget.getPosition(lat, lon);
    WorldPixel position = latLonToWorldPixel(lat, lon, zoom);
    widget.setPosition(position.px, position.py);
}

SDL_Point Map::latLonToScreen(double lat, double lon) const
{
    return worldToScreen(nearView(latLonToWorldPixel(lat, lon, zoom)));
}

SDL_Point Map::metresToScreen(double mx, double my) const
{
    return worldToScreen(nearView(metresToWorldPixel(mx, my, zoom)));
}

int32_t Map::centreColumn() const
{
    return viewX + width / 2;
}

WorldPixel Map::nearView(WorldPixel pixel) const
{
    return WorldPixel { nearestCopy(pixel.px, centreColumn(), worldSize(zoom)), pixel.py };
}

SDL_Point Map::worldToScreen(WorldPixel pixel) const
{
    return scaled(pixel.px - viewX, pixel.py - viewY);
}

// A marker's x and y are the world pixel of its centre.
SDL_Point Map::markerCentre(const MapWidget& widget) const
{
    return worldToScreen(nearView(WorldPixel { widget.x, widget.y }));
}
