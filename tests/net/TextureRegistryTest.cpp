#include "net/TextureRegistry.h"

#include "support/RecordingServer.h"
#include "support/RunningDownloader.h"
#include "support/StdoutCapture.h"
#include "support/TestData.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

namespace {

// The process-wide registry on a software renderer, with a working folder holding data/,
// its own cache folder, the download thread and a server answering with a 6 x 4 PNG.
class TextureRegistryTest : public testing::Test {
protected:
    static void SetUpTestSuite() { startDownloaderOnce(); }
    void SetUp() override
    {
        setenv("XDG_DATA_HOME", home.path().c_str(), 1);
        initTextures(renderer.get());
        cache = textureRegistry.cacheFolder();
        data.writeImage("images/boat.png", 6, 4, { 0, 0, 255, 255 });
        png = home.read(data.root / "data/images/boat.png");
        server.answer(".*", Reply(png, 200, "image/png"));
    }
    void TearDown() override { clearTextures(); }

    std::string url(const std::string& path) const { return server.baseUrl() + path; }
    static bool frameUntil(const std::function<bool()>& condition)
    {
        return waitUntil([&] { return takeFinishedTextures(), condition(); });
    }

    TestDataFolder data;
    TempFolder home;
    SdlSurface canvas { SDL_CreateRGBSurfaceWithFormat(0, 8, 8, 32, SDL_PIXELFORMAT_ARGB8888) };
    SdlRenderer renderer { SDL_CreateSoftwareRenderer(canvas.get()) };
    RecordingServer server;
    std::string cache, png;
};

// Downloads are kept in the cache folder at their path, so that a later run shows them
// without downloading; a corrupt copy is downloaded again, and a path leading out of the
// folder is neither read (a decoy waits there) nor written.
TEST_F(TextureRegistryTest, HandlesOfAUrlShareOneDownloadAndAFailureWaitsForRedownloadAndDownloadsAreCached)
{
    Reply cut(png, 200, "image/png");
    cut.cutShort = true;
    server.answer("/flaky.png", cut);
    auto first = loadTexture(url("/flaky.png"));
    auto second = loadTexture(url("/flaky.png"));
    EXPECT_TRUE(second->isLoading());
    ASSERT_TRUE(frameUntil([&] { return !first->isLoading(); }));
    EXPECT_EQ(second->getTexture(), nullptr);
    auto third = loadTexture(url("/flaky.png"));
    EXPECT_FALSE(third->isLoading()) << "a failed image is asked for again only by redownload";

    server.answer("/flaky.png", Reply(png));
    redownload(*first);
    redownload(*second);
    ASSERT_TRUE(frameUntil([&] { return third->getTexture() != nullptr; }));
    EXPECT_TRUE(first->getTexture() == second->getTexture() && first->getWidth() == 6);
    redownload(*third);
    EXPECT_FALSE(third->isLoading());
    auto proof = loadTexture(url("/proof.png")); // any other download would come before it
    ASSERT_TRUE(server.waitForRequests(1, "/proof.png"));
    EXPECT_EQ(server.count("/flaky.png"), 2u);

    home.write(cache + "tiles/bad.png", "scrambled");
    home.write(cache + "tiles/empty.png", "");
    data.writeImage("decoy.png", 3, 3, { 255, 0, 0, 255 });
    std::string decoy = home.read(data.root / "data/decoy.png");
    std::string outside = std::filesystem::path(cache + "../escape.png").lexically_normal();
    home.write(outside, decoy);
    server.answer("/broken.png", Reply("<html>not found</html>"));
    StdoutCapture output;
    // Only a copy that does not decode is worth a log line; a missing or empty one is a plain miss.
    std::vector<std::string> logged;
    SDL_LogOutputFunction logger = nullptr;
    void* loggerData = nullptr;
    SDL_LogGetOutputFunction(&logger, &loggerData);
    SDL_LogSetOutputFunction([](void* to, int, SDL_LogPriority, const char* line) { static_cast<std::vector<std::string>*>(to)->push_back(line); }, &logged);
    for (const std::string path : { "/tiles/3/4/5.png", "/tiles/bad.png", "/tiles/empty.png", "/broken.png", "/../escape.png" }) {
        auto texture = loadTexture(url(path));
        EXPECT_TRUE(texture->isLoading());
        ASSERT_TRUE(frameUntil([&] { return !texture->isLoading(); })) << path;
        EXPECT_EQ(texture->getWidth(), path == "/broken.png" ? 0 : 6) << path;
    }
    SDL_LogSetOutputFunction(logger, loggerData);
    EXPECT_EQ(logged, std::vector<std::string> { "Error loading texture from cache '" + url("/tiles/bad.png") + "'" });
    EXPECT_EQ(std::tuple(home.read(cache + "tiles/3/4/5.png"), home.read(cache + "tiles/bad.png"), home.read(cache + "tiles/empty.png"), home.read(cache + "broken.png"), home.read(outside)),
        std::tuple(png, png, png, "<html>not found</html>", decoy));
    EXPECT_EQ(output.text(), "Error downloading '" + url("/broken.png") + "'\nNot caching '" + url("/../escape.png") + "': its path does not name a file in the cache folder\n");

    // Handles must not outlive the registry's entries.
    for (auto* handle : { &first, &second, &third, &proof })
        handle->reset();
    clearTextures();
    initTextures(renderer.get());
    auto cached = loadTexture(url("/tiles/3/4/5.png"));
    EXPECT_TRUE(!cached->isLoading() && cached->getWidth() == 6);
}

// Handles of one file share its image, and the last to go stamps the release. A picture
// decoded ahead of time stands for a local image that is not (or not yet) read from data/;
// a name already known keeps its image, and no picture adds nothing.
TEST_F(TextureRegistryTest, HandlesShareTheirFilesImageAndADecodedPictureStandsForAnUnknownName)
{
    auto first = loadTexture("images/boat.png");
    auto second = loadTexture("images/boat.png");
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->getTexture(), second->getTexture());
    const TextureEntry& entry = *textureRegistry.find("images/boat.png");
    ASSERT_TRUE(waitUntil([] { return SDL_GetTicks() > 0; }));
    first.reset();
    EXPECT_EQ((std::pair { entry.users, entry.releasedAt }), (std::pair { 1, Uint32(0) }));
    for (auto [name, width, height] : { std::tuple("images/boat.png", 9, 9), std::tuple("images/early.jpg", 12, 7) })
        textureRegistry.adoptLocal(name, SdlSurface(SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_RGBA32)));
    textureRegistry.adoptLocal("images/none.jpg", nullptr);
    std::unique_ptr<Texture> early = loadLocalTexture("images/early.jpg");
    ASSERT_TRUE(early && early->getTexture());
    EXPECT_EQ(std::tuple(early->getWidth(), early->getHeight(), loadLocalTexture("images/boat.png")->getWidth()), std::tuple(12, 7, 6));
    EXPECT_EQ(loadLocalTexture("images/none.jpg"), nullptr);
    second.reset();
    EXPECT_TRUE(entry.users == 0 && entry.releasedAt > 0u);
}

