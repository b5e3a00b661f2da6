#pragma once

#include "boat/ChartProjection.h"
#include "gui/CachedPicture.h"
#include "gui/Texture.h"
#include "gui/Widget.h"
#include "race/ComposedTile.h"
#include "race/MapFeature.h"
#include "race/MapWidget.h"
#include "race/Projection.h"
#include "race/WindTile.h"

#include <cstdint>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

// One cached map tile: its image, its wind grid at the map's forecast time and the two
// composed for unscaled frames.
struct TileEntry {
    std::unique_ptr<Texture> texture;
    std::unique_ptr<WindTile> wind;
    ComposedTile composed;
    Uint32 lastUse = 0;
};

// The chart: 256-pixel spherical Mercator tiles from the tile server with their wind
// arrows, the route features and the boat markers on top. Dragging moves it (the world
// repeats in both directions), the wheel or a two-finger pinch zooms it with an animation
// about the centre, and a short click focuses the marker under the pointer. The map sits
// at the window's origin, so its coordinates are screen coordinates.
class Map : public Widget, public ChartProjection {
public:
    Map(int width, int height, double lat, double lon);
    ~Map() override;

    bool onMouseDown(int button, int x, int y) override;
    bool onMouseUp(int button, int x, int y) override;
    bool onMouseMove(int buttons, int x, int y) override;
    bool onMouseWheel(int deltaY, int mouseX, int mouseY) override;
    void draw(SDL_Renderer* renderer, int x, int y) override;
    void update(double seconds) override;
    bool isAnimating() const override;

    // Moves a map widget to the world pixel of its position at the current zoom.
    void placeWidget(MapWidget& widget) const;
    // Points are placed at their copy of the world nearest the view (see nearView).
    SDL_Point latLonToScreen(double lat, double lon) const override;
    SDL_Point metresToScreen(double mx, double my) const;
    // The world column at the middle of the view.
    int32_t centreColumn() const;
    // The screen position of a world pixel as it stands, with the zoom animation's scaling.
    SDL_Point worldToScreen(WorldPixel pixel) const;
    TileEntry& getTile(int32_t z, int32_t x, int32_t y, Uint32 now);
    void prefetchTiles();
    void evictTile();
    void focusAt(int px, int py);
    // Takes ownership of a marker or a feature, drawn after those added before it.
    MapWidget* addWidget(std::unique_ptr<MapWidget> widget);
    void addFeature(std::unique_ptr<MapFeature> feature);
    // Deletes a marker that was added with addWidget.
    void removeWidget(MapWidget* widget);
    // How many times the picture of the chart at rest was drawn; frames in between copied it.
    int chartRedraws() const { return picture.redraws(); }

    using TileKey = std::tuple<int32_t, int32_t, int32_t>;

    int32_t viewX = 0;
    int32_t viewY = 0;
    int32_t zoom = 6;
    std::map<TileKey, TileEntry> tiles;
    int32_t evictCountdown = 100;
    double scale = 1.0;
    int32_t targetZoom = 6;
    std::unique_ptr<Texture> sea;
    bool dragging = false;
    int32_t dragX = 0;
    int32_t dragY = 0;
    std::vector<std::unique_ptr<MapWidget>> widgets;
    int32_t windTime = 0;
    std::unique_ptr<Texture> arrow;
    std::vector<std::unique_ptr<MapFeature>> features;
    int32_t downX = 0;
    int32_t downY = 0;
    Uint32 downTime = 0;

private:
    // Finger pair and the distance at which the last pinch step was taken.
    struct PinchState {
        int64_t touchId = 0;
        int64_t fingerA = 0;
        int64_t fingerB = 0;
        double referenceDistance = 0.0;
    };

    SDL_Point scaled(int32_t sx, int32_t sy) const;
    // A world pixel moved by whole world widths to its copy nearest the view, so that what
    // lies just across the 180-degree meridian is drawn beside the view, not a world away.
    WorldPixel nearView(WorldPixel pixel) const;
    SDL_Point markerCentre(const MapWidget& widget) const;
    // The tile's cache entry, its image asked for again when it failed to load.
    TileEntry& visitTile(int32_t column, int32_t row, Uint32 now);
    void drawTile(SDL_Renderer* renderer, int sx, int sy, int32_t column, int32_t row, Uint32 now);
    void drawChart(SDL_Renderer* renderer, int drawX, int drawY);
    // Visits the tiles shown and adds to the key everything the chart's picture is drawn
    // from; false when the picture cannot be kept (see draw).
    bool describeChart(SDL_Renderer* renderer, int drawX, int drawY, PictureKey& key);
    // Calls visit(sx, sy, column, row) for each tile slot of the view, row by row.
    template <typename Visit>
    void forEachVisibleTile(Visit visit) const;
    // Whether opaque composed tiles drawn from (drawX, drawY) will cover the whole target,
    // so the sea would not show.
    bool tilesHideSea(SDL_Renderer* renderer, int drawX, int drawY) const;
    void zoomTowards(int32_t level);
    void animateZoom(double seconds);
    int pinchSteps();

    // The pinch of each touch device, by its id.
    std::map<int64_t, PinchState> pinchStates;
    CachedPicture picture;
};
