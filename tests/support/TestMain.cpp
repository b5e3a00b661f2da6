#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

// Every test program runs headless (SDL's dummy video and audio drivers, the software
// renderer) and with its own empty home and XDG folders, so no test reads or writes the
// user's settings or image cache.
int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("SDL_RENDER_DRIVER", "software", 0);
    setenv("SDL_RENDER_VSYNC", "0", 0);

    TempFolder home;
    setenv("HOME", home.path().c_str(), 1);
    setenv("XDG_DATA_HOME", (home.path() / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home.path() / "config").c_str(), 1);
    setenv("XDG_CONFIG_DIRS", (home.path() / "etc").c_str(), 1);

    // A fault that reaches the program's own exit(0) must not pass for a run of all tests.
    // Death tests run their statement in a child, which may end as it likes.
    static const pid_t testRunner = getpid();
    static bool finished = false;
    bool deathTestChild = false;
    for (int i = 1; i < argc; ++i)
        deathTestChild |= std::strncmp(argv[i], "--gtest_internal_run_death_test", 31) == 0;
    if (!deathTestChild)
        std::atexit([] {
            if (!finished && getpid() == testRunner) {
                std::fputs("a test ended the program before all tests ran\n", stderr);
                _exit(1);
            }
        });
    testing::InitGoogleTest(&argc, argv);
    int status = RUN_ALL_TESTS();
    finished = true;
    return status;
}
