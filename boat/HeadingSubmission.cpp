#include "boat/HeadingSubmission.h"

#include "boat/BoatRecord.h"
#include "net/Downloader.h"
#include "net/Protocol.h"

void submitHeading(const BoatRecord& own, RaceEntry& race)
{
    downloader.download(headingUrl(own.heading, own.sail, race.id), OkRequest, nullptr);
    copySteering(own, race.own);
}
