#pragma once

#include "base/Thread.h"
#include "gui/Command.h"
#include "router/Router.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

class GridWind;
class LandGrid;
class RouteForecast;
struct BoatRecord;
struct RaceRecord;

// The routing the player asks for with R or the route button: from the own boat to its
// next waypoint, the forecast gathered on the user-interface thread, then the isochrones
// computed on a worker thread. The finished route stays until the next routing or until
// the race reports the waypoint passed.
class RoutePlanner : public IdleHandler {
public:
    enum class State {
        Idle,
        Gathering,
        Computing,
    };
    // The clock gives the calendar time in whole seconds.
    RoutePlanner(const RaceRecord& race, const BoatRecord& own, std::function<int32_t()> clock);
    // Cancels a routing still running and waits for its thread.
    ~RoutePlanner() override;
    RoutePlanner(const RoutePlanner&) = delete;
    RoutePlanner& operator=(const RoutePlanner&) = delete;

    // Starts a routing, or cancels the one running.
    void toggle();
    // True when a routing was running and now is not.
    bool cancel();
    void onIdle(Screen& screen) override;
    // While a routing runs its percentage moves; a finished or dropped route changes the chart.
    bool changedPicture() const override { return changed; }

    State state() const { return phase; }
    int percent() const;
    // The finished route; null when there is none.
    const PlannedRoute* route() const { return shown.get(); }
    // When the shown route starts, in seconds of the calendar.
    int32_t routeStart() const { return shownStart; }

    // Called on the user-interface thread with every route that is finished.
    std::function<void(const PlannedRoute&)> onRouted;

private:
    void poll();

    // planRoute on a thread of its own, with the grids it reads.
    class Worker : public Thread {
    public:
        Worker(RouteRequest request, std::unique_ptr<GridWind> wind, std::unique_ptr<LandGrid> land);
        ~Worker() override;

        std::atomic<bool> cancelled { false };
        std::atomic<bool> finished { false };
        std::atomic<int> percent { 0 };
        PlannedRoute result;

    protected:
        int run() override;

    private:
        std::unique_ptr<GridWind> wind;
        std::unique_ptr<LandGrid> land;
        RouteRequest request;
    };

    void start();
    void compute();
    void finish();

    const RaceRecord& race;
    const BoatRecord& own;
    std::function<int32_t()> clock;
    State phase = State::Idle;
    std::unique_ptr<RouteForecast> forecast;
    std::unique_ptr<Worker> worker;
    RouteRequest request;
    int32_t startTime = 0;
    int32_t waypoint = 0;
    std::unique_ptr<PlannedRoute> shown;
    bool changed = false;
    int32_t shownStart = 0;
};
