#include "server/Semaphore.h"

#include <algorithm>

namespace server {

Semaphore::Semaphore(int places)
    : free(places)
{
}

Semaphore::Place::Place(Semaphore& semaphore)
    : owner(semaphore)
{
    std::unique_lock<std::mutex> guard(owner.lock);
    owner.freed.wait(guard, [this] { return owner.free > 0; });
    --owner.free;
    owner.mostTaken = std::max(owner.mostTaken, ++owner.taken);
}

Semaphore::Place::~Place()
{
    {
        std::lock_guard<std::mutex> guard(owner.lock);
        ++owner.free;
        --owner.taken;
    }
    owner.freed.notify_one();
}

int Semaphore::busiest() const
{
    std::lock_guard<std::mutex> guard(lock);
    return mostTaken;
}

} // namespace server
