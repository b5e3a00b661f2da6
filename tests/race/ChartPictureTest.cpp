#include "ChartTestSupport.h"
#include "boat/BoatRecord.h"
#include "gui/FontManager.h"
#include "lobby/RaceRecord.h"
#include "race/BoatWidget.h"
#include "race/Map.h"
#include "race/RaceScreen.h"

namespace {

// A marker and a route feature that cannot describe themselves: the chart is drawn directly.
struct UndescribedMarker : MapWidget {
    using MapWidget::MapWidget;
    void getPosition(double& lat, double& lon) const override { lat = lon = 0.0; }
};
struct UndescribedFeature : MapFeature {
    void draw(const Map&, SDL_Renderer*, int32_t, int32_t, int32_t, double) override { }
};

using ChartPictureTest = ChartTest;

// A chart at zoom 8 with tiles, wind arrows, a route and labelled markers. After each change
// the frame copying the kept picture equals the chart drawn directly; the picture is drawn
// again only when something it shows changed, and the next frame copies it. It is not drawn
// while the zoom animates, away from the window's origin, or with an undescribed feature.
TEST_F(ChartPictureTest, AFrameAtRestCopiesAPictureEqualToTheDirectDrawingRedrawnWhenWhatItShowsChanges)
{
    for (const char* name : { "images/sea.png", "images/wind-arrow.png", "images/boat-red.png", "images/flag-red.png", "fonts/newscycle-bold.ttf" })
        data.copyFromSource(name);
    createFontManager();
    Map map(1024, 768, 46.0, -4.0);
    map.zoom = map.targetZoom = 8;
    WorldPixel centre = latLonToWorldPixel(46.0, -4.0, 8);
    std::tie(map.viewX, map.viewY) = std::pair(centre.px - 512, centre.py - 384);
    for (int tile = 0; tile < 25; ++tile)
        saveTile(8, map.viewX / 256 + tile % 5, map.viewY / 256 + tile / 5, { Uint8(40 + 8 * tile), 90, 160, 255 }, { 60, Uint8(200 - 6 * tile), 120, 255 });
    addRouteFeatures({ { 45.0, -6.0 }, { 46.5, -3.0 }, { 45.5, -1.5 } }, map);
    std::vector<BoatRecord> boats(30);
    for (size_t i = 0; i < boats.size(); ++i) {
        std::tie(boats[i].lat, boats[i].lon, boats[i].heading, boats[i].position) = std::tuple(45.0 + 0.07 * double(i), -6.0 + 0.15 * double(i), 12.0 * double(i), int32_t(i + 1));
        boats[i].nick = "Skipper " + std::to_string(i);
        map.addWidget(std::make_unique<BoatWidget>(&boats[i], nullptr, &map));
    }
    auto fillWind = [] {
        windRegistry.forEach([](WindData& grid) { std::tie(grid.n, grid.winds) = std::tuple(8, std::vector<Wind>(64, Wind { 208.0, 30.0 })); });
    };
    SDL_Point origin { 0, 0 };
    auto frame = [&] {
        map.update(0.016);
        map.draw(display.renderer, origin.x, origin.y);
        std::vector<Uint32> pixels(1024 * 768);
        EXPECT_EQ(SDL_RenderReadPixels(display.renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, pixels.data(), 1024 * 4), 0);
        return pixels;
    };
    for (auto [change, redrawn] : std::initializer_list<std::pair<std::function<void()>, bool>> {
             { [] {}, true }, { [] {}, false }, { fillWind, true }, { [&] { boats[3].heading += 1.0; }, true },
             { [&] { boats[4].lat += 0.01; }, true }, { [&] { boats[5].nick = "Renamed"; }, true }, { [&] { map.viewX += 7; }, true },
             { [&] { boats[6].speed += 2.0; }, false }, { [&] { map.windTime += 3600; }, true }, { [] {}, false }, { [&] { origin = { 4, 0 }; }, false }, { [&] { origin = { 0, 4 }; }, false },
             { [&] { origin = { 0, 0 }; }, false }, { [&] { map.scale = 1.25; }, false }, { [&] { map.scale = 1.0; }, false },
             { [&] { map.features.push_back(std::make_unique<UndescribedFeature>()); }, false } }) {
        int redraws = map.chartRedraws();
        change();
        auto* undescribed = map.addWidget(std::make_unique<UndescribedMarker>(0, 0, 1, 1));
        std::vector<Uint32> direct = frame();
        map.removeWidget(undescribed);
        std::vector<Uint32> copied = frame();
        EXPECT_EQ(map.chartRedraws() - redraws, int(redrawn));
        EXPECT_TRUE(direct == copied && frame() == copied);
        EXPECT_EQ(map.chartRedraws() - redraws, int(redrawn));
    }
    deleteFontManager();
}

}
