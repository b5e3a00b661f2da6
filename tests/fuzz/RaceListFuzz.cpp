#include "AnswerText.h"
#include "lobby/RaceRecord.h"

// The race list after the login, with the start time that each race's row shows.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (std::optional<std::string> table = lobbyTable(data, size)) {
        for (const RaceRecord& race : parseRaceList(*table))
            formatStartTime(race.start);
    }
    return 0;
}
