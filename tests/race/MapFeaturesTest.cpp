#include "boat/BoatRecord.h"
#include "race/BoatWidget.h"
#include "race/GreatCircle.h"
#include "race/Map.h"
#include "race/MapImage.h"
#include "race/MapLine.h"

#include "ChartTestSupport.h"

#include <memory>
#include <vector>

namespace {

using namespace chart;

const SDL_Color white { 255, 255, 255, 255 };
const SDL_Color black { 0, 0, 0, 255 };
const SDL_Color bow { 230, 60, 20, 255 };
const SDL_Color stern { 20, 60, 230, 255 };

// The route line colour blended at its alpha over black, once or (where two segments
// meet) twice.
bool isRouteColour(SDL_Color colour)
{
    return colour.r > 140 && colour.r < 200 && colour.g < 30 && colour.b > 190;
}

class MapFeaturesTest : public ChartTest {
protected:
    // The boat icons are 64 x 64, their upper half (the bow) in one colour and the lower
    // half in another, so that pixels show which way the icon is turned.
    void writeBoatIcons()
    {
        for (const char* name : { "boat-red.png", "boat-green.png" })
            writeFile(data.root / "data" / "images" / name, pngBytes(64, 64, bow, stern));
    }

    void drawFeature(MapFeature& feature, const Map& map)
    {
        display.clear(black);
        feature.draw(map, display.renderer, map.viewX, map.viewY, 1 << map.zoom, map.scale);
    }
};

struct ViewCase {
    int32_t shiftX, shiftY;
    double scale;
};

const ViewCase views[] {
    { 0, 0, 1.0 },
    { 150, -90, 1.0 },
    { 0, 0, 1.5 },
    { -40, 30, 0.75 },
};

TEST_F(MapFeaturesTest, RouteLinesRunThroughTheirPointsWhereTheMapPutsThem)
{
    Map map(1024, 768, 60.0, 0.0);
    const int32_t viewX = map.viewX;
    const int32_t viewY = map.viewY;
    // Along a parallel the great circle bows towards the pole, so the long leg is drawn
    // north of the straight chord between its ends.
    const struct {
        double lat1, lon1, lat2, lon2;
        size_t points;
        bool chordDrawn;
    } legs[] {
        { 60.0, -1.35, 60.0, 1.35, 2, true },
        { 60.0, -9.1, 60.0, 9.1, 11, false },
    };
    for (const auto& leg : legs) {
        MapLine line(leg.lat1, leg.lon1, leg.lat2, leg.lon2);
        ASSERT_EQ(line.points.size(), leg.points);
        for (const ViewCase& view : views) {
            map.viewX = viewX + view.shiftX;
            map.viewY = viewY + view.shiftY;
            map.scale = view.scale;
            drawFeature(line, map);
            SCOPED_TRACE(testing::Message() << leg.points << " points, shift " << view.shiftX << ", scale " << view.scale);
            for (const Metres& point : line.points) {
                SDL_Point at = map.metresToScreen(point.mx, point.my);
                if (at.x < 0 || at.x >= 1024)
                    continue;
                EXPECT_TRUE(isRouteColour(display.pixelAt(at.x, at.y))) << at.x << ", " << at.y;
                EXPECT_FALSE(isRouteColour(display.pixelAt(at.x, at.y + 6))) << at.x << ", " << at.y + 6;
            }
            SDL_Point start = map.latLonToScreen(leg.lat1, leg.lon1);
            SDL_Point end = map.latLonToScreen(leg.lat2, leg.lon2);
            SDL_Point middle { (start.x + end.x) / 2, (start.y + end.y) / 2 };
            EXPECT_EQ(isRouteColour(display.pixelAt(middle.x, middle.y)), leg.chordDrawn);
        }
    }
}

TEST_F(MapFeaturesTest, AFlagStandsWithItsBottomLeftCornerOnItsPointAtItsOwnSize)
{
    const SDL_Color flag { 250, 200, 0, 255 };
    data.writeImage("images/flag.png", 10, 20, flag);
    Map map(1024, 768, -35.0, 150.0);
    const int32_t viewX = map.viewX;
    const int32_t viewY = map.viewY;
    MapImage image(-35.2, 150.3, "images/flag.png");
    const SDL_Point probes[] { { 0, -1 }, { 9, -1 }, { 0, -20 }, { 9, -20 }, { 0, 0 }, { -1, -1 }, { 10, -1 }, { 0, -21 } };
    for (const ViewCase& view : views) {
        map.viewX = viewX + view.shiftX;
        map.viewY = viewY + view.shiftY;
        map.scale = view.scale;
        drawFeature(image, map);
        SDL_Point at = map.latLonToScreen(-35.2, 150.3);
        for (SDL_Point probe : probes) {
            bool inside = probe.x >= 0 && probe.x < 10 && probe.y >= -20 && probe.y < 0;
            EXPECT_EQ(sameColour(display.pixelAt(at.x + probe.x, at.y + probe.y), flag), inside)
                << "scale " << view.scale << ", probe " << probe.x << ", " << probe.y;
        }
    }
}

TEST_F(MapFeaturesTest, AFlagWithoutItsImageDrawsNothingUntilTheImageArrives)
{
    Map map(1024, 768, 0.0, 0.0);
    MapImage missing(0.0, 0.0, "images/absent.png");
    EXPECT_EQ(missing.image, nullptr);
    drawFeature(missing, map);
    EXPECT_TRUE(sameColour(display.pixelAt(512, 383), black));

    MapImage remote(0.0, 0.0, (server.baseUrl() + "/tiles/1/1/1.png").c_str());
    drawFeature(remote, map);
    EXPECT_TRUE(sameColour(display.pixelAt(512, 383), black));
    ASSERT_TRUE(waitUntil([&] {
        takeFinishedTextures();
        return remote.image->getTexture() != nullptr;
    }));
    drawFeature(remote, map);
    EXPECT_TRUE(sameColour(display.pixelAt(512, 383), tileColour(1, 1)));
    EXPECT_TRUE(sameColour(display.pixelAt(512 + 255, 384 - 256), tileColour(1, 1)));
    EXPECT_TRUE(sameColour(display.pixelAt(511, 383), black));
}

TEST_F(MapFeaturesTest, TheIconIsGreenForTheOwnBoatAndRedForTheOthers)
{
    writeBoatIcons();
    Map map(1024, 768, 0.0, 0.0);
    BoatRecord record;
    Widget panel(0, 0, 10, 10);
    BoatWidget own(&record, &panel, &map);
    BoatWidget other(&record, nullptr, &map);
    ASSERT_TRUE(own.icon && other.icon);
    EXPECT_STREQ(own.icon->getName(), "images/boat-green.png");
    EXPECT_STREQ(other.icon->getName(), "images/boat-red.png");
    for (const BoatWidget* marker : { &own, &other }) {
        EXPECT_EQ(marker->width, 64);
        EXPECT_EQ(marker->height, 64);
        EXPECT_EQ(marker->x, 0);
        EXPECT_TRUE(marker->visible);
        EXPECT_FALSE(marker->focused);
    }
}

struct HeadingCase {
    double heading;
    SDL_Point bowAt; // relative to the icon's centre
};

TEST_F(MapFeaturesTest, TheIconTurnsClockwiseByTheHeading)
{
    writeBoatIcons();
    Map map(1024, 768, 0.0, 0.0);
    const HeadingCase cases[] {
        { 0, { 0, -22 } },
        { 90, { 22, 0 } },
        { 180, { 0, 22 } },
        { 270, { -22, 0 } },
        { 45, { 15, -15 } },
        { -90, { -22, 0 } },
    };
    for (const HeadingCase& test : cases) {
        BoatRecord record;
        record.heading = test.heading;
        BoatWidget marker(&record, nullptr, &map);
        display.clear(white);
        marker.draw(display.renderer, 100, 200);
        SDL_Point centre { 132, 232 };
        SDL_Color front = display.pixelAt(centre.x + test.bowAt.x, centre.y + test.bowAt.y);
        SDL_Color back = display.pixelAt(centre.x - test.bowAt.x, centre.y - test.bowAt.y);
        EXPECT_TRUE(sameColour(front, bow)) << test.heading << ": " << describe(front);
        EXPECT_TRUE(sameColour(back, stern)) << test.heading << ": " << describe(back);
    }
}

struct LabelCase {
    int32_t zoom;
    const char* nick;
    int32_t position;
    int labelWidth; // 0: no label
};

TEST_F(MapFeaturesTest, FromZoomEightTheNickAndPlaceStandUnderTheIcon)
{
    writeBoatIcons();
    Map map(1024, 768, 0.0, 0.0);
    BlockFont font;
    const LabelCase cases[] {
        { 8, "Ann", 3, 70 },
        { 8, "Ann", 0, 30 },
        { 7, "Ann", 3, 0 },
        { 2, "Ann", 0, 0 },
        { 15, "Bo", 12, 70 },
        { 9, "Skipper", 0, 70 },
    };
    for (const LabelCase& test : cases) {
        map.zoom = test.zoom;
        BoatRecord record;
        record.nick = test.nick;
        record.position = test.position;
        BoatWidget marker(&record, nullptr, &map);
        marker.font = &font;
        display.clear(white);
        marker.draw(display.renderer, 100, 200);
        // The label is 20 pixels tall from 50 below the icon's top; the row at 65 lies
        // below the icon.
        int left = 100 + (64 - test.labelWidth) / 2;
        SCOPED_TRACE(testing::Message() << "zoom " << test.zoom << ", " << test.nick << " (" << test.position << ")");
        for (int x = 80; x < 190; ++x) {
            bool inLabel = test.labelWidth > 0 && x >= left && x < left + test.labelWidth;
            EXPECT_EQ(sameColour(display.pixelAt(x, 200 + 65), black), inLabel) << "x " << x;
        }
        EXPECT_EQ(sameColour(display.pixelAt(left, 200 + 69), black), test.labelWidth > 0);
        EXPECT_FALSE(sameColour(display.pixelAt(left, 200 + 70), black));
    }
}

TEST_F(MapFeaturesTest, LabelTextsFitTheirBuffer)
{
    const std::string accented = std::string(498, 'x') + "\xc3\xa9";
    const struct {
        std::string nick;
        int32_t position;
        std::string label;
    } cases[] {
        { "Ann", 3, "Ann (3)" },
        { "Ann", 0, "Ann" },
        { "Ann", -1, "Ann (-1)" },
        { "", 0, "" },
        { std::string(495, 'y'), 7, std::string(495, 'y') + " (7)" },
        { std::string(600, 'x'), 0, std::string(499, 'x') },
        { accented, 0, std::string(498, 'x') },
    };
    for (const auto& test : cases) {
        BoatRecord record;
        record.nick = test.nick;
        record.position = test.position;
        EXPECT_EQ(BoatWidget::label(record), test.label) << test.nick.size() << " bytes";
    }
}

TEST_F(MapFeaturesTest, AMarkerWithoutIconSaysSoEachFrameAndDrawsNothing)
{
    Map map(1024, 768, 0.0, 0.0);
    BoatRecord record;
    BoatWidget marker(&record, nullptr, &map);
    EXPECT_EQ(marker.icon, nullptr);
    display.clear(white);
    testing::internal::CaptureStdout();
    marker.draw(display.renderer, 100, 100);
    marker.draw(display.renderer, 100, 100);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "boat icon not found\nboat icon not found\n");
    EXPECT_TRUE(sameColour(display.pixelAt(132, 132), white));
}

