#include "ServerHarness.h"
#include "server/CoastBuilder.h"
#include "server/RaceCatalog.h"
#include "server/ServerOptions.h"
#include "server/TileService.h"
#include "server/WindField.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <thread>
#include <tuple>

using namespace server;

namespace {

constexpr int64_t someTime = 1800000000;

TEST(WindFieldTest, WindChangesSmoothlyAndItsBeltsLookLikeTheEarths)
{
    ForecastWind wind;
    auto angleBetween = [](double a, double b) { return std::fabs(std::remainder(a - b, 360.0)); };
    for (double lat = -60.0; lat <= 60.0; lat += 7.5) {
        for (double lon = -180.0; lon < 180.0; lon += 22.5) {
            for (int64_t t = someTime; t < someTime + 72 * 3600; t += 12 * 3600) {
                Wind here = wind.at(lat, lon, t);
                EXPECT_TRUE(here.dir >= 0.0 && here.dir < 360.0 && here.speed < 70.0) << lat << " " << lon;
                for (Wind near : { wind.at(lat + 0.01, lon + 0.01, t), wind.at(lat, lon, t + 600) })
                    EXPECT_TRUE(std::fabs(here.speed - near.speed) < 0.5 && (here.speed <= 3.0 || angleBetween(here.dir, near.dir) < 5.0)) << lat << " " << lon << " " << t;
            }
        }
    }
    // Averaged over longitudes and three days: north-east trades, south-east trades,
    // westerlies in both hemispheres, and calmer horse latitudes between.
    auto mean = [&](double lat) {
        double u = 0.0, v = 0.0, speed = 0.0;
        for (double lon = -180.0; lon < 180.0; lon += 10.0) {
            for (int64_t t = someTime; t < someTime + 72 * 3600; t += 6 * 3600) {
                Wind w = wind.at(lat, lon, t);
                u += std::sin(w.dir * M_PI / 180.0) * w.speed;
                v += std::cos(w.dir * M_PI / 180.0) * w.speed;
                speed += w.speed;
            }
        }
        return std::make_pair(std::atan2(u, v) * 180.0 / M_PI, speed / (36 * 12));
    };
    for (auto [lat, from, within] : { std::tuple(15.0, 60.0, 30.0), std::tuple(-15.0, 120.0, 30.0), std::tuple(48.0, 260.0, 35.0), std::tuple(-48.0, 280.0, 35.0) })
        EXPECT_LT(angleBetween(mean(lat).first, from), within) << lat;
    EXPECT_TRUE(mean(32.0).second < mean(15.0).second && mean(32.0).second < mean(48.0).second && mean(5.0).second < 8.0);
}

TEST(CoastBuilderTest, SegmentsAreJoinedIntoClosedRingsAndLakesAndIslandsAlternate)
{
    // What the shore is, its segments, the grid's cell size, and points with whether they are land.
    const std::tuple<const char*, const char*, double, std::vector<std::tuple<double, double, bool>>> cases[] = {
        { "an island in three pieces out of order, and a closed islet",
            "> Shore Bin # 2, Level 1\n1 1\n1 2\n> Shore Bin # 1, Level 1\n0 0\n1 0\n1 1\n> Shore Bin # 3, Level 1\n1 2\n0 2\n0 0\n> Bin 4\n5 5\n6 5\n6 6\n5 5\n",
            1.0, { { 0.5, 0.5, true }, { 1.5, 0.5, true }, { 2.5, 0.5, false }, { 5.2, 5.5, true }, { 5.8, 5.5, false } } },
        { "a coast closed along the date line, and one right round the globe like Antarctica's",
            "> a\n180 60\n175 62\n180 64\n> b\n180 -70\n0 -72\n-180 -70\n",
            2.0, { { 62.0, 179.0, true }, { 62.0, 170.0, false }, { -80.0, 90.0, true }, { -89.0, -100.0, true }, { -60.0, 0.0, false } } },
        { "an island in a lake on an island",
            "> a\n0 0\n10 0\n10 10\n0 10\n0 0\n> b\n2 2\n8 2\n8 8\n2 8\n2 2\n> c\n4 4\n6 4\n6 6\n4 6\n4 4\n",
            3.0, { { 1, 1, true }, { 3, 3, false }, { 5, 5, true }, { 7.5, 2.5, false }, { 9.5, 9.5, true }, { 11, 5, false }, { -1, 5, false } } },
    };
    CoastGrid grid;
    for (const auto& [what, segments, cellDegrees, points] : cases) {
        std::istringstream text(segments);
        grid = CoastBuilder::cut(CoastBuilder::assemble(CoastBuilder::readSegments(text)), cellDegrees);
        for (auto [lat, lon, land] : points)
            EXPECT_EQ(grid.isLand(lat, lon), land) << what << ": " << lat << " " << lon;
    }
    // The last grid saved and loaded again; a damaged file is refused.
    TempFolder dir;
    std::string path = (dir.path() / "grid.bin").string();
    grid.save(path);
    CoastGrid loaded;
    ASSERT_TRUE(loaded.load(path));
    EXPECT_TRUE(loaded.isLand(5, 5) && !loaded.isLand(3, 3));
    dir.write("grid.bin", "TWCOAST1 truncated");
    EXPECT_FALSE(loaded.load(path));
    EXPECT_TRUE(loaded.isLand(5, 5)) << "a failed load keeps what was there";
}

TEST(RaceCatalogTest, TheRaceFileGivesRacesAndNamesEveryMistake)
{
    std::istringstream file("# an administrator's races\n"
                            "race 10\nname Lake Sprint\ndescr Short and sharp.\nstart 2027-06-01 12:30\n"
                            "gate 46.40 6.50 0 1.5\nmark 46.45 6.60 0.5\ngate 46.40 6.50 0 1.5\nend\n"
                            "race 11\nname Broken\nmark 91 0 1\ngate 40 0 0\nend\n"
                            "race 12\nname Too short\nstart 1800000000\ngate 40 0 0 1\nend\n"
                            "race 13\nname Good Too\nimage http://example.org/x.jpg\nstart 1800000000\n"
                            "gate 40 0 0 1\ngate 41 0 0 1\nend\n"
                            "colour blue\n");
    std::vector<std::string> errors;
    std::vector<Race> races = RaceCatalog::read(file, errors);
    ASSERT_EQ(races.size(), 2u);
    EXPECT_EQ(std::tuple(races[0].id, races[0].name, races[0].descr, races[0].start, races[0].imagePath),
        std::tuple(10, "Lake Sprint", "Short and sharp.", 1811853000, "/images/race-10.png"));
    ASSERT_EQ(races[0].route.size(), 3u);
    EXPECT_EQ(std::tuple(races[0].route[1].type, races[0].route[1].dst, races[1].id, races[1].imagePath), std::tuple(MarkWaypoint, 0.5, 13, "http://example.org/x.jpg"));
    EXPECT_EQ(errors, (std::vector<std::string> { "line 12: bad mark: 91 0 1", "line 13: bad gate: 40 0 0", "line 19: a route needs a start and a finish", "line 27: 'colour' outside a race" }));
    // A start must fit the client's thirty-two bits.
    for (auto [start, accepted] : { std::pair("2038-01-19 03:14", 1u), std::pair("2147483647", 1u), std::pair("2147483648", 0u), std::pair("2100-01-01 00:00", 0u), std::pair("-1", 0u) }) {
        std::istringstream one(std::string("race 7\nname R\nstart ") + start + "\ngate 40 0 0 1\ngate 41 0 0 1\nend\n");
        EXPECT_EQ(RaceCatalog::read(one, errors).size(), accepted) << start;
    }
}

TEST(ServerOptionsTest, TheCommandLineIsCheckedWordByWord)
{
    std::string error;
    std::optional<ServerOptions> options = ServerOptions::parse({ "--data", "/tmp/x", "--port", "8000", "--bind", "0.0.0.0", "--boats", "1000", "--time-scale", "60" }, error);
    ASSERT_TRUE(options.has_value()) << error;
    EXPECT_EQ(std::tuple(options->dataDir, options->port, options->bind, options->boats, options->timeScale), std::tuple("/tmp/x", 8000, "0.0.0.0", 1000, 60.0));
    EXPECT_TRUE(ServerOptions::parse({ "--boats", "5", "--help", "--port", "x" }, error).value_or(ServerOptions()).help);
    const std::pair<std::vector<std::string>, const char*> bad[] = { { {}, "--data DIR is required" }, { { "--data" }, "missing value after --data" },
        { { "--data", "d", "--port", "70000" }, "--port needs a number from 0 to 65535" }, { { "--data", "d", "--boats", "-1" }, "--boats needs a number from 0 to 100000" },
        { { "--data", "d", "--time-scale", "0" }, "--time-scale needs a number above 0 and at most 1000000" }, { { "--data", "d", "--verbose", "1" }, "unknown option --verbose" } };
    for (const auto& [arguments, expected] : bad)
        EXPECT_EQ(std::pair(ServerOptions::parse(arguments, error).has_value(), error), std::pair(false, std::string(expected)));
}

TEST(TileServiceTest, ATileAskedForByManyAtOnceIsRenderedOnce)
{
    TempFolder dir;
    TileService tiles(sharedCoast(), dir.path().string(), uint64_t(1) << 30);
    // A coastal tile near Cherbourg, slow enough to render for the askers to meet.
    std::vector<std::string> answers(8);
    std::vector<std::thread> askers;
    for (std::string& answer : answers)
        askers.emplace_back([&tiles, &answer] { answer = tiles.tile(12, 2029, 1394); });
    for (std::thread& asker : askers)
        asker.join();
    EXPECT_EQ(std::count(answers.begin(), answers.end(), answers.front()), 8);
    EXPECT_EQ(tiles.tile(12, 2029, 1394), answers.front());
    EXPECT_EQ(tiles.renders(), 1) << "the second time comes from the disk";
}

TEST(TileServiceTest, OpenSeaTilesAreOneFileAndTheOldestTilesGoFirst)
{
    TempFolder dir;
    std::string sea = "open sea";
    {
        TileCache cache(dir.path().string(), 20000, sea);
        cache.store(8, 30, 124, sea);
        cache.store(8, 30, 125, sea);
        EXPECT_TRUE(std::filesystem::equivalent(dir.path() / "tiles/8/30/124.png", dir.path() / "tiles/8/30/125.png"));
        EXPECT_EQ(cache.bytes(), 128u);
        for (int y : { 1, 2, 3 })
            cache.store(9, 1, y, std::string(5000, 'a' + y));
        // Three tiles of two disk blocks each go over 20,000 bytes: the oldest go.
        EXPECT_FALSE(cache.read(8, 30, 124) || cache.read(9, 1, 1));
        EXPECT_EQ(cache.read(9, 1, 3), std::string(5000, 'd'));
        EXPECT_EQ(cache.bytes(), 2u * 8192);
    }
    TileCache reopened(dir.path().string(), 20000, sea);
    EXPECT_EQ(reopened.bytes(), 2u * 8192) << "a restart counts what is on disk";
    reopened.store(9, 1, 4, std::string(5000, 'e'));
    EXPECT_TRUE(!reopened.read(9, 1, 2) && reopened.read(9, 1, 3));
    EXPECT_EQ(dir.read("tiles/sea.png"), sea);
}

} // namespace
