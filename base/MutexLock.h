#pragma once

#include "base/SdlHandles.h"

#include <SDL.h>

// Holds an SDL mutex for its lifetime. A failure to lock, wait or signal throws
// std::runtime_error with SDL's text; the mutex is released on every way out.
class MutexLock {
public:
    explicit MutexLock(SDL_mutex* mutex);
    ~MutexLock();
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

    // Releases the mutex while waiting; returns false when the time ran out unsignalled.
    bool wait(SDL_cond* condition, Uint32 milliseconds);

private:
    SDL_mutex* mutex;
};

void signalCondition(SDL_cond* condition);
