#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>

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

    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
