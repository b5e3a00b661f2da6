#include "ServerHarness.h"
#include "lobby/RaceRecord.h"
#include "server/RaceCatalog.h"

#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

using namespace server;

namespace {

// Twelve races from the race file after the three built in: the client lists them in the
// byte order of their keys, which must be the server's order.
TEST(RaceListTest, ManyRacesKeepTheirOrder)
{
    ServerHarness harness;
    std::string file;
    for (int id = 4; id <= 15; ++id)
        file += "race " + std::to_string(id) + "\nname Race " + std::to_string(id)
            + "\nstart 1800000000\ngate 50.70 -1.05 0 0.8\ngate 50.60 -1.05 0 0.8\nend\n";
    harness.dataDir().write("races.txt", file);
    harness.start();
    GameClient client = harness.player("many@example.org");
    int next = 1;
    for (const RaceRecord& race : parseRaceList(answerBody(client.result("/races?action=1"))))
        EXPECT_EQ(race.id, next++);
    EXPECT_EQ(next, 16);
}

TEST(RaceListTest, AStartMustFitTheClientsThirtyTwoBits)
{
    for (auto [start, accepted] : { std::pair("2038-01-19 03:14", 1u), std::pair("2147483647", 1u), std::pair("2147483648", 0u), std::pair("2100-01-01 00:00", 0u), std::pair("-1", 0u) }) {
        std::istringstream file(std::string("race 7\nname R\nstart ") + start + "\ngate 40 0 0 1\ngate 41 0 0 1\nend\n");
        std::vector<std::string> errors;
        EXPECT_EQ(RaceCatalog::read(file, errors).size(), accepted) << start;
    }
}

} // namespace
