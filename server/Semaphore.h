#pragma once

#include <condition_variable>
#include <mutex>

namespace server {

// Lets at most a given number of threads through at once; the others wait their turn.
class Semaphore {
public:
    explicit Semaphore(int places);
    Semaphore(const Semaphore&) = delete;
    Semaphore& operator=(const Semaphore&) = delete;

    // One place, held for the life of the object.
    class Place {
    public:
        explicit Place(Semaphore& semaphore);
        ~Place();
        Place(const Place&) = delete;
        Place& operator=(const Place&) = delete;

    private:
        Semaphore& owner;
    };

    // The most places ever held at once.
    int busiest() const;

private:
    mutable std::mutex lock;
    std::condition_variable freed;
    int free;
    int taken = 0;
    int mostTaken = 0;
};

} // namespace server
