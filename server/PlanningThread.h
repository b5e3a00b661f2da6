#pragma once

#include "server/Boat.h"
#include "server/Route.h"
#include "server/Skipper.h"
#include "server/WindField.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace server {

// A route a computer boat asked for, as the boat stood when it asked.
struct RouteAsk {
    // The boat's index in its fleet.
    size_t index = 0;
    Boat boat;
    Waypoint target;
    int64_t time = 0;
    // How fast the wind moves on while the boat sails (see ForecastSampler).
    double windRate = 1.0;
    bool own = false;
};

struct RouteAnswer {
    size_t index = 0;
    SharedLegs legs;
};

// Plans the computer skippers' routes on a thread of its own, so that a step of a large
// fleet only moves boats: a boat sails on without a route until its answer is taken.
class PlanningThread {
public:
    PlanningThread(const Skipper& skipper, const WindSource& wind);
    ~PlanningThread();
    PlanningThread(const PlanningThread&) = delete;
    PlanningThread& operator=(const PlanningThread&) = delete;

    // Safe from any thread.
    void ask(RouteAsk route);
    // The routes planned since the last call, in order of asking.
    std::vector<RouteAnswer> answers();
    // Waits until every route asked so far is planned.
    void finishAsked();
    // While a hold lasts no route is begun, so that a step has the processors to itself.
    class Hold {
    public:
        // Holds the planner, if any.
        explicit Hold(PlanningThread* planner);
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        PlanningThread* planner;
    };

private:
    void hold(bool held);
    void work();

    const Skipper& skipper;
    const WindSource& wind;
    std::mutex lock;
    std::condition_variable wake;
    std::condition_variable idle;
    std::deque<RouteAsk> asked;
    std::vector<RouteAnswer> planned;
    bool planning = false;
    bool holding = false;
    bool stopping = false;
    std::thread thread;
};

} // namespace server
