#include "server/CourseWriter.h"

#include "server/Storage.h"

#include <cstdio>
#include <exception>

namespace server {

CourseWriter::CourseWriter(Storage& store)
    : store(store)
    , writer([this] { run(); })
{
}

CourseWriter::~CourseWriter()
{
    {
        std::lock_guard<std::mutex> guard(lock);
        stopping = true;
    }
    changed.notify_all();
    writer.join();
}

bool CourseWriter::write(const Boat& boat)
{
    Change change { boat };
    std::unique_lock<std::mutex> guard(lock);
    queued.push_back(&change);
    changed.notify_all();
    changed.wait(guard, [&change] { return change.outcome != 0; });
    return change.outcome > 0;
}

void CourseWriter::run()
{
    std::unique_lock<std::mutex> guard(lock);
    while (true) {
        changed.wait(guard, [this] { return stopping || !queued.empty(); });
        if (queued.empty())
            return;
        std::vector<Change*> batch;
        batch.swap(queued);
        guard.unlock();
        std::vector<Boat> boats;
        for (const Change* change : batch)
            boats.push_back(change->boat);
        int outcome = 1;
        try {
            store.saveCourses(boats);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "tidewake-server: courses not stored: %s\n", error.what());
            outcome = -1;
        }
        guard.lock();
        for (Change* change : batch)
            change->outcome = outcome;
        changed.notify_all();
    }
}

} // namespace server
