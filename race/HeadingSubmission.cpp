#include "race/HeadingSubmission.h"

#include "app/Storage.h"
#include "lobby/RaceRecord.h"
#include "net/Downloader.h"
#include "race/BoatRecord.h"
#include "table/Value.h"

std::string headingUrl(const BoatRecord& own, const RaceRecord& race)
{
    return raceServerUrl() + "/boats?action=2&heading=" + DoubleValue(own.heading).toString()
        + "&sail=" + std::to_string(own.sail) + "&raceId=" + std::to_string(race.id);
}

void submitHeading(const BoatRecord& own, RaceRecord& race)
{
    downloader.download(headingUrl(own, race), OkRequest, nullptr);
    race.heading = own.heading;
    race.sail = own.sail;
    race.speed = own.speed;
}
