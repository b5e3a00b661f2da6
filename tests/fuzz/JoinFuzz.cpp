#include "AnswerText.h"
#include "lobby/RaceRecord.h"

// The join answer, read into the race the player chose.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    RaceRecord race;
    if (std::optional<std::string> table = lobbyTable(data, size))
        parseJoin(*table, race);
    formatStartTime(race.start);
    return 0;
}