TEST_F(MapFeaturesTest, TheOwnMarkersFocusShowsAndHidesTheControlPanel)
{
    writeBoatIcons();
    Map map(1024, 768, 0.0, 0.0);
    BoatRecord ownRecord;
    BoatRecord otherRecord;
    otherRecord.lon = 5.0;
    Widget panel(0, 0, 10, 10);
    panel.visible = false;
    auto* own = static_cast<BoatWidget*>(map.addWidget(std::make_unique<BoatWidget>(&ownRecord, &panel, &map)));
    auto* other = static_cast<BoatWidget*>(map.addWidget(std::make_unique<BoatWidget>(&otherRecord, nullptr, &map)));
    map.update(0.01);
    SDL_Point ownAt = map.latLonToScreen(0.0, 0.0);
    SDL_Point otherAt = map.latLonToScreen(0.0, 5.0);

    const struct {
        const char* what;
        SDL_Point click;
        bool ownFocused, otherFocused, panelVisible;
    } steps[] {
        { "own marker", ownAt, true, false, true },
        { "open sea", { ownAt.x, ownAt.y + 100 }, false, false, false },
        { "own marker again", { ownAt.x - 31, ownAt.y + 31 }, true, false, true },
        { "other marker", otherAt, false, true, false },
        { "own marker last time", ownAt, true, false, true },
    };
    for (const auto& step : steps) {
        map.focusAt(step.click.x, step.click.y);
        EXPECT_EQ(own->focused, step.ownFocused) << step.what;
        EXPECT_EQ(other->focused, step.otherFocused) << step.what;
        EXPECT_EQ(panel.visible, step.panelVisible) << step.what;
    }
    own->setFocus(false);
    EXPECT_FALSE(panel.visible);
    other->setFocus(true);
    EXPECT_FALSE(panel.visible);
}

