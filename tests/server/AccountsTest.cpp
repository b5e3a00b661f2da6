#include "server/Accounts.h"

#include "server/SqliteStorage.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <tuple>

using namespace server;

namespace {

constexpr int64_t day = 86400;
const char* const wrong = "Wrong e-mail or password.";
const char* const waitAMinute = "Too many login attempts. Please try again in a minute.";

struct AccountsFixture {
    explicit AccountsFixture(bool fast = true)
    {
        if (fast)
            accounts.useFastHashing();
        accounts.useClock([this] { return now; });
    }

    std::string login(const std::string& email, const std::string& password, const std::string& address)
    {
        AccountResult result = accounts.login(email, password, address);
        return result.session ? "OK" : result.refusal;
    }

    TempFolder dir;
    SqliteStorage store { (dir.path() / "tidewake.db").string() };
    Accounts accounts { store };
    int64_t now = 1800000000;
};

TEST(AccountsTest, LoginAttemptsAreLimitedPerAccountAndPerAddressAndSessionsEndAfterThirtyDaysUnused)
{
    AccountsFixture f;
    ASSERT_TRUE(f.accounts.registerAccount("ann@example.org", "secret1", "Ann").session);
    // Five attempts at one account, from wherever, use up its allowance for a minute.
    const std::tuple<const char*, const char*, const char*, int64_t, std::string> steps[] = { { "ann@example.org", "guess", "10.0.0.1", 0, wrong },
        { "ann@example.org", "guess", "10.0.0.1", 0, wrong }, { "ann@example.org", "guess", "10.0.0.2", 0, wrong }, { "ann@example.org", "guess", "10.0.0.2", 0, wrong },
        { "nobody@example.org", "guess", "10.0.0.1", 0, wrong }, { "ann@example.org", "secret1", "10.0.0.3", 0, "OK" },
        { "ann@example.org", "secret1", "10.0.0.3", 0, waitAMinute }, { "ANN@example.org", "secret1", "10.0.0.4", 0, waitAMinute },
        { "ann@example.org", "secret1", "10.0.0.4", 60, "OK" } };
    for (const auto& [email, password, address, later, expected] : steps) {
        f.now += later;
        EXPECT_EQ(f.login(email, password, address), expected) << email << " from " << address;
    }
    // Twenty attempts from one address, at any accounts, use up its allowance.
    ASSERT_TRUE(f.accounts.registerAccount("dee@example.org", "secret1", "Dee").session);
    for (int i = 0; i < 19; ++i)
        EXPECT_EQ(f.login("guess" + std::to_string(i) + "@example.org", "x", "10.0.0.9"), wrong) << i;
    EXPECT_EQ(f.login("dee@example.org", "secret1", "10.0.0.9"), "OK");
    EXPECT_EQ(f.login("dee@example.org", "secret1", "10.0.0.9"), waitAMinute);
    EXPECT_EQ(f.login("bob@example.org", "x", "10.0.0.8"), wrong);
    // Sessions are stored as digests and end after thirty days unused.
    std::string token = f.accounts.registerAccount("cy@example.org", "secret1", "Cy").session->token;
    EXPECT_EQ((f.dir.read("tidewake.db") + f.dir.read("tidewake.db-wal")).find(token), std::string::npos);
    f.now += 20 * day;
    ASSERT_TRUE(f.accounts.userOf("", token));
    f.now += 25 * day;
    EXPECT_TRUE(f.accounts.userOf("", token)) << "used 25 days ago";
    // A fresh start reads the time of last use from the database.
    Accounts restarted(f.store);
    int64_t later = f.now + 29 * day;
    restarted.useClock([&later] { return later; });
    EXPECT_TRUE(restarted.userOf("", token));
    later += 31 * day;
    EXPECT_FALSE(restarted.userOf("", token));
}

TEST(AccountsTest, UnknownEmailsCostAsMuchAsKnownOnesAndAtMostTwoHashesRunAtOnce)
{
    AccountsFixture f(false);
    std::vector<std::thread> registering;
    for (int i = 0; i < 6; ++i)
        registering.emplace_back([&f, i] { f.accounts.registerAccount("p" + std::to_string(i) + "@example.org", "secret1", "P"); });
    for (std::thread& thread : registering)
        thread.join();
    EXPECT_EQ(f.accounts.hashing().busiest(), 2);
    auto timed = [&f](const char* email) {
        auto start = std::chrono::steady_clock::now();
        f.login(email, "wrong1", "10.0.0.1");
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    double known = timed("p1@example.org"), unknown = timed("nobody@example.org");
    EXPECT_GT(unknown, known / 3) << "known " << known << " s, unknown " << unknown << " s";
}

} // namespace
