#include "race/RaceDownloaders.h"

#include "lobby/RaceRecord.h"
#include "net/Downloader.h"
#include "net/Protocol.h"
#include "race/BoatWidget.h"
#include "race/Map.h"

#include <cstdio>

PeriodicDownloader::PeriodicDownloader(Map* map, RaceRecord* race, Clock clock)
    : map(map)
    , race(race)
    , lastStart(clock())
    , clock(std::move(clock))
{
}

void PeriodicDownloader::requestAnswer()
{
    int id = downloader.download(url(), RaceRequest, nullptr);
    request = id > 0 ? id : 0;
    lastStart = clock();
    sentAt = steadySeconds();
}

void PeriodicDownloader::onIdle(Screen&)
{
    answered = false;
    if (request == 0) {
        if (clock() - lastStart > downloadPeriod(map->zoom))
            requestAnswer();
        return;
    }
    Answer answer;
    if (!downloader.pollById(request, answer))
        return;
    request = 0;
    answered = true;
    if (answer.status == 0 && answer.bytes && answer.length > 0)
        onAnswer(answer.bytes.get());
    else
        onFailure();
}

BoatsDownloader::BoatsDownloader(Map* map, RaceRecord* race, Clock clock)
    : PeriodicDownloader(map, race, std::move(clock))
{
    requestAnswer();
}

std::string BoatsDownloader::url() const
{
    return boatsUrl(race->id);
}

void BoatsDownloader::onAnswer(const std::string& answer)
{
    std::vector<BoatRecord> newBoats = parseBoats(answer);
    if (!newBoats.empty())
        replaceMarkers(std::move(newBoats));
}

void BoatsDownloader::onFailure()
{
    std::printf("Error downloading boats\n");
}

// An answer without boats leaves the markers as they were.
void BoatsDownloader::replaceMarkers(std::vector<BoatRecord> newBoats)
{
    for (BoatWidget* marker : markers)
        map->removeWidget(marker);
    markers.clear();
    boats = std::move(newBoats);
    for (const BoatRecord& boat : boats) {
        auto* marker = static_cast<BoatWidget*>(map->addWidget(std::make_unique<BoatWidget>(&boat, nullptr, map)));
        map->placeWidget(*marker);
        markers.push_back(marker);
    }
}

PositionDownloader::PositionDownloader(Map* map, RaceRecord* race, BoatRecord* own, Clock clock)
    : PeriodicDownloader(map, race, std::move(clock))
    , own(own)
    , answeredAt(steadySeconds())
{
    requestAnswer();
}

std::string PositionDownloader::url() const
{
    return positionUrl(race->id);
}

// The own record's heading, speed and sail stay as the boat control panel has them; the
// server's heading and speed go to the race's record, which the panel shows while no change
// is pending and returns to on cancel. An answer to a request older than the last heading
// command may show the heading from before it, so it brings only the position and wind.
void PositionDownloader::onAnswer(const std::string& answer)
{
    std::optional<BoatRecord> report = parsePosition(answer);
    if (!report)
        return;
    answeredAt = steadySeconds();
    own->lat = report->lat;
    own->lon = report->lon;
    own->windDir = report->windDir;
    own->windSpeed = report->windSpeed;
    race->own.lat = report->lat;
    race->own.lon = report->lon;
    race->own.waypoint = report->waypoint;
    if (!race->command.isCurrent(sentAt))
        return;
    race->own.heading = report->heading;
    race->own.speed = report->speed;
    race->command.positionReported(report->heading, answeredAt);
}

void PositionDownloader::onFailure()
{
    std::printf("Error downloading position\n");
}
