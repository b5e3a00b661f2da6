#include "server/StepCrew.h"

namespace server {

StepCrew::StepCrew(size_t helpers)
{
    for (size_t worker = 1; worker <= helpers; ++worker)
        threads.emplace_back([this, worker] { serve(worker); });
}

StepCrew::~StepCrew()
{
    {
        std::lock_guard<std::mutex> guard(lock);
        stopping = true;
    }
    start.notify_all();
    for (std::thread& thread : threads)
        thread.join();
}

void StepCrew::together(const std::function<void(size_t worker)>& work)
{
    {
        std::lock_guard<std::mutex> guard(lock);
        job = &work;
        ++round;
        running = threads.size();
        failure = nullptr;
    }
    start.notify_all();
    run(0);
    std::unique_lock<std::mutex> guard(lock);
    done.wait(guard, [this] { return running == 0; });
    job = nullptr;
    if (failure)
        std::rethrow_exception(failure);
}

void StepCrew::serve(size_t worker)
{
    size_t taken = 0;
    std::unique_lock<std::mutex> guard(lock);
    for (;;) {
        start.wait(guard, [&] { return stopping || round != taken; });
        if (stopping)
            return;
        taken = round;
        guard.unlock();
        run(worker);
        guard.lock();
        if (--running == 0)
            done.notify_one();
    }
}

void StepCrew::run(size_t worker)
{
    try {
        (*job)(worker);
    } catch (...) {
        std::lock_guard<std::mutex> guard(lock);
        if (!failure)
            failure = std::current_exception();
    }
}

} // namespace server
