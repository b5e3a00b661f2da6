#include "app/Storage.h"
#include "gui/FontManager.h"
#include "gui/MessageBox.h"
#include "gui/Screen.h"
#include "lobby/DownloadProcessor.h"
#include "lobby/LoginAndListRaces.h"
#include "lobby/LoginScreen.h"
#include "lobby/RaceSelector.h"
#include "lobby/RegistrationScreen.h"
#include "net/DownloadBatcher.h"
#include "net/Protocol.h"
#include "net/TextureRegistry.h"
#include "support/HeadlessWindow.h"
#include "support/RecordingServer.h"
#include "support/RunningDownloader.h"
#include "support/StdoutCapture.h"
#include "support/TestData.h"
#include "support/WaitUntil.h"
#include "table/Exception.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

using Texts = std::vector<std::string>;
const char* const raceList = "<result>OK races = { { id = 1, name = 'One' }, { id = 2, sail = 2 } }</result>";

// A race server where logins pass unless refused, race 1 joins with sail 1 and routes have two
// points; message boxes are noted and closed; framed buttons get a magenta corner, input lines white.
class LobbyTest : public testing::Test {
protected:
    void SetUp() override
    {
        startDownloaderOnce();
        initTextures(display.renderer);
        data.copyFromSource("fonts/newscycle-bold.ttf");
        createFontManager();
        storage->writeString("raceServer", server.baseUrl());
        storage->writeString("login", "");
        storage->writeString("password", "");
        storage->writeInt("autoLogin", 0);
        reloadServerUrls();
        data.writeImage("images/btn-left-top.png", 8, 8, { 255, 0, 255, 255 });
        data.writeImage("images/input-middle-center.png", 8, 8, { 255, 255, 255, 255 });
        server.answer("/users", [this](const SeenRequest&) { return Reply(refusals-- > 0 ? "<result>Wrong e-mail or password.</result>" : "<result>OK</result>"); });
        server.answer("/races", [](const SeenRequest& request) {
            const char* answers[] = { raceList, "<result>OK race = { id = 1, sail = 1, lat = 50.5 }</result>", "<result>OK waypoints = { {}, { type = 2 } }</result>" };
            return Reply(answers[std::stoi(request.param("action")) - 1]);
        });
        messageBoxHooks.observer = [this](const std::string& text) {
            messages.push_back(text);
            pushKey(SDLK_ESCAPE);
        };
    }
    void TearDown() override
    {
        if (presser.joinable())
            presser.join();
        messageBoxHooks.observer = nullptr;
        deleteFontManager();
        clearTextures();
    }

    // Repeats the input from another thread until the condition holds: input for a screen
    // that comes back after a message box, whose own loop swallows what arrives meanwhile.
    void repeatUntil(std::function<void()> input, std::function<bool()> condition)
    {
        presser = std::thread([=] {
            for (int turn = 0; turn < 200 && !waitUntil(condition, std::chrono::milliseconds(50)); ++turn)
                input();
        });
    }
    static void typeFields(std::initializer_list<const char*> texts)
    {
        for (const char* text : texts) {
            pushText(text);
            pushKey(SDLK_TAB);
        }
    }
    // The selector of two races is 1000 x 610 in the middle of the window; each race's
    // button, 180 x 96, is at (420, 190 + 250 * row) in it.
    static void clickRace(int row) { pushClick(12 + 420 + 90, 79 + 190 + 250 * row + 48); }
    // The first pixels of the text in the input line at (257, top) of the registration screen.
    std::string textStart(int top) const
    {
        std::string pixels;
        for (int y = top + 32; y < top + 68; ++y)
            for (int x = 307; x < 327; ++x)
                pixels += char(display.pixelAt(x, y).r);
        return pixels;
    }

    HeadlessWindow display;
    TestDataFolder data;
    std::atomic<int> refusals { 0 };
    Texts messages;
    std::thread presser;
    RecordingServer server;
};

// What was typed is stored before it is sent, whatever the answer, and the screen stays after
// a refusal; the frames under the refusal hide the password and frame only the text buttons.
// Automatic login sends the stored login at once; when refused, the screen shows it again.
TEST_F(LobbyTest, LoginIsStoredAndSentAgainAutomaticallyNextTime)
{
    refusals = 1000;
    std::vector<int> shown;
    messageBoxHooks.observer = [&](const std::string& text) {
        messages.push_back(text + " " + storage->readString("login", ""));
        if (refusals > 0 && display.channels(260, 207) == 7) {
            shown = { textStart(204) == textStart(304), display.channels(314, 456), display.channels(534, 456), display.channels(714, 161), display.channels(424, 361) };
            refusals = 0;
        }
        pushKey(SDLK_ESCAPE);
    };
    typeFields({ " ann@example.org ", " ann p\xc3\xa4ss word&=" });
    repeatUntil([] { pushKey(SDLK_RETURN); }, [this] { return server.count("/races") == 1; });
    EXPECT_EQ(runLoginScreen(display.window).size(), 2u);
    presser.join();
    EXPECT_EQ(messages, Texts(messages.size(), "Wrong e-mail or password. ann@example.org"));
    EXPECT_EQ(shown, (std::vector<int> { false, 5, 5, 0, 5 }));
    EXPECT_EQ(storage->readString("password", ""), "616e6e2070c3a4737320776f7264263d");
    EXPECT_EQ(storage->readInt("autoLogin", -1), 0);
    storage->writeInt("autoLogin", 1);
    EXPECT_EQ(runLoginScreen(display.window).size(), 2u);
    refusals = 1;
    repeatUntil([] { pushKey(SDLK_RETURN); }, [this] { return server.count("/races") == 3; });
    EXPECT_EQ(runLoginScreen(display.window).size(), 2u);
    EXPECT_EQ(server.count("/users?action=2&email=ann%40example.org&password=ann%20p%C3%A4ss%20word%26%3D"), server.count("/users"));
}