TEST_F(MapFeaturesTest, TheMapDrawsMarkersCentredOnTheirBoatsOverTheFeatures)
{
    writeBoatIcons();
    Map map(1024, 768, 0.0, 0.0);
    BoatRecord record;
    record.lat = 1.0;
    record.lon = 2.0;
    map.addFeature(std::make_unique<MapLine>(1.0, -2.0, 1.0, 6.0));
    map.addWidget(std::make_unique<BoatWidget>(&record, nullptr, &map));
    map.update(0.01);
    display.clear(white);
    map.draw(display.renderer, 0, 0);
    SDL_Point at = map.latLonToScreen(1.0, 2.0);
    // The line passes under the marker's centre; the icon covers it there.
    EXPECT_TRUE(sameColour(display.pixelAt(at.x, at.y - 1), bow));
    EXPECT_TRUE(sameColour(display.pixelAt(at.x, at.y), stern));
    EXPECT_TRUE(sameColour(display.pixelAt(at.x - 32, at.y - 32), bow));
    EXPECT_TRUE(sameColour(display.pixelAt(at.x + 31, at.y + 31), stern));
    EXPECT_FALSE(sameColour(display.pixelAt(at.x + 32, at.y + 31), stern));
    bool lineBesideTheMarker = false;
    for (int dy = -2; dy <= 2; ++dy)
        lineBesideTheMarker |= !sameColour(display.pixelAt(at.x + 40, at.y + dy), white);
    EXPECT_TRUE(lineBesideTheMarker);
}

