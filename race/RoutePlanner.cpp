#include "race/RoutePlanner.h"

#include "lobby/RaceRecord.h"
#include "race/RouteForecast.h"

#include <cstdio>
#include <stdexcept>

RoutePlanner::Worker::Worker(RouteRequest request, std::unique_ptr<GridWind> wind, std::unique_ptr<LandGrid> land)
    : Thread("router")
    , wind(std::move(wind))
    , land(std::move(land))
    , request(std::move(request))
{
    this->request.wind = this->wind.get();
    this->request.land = this->land.get();
    this->request.cancel = &cancelled;
    this->request.progress = [this](int done) { percent = done; };
}

RoutePlanner::Worker::~Worker()
{
    cancelled = true;
    waitThread();
}

// The routing counts as finished, without a route, when it fails too.
int RoutePlanner::Worker::run()
{
    try {
        result = planRoute(request);
    } catch (...) {
        finished = true;
        throw;
    }
    finished = true;
    return 0;
}

RoutePlanner::RoutePlanner(const RaceRecord& race, const BoatRecord& own, std::function<int32_t()> clock)
    : race(race)
    , own(own)
    , clock(std::move(clock))
{
}

RoutePlanner::~RoutePlanner() = default;

void RoutePlanner::toggle()
{
    if (!cancel())
        start();
}

bool RoutePlanner::cancel()
{
    if (phase == State::Idle)
        return false;
    forecast.reset();
    worker.reset();
    phase = State::Idle;
    return true;
}

// Without a next waypoint there is nothing to route to.
void RoutePlanner::start()
{
    waypoint = race.own.waypoint;
    if (waypoint < 0 || size_t(waypoint) >= race.route.size())
        return;
    const Waypoint& next = race.route[size_t(waypoint)];
    request = RouteRequest();
    request.start = { own.lat, own.lon };
    request.target = { next.lat, next.lon, next.hdg, next.dst, next.type };
    request.sails = race.boat.sails;
    startTime = clock();
    forecast = std::make_unique<RouteForecast>(race.id, request.start, request.target.centre(), startTime);
    phase = State::Gathering;
}

void RoutePlanner::compute()
{
    std::unique_ptr<LandGrid> land = forecast->land();
    worker = std::make_unique<Worker>(request, forecast->wind(), std::move(land));
    forecast.reset();
    try {
        worker->startThread();
        phase = State::Computing;
    } catch (const std::runtime_error& error) {
        std::printf("Error starting the router: %s\n", error.what());
        worker.reset();
        phase = State::Idle;
    }
}

void RoutePlanner::finish()
{
    worker->waitThread();
    phase = State::Idle;
    if (worker->result.points.empty()) {
        worker.reset();
        return;
    }
    shown = std::make_unique<PlannedRoute>(std::move(worker->result));
    shownStart = startTime;
    worker.reset();
    const RoutePoint& first = shown->points.front();
    std::printf("Route to waypoint %d: heading %.1f with sail %d, %s%s%s\n", int(waypoint), first.heading, first.sail,
        shown->reached ? "" : "not reaching it, ", shown->windMissing ? "some wind missing, " : "",
        shown->landIgnored ? "ignoring land" : "avoiding land");
    if (onRouted)
        onRouted(*shown);
}

void RoutePlanner::onIdle(Screen&)
{
    State before = phase;
    bool hadRoute = shown != nullptr;
    poll();
    changed = before != State::Idle || phase != State::Idle || hadRoute != (shown != nullptr);
}

void RoutePlanner::poll()
{
    if (shown && race.own.waypoint != waypoint)
        shown.reset();
    if (phase == State::Gathering) {
        forecast->poll();
        if (forecast->ready())
            compute();
    } else if (phase == State::Computing && worker->finished) {
        finish();
    }
}

// Gathering the forecast counts for the first half, the computation for the second.
int RoutePlanner::percent() const
{
    if (phase == State::Gathering)
        return forecast->percent() / 2;
    return phase == State::Computing ? 50 + worker->percent.load() / 2 : 0;
}
