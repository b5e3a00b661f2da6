#include "base/SdlHandles.h"
#include "gui/TtfFont.h"

#include <SDL_image.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>

// The program opens its images and font from data/ by fixed names, and plays the music
// and waves there.

namespace fs = std::filesystem;

namespace {

const fs::path data = fs::path(TIDEWAKE_SOURCE_DIR) / "data";

// Every "images/....png" or ".jpg" literal in the program's sources, also with its "data/"
// prefix, and the skin pieces, whose names the program puts together.
std::set<std::string> imageNames()
{
    const std::regex literal(R"re("(?:data/)?(images/[A-Za-z0-9_./-]+\.(png|jpg))")re");
    std::set<std::string> names;
    for (const char* folder : { "app", "gui", "net", "lobby", "race", "boat" }) {
        for (const auto& entry : fs::recursive_directory_iterator(fs::path(TIDEWAKE_SOURCE_DIR) / folder)) {
            std::stringstream text;
            text << std::ifstream(entry.path()).rdbuf();
            const std::string source = text.str();
            for (std::sregex_iterator it(source.begin(), source.end(), literal), end; it != end; ++it)
                names.insert((*it)[1].str());
        }
    }
    for (const char* base : { "images/win", "images/btn", "images/input" })
        for (const char* piece : { "-left-top", "-middle-top", "-right-top", "-left-center", "-middle-center",
                 "-right-center", "-left-bottom", "-middle-bottom", "-right-bottom" })
            names.insert(std::string(base) + piece + ".png");
    return names;
}

TEST(DataFiles, EveryFileTheProgramLoadsIsThereAndDecodes)
{
    ASSERT_NE(IMG_Init(IMG_INIT_PNG | IMG_INIT_JPG), 0) << IMG_GetError();
    const std::set<std::string> names = imageNames();
    EXPECT_GE(names.size(), 49u);
    for (const std::string& name : names)
        EXPECT_TRUE(SdlSurface(IMG_Load((data / name).c_str()))) << name << ": " << IMG_GetError();
    ASSERT_EQ(TTF_Init(), 0) << TTF_GetError();
    EXPECT_TRUE(TtfFontHandle(TTF_OpenFont((data / "fonts/newscycle-bold.ttf").c_str(), 20))) << TTF_GetError();
    auto tracks = std::count_if(fs::directory_iterator(data / "music"), {}, [](const fs::directory_entry& entry) { return entry.path().extension() == ".ogg"; });
    EXPECT_TRUE(tracks >= 3 && fs::is_regular_file(data / "sound/waves.ogg"));
}

}
