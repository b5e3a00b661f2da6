#include "AnswerText.h"
#include "boat/BoatDescription.h"
#include "table/Exception.h"

// The boat description with its polars, and the speeds the boat panel predicts from them.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::optional<std::string> table = lobbyTable(data, size);
    if (!table)
        return 0;
    try {
        BoatDescription boat = parseBoatDescription(*table);
        for (const auto& sail : boat.sails) {
            for (double heading : { 0.0, 37.5, 90.0, 179.0, 181.0, 359.9 })
                boatSpeed(boat, sail.first, heading, 45.0, 12.5);
        }
    } catch (const Exception&) {
    }
    return 0;
}
