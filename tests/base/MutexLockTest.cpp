#include "base/MutexLock.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

// The signalling thread can take the mutex only while the waiting one has let it go.
TEST(MutexLock, AWaitTellsASignalFromATimeout)
{
    SdlMutex mutex(SDL_CreateMutex());
    SdlCondition condition(SDL_CreateCond());
    ASSERT_TRUE(mutex && condition);
    MutexLock guard(mutex.get());
    EXPECT_FALSE(guard.wait(condition.get(), 10));
    std::thread signaller([&] {
        MutexLock other(mutex.get());
        signalCondition(condition.get());
    });
    EXPECT_TRUE(guard.wait(condition.get(), 60000));
    signaller.join();
}

}
