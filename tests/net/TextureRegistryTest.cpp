#include "net/TexImp.h"
#include "net/CacheFile.h"
#include "net/TextureRegistry.h"
#include "NetTestSupport.h"
#include "support/HeadlessWindow.h"
#include "support/LocalHttpServer.h"
#include "support/RunningDownloader.h"

#include <SDL_image.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

namespace {

namespace fs = std::filesystem;

std::string readWhole(const fs::path& file)
{
    std::ifstream stream(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

void writeWhole(const fs::path& file, const std::string& bytes)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

std::map<fs::path, std::string> filesUnder(const fs::path& root)
{
    std::map<fs::path, std::string> files;
    for (const auto& item : fs::recursive_directory_iterator(root)) {
        if (item.is_regular_file())
            files[item.path()] = readWhole(item.path());
    }
    return files;
}

TEST(CachePathTest, KeepsThePathAfterTheHostOnlyWhenItStaysInsideTheCacheFolder)
{
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases {
        { "http://tiles.example:8080/tiles/3/4/5.png", "tiles/3/4/5.png" },
        { "http://host/race.php?id=3", "race.php?id=3" },
        { "http://host/%2e%2e/a..b/c..", "%2e%2e/a..b/c.." },
        { "http://host:7080", std::nullopt }, { "http://host/", std::nullopt },
        { "http://host/tiles/", std::nullopt }, { "http://host//etc/passwd", std::nullopt },
        { "http://host/../x.png", std::nullopt }, { "http://host/a/../../x.png", std::nullopt },
        { "http://host/a/..", std::nullopt }, { "http://host/./x.png", std::nullopt },
        { "http://host/a\\..\\x.png", std::nullopt }, { std::string("http://host/a\0/../x", 19), std::nullopt },
    };
    for (const auto& [url, path] : cases)
        EXPECT_EQ(cachePathOf(url), path) << url;
}

// A registry over a software renderer with its own cache folder, an empty data folder as the
// working directory, the process-wide download thread and a local server serving a PNG.
class TextureRegistryTest : public testing::Test {
protected:
    static void SetUpTestSuite() { startDownloaderOnce(); }

    void SetUp() override
    {
        home = std::getenv("HOME");
        work = home / ("work-" + std::to_string(serial++));
        fs::create_directories(work / "data");
        previousFolder = fs::current_path();
        fs::current_path(work);
        previousDataHome = std::getenv("XDG_DATA_HOME");
        setenv("XDG_DATA_HOME", (work / "xdg").c_str(), 1);
        initTextures(display.renderer);
        cacheFolder = textureRegistry.cacheFolder();
        png = pngOf(6, 4);
        server.server.set_keep_alive_max_count(1); // so that stopping never waits for a connection
        server.server.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
            std::lock_guard<std::mutex> hold(mutex);
            ++requests[request.path];
            auto body = bodies.find(request.path);
            if (body == bodies.end())
                response.set_content(png, "image/png");
            else if (body->second == "drop")
                response.set_content_provider(99, "image/png", [](size_t, size_t, httplib::DataSink&) { return false; });
            else
                response.set_content(body->second, "image/png");
        });
        server.start();
        // Stopping the server before it listens would leave it listening.
        ASSERT_TRUE(waitUntil([&] { return server.server.is_running(); }));
    }

    void TearDown() override
    {
        clearTextures();
        fs::current_path(previousFolder);
        setenv("XDG_DATA_HOME", previousDataHome.c_str(), 1);
        server.stop();
    }

    std::string pngOf(int width, int height)
    {
        fs::path file = work / "made.png";
        SdlSurface surface(SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_RGBA32));
        IMG_SavePNG(surface.get(), file.c_str());
        return readWhole(file);
    }

    void serve(const std::string& path, const std::string& body)
    {
        std::lock_guard<std::mutex> hold(mutex);
        bodies[path] = body;
    }

    int requestsFor(const std::string& path)
    {
        std::lock_guard<std::mutex> hold(mutex);
        return requests[path];
    }

    std::string url(const std::string& path) const { return server.baseUrl() + path; }

    static bool runFramesUntil(const std::function<bool()>& condition)
    {
        return waitUntil([&] {
            takeFinishedTextures();
            return condition();
        });
    }

    static void runFrames(int count)
    {
        for (int i = 0; i < count; ++i)
            takeFinishedTextures();
    }

    HeadlessWindow display { 64, 64 };
    LocalHttpServer server;
    std::mutex mutex;
    std::map<std::string, int> requests;
    std::map<std::string, std::string> bodies;
    fs::path home, work, previousFolder, cacheFolder;
    std::string previousDataHome;
    std::string png;
    static inline int serial = 0;
};

