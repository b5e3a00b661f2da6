#include "server/PlanningThread.h"

#include "server/RouterCharts.h"

#include <exception>
#include <optional>
#include <utility>

namespace server {

PlanningThread::PlanningThread(const Skipper& skipper, const WindSource& wind)
    : skipper(skipper)
    , wind(wind)
    , thread([this] { work(); })
{
}

PlanningThread::~PlanningThread()
{
    {
        std::lock_guard<std::mutex> guard(lock);
        stopping = true;
    }
    wake.notify_one();
    thread.join();
}

void PlanningThread::ask(RouteAsk route)
{
    {
        std::lock_guard<std::mutex> guard(lock);
        asked.push_back(std::move(route));
    }
    wake.notify_one();
}

std::vector<RouteAnswer> PlanningThread::answers()
{
    std::lock_guard<std::mutex> guard(lock);
    return std::exchange(planned, {});
}

void PlanningThread::finishAsked()
{
    std::unique_lock<std::mutex> guard(lock);
    idle.wait(guard, [this] { return asked.empty() && !planning; });
}

PlanningThread::Hold::Hold(PlanningThread* planner)
    : planner(planner)
{
    if (planner)
        planner->hold(true);
}

PlanningThread::Hold::~Hold()
{
    if (planner)
        planner->hold(false);
}

void PlanningThread::hold(bool held)
{
    {
        std::lock_guard<std::mutex> guard(lock);
        holding = held;
    }
    wake.notify_one();
}

void PlanningThread::work()
{
    // The routes asked in one step share the wind as the router reads it, so each point
    // of the forecast is read once for all of them.
    std::optional<ForecastSampler> forecast;
    std::pair<int64_t, double> forecastFrom;
    std::unique_lock<std::mutex> guard(lock);
    for (;;) {
        wake.wait(guard, [this] { return stopping || (!holding && !asked.empty()); });
        if (stopping)
            return;
        RouteAsk route = std::move(asked.front());
        asked.pop_front();
        planning = true;
        guard.unlock();
        if (!forecast || forecastFrom != std::pair(route.time, route.windRate)) {
            forecast.emplace(wind, route.time, route.windRate);
            forecastFrom = { route.time, route.windRate };
        }
        RouteAnswer answer { route.index, nullptr };
        try {
            answer.legs = skipper.route(route.boat, route.target, route.time, *forecast, route.own);
        } catch (const std::exception&) {
            // Without a route the boat steers by the wind until it asks again.
        }
        guard.lock();
        planned.push_back(std::move(answer));
        planning = false;
        if (asked.empty())
            idle.notify_all();
    }
}

} // namespace server
