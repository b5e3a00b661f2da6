#include "net/Protocol.h"
#include "app/Storage.h"
#include "gui/FontManager.h"
#include "gui/MessageBox.h"
#include "lobby/LoginScreen.h"
#include "lobby/RaceSelector.h"
#include "lobby/RegistrationScreen.h"
#include "net/TextureRegistry.h"
#include "support/HeadlessWindow.h"
#include "support/Later.h"
#include "support/LocalHttpServer.h"
#include "support/RunningDownloader.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace {

const char* const raceList = "OK races = { { id = 1, name = 'One', sail = 0 }, { id = 2, name = 'Two', sail = 2 } }";

// A race server that answers the lobby's requests, records them, and refuses logins
// and boat descriptions as often as a test asks.
class LobbyServer {
public:
    LobbyServer()
    {
        http.server.Get("/users", [this](const httplib::Request& request, httplib::Response& response) {
            record(request);
            bool refuse = take(refusedLogins);
            response.set_content(refuse ? "<result>Wrong e-mail or password.</result>" : "<result>OK</result>", "text/plain");
        });
        http.server.Get("/races", [this](const httplib::Request& request, httplib::Response& response) {
            record(request);
            std::string action = request.get_param_value("action");
            std::string answer = "OK";
            if (action == "1")
                answer = raceList;
            else if (action == "2")
                answer = "OK race = { id = 1, name = 'One', sail = 1, lat = 50.5, lon = -1.5 }";
            else if (action == "3")
                answer = "OK waypoints = { { lat = 1, lon = 2 }, { lat = 3, lon = 4, type = 2, hdg = 90, dst = 1 } }";
            response.set_content("<result>" + answer + "</result>", "text/plain");
        });
        http.server.Get("/boats", [this](const httplib::Request& request, httplib::Response& response) {
            record(request);
            bool refuse = take(refusedBoats);
            response.set_content(refuse ? "<result>No boat.</result>"
                                        : "<result>OK id = 7, name = Cruiser, sails = { { id = 1 } }</result>",
                "text/plain");
        });
        http.start();
    }
    // The handlers use the fields below: stop serving before they go.
    ~LobbyServer() { http.stop(); }

    std::vector<std::string> requests()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return seen;
    }

    LocalHttpServer http;
    int refusedLogins = 0;
    int refusedBoats = 0;

private:
    void record(const httplib::Request& request)
    {
        std::lock_guard<std::mutex> lock(mutex);
        std::string line = request.path + "?";
        for (const auto& [key, value] : request.params)
            line += key + "=" + value + "&";
        seen.push_back(line);
    }
    bool take(int& counter)
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (counter == 0)
            return false;
        --counter;
        return true;
    }

    std::mutex mutex;
    std::vector<std::string> seen;
};

class LobbyFlowTest : public testing::Test {
protected:
    void SetUp() override
    {
        startDownloaderOnce();
        initTextures(display.renderer);
        data.copyFromSource("fonts/newscycle-bold.ttf");
        createFontManager();
        storage->writeString("raceServer", server.http.baseUrl());
        storage->writeString("login", "");
        storage->writeString("password", "");
        storage->writeInt("autoLogin", 0);
        reloadServerUrls();
        closeBoxesThen(nullptr);
    }
    void TearDown() override
    {
        messageBoxHooks.observer = nullptr;
        deleteFontManager();
        clearTextures();
    }

    // Every message box records its text and is closed at once with Escape; the action,
    // if any, follows once the box has gone.
    void closeBoxesThen(std::function<void()> action)
    {
        messageBoxHooks.observer = [this, action](const std::string& text) {
            messages.push_back(text);
            pushKey(SDLK_ESCAPE);
            if (action)
                later(300, action);
        };
    }

    static void typeInto(const char* text)
    {
        pushText(text);
        pushKey(SDLK_TAB);
    }

    // Which requests of each kind the server saw, by path and action.
    int count(const std::string& prefix)
    {
        int found = 0;
        for (const std::string& request : server.requests())
            found += request.rfind(prefix, 0) == 0;
        return found;
    }

    HeadlessWindow display;
    TestDataFolder data;
    LobbyServer server;
    std::vector<std::string> messages;
};

TEST_F(LobbyFlowTest, LoginStoresWhatWasTypedAndReturnsTheRaces)
{
    typeInto(" ann@example.org ");
    pushText("p\xc3\xa4ss word&=");
    pushKey(SDLK_RETURN);
    RaceList races = runLoginScreen(display.window);

    ASSERT_EQ(races.size(), 2u);
    EXPECT_EQ(races[1].name, "Two");
    EXPECT_EQ(storage->readString("login", "-"), "ann@example.org");
    EXPECT_EQ(hexDecode(storage->readString("password", "")), "p\xc3\xa4ss word&=");
    EXPECT_EQ(storage->readString("password", ""), "70c3a4737320776f7264263d");
    EXPECT_EQ(storage->readInt("autoLogin", -1), 0);
    std::vector<std::string> requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0], "/users?action=2&email=ann@example.org&password=p\xc3\xa4ss word&=&");
    EXPECT_EQ(requests[1], "/races?action=1&");
    EXPECT_TRUE(messages.empty());
}

