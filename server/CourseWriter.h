#pragma once

#include "server/Boat.h"

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace server {

class Storage;

// Writes players' course changes to the database on a thread of its own, all those that
// arrived meanwhile in one transaction: many players changing course at once cost one
// synchronous write, not one each. A caller waits until its change is stored, so what
// is acknowledged survives a crash.
class CourseWriter {
public:
    explicit CourseWriter(Storage& store);
    ~CourseWriter();
    CourseWriter(const CourseWriter&) = delete;
    CourseWriter& operator=(const CourseWriter&) = delete;

    // Returns once the boat's course is stored; false when the write failed.
    bool write(const Boat& boat);

private:
    // A change waiting to be written, on its caller's stack.
    struct Change {
        const Boat& boat;
        // 0 while waiting, 1 once stored, -1 when the write failed.
        int outcome = 0;
    };

    void run();

    Storage& store;
    std::mutex lock;
    std::condition_variable changed;
    std::vector<Change*> queued;
    bool stopping = false;
    std::thread writer;
};

} // namespace server
