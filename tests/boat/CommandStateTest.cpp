#include "app/Storage.h"
#include "boat/BoatRecord.h"
#include "boat/HeadingSubmission.h"
#include "support/RecordingServer.h"
#include "support/RunningDownloader.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

namespace {

// The server answers OK after holding the answer until "Sending..." was seen again, refuses,
// or cuts the answer short. Then a position on a heading at most half a degree off, across
// north here, confirms only a sent command, for a minute; positions asked for before the answer
// arrived are not current.
TEST(CommandState, TheLineFollowsTheSubmissionsAnswerAndThePositionsAfterIt)
{
    RecordingServer server;
    startDownloaderOnce();
    storage->writeString("raceServer", server.baseUrl());
    reloadServerUrls();
    Reply dropped("<result>OK</result>");
    dropped.cutShort = true;
    const std::tuple<Reply, bool, std::string, double, std::string> cases[] = { { Reply("<result>OK</result>"), true, "Sent", 0.5, "Confirmed" },
        { Reply("<result>OK</result>"), false, "Sent", 0.6, "Sent" }, { Reply("<result>Unknown sail.</result>"), false, "Refused: Unknown sail.", 0, "Refused: Unknown sail." },
        { dropped, false, "Not sent: no connection", 0, "Not sent: no connection" } };
    RaceEntry race;
    BoatRecord own;
    own.heading = 359.5;
    for (const auto& [reply, held, line, off, confirmed] : cases) {
        server.answer("/boats", reply);
        if (held)
            server.hold("/boats");
        submitHeading(own, race);
        if (held && server.waitForRequests(1))
            race.command.poll(steadySeconds());
        EXPECT_EQ(std::pair(race.command.line(0), race.command.isCurrent(steadySeconds())), std::pair(std::string("Sending..."), false));
        server.release();
        EXPECT_TRUE(waitUntil([&] { return race.command.poll(steadySeconds()), race.command.stage != CommandState::Stage::Sending; }));
        double answered = race.command.answeredAt;
        race.command.positionReported(std::fmod(own.heading + off, 360.0), answered);
        EXPECT_EQ(std::tuple(race.command.line(answered), race.command.line(answered + 59.9), race.command.isCurrent(answered), race.command.isCurrent(answered + 0.1)),
            std::tuple(line == "Sent" ? confirmed : line, confirmed, false, true));
        EXPECT_EQ(race.command.line(answered + 60).empty(), confirmed == "Confirmed");
    }
    CommandState none;
    EXPECT_EQ(std::pair(none.isCurrent(0), none.line(0)), std::pair(true, std::string()));
    none.submitted(-1, 100, 10);
    EXPECT_EQ(none.line(10), "Not sent: no connection");
}

}
