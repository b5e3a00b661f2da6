#include "ChartTestSupport.h"
#include "gui/Screen.h"
#include "lobby/RaceRecord.h"
#include "net/Protocol.h"
#include "race/Map.h"
#include "race/RaceDownloaders.h"
#include "support/RecordingServer.h"
#include "support/RunningDownloader.h"
#include "support/StdoutCapture.h"
#include "support/WaitUntil.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <vector>

namespace {

// The three answers the race screen asks for on its own, with every number written '#'.
const std::string boatsForm = "<result>OK boats = { { nick = Ann, user = #, sail = #, position = #, lat = #, lon = #, grounded = #, heading = #, speed = #, waypoint = #, finished = # } }</result>";
const std::string positionForm = "<result>OK position = #, lat = #, lon = #, grounded = #, heading = #, speed = #, waypoint = #, finished = #, windDir = #, windSpeed = #</result>";
const std::string windsForm = "numWinds = #, winds = { #, #, #, #, #, #, #, # }";

// The form with every '#' replaced by the number, but the first by size when one is given.
std::string filled(const std::string& form, const std::string& number, const char* size = nullptr)
{
    std::string text;
    for (char c : form) {
        text += c != '#' ? std::string(1, c) : size ? size
                                                    : number;
        size = c == '#' ? nullptr : size;
    }
    return text;
}

// What the server does with a request, given the form of its answer; what the client prints.
struct Behaviour {
    const char* name;
    std::function<Reply(const std::string& form, const SeenRequest& request)> reply;
    std::vector<std::string> printed;
};

Reply good(const std::string& form, const SeenRequest&)
{
    return Reply(filled(form, "2"));
}

Reply hostileNumber(const std::string& form, const SeenRequest& request, const std::string& number)
{
    // Half the wind grids keep a real size, so that their wild cells reach the drawing.
    bool keepSize = &form == &windsForm && std::atoi(request.param("x").c_str()) % 2 == 0;
    return Reply(filled(form, number, keepSize ? "2" : nullptr));
}

// A frame may neither compute long nor wait on the network. Its processor time shows the
// computing, held to 50 ms (500 ms under the thread sanitizer, which slows every
// instruction tenfold or more). Its elapsed time shows the waiting: a frame that reads
// from the slow server waits a second for each byte, while a busy machine may hold back a
// frame that does not wait by a few hundred milliseconds.
#if defined(__SANITIZE_THREAD__)
constexpr std::chrono::milliseconds computeLimit { 500 };
#else
constexpr std::chrono::milliseconds computeLimit { 50 };
#endif
constexpr std::chrono::milliseconds waitLimit { 900 };

std::chrono::nanoseconds threadTime()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

} // namespace

using HostileServerTest = ChartTest;

