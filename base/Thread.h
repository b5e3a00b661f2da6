#pragma once

#include <SDL.h>

#include <string>

// A named platform thread running run(). An exception escaping run() is reported on
// standard error and ends the thread. A started thread must be joined (waitThread) before
// the object goes: run() uses the derived object, so a derived class that can be
// destroyed while its thread runs stops and joins it in its own destructor.
class Thread {
public:
    explicit Thread(std::string name);
    virtual ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    void startThread();
    // Waits for the thread to end and forgets its handle; returns run()'s result.
    int waitThread();
    bool isRunning() const { return handle != nullptr; }

protected:
    virtual int run() = 0;

private:
    static int entry(void* self);

    std::string name;
    SDL_Thread* handle = nullptr;
};
