#include "race/HeadingSubmission.h"

#include "lobby/RaceRecord.h"
#include "net/Downloader.h"
#include "net/Protocol.h"
#include "race/BoatRecord.h"

std::string headingUrl(const BoatRecord& own, const RaceRecord& race)
{
    return headingUrl(own.heading, own.sail, race.id);
}

void submitHeading(const BoatRecord& own, RaceRecord& race)
{
    downloader.download(headingUrl(own, race), OkRequest, nullptr);
    race.heading = own.heading;
    race.sail = own.sail;
    race.speed = own.speed;
}
