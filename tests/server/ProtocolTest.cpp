#include "net/Protocol.h"

#include "ServerHarness.h"
#include "base/Text.h"
#include "boat/BoatDescription.h"
#include "server/GeoMath.h"
#include "server/TableWriter.h"

#include <gtest/gtest.h>

#include <ctime>
#include <limits>
#include <tuple>

namespace {

// A server with an administrator's races after the built-in ones, enough for the list's
// keys to reach two digits; the last starts a year from now, written in the file's UTC form.
class ProtocolTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::tm utc {};
        char when[32];
        ASSERT_NE(std::strftime(when, sizeof when, "%Y-%m-%d %H:%M", gmtime_r(&nextYear, &utc)), 0u);
        std::string file;
        for (int id = 4; id < 15; ++id)
            file += "race " + std::to_string(id) + "\nname Race\ndescr Short.\nstart 1800000000\ngate 50.70 -1.05 0 0.8\ngate 50.60 -1.05 0 0.8\nend\n";
        harness.dataDir().write("races.txt", file + "race 15\nname Solent Dash\ndescr Round the Nab.\nstart " + when + "\ngate 50.70 -1.05 0 0.8\nmark 50.67 -0.95 0.3\ngate 50.70 -1.05 0 0.8\nend\n");
        harness.start();
    }

    ServerHarness harness;
    std::time_t nextYear = (std::time(nullptr) / 60 + 365 * 24 * 60) * 60;
};

// The client lists races in the byte order of their keys, which must be the server's order.
TEST_F(ProtocolTest, RegistrationLogsInAndEveryRaceComesInOrderWithItsFieldsAndPicture)
{
    GameClient client = harness.client();
    EXPECT_EQ(client.result("/users?action=1&autoLogin=1&email=ann%40example.org&password=p%26ss%3Dw&nick=Ann%20B"), "OK");
    ASSERT_EQ(client.cookies.count("id") + client.cookies.count("JSESSIONID"), 2u);
    EXPECT_GE(client.cookies["JSESSIONID"].size(), 32u);
    RaceList races = client.races();
    ASSERT_EQ(races.size(), 15u);
    for (size_t i = 0; i < races.size(); ++i) {
        const RaceRecord& race = races[i];
        SCOPED_TRACE(race.id);
        EXPECT_TRUE(race.id == int(i) + 1 && !race.name.empty() && !race.descr.empty() && race.start > 1500000000 && race.own.windSpeed > 0.0 && race.own.lat != 0.0);
        EXPECT_EQ(std::pair(race.own.nick, race.own.sail), std::pair(std::string("Ann B"), 0)) << "not joined yet";
        ASSERT_TRUE(startsWith(race.image, "http://127.0.0.1:" + std::to_string(harness.port()) + "/images/race-")) << race.image;
        httplib::Response picture = client.get(race.image.substr(race.image.find("/images/")));
        EXPECT_EQ(std::tuple(picture.status, picture.get_header_value("Content-Type"), picture.body.substr(1, 3)), std::tuple(200, "image/png", "PNG"));
    }
    EXPECT_EQ(std::tuple(races[14].name, races[14].start, races[14].active, client.get("/images/race-16.png").status), std::tuple("Solent Dash", nextYear, false, 404));
    // The escaped password is the one stored: a fresh login with it works.
    GameClient again = harness.client();
    EXPECT_EQ(again.result("/users?action=2&email=ann%40example.org&password=p%26ss%3Dw"), "OK");
    EXPECT_EQ(again.cookies["id"], client.cookies["id"]);
    EXPECT_NE(again.cookies["JSESSIONID"], client.cookies["JSESSIONID"]);
}

