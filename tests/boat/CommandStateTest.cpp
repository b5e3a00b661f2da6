#include "app/Storage.h"
#include "boat/BoatRecord.h"
#include "boat/HeadingSubmission.h"
#include "net/Protocol.h"
#include "support/RecordingServer.h"
#include "support/RunningDownloader.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

namespace {

using Stage = CommandState::Stage;

// Each answer of the server, one of them held until "Sending..." has been seen again.
TEST(CommandState, TheLineFollowsTheSubmissionsAnswer)
{
    RecordingServer server;
    startDownloaderOnce();
    storage->writeString("raceServer", server.baseUrl());
    reloadServerUrls();
    Reply dropped("<result>OK</result>");
    dropped.cutShort = true;
    const std::tuple<Reply, bool, std::string> cases[] = { { Reply("<result>OK</result>"), true, "Sent" },
        { Reply("<result>Unknown sail.</result>"), false, "Refused: Unknown sail." }, { dropped, false, "Not sent: no connection" } };
    RaceEntry race;
    for (const auto& [reply, held, line] : cases) {
        server.answer("/boats", reply);
        if (held)
            server.hold("/boats");
        submitHeading(BoatRecord {}, race);
        EXPECT_EQ(race.command.line(steadySeconds()), "Sending...");
        if (held && server.waitForRequests(1))
            race.command.poll(steadySeconds());
        EXPECT_EQ(race.command.stage, Stage::Sending);
        server.release();
        EXPECT_TRUE(waitUntil([&] { return race.command.poll(steadySeconds()), race.command.stage != Stage::Sending; }));
        EXPECT_EQ(race.command.line(steadySeconds()), line);
    }
}

// Only a sent command is confirmed, by a heading within half a degree, also across north;
// the confirmation shows for a minute. Positions asked for before the answer are not current.
TEST(CommandState, APositionOnTheNewHeadingConfirmsASentCommandForAMinute)
{
    const std::tuple<double, Stage, double, Stage> cases[] = { { 0.2, Stage::Sent, 359.8, Stage::Confirmed },
        { 100, Stage::Sent, 100.6, Stage::Sent }, { 100, Stage::Refused, 100, Stage::Refused }, { 100, Stage::Sending, 100, Stage::Sending } };
    for (auto [heading, stage, reported, after] : cases) {
        CommandState command;
        std::tie(command.heading, command.stage, command.answeredAt) = std::tuple(heading, stage, 11.0);
        EXPECT_EQ(std::pair(command.isCurrent(11), command.isCurrent(11.5)), std::pair(false, stage != Stage::Sending));
        command.positionReported(reported, 20);
        EXPECT_EQ(std::pair(command.stage, command.line(79.9).empty()), std::pair(after, false)) << heading << " " << reported;
        EXPECT_EQ(command.line(80).empty(), after == Stage::Confirmed);
    }
    CommandState command;
    EXPECT_EQ(std::pair(command.isCurrent(0), command.line(0)), std::pair(true, std::string()));
    command.submitted(-1, 100, 10);
    EXPECT_EQ(command.line(10), "Not sent: no connection");
}

}
