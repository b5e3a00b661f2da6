#include "app/Storage.h"
#include "boat/BoatRecord.h"
#include "boat/HeadingSubmission.h"
#include "net/Downloader.h"
#include "net/Protocol.h"
#include "support/RecordingServer.h"
#include "support/RunningDownloader.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

namespace {

using Stage = CommandState::Stage;

// The submission's answer, whether the server holds it until the line has been seen, and
// the line it leads to.
TEST(CommandState, TheLineFollowsTheSubmissionsAnswer)
{
    RecordingServer server;
    startDownloaderOnce();
    storage->writeString("raceServer", server.baseUrl());
    reloadServerUrls();
    Reply dropped("<result>OK</result>");
    dropped.cutShort = true;
    const std::tuple<Reply, bool, std::string> cases[] = {
        { Reply("<result>OK</result>"), false, "Sent" },
        { Reply("<result>OK</result>"), true, "Sent" },
        { Reply("<result>Unknown sail.</result>"), false, "Refused: Unknown sail." },
        { Reply("no envelope"), false, "Refused: " },
        { dropped, false, "Not sent: no connection" },
    };
    RaceEntry race;
    BoatRecord own;
    for (const auto& [reply, held, line] : cases) {
        server.answer("/boats", reply);
        if (held)
            server.hold("/boats");
        size_t sent = server.count();
        submitHeading(own, race);
        EXPECT_EQ(race.command.line(steadySeconds()), "Sending...");
        if (held) {
            ASSERT_TRUE(server.waitForRequests(sent + 1));
            race.command.poll(steadySeconds());
            EXPECT_EQ(race.command.stage, Stage::Sending);
            server.release();
        }
        EXPECT_TRUE(waitUntil([&] { return race.command.poll(steadySeconds()), race.command.stage != Stage::Sending; }));
        EXPECT_EQ(race.command.line(steadySeconds()), line);
    }
}

// Only a sent command is confirmed, by a heading within half a degree either side of north;
// the confirmation shows for a minute, and a command that could not be queued is not sent.
TEST(CommandState, APositionOnTheNewHeadingConfirmsASentCommandForAMinute)
{
    const std::tuple<double, Stage, double, Stage> cases[] = {
        { 0.2, Stage::Sent, 359.8, Stage::Confirmed },
        { 100, Stage::Sent, 100.6, Stage::Sent },
        { 100, Stage::Refused, 100, Stage::Refused },
        { 100, Stage::NotSent, 100, Stage::NotSent },
    };
    for (auto [heading, stage, reported, after] : cases) {
        CommandState command;
        command.heading = heading;
        command.stage = stage;
        command.answeredAt = 11;
        EXPECT_EQ(std::pair(command.isCurrent(11), command.isCurrent(11.5)), std::pair(false, true));
        command.positionReported(reported, 20);
        EXPECT_EQ(command.stage, after) << heading << " " << reported;
    }
    CommandState command;
    EXPECT_EQ(std::pair(command.isCurrent(0), command.line(0)), std::pair(true, std::string()));
    command.submitted(-1, 100, 10);
    EXPECT_EQ(command.line(10), "Not sent: no connection");
    command.stage = Stage::Sending;
    EXPECT_FALSE(command.isCurrent(20));
    command.stage = Stage::Sent;
    command.positionReported(100, 20);
    EXPECT_EQ(std::pair(command.line(79.9), command.line(80)), std::pair(std::string("Confirmed"), std::string()));
}

}