// Steering and the boats list, asker left out, are checked by the cluster's test.
TEST_F(ProtocolTest, JoinDescribeAndPositionAsTheClientDoes)
{
    GameClient client = harness.player("kim@example.org", "Kim");
    RaceRecord record;
    ASSERT_TRUE(parseRaceRecord(getTable(client.table("/races?action=2&raceId=2"), "race"), record));
    EXPECT_EQ(std::tuple(record.id, record.own.sail, record.own.waypoint, record.own.nick), std::tuple(2, 1, 1, "Kim"));
    EXPECT_NEAR(record.own.lat, 28.10, 0.1);
    for (const RaceRecord& race : client.races())
        EXPECT_EQ(race.own.sail != 0, race.id == 2) << race.id;
    BoatDescription boat = parseBoatDescription(answerBody(client.result("/boats?action=1&raceId=2")));
    ASSERT_EQ(boat.sails.size(), 2u);
    // Close-hauled the jib wins, nothing sails head to wind, running the spinnaker wins.
    EXPECT_EQ(boatSpeed(boat, 1, 0.0, 0.0, 15.0), 0.0);
    EXPECT_GT(boatSpeed(boat, 1, 45.0, 0.0, 15.0), boatSpeed(boat, 2, 45.0, 0.0, 15.0));
    EXPECT_GT(boatSpeed(boat, 2, 160.0, 0.0, 15.0), boatSpeed(boat, 1, 160.0, 0.0, 15.0));
    std::vector<Waypoint> route;
    ASSERT_TRUE(parseRoute(answerBody(client.result("/races?action=3&raceId=2")), route));
    ASSERT_GE(route.size(), 3u);
    EXPECT_EQ(std::tuple(route.front().type, route.back().type, route.back().lon), std::tuple(2, 2, -60.75));
    Table position = client.table("/races?action=5&raceId=2");
    for (const char* key : { "position", "lat", "lon", "grounded", "heading", "speed", "waypoint", "finished", "windDir", "windSpeed" })
        EXPECT_NE(find(position, key), position.end()) << key;
    // The land mask: Paris, the Bay of Biscay, Madrid and the English Channel, in cells
    // that run row by row from the tile's north-west corner.
    for (auto [lat, lon, isLand] : { std::tuple(48.85, 2.35, 1), std::tuple(46.0, -5.0, 0), std::tuple(40.4, -3.7, 1), std::tuple(50.1, -2.0, 0) }) {
        double x = server::lonToWorldX(lon, 5) / 256, y = server::latToWorldY(lat, 5) / 256;
        Table mask = client.table("/races?action=6&raceId=1&z=5&x=" + std::to_string(int(x)) + "&y=" + std::to_string(int(y)));
        const Table* land = getTable(mask, "land");
        ASSERT_TRUE(getInt(mask, "numCells") == 32 && land && land->size() == 32u * 32u);
        EXPECT_EQ(getInt(*land, std::to_string(int((y - int(y)) * 32) * 32 + int((x - int(x)) * 32))), isLand) << lat << "," << lon;
    }
}

TEST_F(ProtocolTest, TilesAndWindGridsAreServedAndBadAddressesDoNoHarm)
{
    GameClient client = harness.client();
    for (const char* tile : { "/tiles/2/1/1.png", "/tiles/8/126/87.png", "/tiles/15/16234/11160.png" }) {
        httplib::Response reply = client.get(tile);
        // The signature, then the header's width and height as big-endian words.
        EXPECT_EQ(std::tuple(reply.status, reply.get_header_value("Content-Type"), reply.body.substr(0, 24)), std::tuple(200, "image/png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\1\0\0\0\1\0", 24))) << tile;
    }
    // A wind grid comes without the envelope, and another time gives another grid.
    httplib::Response wind = client.get("/wind?action=1&z=4&x=7&y=5&s=256&t=1800000000");
    Table grid = parseTable(wind.body);
    const Table* winds = getTable(grid, "winds");
    EXPECT_TRUE(wind.body.find("<result>") == std::string::npos && getInt(grid, "numWinds") == 8 && winds && winds->size() == 2u * 8 * 8);
    EXPECT_NE(wind.body, client.get("/wind?action=1&z=4&x=7&y=5&s=256&t=1800086400").body);
    // Bad tile and wind addresses are refused without harm.
    for (const char* path : { "/tiles/1/0/0.png", "/tiles/16/0/0.png", "/tiles/3/8/0.png", "/tiles/3/0/8.png", "/tiles/x/0/0.png",
             "/tiles/3/0/0.jpg", "/tiles/99999999999/0/0.png" })
        EXPECT_EQ(client.get(path).status, 404) << path;
    for (const char* path : { "/wind?action=1&z=3&x=8&y=0&s=256&t=0", "/wind?action=1&z=21&x=0&y=0", "/wind?action=1&x=0&y=0",
             "/wind?action=2&z=3&x=0&y=0", "/wind?action=1&z=3&x=0&y=0&s=0", "/wind?action=1&z=3&x=0&y=0&t=soon" }) {
        httplib::Response reply = client.get(path);
        EXPECT_EQ(std::pair(reply.status, reply.body.find("numWinds")), std::pair(400, std::string::npos)) << path;
    }
    // A long hostile query is answered, and the server still works afterwards.
    std::string junk(3000, 'x');
    EXPECT_EQ(client.result("/users?action=2&email=" + junk + "&password=" + junk), "Wrong e-mail or password.");
    httplib::Response tooLong = client.get("/users?" + std::string(20000, 'a'));
    EXPECT_EQ(std::pair(tooLong.status != 200, extractResult(tooLong.body)), std::pair(true, std::string("Invalid request.")));
    EXPECT_EQ(harness.player("after@example.org").races().size(), 15u);
}

