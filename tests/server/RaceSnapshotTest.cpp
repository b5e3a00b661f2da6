#include "ServerHarness.h"
#include "server/LiveRace.h"
#include "support/WaitUntil.h"
#include "table/Table.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <tuple>

using namespace server;

namespace {

constexpr int64_t raceStart = 1800000000;

// Boat i (user i) lies i thousandths of a degree east of the start, so that boat 30 leads
// and boats are as near to each other as their numbers.
std::unique_ptr<RaceSimulation> lineOfBoats(const WindSource& wind, int count)
{
    Race race { 1, "", "", "", raceStart, { { 40.0, -35.0, 0.0, 2.0, GateWaypoint }, { 40.0, -34.0, 0.0, 2.0, GateWaypoint } } };
    auto simulation = std::make_unique<RaceSimulation>(race, standardBoat(), wind, nullptr);
    std::vector<Boat> fleet;
    for (int i = 1; i <= count; ++i) {
        Boat boat = simulation->newBoat(i, "Boat " + std::to_string(i), 0.5, raceStart);
        std::tie(boat.id, boat.lat, boat.lon, boat.heading) = std::tuple(i, 40.123456789, -35.0 + i * 0.001, 90.0);
        fleet.push_back(boat);
    }
    simulation->add(fleet);
    return simulation;
}

TEST(RaceSnapshotTest, TheBoatsListHoldsTheLeadersAndTheNearestButNeverTheAskerWithSixDecimals)
{
    ConstantWind wind({ 0.0, 15.0 });
    const std::tuple<int, size_t, std::vector<int>> cases[] = { { 10, 10, { 30, 29, 14, 13, 12, 11, 9, 8, 7, 6 } },
        { 30, 10, { 29, 28, 27, 26, 25, 24, 23, 22, 21, 20 } }, { 99, 10, { 30, 29, 28, 27, 26, 25, 24, 23, 22, 21 } }, { 1, 5, { 30, 5, 4, 3, 2 } } };
    for (const auto& [asker, limit, expected] : cases) {
        RaceSnapshot snapshot(*lineOfBoats(wind, 30), limit);
        std::vector<int> users;
        for (size_t index : snapshot.chooseBoats(asker))
            users.push_back(snapshot.boats()[index].user);
        EXPECT_EQ(users, expected) << "asker " << asker;
    }
    EXPECT_EQ(RaceSnapshot(*lineOfBoats(wind, 30), 100).chooseBoats(10).size(), 29u);
    // The list written is a table, of its limit of boats, with six decimals.
    std::string text = RaceSnapshot(*lineOfBoats(wind, 400), 300).boatsList(200);
    Table root = parseTable(text);
    ASSERT_TRUE(getTable(root, "boats") && getTable(root, "boats")->size() == 300u);
    EXPECT_NE(text.find("lat = 40.123457,"), std::string::npos);
    for (size_t dot = text.find('.'); dot != std::string::npos; dot = text.find('.', dot + 1))
        EXPECT_LE(text.find_first_not_of("0123456789", dot + 1) - dot - 1, 6u) << text.substr(dot, 12);
}

TEST(RaceSnapshotTest, QueuedChangesShowAtOnceAndReachTheSnapshotAtTheNextStep)
{
    ConstantWind wind({ 0.0, 15.0 });
    LiveRace live(lineOfBoats(wind, 3), 300);
    std::shared_ptr<const RaceSnapshot> before = live.snapshot();
    double lonBefore = before->boatOf(1)->lon;
    live.queue(live.simulation()->withCourse(*live.boatOf(1), 200.0, 2, raceStart + 60));
    Boat joined = live.simulation()->newBoat(4, "Late", 0.5, raceStart + 60);
    joined.id = 4;
    live.queue(joined);
    EXPECT_EQ(std::tuple(live.boatOf(1)->heading, live.boatOf(4)->nick, before->boatOf(1)->heading), std::tuple(200.0, "Late", 90.0));
    EXPECT_EQ(live.snapshot(), before) << "nothing is published between steps";
    live.step(600.0, raceStart + 600);
    std::shared_ptr<const RaceSnapshot> after = live.snapshot();
    ASSERT_NE(after, before);
    EXPECT_EQ(std::tuple(live.queuedCount(), after->boatOf(1)->heading, after->boatOf(1)->sail, after->boatOf(4) != nullptr), std::tuple(0u, 200.0, 2, true));
    EXPECT_NE(after->boatOf(1)->lon, lonBefore);
    // A reader still holding the old snapshot sees it whole and unchanged.
    EXPECT_EQ(std::tuple(before->boats().size(), before->boatOf(1)->lon, before->boatOf(4)), std::tuple(3u, lonBefore, nullptr));
}

// Wind that, once held, keeps whoever asks for it waiting until released: a step stops
// half-way.
struct HeldWind : WindSource {
    Wind at(double, double, int64_t) const override
    {
        if (held) {
            asked = true;
            released.wait();
        }
        return { 0.0, 15.0 };
    }

    std::atomic<bool> held { false };
    mutable std::atomic<bool> asked { false };
    std::promise<void> release;
    std::shared_future<void> released { release.get_future().share() };
};

TEST(RaceSnapshotTest, RequestsAreAnsweredWhileAStepIsUnderWay)
{
    TempFolder dir;
    auto wind = std::make_shared<HeldWind>();
    GameConfig config;
    std::tie(config.dataDir, config.coastDir, config.robots, config.fastHashing, config.wind) = std::tuple(dir.path().string(), coastCacheDir(), 3, true, wind);
    GameServer game(config);
    int user = game.accounts().registerAccount("step@example.org", "secret1", "S").session->user;
    ASSERT_TRUE(game.join(user, 1, "").ok);
    wind->held = true;
    std::thread stepper([&game] { game.stepAll(1.0, currentTime()); });
    EXPECT_TRUE(waitUntil([&wind] { return wind->asked.load(); }));
    auto answers = std::async(std::launch::async, [&game, user] {
        return game.position(user, 1).ok && game.boats(user, 1).ok && game.setCourse(user, 1, 90.0, 1).ok;
    });
    bool answered = answers.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    wind->release.set_value();
    stepper.join();
    EXPECT_TRUE(answered && answers.get());
}

} // namespace