// Differing passwords are refused before anything is sent; the frame under that message shows
// the e-mail and nick name, hides both passwords and frames only the text buttons. Made from
// the login screen, the matching registration ends both with the only requests sent.
TEST_F(LobbyTest, RegistrationSendsOnlyMatchingPasswordsAndStoresTheLogin)
{
    std::atomic<bool> seen { false }, left { false };
    std::vector<bool> alike;
    std::vector<int> corners;
    messageBoxHooks.observer = [&](const std::string& text) {
        messages.push_back(text);
        if (!seen && display.channels(260, 162) == 7) {
            alike = { textStart(159) == textStart(414), textStart(244) == textStart(329), textStart(159) == textStart(244) };
            corners = { display.channels(314, 501), display.channels(534, 501), display.channels(714, 126) };
            seen = true;
        }
        pushKey(SDLK_ESCAPE);
    };
    typeFields({ "abcdefgh", "abcdefgh", "abcdefgX", "abcdefgh" });
    repeatUntil([&] { pushKey(seen ? SDLK_ESCAPE : SDLK_RETURN); }, [&] { return left.load(); });
    EXPECT_TRUE(runRegistrationScreen(display.window).empty());
    left = true;
    presser.join();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT); // a late Escape would end the program at the login screen
    EXPECT_EQ(messages[0], "Passwords are not the same.");
    EXPECT_EQ(alike, (std::vector<bool> { true, true, false }));
    EXPECT_EQ(corners, (std::vector<int> { 5, 5, 0 }));
    pushClick(622, 502);
    typeFields({ "new@example.org", " same ", "same", "A&B" });
    pushKey(SDLK_RETURN);
    EXPECT_EQ(runLoginScreen(display.window).size(), 2u);
    EXPECT_EQ(std::pair(server.requests().size(), server.requests()[0].target), std::pair(size_t(2), std::string("/users?action=1&autoLogin=1&email=new%40example.org&password=same&nick=A%26B")));
    EXPECT_EQ(storage->readString("login", "") + " " + storage->readString("password", ""), "new@example.org 73616d65");
}

// Escape leaves the selector and switches automatic login off. Join joins a race first; a
// failed step leaves the selector up with what the steps before stored, so the next click
// continues the joined race. Continue, for a race with a boat, loads only boat and route.
TEST_F(LobbyTest, SelectorJoinsNewRacesAndContinuesOthers)
{
    server.answer("/boats", [this](const SeenRequest&) {
        return Reply(server.count("/boats") == 1 ? "<result>No boat.</result>" : "<result>OK name = Cruiser</result>");
    });
    RaceList races = parseRaceList(answerTable(extractResult(raceList)));
    RaceRecord chosen;
    storage->writeInt("autoLogin", 1);
    pushKey(SDLK_ESCAPE);
    EXPECT_FALSE(runRaceSelector(display.window, races, chosen));
    EXPECT_EQ(storage->readInt("autoLogin", -1), 0);
    clickRace(0);
    repeatUntil([] { clickRace(0); }, [this] { return server.count("/boats") == 2; });
    ASSERT_TRUE(runRaceSelector(display.window, races, chosen));
    presser.join();
    EXPECT_EQ(messages, Texts { "No boat." });
    EXPECT_EQ(std::make_tuple(chosen.id, chosen.own.sail, chosen.own.lat, chosen.boat.name, chosen.route.size()), std::make_tuple(1, 1, 50.5, "Cruiser", size_t(2)));
    clickRace(1);
    ASSERT_TRUE(runRaceSelector(display.window, races, chosen));
    EXPECT_EQ(chosen.id, 2);
    Texts targets;
    for (const SeenRequest& request : server.requests())
        targets.push_back(request.target);
    EXPECT_EQ(targets, (Texts { "/races?action=2&raceId=1", "/boats?action=1&raceId=1", "/boats?action=1&raceId=1", "/races?action=3&raceId=1", "/boats?action=1&raceId=2", "/races?action=3&raceId=2" }));
}

