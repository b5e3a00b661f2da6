#include "server/Accounts.h"
#include "server/PostgresStorage.h"
#include "server/SqliteStorage.h"
#include "support/TempFolder.h"
#include "support/TestPostgres.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>
#include <tuple>

using namespace server;

namespace {

// The same checks run against both storages, and the accounts kept on them; `open()` opens
// the test's database again, as a restarted server (or another instance) would. One
// PostgreSQL serves the whole program, started by the first test that needs it; each test
// gets a database of its own.
class StorageTest : public testing::TestWithParam<std::string> {
protected:
    void SetUp() override
    {
        if (GetParam() == "postgresql") {
            if (!TestPostgres::installed())
                GTEST_SKIP() << "PostgreSQL's programs (initdb, pg_ctl) are not installed";
            static TestPostgres postgres;
            static int databases = 0;
            std::string name = "storage" + std::to_string(++databases);
            PostgresDb(postgres.uri(), 1).exec("CREATE DATABASE " + name);
            address = postgres.uri(name);
        }
        store = open();
    }

    std::unique_ptr<Storage> open()
    {
        if (GetParam() == "postgresql")
            return std::make_unique<PostgresStorage>(address);
        return std::make_unique<SqliteStorage>((dir.path() / "tidewake.db").string());
    }

    Boat boat(int race, int user, const std::string& nick = "B") const
    {
        Boat made;
        std::tie(made.race, made.user, made.nick, made.lat, made.lon, made.heading) = std::tuple(race, user, nick, 45.5, -3.25, 90.0);
        return made;
    }