// Images in use stay however long ago they were last released.
TEST_F(TextureRegistryTest, EvictsTheLongestIdleImageEvery500FramesWhileOver100AreIdle)
{
    std::vector<std::unique_ptr<Texture>> held;
    for (int i = 0; i < 150; ++i) {
        data.writeImage(std::to_string(i) + ".png", 1, 1, { 0, 0, 0, 255 });
        auto texture = loadTexture(std::to_string(i) + ".png");
        if (i >= 120)
            held.push_back(std::move(texture));
    }
    std::map<Uint32, std::string> idleByRelease; // release times out of name order
    Uint32 position = 0;
    textureRegistry.forEach([&](TextureEntry& entry) {
        entry.releasedAt = entry.users > 0 ? 1 : 1000 + position++ * 37 % 151;
        if (entry.users == 0)
            idleByRelease[entry.releasedAt] = entry.name;
    });
    auto runFrames = [](int count) {
        for (int frame = 0; frame < count; ++frame)
            takeFinishedTextures();
    };
    runFrames(499);
    EXPECT_EQ(textureRegistry.size(), 150u);
    runFrames(1);
    EXPECT_TRUE(textureRegistry.size() == 149u && !textureRegistry.find(idleByRelease.begin()->second));
    runFrames(500 * 25);
    EXPECT_EQ(textureRegistry.size(), 130u) << "100 idle images stay";
    for (const auto& texture : held)
        EXPECT_NE(textureRegistry.find(texture->getName()), nullptr);
}

}