// Unusable answers and an empty race list end the wait with their message; Cancel, the button
// mid-dialog or Escape, ends it at once; a batch without requests shows no dialog.
TEST_F(LobbyTest, WaitEndsWithTheMessageOfAnUnusableAnswerOrAtCancel)
{
    const std::tuple<std::string, bool (*)(SDL_Window*, RaceRecord&), const char*> cases[] = { { "", joinRace, "Error connecting to server" },
        { "<result>OK other = 1</result>", joinRace, "Error: Invalid server response." },
        { "<result>OK race = {</result>", joinRace, "Error: Invalid server response." }, { "", loadBoatDescription, "Error connecting to server" },
        { "", loadRoute, "Error connecting to server" }, { "<result>OK sails = 5</result>", loadBoatDescription, "Error: Unexpected server response." },
        { "<result>OK route = {}</result>", loadRoute, "Error: Invalid race route." }, { "<result>OK waypoints = 5</result>", loadRoute, "Error: Unexpected server response." } };
    for (const auto& [answer, step, message] : cases) {
        server.answer(".*", Reply(answer));
        messages.clear();
        RaceRecord race;
        EXPECT_FALSE(step(display.window, race)) << answer;
        EXPECT_EQ(messages, Texts { message }) << answer;
    }
    server.answer(".*", Reply("<result>OK</result>"));
    EXPECT_TRUE(loginAndListRaces(display.window, loginUrl("a", "b")).empty());
    EXPECT_EQ(messages.back(), "Error: races not found");
    server.hold("/held");
    // libcurl refuses a URL this long: the wait ends as after a failed transfer.
    SimpleBatcher clicked(server.baseUrl() + "/held"), escaped(server.baseUrl() + "/held"), none(""), refused("http://127.0.0.1/" + std::string(8000000, 'x'));
    EXPECT_FALSE(runBatch(display.window, &refused));
    EXPECT_EQ(messages.back(), "Error connecting to server");
    pushClick(512, 407);
    EXPECT_FALSE(runBatch(display.window, &clicked));
    pushKey(SDLK_ESCAPE);
    EXPECT_FALSE(runBatch(display.window, &escaped));
    EXPECT_EQ(clicked.getAnswer() + " " + escaped.getAnswer(), "canceled canceled");
    Uint32 ticks = previousFrameTicks();
    EXPECT_TRUE(runBatch(display.window, &none));
    EXPECT_EQ(previousFrameTicks(), ticks);
    EXPECT_FALSE(runBatch(display.window, nullptr));
}

// Races come in the order of their keys' text, so "10" before "2"; a malformed list keeps
// the races before the fault. Waypoints keep every field.
TEST(RaceRecord, ListsKeepEveryFieldInOrderUpToAFault)
{
    std::string text = "races = { ";
    for (int i = 0; i < 10; ++i)
        text += "{ id = " + std::to_string(i) + " }, ";
    RaceList races = parseRaceList(text + "{ id = 70, name = 'Cape', descr = 'Round it', image = 'http://h/i.jpg', "
                                          "start = 1700000000, active = 1, sail = 2, lat = 10.5, windDir = 270, "
                                          "windSpeed = 12.5, nick = Ann } }");
    EXPECT_EQ(std::make_pair(races.at(2).id, races.at(3).id), std::make_pair(70, 2));
    const RaceRecord& cape = races.at(2);
    EXPECT_EQ(std::make_tuple(cape.name, cape.descr, cape.image, cape.start, cape.active, cape.own.sail, cape.own.lat, cape.own.windDir, cape.own.windSpeed, cape.own.nick),
        std::make_tuple("Cape", "Round it", "http://h/i.jpg", 1700000000, true, 2, 10.5, 270.0, 12.5, "Ann"));
    EXPECT_EQ(formatStartTime(cape.start), "2023-11-14 22:13");
    const std::tuple<const char*, size_t, std::string> cases[] = { { "other = 1", 0, "" }, { "races = { 5, 'text', { id = 1 } }", 1, "" },
        { "races = { { id = 1 }, { id = 'x' } }", 1, "Error parsing table Invalid integer 'x'\n" },
        { "races = { { id = 1 }, { id = 2 }, { id = 3", 0, "Error parsing table Table started at (1:" } };
    for (const auto& [text, count, printed] : cases) {
        StdoutCapture output;
        EXPECT_EQ(parseRaceList(text).size(), count) << text;
        EXPECT_EQ(output.text().substr(0, printed.size()), printed) << text;
    }
    std::vector<Waypoint> route;
    StdoutCapture output;
    ASSERT_TRUE(parseRoute("waypoints = { { lat = 1 }, { lat = 2, lon = 1, hdg = 90, dst = 2.5, type = 2 } }", route));
    EXPECT_EQ(output.text(), "");
    const Waypoint& gate = route.at(1);
    EXPECT_EQ(std::make_tuple(gate.lat, gate.lon, gate.hdg, gate.dst, gate.type), std::make_tuple(2.0, 1.0, 90.0, 2.5, 2));
    // An answer that fails half-way leaves the route as it was, so a retry does not add the
    // whole route after a partial one.
    EXPECT_THROW(parseRoute("waypoints = { { lat = 1 }, { lat = {} } }", route), Exception);
    EXPECT_EQ(route.size(), 2u);
}

}
