#include "app/Storage.h"
#include "boat/BoatRecord.h"
#include "boat/HeadingSubmission.h"
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

// Only a sent command is confirmed, by a heading within half a degree, across north too, and
// for a minute; positions asked for before its answer arrived are not current.
TEST(CommandState, APositionOnTheNewHeadingConfirmsASentCommandForAMinute)
{
    const std::tuple<double, Stage, double, Stage> cases[] = { { 0.2, Stage::Sent, 359.8, Stage::Confirmed },
        { 100, Stage::Sent, 100.6, Stage::Sent }, { 100, Stage::Refused, 100, Stage::Refused }, { 100, Stage::Sending, 100, Stage::Sending } };
    for (auto [heading, stage, reported, after] : cases) {
        CommandState command;
        std::tie(command.heading, command.stage, command.answeredAt) = std::tuple(heading, stage, 11.0);
        command.positionReported(reported, 20);
        EXPECT_EQ(std::tuple(command.stage, command.isCurrent(11), command.isCurrent(11.5), command.line(79.9).empty(), command.line(80).empty()),
            std::tuple(after, false, stage != Stage::Sending, false, after == Stage::Confirmed)) << heading << " " << reported;
    }
    CommandState command;
    EXPECT_EQ(std::pair(command.isCurrent(0), command.line(0)), std::pair(true, std::string()));
    command.submitted(-1, 100, 10);
    EXPECT_EQ(command.line(10), "Not sent: no connection");
}

}
