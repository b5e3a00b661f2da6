#include "boat/HeadingCommands.h"

#include "lobby/RaceRecord.h"
#include "race/BoatRecord.h"
#include "race/HeadingSubmission.h"

SubmitHeadingCommand::SubmitHeadingCommand(BoatRecord* boat, RaceRecord* race)
    : boat(boat)
    , race(race)
{
}

void SubmitHeadingCommand::execute()
{
    submitHeading(*boat, *race);
    boat->pending = false;
}

CancelHeadingCommand::CancelHeadingCommand(BoatRecord* boat, RaceRecord* race)
    : boat(boat)
    , race(race)
{
}

void CancelHeadingCommand::execute()
{
    boat->heading = race->heading;
    boat->sail = race->sail;
    boat->speed = race->speed;
    boat->pending = false;
}
