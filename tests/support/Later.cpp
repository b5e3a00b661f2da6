#include "support/Later.h"

#include <memory>

namespace {

Uint32 runOnce(Uint32, void* parameter)
{
    std::unique_ptr<std::function<void()>> action(static_cast<std::function<void()>*>(parameter));
    (*action)();
    return 0;
}

}

void later(Uint32 milliseconds, std::function<void()> action)
{
    SDL_AddTimer(milliseconds, runOnce, new std::function<void()>(std::move(action)));
}
