#include "base/Thread.h"

#include <cassert>
#include <exception>
#include <iostream>
#include <stdexcept>

Thread::Thread(std::string name)
    : name(std::move(name))
{
}

Thread::~Thread()
{
    assert(!handle && "a started thread must be joined before its object goes");
}

void Thread::startThread()
{
    // One platform thread per object: a second would share its state unguarded.
    assert(!handle);
    handle = SDL_CreateThread(&Thread::entry, name.c_str(), this);
    if (!handle)
        throw std::runtime_error(SDL_GetError());
}

int Thread::waitThread()
{
    int status = 0;
    if (handle)
        SDL_WaitThread(handle, &status);
    handle = nullptr;
    return status;
}

int Thread::entry(void* self)
{
    Thread& thread = *static_cast<Thread*>(self);
    try {
        return thread.run();
    } catch (const std::exception& error) {
        std::cerr << "exception caught in stream " << thread.name << ": " << error.what() << std::endl;
    } catch (...) {
        std::cerr << "unknown exception caught in stream " << thread.name << "\n";
    }
    return 0;
}