// The server misbehaves in every way below on the boats, position and wind answers, then
// answers well again. No frame computes 50 ms or waits on the network, the client says
// what went wrong, and the good answers are shown again at the end.
TEST_F(HostileServerTest, TheClientOutlivesAServerThatMisbehavesAndRecoversWhenItIsGoodAgain)
{
    const std::string huge = "<result>OK boats = {" + std::string(size_t(64) << 20, ' ') + "}</result>";
    const std::vector<Behaviour> behaviours {
        { "closes mid-answer", [](const std::string& form, const SeenRequest&) { Reply cut(filled(form, "2")); cut.cutShort = true; return cut; }, { "Error downloading boats\n", "Error downloading position\n", "Error downloading wind '" } },
        { "1 byte a second", [](const std::string&, const SeenRequest&) { Reply slow("OK"); slow.bytePause = std::chrono::seconds(1); return slow; }, { "missing boats table\n", "Error parsing winds 'OK'\n" } },
        { "64 MiB", [&](const std::string& form, const SeenRequest& request) { return &form == &boatsForm ? Reply(huge) : good(form, request); }, { "exceeds 67108864 bytes; transfer stopped\n", "Error downloading boats\n" } },
        { "truncated envelope", [](const std::string& form, const SeenRequest&) { return Reply(filled(form, "2").substr(0, form.size() / 2)); }, { "missing boats table\n", "Error parsing winds 'numWinds = 2" } },
        { "1e999", [](const std::string& form, const SeenRequest& request) { return hostileNumber(form, request, "1e999"); }, { "Error parsing boat table '", "Error parsing position table '", "Error parsing winds 'numWinds = 2, winds = { 1e999" } },
        { "-1e999", [](const std::string& form, const SeenRequest& request) { return hostileNumber(form, request, "-1e999"); }, { "Error parsing boat table '", "Error parsing position table '", "Error parsing winds 'numWinds = -1e999" } },
        // Digits without an exponent are read, as infinity.
        { "400 digits", [](const std::string& form, const SeenRequest& request) { return hostileNumber(form, request, std::string(400, '9') + ".5"); }, { "Error parsing winds 'numWinds = 999" } },
        { "good again", good, {} },
    };
    data.writeImage("images/wind-arrow.png", 12, 36, { 255, 255, 255, 255 });
    RecordingServer server;
    std::atomic<const Behaviour*> now = &behaviours[0];
    server.answer("/races", [&](const SeenRequest& request) { return now.load()->reply(request.param("action") == "4" ? boatsForm : positionForm, request); });
    server.answer("/wind", [&](const SeenRequest& request) { return now.load()->reply(windsForm, request); });
    startDownloaderOnce();
    useServer(server.baseUrl());
    Screen screen(display.window);
    Map map(256, 256, 0.0, 0.0);
    RaceRecord race;
    BoatRecord own;
    int32_t clock = 1000;
    BoatsDownloader boats(&map, &race, [&] { return clock; });
    PositionDownloader position(&map, &race, &own, [&] { return clock; });
    auto windsIn = [&](const std::function<bool(const WindData&)>& check) {
        for (int32_t cell = 0; cell < 4; ++cell) {
            const WindData* grid = windRegistry.find(windUrl(map.zoom, 31 + cell % 2, 31 + cell / 2, map.windTime));
            if (!grid || grid->downloadId != 0 || !check(*grid))
                return false;
        }
        return true;
    };
    for (const Behaviour& behaviour : behaviours) {
        now = &behaviour;
        clock += 1000;
        map.windTime += 3600;
        bool boatsAsked = false, positionAsked = false, answered = false;
        std::chrono::steady_clock::duration longest {};
        std::chrono::nanoseconds longestCpu {};
        std::string printed;
        {
            StdoutCapture out;
            // Each turn is one frame of the race screen's loop.
            answered = waitUntil([&] {
                auto start = std::chrono::steady_clock::now();
                auto startCpu = threadTime();
                boats.onIdle(screen);
                position.onIdle(screen);
                pollWindDownloads();
                takeFinishedTextures();
                map.update(0.01);
                map.draw(display.renderer, 0, 0);
                longest = std::max(longest, std::chrono::steady_clock::now() - start);
                longestCpu = std::max(longestCpu, threadTime() - startCpu);
                boatsAsked |= boats.request != 0;
                positionAsked |= position.request != 0;
                return boatsAsked && positionAsked && boats.request == 0 && position.request == 0 && windsIn([](const WindData&) { return true; });
            });
            printed = out.text();
        }
        EXPECT_TRUE(answered) << behaviour.name;
        EXPECT_LT(longestCpu, computeLimit) << behaviour.name;
        EXPECT_LT(longest, waitLimit) << behaviour.name;
        for (const std::string& message : behaviour.printed)
            EXPECT_NE(printed.find(message), std::string::npos) << behaviour.name << ": " << message << " in\n"
                                                                << printed;
    }
    ASSERT_EQ(boats.boats.size(), 1u);
    EXPECT_EQ(std::tuple(boats.boats[0].nick, boats.boats[0].lat, own.lat, race.own.heading), std::tuple("Ann", 2.0, 2.0, 2.0));
    EXPECT_TRUE(windsIn([](const WindData& grid) { return grid.n == 2 && grid.winds[3] == Wind(2, 2); }));
}
