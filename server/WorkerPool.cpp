#include "server/WorkerPool.h"

namespace server {

WorkerPool::WorkerPool(size_t count)
{
    for (size_t i = 0; i < count; ++i)
        threads.emplace_back([this] { work(); });
}

WorkerPool::~WorkerPool()
{
    finish();
}

void WorkerPool::post(std::function<void()> job)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!finishing) {
            jobs.push_back(std::move(job));
            wake.notify_one();
            return;
        }
    }
    job();
}

void WorkerPool::finish()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        finishing = true;
    }
    wake.notify_all();
    for (std::thread& thread : threads) {
        if (thread.joinable())
            thread.join();
    }
}

void WorkerPool::work()
{
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        wake.wait(lock, [this] { return finishing || !jobs.empty(); });
        if (jobs.empty())
            return;
        std::function<void()> job = std::move(jobs.front());
        jobs.pop_front();
        lock.unlock();
        job();
        lock.lock();
    }
}

} // namespace server