TEST_F(TextureRegistryTest, LocalHandlesOfOneNameShareItsEntryAndStampTheLastRelease)
{
    writeWhole("data/images/boat.png", png);
    writeWhole("data/https:/host/sail.png", png); // where "https://host/sail.png" is looked for
    auto first = loadTexture("images/boat.png");
    auto second = loadTexture("images/boat.png");
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->getTexture(), second->getTexture());
    EXPECT_EQ((std::pair { first->getWidth(), first->getHeight() }), (std::pair { 6, 4 }));
    const TextureEntry& entry = *textureRegistry.find("images/boat.png");
    EXPECT_EQ(entry.users, 2);
    first.reset();
    EXPECT_EQ((std::pair { entry.users, entry.releasedAt }), (std::pair { 1, Uint32(0) }));
    SDL_Delay(2);
    second.reset();
    EXPECT_EQ(entry.users, 0);
    EXPECT_GT(entry.releasedAt, 0u);

    EXPECT_NE(loadTexture("https://host/sail.png"), nullptr);
    EXPECT_EQ(loadTexture("images/later.png"), nullptr);
    EXPECT_EQ(textureRegistry.find("images/later.png"), nullptr);
    writeWhole("data/images/later.png", png);
    EXPECT_NE(loadTexture("images/later.png"), nullptr);
}

TEST_F(TextureRegistryTest, TwoHandlesOnAPendingUrlShareOneEntryAndOneDownload)
{
    auto first = loadTexture(url("/races/7.png"));
    EXPECT_TRUE(first->isLoading());
    EXPECT_EQ(first->getTexture(), nullptr);
    auto second = loadTexture(url("/races/7.png"));
    EXPECT_EQ(textureRegistry.size(), 1u);
    ASSERT_TRUE(runFramesUntil([&] { return !second->isLoading(); }));
    runFrames(20);
    EXPECT_NE(first->getTexture(), nullptr);
    EXPECT_EQ(first->getTexture(), second->getTexture());
    EXPECT_EQ(second->getWidth(), 6);
    EXPECT_EQ(requestsFor("/races/7.png"), 1);
}

TEST_F(TextureRegistryTest, AFailedDownloadStaysEmptyUntilRedownloadWhichIsOtherwiseIgnored)
{
    serve("/flaky.png", "drop"); // a transport failure: the connection ends early
    auto texture = loadTexture(url("/flaky.png"));
    ASSERT_TRUE(runFramesUntil([&] { return !texture->isLoading(); }));
    auto again = loadTexture(url("/flaky.png"));
    runFrames(20);
    EXPECT_EQ(again->getTexture(), nullptr);
    EXPECT_FALSE(again->isLoading());
    EXPECT_EQ(requestsFor("/flaky.png"), 1);

    serve("/flaky.png", png);
    redownload(*texture);
    int pending = textureRegistry.find(url("/flaky.png"))->downloadId;
    EXPECT_NE(pending, 0);
    redownload(*again);
    EXPECT_EQ(textureRegistry.find(url("/flaky.png"))->downloadId, pending);
    ASSERT_TRUE(runFramesUntil([&] { return again->getTexture() != nullptr; }));
    redownload(*texture);
    EXPECT_FALSE(texture->isLoading());
    runFrames(20);
    EXPECT_EQ(requestsFor("/flaky.png"), 2);

    TextureEntry stray;
    stray.name = "http://127.0.0.1:9/stray.png";
    StdoutCapture output;
    redownload(TexImp(stray));
    EXPECT_EQ(output.text(), "Redownload of unknown texture requested 'http://127.0.0.1:9/stray.png'\n");
}

TEST_F(TextureRegistryTest, DownloadsAreCachedAtTheirPathAndALaterRunLoadsThemWithoutARequest)
{
    writeWhole(cacheFolder / "tiles" / "bad.png", "scrambled");
    for (const char* path : { "/tiles/3/4/5.png", "/tiles/bad.png" }) {
        auto texture = loadTexture(url(path));
        EXPECT_TRUE(texture->isLoading());
        ASSERT_TRUE(runFramesUntil([&] { return texture->getTexture() != nullptr; })) << path;
        EXPECT_EQ(readWhole(cacheFolder / (path + 1)), png) << path;
    }
    clearTextures();
    initTextures(display.renderer);
    auto cached = loadTexture(url("/tiles/3/4/5.png"));
    EXPECT_FALSE(cached->isLoading());
    EXPECT_NE(cached->getTexture(), nullptr);
    runFrames(20);
    EXPECT_EQ(requestsFor("/tiles/3/4/5.png"), 1);
}

