#include "base/SdlHandles.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_image.h>
#include <SDL_mixer.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

// The program opens its images, font, music and waves from data/ by fixed names. These
// tests check that every such file is there, loads with the same libraries, and has the
// size and shape the screen layouts rely on.

namespace fs = std::filesystem;

namespace {

const fs::path sourceRoot = TIDEWAKE_SOURCE_DIR;

// Loads an image from data/ as 32-bit RGBA, or null.
SdlSurface loadImage(const std::string& name)
{
    SdlSurface loaded(IMG_Load((sourceRoot / "data" / name).string().c_str()));
    if (!loaded)
        return nullptr;
    return SdlSurface(SDL_ConvertSurfaceFormat(loaded.get(), SDL_PIXELFORMAT_RGBA32, 0));
}

SDL_Color pixel(const SDL_Surface* surface, int x, int y)
{
    const auto* row = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch;
    const Uint8* p = row + x * 4;
    return { p[0], p[1], p[2], p[3] };
}

double luminance(SDL_Color c)
{
    return 0.2126 * c.r + 0.7152 * c.g + 0.0722 * c.b;
}

// Number of pixels in row y that are mostly opaque.
int opaqueWidth(const SDL_Surface* surface, int y)
{
    int count = 0;
    for (int x = 0; x < surface->w; ++x)
        count += pixel(surface, x, y).a > 128;
    return count;
}

// Every "images/....png" or "images/....jpg" literal in the program's sources, also when
// written with its "data/" prefix.
std::set<std::string> imageNamesInSources()
{
    const std::regex literal(R"re("(?:data/)?(images/[A-Za-z0-9_./-]+\.(png|jpg))")re");
    std::set<std::string> names;
    for (const char* folder : { "app", "gui", "net", "lobby", "race", "boat" }) {
        if (!fs::is_directory(sourceRoot / folder))
            continue;
        for (const auto& entry : fs::recursive_directory_iterator(sourceRoot / folder)) {
            const auto extension = entry.path().extension();
            if (extension != ".cpp" && extension != ".h")
                continue;
            std::ifstream in(entry.path());
            std::stringstream text;
            text << in.rdbuf();
            const std::string source = text.str();
            for (std::sregex_iterator it(source.begin(), source.end(), literal), end; it != end; ++it)
                names.insert((*it)[1].str());
        }
    }
    return names;
}

std::set<std::string> requiredImageNames()
{
    std::set<std::string> names = imageNamesInSources();
    for (const char* base : { "images/win", "images/btn", "images/input" })
        for (const char* piece : { "-left-top", "-middle-top", "-right-top", "-left-center",
                 "-middle-center", "-right-center", "-left-bottom", "-middle-bottom",
                 "-right-bottom" })
            names.insert(std::string(base) + piece + ".png");
    for (const char* name : { "sail_boat.png", "background.jpg", "keyboard.png",
             "checkbox-on.png", "checkbox-off.png", "close-btn.png", "sea.png",
             "wind-arrow.png", "boat-green.png", "boat-red.png", "flag-red.png", "compas.png",
             "bracket-left.png", "bracket-right.png", "sails-jib-on.png", "sails-jib-off.png",
             "sails-spinnaker-on.png", "sails-spinnaker-off.png", "btn-apply.png",
             "btn-cancel.png", "s12.png", "s24.png" })
        names.insert(std::string("images/") + name);
    return names;
}

class DataFilesTest : public testing::Test {
protected:
    static void SetUpTestSuite() { IMG_Init(IMG_INIT_PNG | IMG_INIT_JPG); }
    static void TearDownTestSuite() { IMG_Quit(); }
};

TEST_F(DataFilesTest, EveryImageTheProgramNamesLoads)
{
    const auto names = requiredImageNames();
    EXPECT_GE(names.size(), 49u);
    for (const auto& name : names)
        EXPECT_TRUE(loadImage(name)) << "data/" << name << ": " << IMG_GetError();
}

TEST_F(DataFilesTest, ImagesHaveTheSizesTheLayoutsUse)
{
    struct Expected {
        const char* name;
        int width;
        int height;
    };
    const Expected table[] = {
        { "images/compas.png", 300, 300 },
        { "images/bracket-left.png", 70, 300 },
        { "images/bracket-right.png", 70, 300 },
        { "images/sails-jib-on.png", 50, 44 },
        { "images/sails-jib-off.png", 50, 44 },
        { "images/sails-spinnaker-on.png", 50, 44 },
        { "images/sails-spinnaker-off.png", 50, 44 },
        { "images/btn-apply.png", 50, 44 },
        { "images/btn-cancel.png", 50, 44 },
        { "images/boat-green.png", 64, 64 },
        { "images/boat-red.png", 64, 64 },
        { "images/close-btn.png", 49, 48 },
    };
    for (const auto& expected : table) {
        auto image = loadImage(expected.name);
        ASSERT_TRUE(image) << expected.name;
        EXPECT_EQ(image->w, expected.width) << expected.name;
        EXPECT_EQ(image->h, expected.height) << expected.name;
    }
}

// Skin pieces of one frame must fit together: corners of one row share a height, corners
// of one column share a width, and the pieces fit the smallest frame drawn with them.
TEST_F(DataFilesTest, SkinPiecesFitTheirFrames)
{
    struct Frame {
        const char* base;
        int minWidth;
        int minHeight;
    };
    const Frame frames[] = { { "images/win", 600, 110 }, { "images/btn", 180, 96 },
        { "images/input", 510, 100 } };
    for (const auto& frame : frames) {
        const std::string base = frame.base;
        auto leftTop = loadImage(base + "-left-top.png");
        auto rightTop = loadImage(base + "-right-top.png");
        auto leftBottom = loadImage(base + "-left-bottom.png");
        auto rightBottom = loadImage(base + "-right-bottom.png");
        auto top = loadImage(base + "-middle-top.png");
        auto left = loadImage(base + "-left-center.png");
        ASSERT_TRUE(leftTop && rightTop && leftBottom && rightBottom && top && left) << base;
        EXPECT_EQ(leftTop->h, rightTop->h) << base;
        EXPECT_EQ(leftTop->h, top->h) << base;
        EXPECT_EQ(leftTop->w, leftBottom->w) << base;
        EXPECT_EQ(leftTop->w, left->w) << base;
        EXPECT_LE(leftTop->w + rightTop->w, frame.minWidth) << base;
        EXPECT_LE(leftTop->h + leftBottom->h, frame.minHeight) << base;
    }
}

// White text is drawn on windows and buttons, black text and the caret on input lines,
// black texts on the compass between y 60 and 100.
TEST_F(DataFilesTest, TextBackgroundsKeepTextReadable)
{
    struct Probe {
        const char* name;
        int x;
        int y;
        bool light;
    };
    auto input = loadImage("images/input-middle-center.png");
    auto inputTop = loadImage("images/input-middle-top.png");
    auto inputBottom = loadImage("images/input-middle-bottom.png");
    ASSERT_TRUE(input && inputTop && inputBottom);
    const Probe probes[] = {
        { "images/win-middle-center.png", 0, 0, false },
        { "images/btn-middle-center.png", 0, 0, false },
        { "images/input-middle-center.png", 0, 0, true },
        // The caret runs from y 40 to y 63 of a 100-pixel field: the top row's last line
        // and the bottom row's first lines lie inside the field's light box.
        { "images/input-middle-top.png", 0, inputTop->h - 1, true },
        { "images/input-middle-bottom.png", 0, 63 - (100 - inputBottom->h), true },
        { "images/compas.png", 150, 62, true },
        { "images/compas.png", 150, 97, true },
        { "images/compas.png", 120, 80, true },
    };
    for (const auto& probe : probes) {
        auto image = loadImage(probe.name);
        ASSERT_TRUE(image) << probe.name;
        const int x = std::min(probe.x, image->w - 1);
        const int y = std::min(probe.y, image->h - 1);
        const SDL_Color c = pixel(image.get(), x == 0 ? image->w / 2 : x, y == 0 ? image->h / 2 : y);
        EXPECT_GT(c.a, 200) << probe.name << " at " << x << "," << y;
        if (probe.light)
            EXPECT_GT(luminance(c), 190) << probe.name << " at " << x << "," << y;
        else
            EXPECT_LT(luminance(c), 90) << probe.name << " at " << x << "," << y;
    }
}

// Orientation matters: the wind arrow is rotated by the direction the wind comes from,
// so unrotated it points down; boats are rotated by their heading, so their bow is up;
// a flag stands on the point given by its bottom-left corner.
TEST_F(DataFilesTest, MarkersPointTheWayTheyAreRotated)
{
    auto arrow = loadImage("images/wind-arrow.png");
    ASSERT_TRUE(arrow);
    int widestRow = 0;
    for (int y = 0; y < arrow->h; ++y)
        if (opaqueWidth(arrow.get(), y) > opaqueWidth(arrow.get(), widestRow))
            widestRow = y;
    EXPECT_GT(widestRow, arrow->h / 2) << "the arrow head belongs at the bottom";
    EXPECT_EQ(opaqueWidth(arrow.get(), arrow->h - 1), 0) << "the tip needs its outline inside";

    for (const char* name : { "images/boat-green.png", "images/boat-red.png" }) {
        auto boat = loadImage(name);
        ASSERT_TRUE(boat) << name;
        EXPECT_EQ(pixel(boat.get(), 0, 0).a, 0) << name << " needs a transparent background";
        EXPECT_LT(opaqueWidth(boat.get(), 10), opaqueWidth(boat.get(), 50)) << name << " bow up";
    }

    auto flag = loadImage("images/flag-red.png");
    ASSERT_TRUE(flag);
    EXPECT_GT(pixel(flag.get(), 1, flag->h - 1).a, 200) << "pole reaches the bottom-left corner";
    EXPECT_EQ(pixel(flag.get(), flag->w - 1, flag->h - 1).a, 0);
}

TEST(DataFontTest, FontOpensAtBothSizesAndFitsTheCompassPlate)
{
    ASSERT_EQ(TTF_Init(), 0) << TTF_GetError();
    const std::string path = (sourceRoot / "data/fonts/newscycle-bold.ttf").string();
    for (int points : { 20, 14 }) {
        TTF_Font* font = TTF_OpenFont(path.c_str(), points);
        ASSERT_NE(font, nullptr) << points << ": " << TTF_GetError();
        int width = 0;
        int height = 0;
        EXPECT_EQ(TTF_SizeUTF8(font, "HEADING:359", &width, &height), 0);
        EXPECT_GT(width, 0);
        if (points == 14) {
            // The compass's light plate behind this text is 92 pixels wide, 42 high.
            EXPECT_LT(width, 92);
            EXPECT_LE(height, 21);
        } else {
            // Labels are 35 high; input lines centre one line in 100 pixels.
            EXPECT_LE(height, 35);
        }
        TTF_CloseFont(font);
    }
    EXPECT_TRUE(fs::exists(sourceRoot / "data/fonts/LICENSE-RobotoCondensed.txt"));
    TTF_Quit();
}

class DataAudioTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_STREQ(std::getenv("SDL_AUDIODRIVER"), "dummy");
        ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
        ASSERT_NE(Mix_Init(MIX_INIT_OGG) & MIX_INIT_OGG, 0) << Mix_GetError();
        ASSERT_EQ(Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 4096), 0) << Mix_GetError();
    }
    void TearDown() override
    {
        Mix_CloseAudio();
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
};