// The world repeats east and west: what lies just across the 180-degree meridian from the
// view is drawn at its copy beside the view, and a leg across the meridian takes the short
// way instead of running across the whole world.
TEST_F(MapFeaturesTest, AcrossTheDateLineEverythingIsDrawnAtTheCopyNearestTheView)
{
    const struct {
        int32_t px, centre, copy;
    } copies[] { { 100, 16000, 16484 }, { 16300, 50, -84 }, { 100, -16000, -16284 }, { 8192, 8192, 8192 }, { 100, 24000, 16484 } };
    for (const auto& c : copies)
        EXPECT_EQ(nearestCopy(c.px, c.centre, 16384), c.copy) << c.px << " near " << c.centre;

    MapLine leg(0.0, 179.5, 0.0, -179.5);
    const struct {
        int32_t centre, from, to;
    } legs[] { { 16384, 16361, 16406 }, { 0, -23, 22 }, { 8192, 16361, 16406 } };
    for (const auto& c : legs) {
        std::vector<MapLine::Segment> segments = leg.segmentsNear(6, c.centre);
        ASSERT_EQ(segments.size(), 1u);
        EXPECT_EQ(segments[0].first.px, c.from) << c.centre;
        EXPECT_EQ(segments[0].second.px, c.to) << c.centre;
    }

    // The view is centred on 179.5 W; the leg is drawn from 467 to 512 across the screen's
    // middle row, and a marker at 179.9 E stands left of the centre.
    Map map(1024, 768, 0.0, -179.5);
    drawFeature(leg, map);
    EXPECT_TRUE(isRouteColour(display.pixelAt(490, 384)));
    EXPECT_FALSE(isRouteColour(display.pixelAt(700, 384)));
    BoatRecord record;
    record.lat = 1.0;
    record.lon = 179.9;
    MapWidget* marker = map.addWidget(std::make_unique<BoatWidget>(&record, nullptr, &map));
    map.update(0.01);
    EXPECT_EQ(map.latLonToScreen(1.0, 179.9).x, 485);
    map.focusAt(485, 338);
    EXPECT_TRUE(marker->focused);
}

}
