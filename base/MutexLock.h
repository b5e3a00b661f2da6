#pragma once

#include <SDL.h>

#include <memory>

struct SdlMutexDestroy {
    void operator()(SDL_mutex* mutex) const { SDL_DestroyMutex(mutex); }
};
using SdlMutex = std::unique_ptr<SDL_mutex, SdlMutexDestroy>;

struct SdlConditionDestroy {
    void operator()(SDL_cond* condition) const { SDL_DestroyCond(condition); }
};
using SdlCondition = std::unique_ptr<SDL_cond, SdlConditionDestroy>;

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