TEST_F(ProtocolTest, EveryRefusalIsATextThePlayerCanRead)
{
    GameClient other = harness.player("taken@example.org");
    // Each answer, whether the asker is logged in and joined to race 1, and the paths it answers.
    const std::tuple<const char*, bool, std::vector<const char*>> refusals[] = {
        { "Please log in first.", false, { "/races?action=1", "/boats?action=1&raceId=1", "/races?action=6&raceId=1&z=5&x=1&y=1" } },
        { "Wrong e-mail or password.", false, { "/users?action=2&email=taken%40example.org&password=wrong", "/users?action=2&email=nobody%40example.org&password=secret1" } },
        { "This e-mail address is already registered.", false, { "/users?action=1&autoLogin=1&email=TAKEN%40example.org&password=secret1&nick=X" } },
        { "Please enter a valid e-mail address.", false, { "/users?action=1&autoLogin=1&email=no-at-sign&password=secret1&nick=X" } },
        { "Please choose a password of 4 to 128 characters.", false, { "/users?action=1&autoLogin=1&email=a%40b.c&password=ab&nick=X" } },
        { "Please choose a nick name of 1 to 32 characters.", false, { "/users?action=1&autoLogin=1&email=a%40b.c&password=secret1&nick=" } },
        { "Invalid request.", false, { "/users?action=9", "/nowhere?action=1" } },
        { "Invalid request.", true, { "/races?action=77&raceId=1" } },
        { "Unknown race.", true, { "/races?action=2&raceId=999" } },
        { "Missing or invalid raceId.", true, { "/races?action=3&raceId=abc", "/races?action=4", "/races?action=4&raceId=0x10", "/races?action=4&raceId=99999999999999999999999", "/boats?action=1&raceId=0" } },
        { "You have not joined this race.", true, { "/races?action=5&raceId=3", "/boats?action=2&heading=90&sail=1&raceId=3" } },
        { "Missing or invalid tile.", true, { "/races?action=6&raceId=1&z=5&x=32&y=0", "/races?action=6&raceId=1&z=40&x=0&y=0", "/races?action=6&raceId=1&x=1&y=1", "/races?action=6&raceId=1&z=3&x=-1&y=2" } },
        { "Missing or invalid heading or sail.", true, { "/boats?action=2&heading=nan&sail=1&raceId=1", "/boats?action=2&heading=90&raceId=1", "/boats?action=2&heading=1e999&sail=1&raceId=1", "/boats?action=2&heading=90&sail=%201&raceId=1" } },
        { "The heading must be between 0 and 360 degrees.", true, { "/boats?action=2&heading=400&sail=1&raceId=1", "/boats?action=2&heading=-5&sail=1&raceId=1" } },
        { "Unknown sail.", true, { "/boats?action=2&heading=90&sail=3&raceId=1" } }
    };
    GameClient player = harness.player("ref@example.org");
    player.table("/races?action=2&raceId=1");
    for (const auto& [answer, loggedIn, paths] : refusals) {
        for (const char* path : paths) {
            GameClient stranger = harness.client();
            EXPECT_EQ((loggedIn ? player : stranger).result(path), answer) << path;
        }
    }
    // Forged or stale cookies count as not logged in.
    for (auto [name, value] : { std::pair("JSESSIONID", std::string("0123456789abcdef")), std::pair("id", other.cookies["id"]) }) {
        GameClient forged(harness.port(), player.cookies);
        forged.cookies[name] = value;
        EXPECT_EQ(forged.result("/races?action=1"), "Please log in first.") << name;
    }
}

// Strings keep every byte but line breaks and tabs, which become blanks; doubles come back
// as doubles with nine decimals, and what is not a number as 0.
TEST(TableWriterTest, StringsAndDoublesSurviveTheClientsParser)
{
    const std::pair<std::string, std::string> texts[] = { { "", "" }, { "say \"hello\"", "say \"hello\"" }, { "it's", "it's" },
        { "back\\slash\\", "back\\slash\\" }, { "two\nlines\r\tand tab", "two lines  and tab" }, { "Zürich – Kiel", "Zürich – Kiel" },
        { "a = 1, b = {2}; # not a remark /* nor this */", "a = 1, b = {2}; # not a remark /* nor this */" } };
    for (const auto& [written, read] : texts)
        EXPECT_EQ(getString(parseTable(server::TableWriter().field("text", written).text()), "text", "absent"), read) << written;
    const std::pair<double, double> numbers[] = { { -0.0, 0.0 }, { 90.0, 90.0 }, { -61.123456789, -61.123456789 }, { 1.0 / 3.0, 0.333333333 },
        { -1e-12, 0.0 }, { 123456789.5, 123456789.5 }, { std::numeric_limits<double>::quiet_NaN(), 0.0 }, { std::numeric_limits<double>::infinity(), 0.0 } };
    for (auto [written, read] : numbers) {
        Table table = parseTable(server::TableWriter().field("x", written).text());
        ASSERT_NE(table.find("x"), table.end()) << written;
        EXPECT_EQ(std::pair(table.find("x")->second->type(), getDouble(table, "x")), std::pair(DoubleType, read)) << written;
    }
}

} // namespace
