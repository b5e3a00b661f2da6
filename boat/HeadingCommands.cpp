#include "boat/HeadingCommands.h"

#include "boat/BoatRecord.h"
#include "boat/HeadingSubmission.h"

SubmitHeadingCommand::SubmitHeadingCommand(BoatRecord* boat, RaceEntry* race)
    : boat(boat)
    , race(race)
{
}

void SubmitHeadingCommand::execute()
{
    submitHeading(*boat, *race);
    boat->pending = false;
}

CancelHeadingCommand::CancelHeadingCommand(BoatRecord* boat, RaceEntry* race)
    : boat(boat)
    , race(race)
{
}

void CancelHeadingCommand::execute()
{
    copySteering(race->own, *boat);
    boat->pending = false;
}