TEST_F(TextureRegistryTest, BytesThatDoNotDecodeAreReportedAndStillCached)
{
    serve("/broken.png", "<html>not found</html>");
    auto texture = loadTexture(url("/broken.png"));
    StdoutCapture output;
    ASSERT_TRUE(runFramesUntil([&] { return !texture->isLoading(); }));
    EXPECT_EQ(output.text(), "Error downloading '" + url("/broken.png") + "'\n");
    EXPECT_EQ(texture->getTexture(), nullptr);
    EXPECT_EQ(readWhole(cacheFolder / "broken.png"), "<html>not found</html>");
}

TEST_F(TextureRegistryTest, AtMostOneDownloadedImageIsTakenInPerFrame)
{
    std::vector<std::unique_ptr<Texture>> textures;
    for (int i = 0; i < 5; ++i)
        textures.push_back(loadTexture(url("/burst/" + std::to_string(i) + ".png")));
    ASSERT_TRUE(waitUntil([&] { return requestsFor("/burst/4.png") == 1; }));
    SDL_Delay(200); // lets every transfer end before the first frame
    auto loaded = [&] { return std::count_if(textures.begin(), textures.end(), [](auto& texture) { return texture->getTexture(); }); };
    for (long before = 0; before < 5; before = loaded()) {
        ASSERT_TRUE(runFramesUntil([&] { return loaded() > before; }));
        EXPECT_EQ(loaded(), before + 1);
    }
}

// A naive cache would read and write these outside its folder (or have no file name); a
// decoy planted where it would read must not be shown, and no file may change.
TEST_F(TextureRegistryTest, HostileUrlsAreShownButNeverCachedOutsideTheCacheFolder)
{
    const std::string paths[] { "/../escape.png", "/tiles/../../../escape.png", "/../../../../home.png", "/./dot.png",
        "//tmp/absolute.png", "/a//b.png", "/folder/", "", "/a\\..\\..\\back.png", std::string("/nul.png\0/../../x.png", 22) };
    std::string decoy = pngOf(3, 3);
    for (const std::string& path : paths) {
        std::string visible = path.c_str();
        if (!visible.empty() && visible.back() != '/' && visible.find('\\') == std::string::npos)
            writeWhole(fs::path(cacheFolder.string() + visible.substr(1)).lexically_normal(), decoy);
        auto before = filesUnder(home);
        std::string address = url(path);
        auto texture = loadTexture(address);
        EXPECT_TRUE(texture->isLoading()) << path;
        StdoutCapture output;
        ASSERT_TRUE(runFramesUntil([&] { return !texture->isLoading(); })) << path;
        EXPECT_EQ(texture->getWidth(), 6) << path;
        EXPECT_EQ(output.text().rfind("Not caching '" + std::string(address.c_str()) + "'", 0), 0u) << path;
        EXPECT_EQ(filesUnder(home), before) << path;
    }
}

struct EvictionCase {
    int entries, idle, frames;
    size_t remaining;
};

TEST_F(TextureRegistryTest, EvictsTheLongestIdleImageEvery500FramesWhileOver100AreIdle)
{
    const EvictionCase cases[] {
        { 150, 120, 499, 150 }, { 150, 120, 500, 149 }, { 150, 120, 999, 149 }, { 150, 120, 1000, 148 },
        { 150, 101, 500, 149 }, { 150, 100, 500, 150 }, { 99, 99, 500, 99 }, { 150, 120, 500 * 25, 130 },
    };
    for (int i = 0; i < 150; ++i)
        writeWhole("data/" + std::to_string(i) + ".png", png);
    for (const EvictionCase& test : cases) {
        initTextures(display.renderer);
        std::vector<std::unique_ptr<Texture>> held;
        for (int i = 0; i < test.entries; ++i) {
            auto texture = loadTexture(std::to_string(i) + ".png");
            if (i >= test.idle)
                held.push_back(std::move(texture));
        }
        // Release times unrelated to name order; held images were released long ago, which
        // must not make them candidates.
        std::pair<Uint32, std::string> oldestIdle { ~0u, "" };
        int position = 0;
        textureRegistry.forEach([&](TextureEntry& entry) {
            entry.releasedAt = entry.users > 0 ? 1 : 1000 + Uint32(position++ * 37 % 151);
            if (entry.users == 0)
                oldestIdle = std::min(oldestIdle, std::pair { entry.releasedAt, entry.name });
        });
        runFrames(test.frames);
        EXPECT_EQ(textureRegistry.size(), test.remaining) << test.entries << " " << test.idle << " " << test.frames;
        EXPECT_EQ(textureRegistry.find(oldestIdle.second) == nullptr, test.remaining < size_t(test.entries));
        for (const auto& texture : held)
            EXPECT_NE(textureRegistry.find(texture->getName()), nullptr);
        held.clear();
        clearTextures();
    }
}

}
