#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace server {

// A few threads that run posted jobs in order of arrival, so that slow answers (password
// hashing, rendering) never hold up the threads that serve the network.
class WorkerPool {
public:
    explicit WorkerPool(size_t threads);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // Queues the job; once the pool is finishing, runs it at once on the caller's thread.
    void post(std::function<void()> job);
    // Runs every queued job, then ends the threads.
    void finish();

private:
    void work();

    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::function<void()>> jobs;
    bool finishing = false;
    std::vector<std::thread> threads;
};

} // namespace server