    TempFolder dir;
    std::string address;
    std::unique_ptr<Storage> store;
};

TEST_P(StorageTest, AccountsAndSessionsAreKeptAndFoundAgain)
{
    std::optional<int> ann = store->addAccount("ann@example.org", "hash-a", "Ann"), bob = store->addAccount("bob@example.org", "hash-b", "Bob");
    ASSERT_TRUE(ann && bob && *ann != *bob);
    EXPECT_FALSE(store->addAccount("ann@example.org", "hash-b", "Other"));
    store->addSession("token-ann", *ann, 1000);
    store->addSession("token-bob", *bob, 1000);
    store->touchSession("token-bob", 5000);
    if (GetParam() == "sqlite") {
        EXPECT_EQ((dir.read("tidewake.db") + dir.read("tidewake.db-wal")).find("token-bob"), std::string::npos) << "kept as its digest";
    }
    store->dropSessionsUnusedSince(2000);
    std::unique_ptr<Storage> again = open();
    std::optional<Account> byEmail = again->accountByEmail("ann@example.org");
    ASSERT_TRUE(byEmail);
    EXPECT_EQ(std::tuple(byEmail->id, byEmail->hash, byEmail->nick, again->accountById(*bob)->email), std::tuple(*ann, "hash-a", "Ann", "bob@example.org"));
    EXPECT_FALSE(again->accountById(*bob + 100) || again->session("token-ann") || again->session("token-nobody")) << "ann's unused since 1000";
    std::optional<StoredSession> session = again->session("token-bob");
    ASSERT_TRUE(session);
    EXPECT_EQ(std::pair(session->user, session->used), std::pair(*bob, int64_t(5000)));
}

TEST_P(StorageTest, RacesBoatsCoursesAndChangesSurviveAReopening)
{
    Race race { 1, "Sprint", "Short", "/images/race-1.png", 1800000000, { { 50.5, -1.25, 90.0, 1.5, 2 }, { 49.75, -1.5, 0.0, 0.5, 1 } } };
    store->saveRace(race);
    race.name = "Sprint II";
    store->saveRace(race);
    store->saveRace({ 2, "Ocean", "Long", "http://example.org/o.jpg", 1800000100, race.route });
    store->setRaceClock(1, 1800000050);
    std::vector<Boat> robots = store->addBoats({ boat(1, 0, "Albatross"), boat(1, 0, "Petrel") });
    Boat kai = store->addBoat(boat(1, 7, "Kai"));
    EXPECT_EQ(store->addBoat(boat(1, 7, "Kai again")).id, kai.id) << "one boat per player and race";
    int64_t joined = store->boatChanges(1, 0).revision;
    // The simulation's save moves every boat but leaves a player's course to saveCourses.
    Boat course = kai;
    std::tie(course.heading, course.sail) = std::pair(200.5, 2);
    store->saveCourses({ course });
    std::vector<Boat> moved = { robots[0], kai };
    for (Boat& b : moved)
        std::tie(b.lat, b.heading, b.waypoint, b.finished, b.finishTime, b.grounded, b.windDir, b.windSpeed) = std::tuple(46.0, 10.0, 2, true, 1800000077, true, 271.5, 14.25);
    store->saveBoats(moved.data(), moved.size());

    std::unique_ptr<Storage> again = open();
    ASSERT_EQ(again->races().size(), 2u);
    EXPECT_EQ(std::tuple(again->race(1)->name, again->race(2)->route.size(), again->races()[1].imagePath, again->raceClock(1), again->raceClock(2)),
        std::tuple("Sprint II", 2u, "http://example.org/o.jpg", 1800000050, 0));
    EXPECT_FALSE(again->race(3) || !again->boats(2).empty() || again->playerBoat(1, 8) || again->playerBoat(2, 7));
    std::vector<Boat> boats = again->boats(1);
    ASSERT_EQ(boats.size(), 3u);
    const Boat &robot = boats[0], &player = boats[2];
    EXPECT_EQ(std::tuple(robot.nick, robot.lat, robot.heading, robot.finished, robot.windDir), std::tuple("Albatross", 46.0, 10.0, true, 271.5));
    EXPECT_EQ(std::tuple(player.id, again->playerBoat(1, 7)->id, player.lat, player.heading, player.sail, player.waypoint, player.finishTime, player.grounded, player.windSpeed),
        std::tuple(kai.id, kai.id, 46.0, 200.5, 2, 2, 1800000077, true, 14.25));
    // Courses and joins after a revision are found once; robots never.
    BoatChanges changes = again->boatChanges(1, joined);
    ASSERT_EQ(changes.boats.size(), 1u);
    EXPECT_EQ(std::pair(changes.boats[0].id, changes.boats[0].heading), std::pair(kai.id, 200.5));
    again->addBoat(boat(1, 9, "Lou"));
    BoatChanges later = again->boatChanges(1, changes.revision);
    ASSERT_EQ(later.boats.size(), 1u);
    EXPECT_EQ(std::tuple(later.boats[0].nick, again->boatChanges(1, later.revision).boats.size(), again->boatChanges(1, 0).boats.size()), std::tuple("Lou", 0u, 2u));
}

// Logins are limited per account and per address; sessions end after thirty days unused,
// also for a server started afresh on the same database.
TEST_P(StorageTest, LoginAttemptsAreLimitedPerAccountAndPerAddressAndSessionsEndAfterThirtyDaysUnused)
{
    const std::string wrong = "Wrong e-mail or password.", waitAMinute = "Too many login attempts. Please try again in a minute.";
    constexpr int64_t day = 86400;
    int64_t now = 1800000000;
    Accounts accounts(*store);
    accounts.useFastHashing();
    accounts.useClock([&now] { return now; });
    auto login = [&accounts](const std::string& email, const std::string& password, const std::string& address) {
        AccountResult result = accounts.login(email, password, address);
        return result.session ? "OK" : result.refusal;
    };
    ASSERT_TRUE(accounts.registerAccount("ann@example.org", "secret1", "Ann").session);
    // Five attempts at one account, from wherever, use up its allowance for a minute.
    const std::tuple<const char*, const char*, const char*, int64_t, std::string> steps[] = { { "ann@example.org", "guess", "10.0.0.1", 0, wrong },
        { "ann@example.org", "guess", "10.0.0.1", 0, wrong }, { "ann@example.org", "guess", "10.0.0.2", 0, wrong }, { "ann@example.org", "guess", "10.0.0.2", 0, wrong },
        { "nobody@example.org", "guess", "10.0.0.1", 0, wrong }, { "ann@example.org", "secret1", "10.0.0.3", 0, "OK" },
        { "ann@example.org", "secret1", "10.0.0.3", 0, waitAMinute }, { "ANN@example.org", "secret1", "10.0.0.4", 0, waitAMinute },
        { "ann@example.org", "secret1", "10.0.0.4", 60, "OK" } };
    for (const auto& [email, password, address, later, expected] : steps) {
        now += later;
        EXPECT_EQ(login(email, password, address), expected) << email << " from " << address;
    }
    // Twenty attempts from one address, at any accounts, use up its allowance.
    ASSERT_TRUE(accounts.registerAccount("dee@example.org", "secret1", "Dee").session);
    for (int i = 0; i < 19; ++i)
        EXPECT_EQ(login("guess" + std::to_string(i) + "@example.org", "x", "10.0.0.9"), wrong) << i;
    EXPECT_EQ(login("dee@example.org", "secret1", "10.0.0.9"), "OK");
    EXPECT_EQ(login("dee@example.org", "secret1", "10.0.0.9"), waitAMinute);
    EXPECT_EQ(login("bob@example.org", "x", "10.0.0.8"), wrong);
    std::string token = accounts.registerAccount("cy@example.org", "secret1", "Cy").session->token;
    now += 20 * day;
    ASSERT_TRUE(accounts.userOf("", token));
    now += 25 * day;
    EXPECT_TRUE(accounts.userOf("", token)) << "used 25 days ago";
    // A fresh start reads the time of last use from the database.
    std::unique_ptr<Storage> reopened = open();
    Accounts restarted(*reopened);
    int64_t later = now + 29 * day;
    restarted.useClock([&later] { return later; });
    EXPECT_TRUE(restarted.userOf("", token));
    later += 31 * day;
    EXPECT_FALSE(restarted.userOf("", token));
}

TEST_P(StorageTest, UnknownEmailsCostAsMuchAsKnownOnesAndAtMostTwoHashesRunAtOnce)
{
    Accounts accounts(*store);
    std::vector<std::thread> registering;
    for (int i = 0; i < 6; ++i)
        registering.emplace_back([&accounts, i] { accounts.registerAccount("p" + std::to_string(i) + "@example.org", "secret1", "P"); });
    for (std::thread& thread : registering)
        thread.join();
    EXPECT_EQ(accounts.hashing().busiest(), 2);
    // The fastest of three logins, as a busy machine slows some of them.
    auto timed = [&accounts](const char* email) {
        double fastest = 1e9;
        for (int attempt = 0; attempt < 3; ++attempt) {
            auto start = std::chrono::steady_clock::now();
            accounts.login(email, "wrong1", "10.0.0.1");
            fastest = std::min(fastest, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
        return fastest;
    };
    double known = timed("p1@example.org"), unknown = timed("nobody@example.org");
    EXPECT_GT(unknown, known / 3) << "known " << known << " s, unknown " << unknown << " s";
}

// A shared database lets one instance at a time hold a race's lease, until it lapses; the
// one server on a SQLite database always holds it.
TEST_P(StorageTest, OneInstanceAtATimeHoldsARacesLease)
{
    std::unique_ptr<Storage> other = open();
    bool shared = store->shared();
    const std::tuple<Storage*, const char*, int, int, bool> steps[] = { { store.get(), "a", 1, 10, true },
        { other.get(), "b", 1, 10, !shared }, { other.get(), "b", 2, 1, true }, { store.get(), "a", 1, 10, true },
        { other.get(), "b", 2, 1, true }, { store.get(), "a", 2, 10, !shared } };
    for (const auto& [storage, owner, race, seconds, held] : steps)
        EXPECT_EQ(storage->holdLease(race, owner, seconds), held) << owner << " race " << race;
    EXPECT_TRUE(waitUntil([&] { return store->holdLease(2, "a", 10); }, std::chrono::seconds(5))) << "b's one-second lease lapsed";
    EXPECT_EQ(other->holdLease(2, "b", 10), !shared);
    other->releaseLease(2, "b");
    store->releaseLease(1, "a");
    EXPECT_TRUE(other->holdLease(1, "b", 10)) << "released";
    EXPECT_EQ(other->holdLease(2, "b", 10), !shared) << "a's, which b cannot release";
}

INSTANTIATE_TEST_SUITE_P(, StorageTest, testing::Values("sqlite", "postgresql"), [](const auto& info) { return info.param; });

TEST(PostgresStorageTest, AMissingDatabaseIsReportedAtOnce)
{
    TempFolder empty;
    try {
        PostgresStorage store("postgresql://tidewake@/postgres?host=" + empty.path().string());
        ADD_FAILURE() << "connected to nothing";
    } catch (const DatabaseError& error) {
        EXPECT_NE(std::string(error.what()).find("can't connect to PostgreSQL"), std::string::npos) << error.what();
    }
}

} // namespace
