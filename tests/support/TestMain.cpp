#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

// Every test program runs headless (SDL's dummy video and audio drivers, the software
// renderer) and with its own empty XDG folders, so no test reads or writes the user's
// settings or image cache.
int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("SDL_RENDER_DRIVER", "software", 0);
    setenv("SDL_RENDER_VSYNC", "0", 0);

    char pattern[] = "/tmp/tidewake-test-XXXXXX";
    const char* home = mkdtemp(pattern);
    if (!home)
        return 2;
    std::filesystem::path root(home);
    setenv("HOME", home, 1);
    setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    setenv("XDG_CONFIG_DIRS", (root / "etc").c_str(), 1);

    testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();

    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
    return result;
}