TEST_F(LobbyFlowTest, FailedLoginStoresTooAndKeepsTheScreenForAnotherTry)
{
    server.refusedLogins = 1;
    typeInto("bob@example.org");
    pushText("wrong");
    pushKey(SDLK_RETURN);
    // Once the refusal's box has closed, try again with what is still typed.
    messageBoxHooks.observer = [this](const std::string& text) {
        messages.push_back(text);
        EXPECT_EQ(storage->readString("login", ""), "bob@example.org");
        pushKey(SDLK_ESCAPE);
        later(300, [] { pushKey(SDLK_RETURN); });
    };
    RaceList races = runLoginScreen(display.window);
    EXPECT_EQ(races.size(), 2u);
    EXPECT_EQ(messages, std::vector<std::string>({ "Wrong e-mail or password." }));
    EXPECT_EQ(count("/users?action=2"), 2);
}

TEST_F(LobbyFlowTest, AutomaticLoginSkipsTheScreenOrFallsBackToIt)
{
    storage->writeString("login", "ann@example.org");
    storage->writeString("password", hexEncode("good"));
    storage->writeInt("autoLogin", 1);
    EXPECT_EQ(runLoginScreen(display.window).size(), 2u);
    EXPECT_EQ(count("/users?action=2&email=ann@example.org&password=good"), 1);

    // Refused: the screen shows the stored values and the ticked box; Login tries again.
    server.refusedLogins = 1;
    closeBoxesThen([] { pushKey(SDLK_RETURN); });
    EXPECT_EQ(runLoginScreen(display.window).size(), 2u);
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(count("/users?action=2&email=ann@example.org&password=good"), 3);
    EXPECT_EQ(storage->readInt("autoLogin", -1), 1);
}

TEST_F(LobbyFlowTest, RegistrationSendsNothingWhilePasswordsDiffer)
{
    typeInto("new@example.org");
    typeInto("one");
    typeInto("two");
    pushText("Nick");
    pushKey(SDLK_RETURN);
    closeBoxesThen([] { pushKey(SDLK_ESCAPE); });
    EXPECT_TRUE(runRegistrationScreen(display.window).empty());
    EXPECT_EQ(messages, std::vector<std::string>({ "Passwords are not the same." }));
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(LobbyFlowTest, RegistrationWithMatchingPasswordsLogsInAndStoresTheLogin)
{
    typeInto("new@example.org");
    typeInto(" same ");
    typeInto("same");
    pushText("A&B");
    pushKey(SDLK_RETURN);
    EXPECT_EQ(runRegistrationScreen(display.window).size(), 2u);
    EXPECT_EQ(count("/users?action=1&autoLogin=1&email=new@example.org&nick=A&B&password=same"), 1);
    EXPECT_EQ(storage->readString("login", ""), "new@example.org");
    EXPECT_EQ(hexDecode(storage->readString("password", "")), "same");
}

// The selector of two races is 610 high, so its top is (768 - 610) / 2 = 79 and its left
// (1024 - 1000) / 2 = 12; each race's button is at (420, 190 + 250 * row), 180 x 96.
void clickRaceButton(int row)
{
    pushClick(12 + 420 + 90, 79 + 190 + 250 * row + 48);
}

TEST_F(LobbyFlowTest, JoinJoinsFirstWhileContinueOnlyLoadsBoatAndRoute)
{
    RaceList races = parseRaceList(answerTable(raceList));
    RaceRecord chosen;
    clickRaceButton(0);
    ASSERT_TRUE(runRaceSelector(display.window, races, chosen));
    EXPECT_EQ(chosen.id, 1);
    EXPECT_EQ(chosen.own.sail, 1); // as the join answer reported it
    EXPECT_DOUBLE_EQ(chosen.own.lat, 50.5);
    EXPECT_EQ(chosen.boat.name, "Cruiser");
    ASSERT_EQ(chosen.route.size(), 2u);
    EXPECT_EQ(chosen.route[1].type, 2);
    EXPECT_EQ(count("/races?action=2&raceId=1"), 1);

    clickRaceButton(1);
    ASSERT_TRUE(runRaceSelector(display.window, races, chosen));
    EXPECT_EQ(chosen.id, 2);
    EXPECT_EQ(count("/races?action=2"), 1);
    EXPECT_EQ(count("/boats?action=1&raceId=2"), 1);
    EXPECT_EQ(count("/races?action=3&raceId=2"), 1);
}

TEST_F(LobbyFlowTest, FailedBoatDescriptionAfterAJoinLeavesTheRaceJoined)
{
    server.refusedBoats = 1;
    RaceList races = parseRaceList(answerTable(raceList));
    RaceRecord chosen;
    clickRaceButton(0);
    closeBoxesThen([] { clickRaceButton(0); });
    ASSERT_TRUE(runRaceSelector(display.window, races, chosen));
    EXPECT_EQ(messages, std::vector<std::string>({ "No boat." }));
    EXPECT_EQ(count("/races?action=2&raceId=1"), 1);
    EXPECT_EQ(count("/boats?action=1&raceId=1"), 2);
}

TEST_F(LobbyFlowTest, LeavingTheSelectorSwitchesAutomaticLoginOff)
{
    storage->writeInt("autoLogin", 1);
    RaceList races = parseRaceList(answerTable(raceList));
    RaceRecord chosen;
    pushKey(SDLK_ESCAPE);
    EXPECT_FALSE(runRaceSelector(display.window, races, chosen));
    EXPECT_EQ(storage->readInt("autoLogin", -1), 0);
    EXPECT_TRUE(server.requests().empty());
}

}