TEST_F(DataAudioTest, MusicTracksDecodeAndLastOverAMinute)
{
    std::vector<fs::path> tracks;
    for (const auto& entry : fs::directory_iterator(sourceRoot / "data/music"))
        if (entry.path().extension() == ".ogg")
            tracks.push_back(entry.path());
    EXPECT_GE(tracks.size(), 3u);
    for (const auto& track : tracks) {
        EXPECT_LT(fs::file_size(track), 1500u * 1000u) << track;
        Mix_Music* music = Mix_LoadMUS(track.string().c_str());
        ASSERT_NE(music, nullptr) << track << ": " << Mix_GetError();
        EXPECT_GE(Mix_MusicDuration(music), 60.0) << track;
        Mix_FreeMusic(music);
        Mix_Chunk* chunk = Mix_LoadWAV(track.string().c_str());
        ASSERT_NE(chunk, nullptr) << track << ": " << Mix_GetError();
        Mix_FreeChunk(chunk);
    }
}

// The waves play as an endless loop: the step from the last sample back to the first
// must be no bigger than the steps between neighbouring samples inside the sound.
TEST_F(DataAudioTest, WavesLoopWithoutAClick)
{
    const std::string path = (sourceRoot / "data/sound/waves.ogg").string();
    Mix_Music* music = Mix_LoadMUS(path.c_str());
    ASSERT_NE(music, nullptr) << Mix_GetError();
    Mix_FreeMusic(music);
    Mix_Chunk* chunk = Mix_LoadWAV(path.c_str());
    ASSERT_NE(chunk, nullptr) << Mix_GetError();
    const auto* samples = reinterpret_cast<const int16_t*>(chunk->abuf);
    const size_t count = chunk->alen / sizeof(int16_t);
    ASSERT_GT(count, 22050u * 2 * 10) << "at least ten seconds of stereo";
    for (size_t channel = 0; channel < 2; ++channel) {
        std::vector<int> steps;
        for (size_t i = channel + 2; i < count; i += 2)
            steps.push_back(std::abs(samples[i] - samples[i - 2]));
        std::sort(steps.begin(), steps.end());
        const int typical = steps[steps.size() * 99 / 100];
        const int seam = std::abs(samples[channel] - samples[count - 2 + channel]);
        EXPECT_LE(seam, typical) << "channel " << channel;
    }
    Mix_FreeChunk(chunk);
}

} // namespace
