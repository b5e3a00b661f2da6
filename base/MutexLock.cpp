#include "base/MutexLock.h"

#include <cassert>
#include <stdexcept>

MutexLock::MutexLock(SDL_mutex* mutex)
    : mutex(mutex)
{
    if (SDL_LockMutex(mutex) != 0)
        throw std::runtime_error(SDL_GetError());
}

MutexLock::~MutexLock()
{
    // Unlocking a mutex this object locked cannot fail; a destructor must not throw.
    [[maybe_unused]] int result = SDL_UnlockMutex(mutex);
    assert(result == 0);
}

bool MutexLock::wait(SDL_cond* condition, Uint32 milliseconds)
{
    int result = SDL_CondWaitTimeout(condition, mutex, milliseconds);
    if (result < 0)
        throw std::runtime_error(SDL_GetError());
    return result == 0;
}

void signalCondition(SDL_cond* condition)
{
    if (SDL_CondSignal(condition) != 0)
        throw std::runtime_error(SDL_GetError());
}
