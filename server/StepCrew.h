#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace server {

// Helper threads kept for the life of a simulation, so that each step shares its work
// among the processors without starting threads anew. The caller works alongside them.
class StepCrew {
public:
    // A crew of `helpers` threads besides the caller's.
    explicit StepCrew(size_t helpers);
    ~StepCrew();
    StepCrew(const StepCrew&) = delete;
    StepCrew& operator=(const StepCrew&) = delete;

    // Runs `work(worker)` once on the caller (worker 0) and once on each helper (1 on),
    // all at once, and returns when all are done. The first exception thrown is thrown
    // again here. One caller at a time.
    void together(const std::function<void(size_t worker)>& work);
    size_t workers() const { return threads.size() + 1; }

private:
    void serve(size_t worker);
    void run(size_t worker);

    std::mutex lock;
    std::condition_variable start;
    std::condition_variable done;
    const std::function<void(size_t)>* job = nullptr;
    // Counts the jobs handed out, so that each helper takes each job once.
    size_t round = 0;
    size_t running = 0;
    bool stopping = false;
    std::exception_ptr failure;
    std::vector<std::thread> threads;
};

} // namespace server
