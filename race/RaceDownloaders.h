#pragma once

#include "boat/BoatRecord.h"
#include "gui/Command.h"
#include "race/RaceScreen.h"

#include <cstdint>
#include <vector>

class BoatWidget;
class Map;
struct RaceRecord;

// Requests one answer every download period while none is in flight. A finished request
// without a usable answer is forgotten too, so the next period tries again.
class PeriodicDownloader : public IdleHandler {
public:
    PeriodicDownloader(Map* map, RaceRecord* race, Clock clock);

    void onIdle(Screen& screen) override;
    // True after a turn that took in an answer or a failure.
    bool changedPicture() const override { return answered; }

    Map* map;
    RaceRecord* race;
    int32_t lastStart = 0;
    int32_t request = 0;
    // When the request in flight, or the last one, was queued, on the steady clock.
    double sentAt = 0.0;

protected:
    void requestAnswer();
    virtual std::string url() const = 0;
    virtual void onAnswer(const std::string& answer) = 0;
    virtual void onFailure() = 0;

private:
    Clock clock;
    bool answered = false;
};

// All boats of the race, shown as red markers on the map.
class BoatsDownloader : public PeriodicDownloader {
public:
    BoatsDownloader(Map* map, RaceRecord* race, Clock clock = systemClock);

    std::vector<BoatRecord> boats;
    // The markers of those records; the map owns and deletes them.
    std::vector<BoatWidget*> markers;

protected:
    std::string url() const override;
    void onAnswer(const std::string& answer) override;
    void onFailure() override;

private:
    void replaceMarkers(std::vector<BoatRecord> newBoats);
};

// The own boat's position and the wind at it.
class PositionDownloader : public PeriodicDownloader {
public:
    PositionDownloader(Map* map, RaceRecord* race, BoatRecord* own, Clock clock = systemClock);

    BoatRecord* own;
    // When the last usable answer arrived, on the steady clock; the race record's state
    // counts as one at the start.
    double answeredAt;

protected:
    std::string url() const override;
    void onAnswer(const std::string& answer) override;
    void onFailure() override;
};
