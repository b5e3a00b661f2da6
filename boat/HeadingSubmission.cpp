#include "boat/HeadingSubmission.h"

#include "boat/BoatRecord.h"
#include "net/Downloader.h"
#include "net/Protocol.h"

void submitHeading(const BoatRecord& own, RaceEntry& race)
{
    int request = downloader.download(headingUrl(own.heading, own.sail, race.id), CheckedRequest, nullptr);
    race.command.submitted(request, own.heading, steadySeconds());
    copySteering(own, race.own);
}
