#include "gui/TexImp.h"
#include "net/CacheFile.h"
#include "net/Downloader.h"
#include "net/TextureRegistry.h"
#include "NetTestSupport.h"
#include "support/HeadlessWindow.h"
#include "support/LocalHttpServer.h"

#include <SDL_image.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

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

// A PNG of one colour, as a server or the data folder would hold it.
std::string pngOf(int width, int height)
{
    static int serial = 0;
    fs::path file = fs::path(std::getenv("HOME")) / ("made-" + std::to_string(serial++) + ".png");
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_RGBA32);
    SDL_FillRect(surface, nullptr, SDL_MapRGBA(surface->format, 20, 120, 220, 255));
    IMG_SavePNG(surface, file.c_str());
    SDL_FreeSurface(surface);
    return readWhole(file);
}

// Every regular file under a folder with its contents.
std::map<fs::path, std::string> filesUnder(const fs::path& root)
{
    std::map<fs::path, std::string> files;
    for (const auto& item : fs::recursive_directory_iterator(root)) {
        if (item.is_regular_file())
            files[item.path()] = readWhole(item.path());
    }
    return files;
}

struct UrlCase {
    const char* name;
    bool url;
};

TEST(TextureNameTest, UrlsAreLongEnoughAndBeginWithPlainHttpInAnyCase)
{
    const UrlCase cases[] {
        { "http://host/a.png", true },
        { "HTTP://HOST/A.PNG", true },
        { "hTtP://h/x", true },
        { "hTtP://h/", false },
        { "http://abc", true },
        { "http://ab", false },
        { "http://", false },
        { "https://host/a.png", false },
        { "images/boat.png", false },
        { "ftp://host/a.png", false },
        { "", false },
    };
    for (const UrlCase& test : cases)
        EXPECT_EQ(isUrl(test.name), test.url) << test.name;
}

struct CachePathCase {
    std::string url;
    std::optional<std::string> path;
};

TEST(CachePathTest, KeepsThePathAfterTheHostOnlyWhenItStaysInsideTheCacheFolder)
{
    const std::vector<CachePathCase> cases {
        { "http://tiles.example:8080/tiles/3/4/5.png", "tiles/3/4/5.png" },
        { "HTTP://HOST/Images/Boat.PNG", "Images/Boat.PNG" },
        { "http://host/race.php?id=3", "race.php?id=3" },
        { "http://host/%2e%2e/x.png", "%2e%2e/x.png" },
        { "http://host/a/..b/c..", "a/..b/c.." },
        { "http://host", std::nullopt },
        { "http://host:7080", std::nullopt },
        { "http://host/", std::nullopt },
        { "http://host/tiles/", std::nullopt },
        { "http://host//etc/passwd", std::nullopt },
        { "http://host/a//b.png", std::nullopt },
        { "http://host/../x.png", std::nullopt },
        { "http://host/a/../../x.png", std::nullopt },
        { "http://host/a/..", std::nullopt },
        { "http://host/./x.png", std::nullopt },
        { "http://host/a\\..\\..\\x.png", std::nullopt },
        { std::string("http://host/a\0/../x.png", 23), std::nullopt },
        { "http:/", std::nullopt },
    };
    for (const CachePathCase& test : cases)
        EXPECT_EQ(cachePathOf(test.url), test.path) << test.url;
}

// A registry over a software renderer, with the process-wide download thread running
// and an empty data folder as the working directory.
class TextureRegistryTest : public testing::Test {
protected:
    static void SetUpTestSuite() { downloader.startThread(); }
    static void TearDownTestSuite()
    {
        downloader.stop();
        downloader.waitThread();
    }

    void SetUp() override
    {
        home = std::getenv("HOME");
        work = home / ("work-" + std::to_string(serial++));
        fs::create_directories(work / "data");
        previousFolder = fs::current_path();
        fs::current_path(work);
        // A cache of its own for every test, even when tests are repeated.
        previousDataHome = std::getenv("XDG_DATA_HOME");
        setenv("XDG_DATA_HOME", (work / "xdg").c_str(), 1);
        initTextures(display.renderer);
        cacheFolder = textureRegistry.cacheFolder;
        png = pngOf(6, 4);
        // One request per connection, so that stopping the server never waits for an idle one.
        server.server.set_keep_alive_max_count(1);
    }

    void TearDown() override
    {
        clearTextures();
        fs::current_path(previousFolder);
        setenv("XDG_DATA_HOME", previousDataHome.c_str(), 1);
        server.stop();
    }

    // Returns once the server accepts connections: stopping it any earlier would not end it.
    void listen()
    {
        server.start();
        ASSERT_TRUE(waitUntil([&] { return server.server.is_running(); }));
    }

    // Serves the PNG at every path, or what `bodies` holds for a path.
    void startServer()
    {
        server.server.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
            std::lock_guard<std::mutex> hold(mutex);
            ++requests[request.path];
            auto body = bodies.find(request.path);
            response.set_content(body == bodies.end() ? png : body->second, "image/png");
        });
        listen();
    }

    int requestsFor(const std::string& path)
    {
        std::lock_guard<std::mutex> hold(mutex);
        return requests[path];
    }

    std::string url(const std::string& path) const { return server.baseUrl() + path; }

    // Runs frames of the registry until the condition holds.
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
    fs::path home;
    fs::path work;
    fs::path previousFolder;
    std::string previousDataHome;
    fs::path cacheFolder;
    std::string png;
    static inline int serial = 0;
};

struct LocalCase {
    std::string name;
    const char* file; // under data/, or null when nothing should load
};

TEST_F(TextureRegistryTest, NamesThatAreNoUrlsLoadFromTheDataFolderOrNotAtAll)
{
    const std::vector<LocalCase> cases {
        { "images/boat.png", "images/boat.png" },
        { "https://host/sail.png", "https:/host/sail.png" },
        { "http://ab", "http:/ab" },
        { "images/missing.png", nullptr },
        { "images/", nullptr },
    };
    for (const LocalCase& test : cases) {
        if (test.file)
            writeWhole(work / "data" / test.file, png);
        std::unique_ptr<Texture> texture = loadTexture(test.name);
        ASSERT_EQ(texture != nullptr, test.file != nullptr) << test.name;
        EXPECT_EQ(textureRegistry.entries.count(test.name), test.file ? 1u : 0u) << test.name;
        if (!texture)
            continue;
        EXPECT_NE(texture->getTexture(), nullptr);
        EXPECT_FALSE(texture->isLoading());
        EXPECT_EQ(texture->getWidth(), 6);
        EXPECT_EQ(texture->getHeight(), 4);
        EXPECT_STREQ(texture->getName(), test.name.c_str());
    }
}

TEST_F(TextureRegistryTest, HandlesOfOneNameShareItsEntryAndStampTheLastRelease)
{
    writeWhole(work / "data" / "images" / "boat.png", png);
    auto first = loadTexture("images/boat.png");
    auto second = loadTexture("images/boat.png");
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->getTexture(), second->getTexture());
    ASSERT_EQ(textureRegistry.entries.size(), 1u);
    const TextureEntry& entry = textureRegistry.entries.begin()->second;
    EXPECT_EQ(entry.users, 2);

    first.reset();
    EXPECT_EQ(entry.users, 1);
    EXPECT_EQ(entry.releasedAt, 0u);
    SDL_Delay(2);
    second.reset();
    EXPECT_EQ(entry.users, 0);
    EXPECT_GT(entry.releasedAt, 0u);

    // A file that appears later is found at the next request.
    EXPECT_EQ(loadTexture("images/later.png"), nullptr);
    writeWhole(work / "data" / "images" / "later.png", png);
    EXPECT_NE(loadTexture("images/later.png"), nullptr);
}

TEST_F(TextureRegistryTest, TwoHandlesOnAPendingUrlShareOneEntryAndOneDownload)
{
    startServer();
    auto first = loadTexture(url("/races/7.png"));
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->isLoading());
    EXPECT_EQ(first->getTexture(), nullptr);
    auto second = loadTexture(url("/races/7.png"));
    EXPECT_EQ(textureRegistry.entries.size(), 1u);
    EXPECT_EQ(textureRegistry.entries.begin()->second.users, 2);

    ASSERT_TRUE(runFramesUntil([&] { return !first->isLoading(); }));
    runFrames(20);
    EXPECT_NE(first->getTexture(), nullptr);
    EXPECT_EQ(first->getTexture(), second->getTexture());
    EXPECT_EQ(second->getWidth(), 6);
    EXPECT_EQ(second->getHeight(), 4);
    EXPECT_EQ(requestsFor("/races/7.png"), 1);
}

TEST_F(TextureRegistryTest, AFailedDownloadStaysEmptyUntilRedownloadAndRedownloadIsOtherwiseIgnored)
{
    bool broken = true;
    server.server.Get("/flaky.png", [&](const httplib::Request&, httplib::Response& response) {
        std::lock_guard<std::mutex> hold(mutex);
        ++requests["/flaky.png"];
        if (!broken) {
            response.set_content(png, "image/png");
            return;
        }
        // Promises more bytes than it sends and drops the connection: a transport failure.
        response.set_content_provider(1000, "image/png", [](size_t, size_t, httplib::DataSink&) { return false; });
    });
    listen();

    auto texture = loadTexture(url("/flaky.png"));
    ASSERT_TRUE(runFramesUntil([&] { return !texture->isLoading(); }));
    auto again = loadTexture(url("/flaky.png"));
    runFrames(20);
    EXPECT_EQ(texture->getTexture(), nullptr);
    EXPECT_FALSE(again->isLoading());
    EXPECT_EQ(requestsFor("/flaky.png"), 1);
    EXPECT_FALSE(fs::exists(cacheFolder / "flaky.png"));

    {
        std::lock_guard<std::mutex> hold(mutex);
        broken = false;
    }
    redownload(*texture);
    EXPECT_TRUE(texture->isLoading());
    int pending = textureRegistry.entries.begin()->second.downloadId;
    redownload(*again);
    EXPECT_EQ(textureRegistry.entries.begin()->second.downloadId, pending);
    ASSERT_TRUE(runFramesUntil([&] { return texture->getTexture() != nullptr; }));
    EXPECT_EQ(again->getTexture(), texture->getTexture());

    redownload(*texture);
    EXPECT_FALSE(texture->isLoading());
    runFrames(20);
    EXPECT_EQ(requestsFor("/flaky.png"), 2);
}

TEST_F(TextureRegistryTest, RedownloadOfAnUnknownTextureOnlyComplains)
{
    TextureEntry stray;
    stray.name = "http://127.0.0.1:9/stray.png";
    TexImp handle(stray);
    StdoutCapture output;
    redownload(handle);
    EXPECT_EQ(output.text(), "Redownload of unknown texture requested 'http://127.0.0.1:9/stray.png'\n");
    EXPECT_EQ(stray.downloadId, 0);
    EXPECT_TRUE(textureRegistry.entries.empty());
}

TEST_F(TextureRegistryTest, ADownloadedImageIsCachedAtItsPathAndLaterRunsUseTheCache)
{
    startServer();
    auto texture = loadTexture(url("/tiles/3/4/5.png"));
    ASSERT_TRUE(runFramesUntil([&] { return texture->getTexture() != nullptr; }));
    EXPECT_EQ(readWhole(cacheFolder / "tiles" / "3" / "4" / "5.png"), png);
    texture.reset();

    clearTextures();
    initTextures(display.renderer);
    auto cached = loadTexture(url("/tiles/3/4/5.png"));
    EXPECT_FALSE(cached->isLoading());
    ASSERT_NE(cached->getTexture(), nullptr);
    EXPECT_EQ(cached->getWidth(), 6);
    runFrames(20);
    EXPECT_EQ(requestsFor("/tiles/3/4/5.png"), 1);
}

TEST_F(TextureRegistryTest, ACacheFileThatDoesNotDecodeIsReplacedByADownload)
{
    startServer();
    writeWhole(cacheFolder / "tiles" / "bad.png", "scrambled");
    writeWhole(cacheFolder / "tiles" / "empty.png", "");
    for (const char* path : { "/tiles/bad.png", "/tiles/empty.png" }) {
        auto texture = loadTexture(url(path));
        EXPECT_TRUE(texture->isLoading()) << path;
        ASSERT_TRUE(runFramesUntil([&] { return texture->getTexture() != nullptr; })) << path;
        EXPECT_EQ(readWhole(cacheFolder / (path + 1)), png) << path;
        EXPECT_EQ(requestsFor(path), 1) << path;
    }
}

TEST_F(TextureRegistryTest, BytesThatDoNotDecodeAreReportedAndStillCached)
{
    startServer();
    bodies["/broken.png"] = "<html>not found</html>";
    auto texture = loadTexture(url("/broken.png"));
    StdoutCapture output;
    ASSERT_TRUE(runFramesUntil([&] { return !texture->isLoading(); }));
    EXPECT_EQ(output.text(), "Error downloading '" + url("/broken.png") + "'\n");
    EXPECT_EQ(texture->getTexture(), nullptr);
    EXPECT_EQ(readWhole(cacheFolder / "broken.png"), "<html>not found</html>");
}

TEST_F(TextureRegistryTest, AtMostOneDownloadedImageIsTakenInPerFrame)
{
    startServer();
    std::vector<std::unique_ptr<Texture>> textures;
    for (int i = 0; i < 5; ++i)
        textures.push_back(loadTexture(url("/burst/" + std::to_string(i) + ".png")));
    ASSERT_TRUE(waitUntil([&] {
        std::lock_guard<std::mutex> hold(mutex);
        return requests.size() == 5;
    }));
    SDL_Delay(200);
    auto loaded = [&] {
        return std::count_if(textures.begin(), textures.end(), [](const auto& texture) { return texture->getTexture() != nullptr; });
    };
    for (long before = 0; before < 5;) {
        ASSERT_TRUE(waitUntil([&] {
            takeFinishedTextures();
            return loaded() > before;
        }));
        EXPECT_EQ(loaded(), before + 1);
        before = loaded();
    }
}

// Each URL's path would lead a naive cache outside the cache folder (or has no file name);
// a decoy image planted where such a cache would read must never be shown.
TEST_F(TextureRegistryTest, HostileUrlsAreShownButNeverReadOrWrittenOutsideTheCacheFolder)
{
    startServer();
    const std::vector<std::string> paths {
        "/../escape.png",
        "/tiles/../../../escape.png",
        "/../../../../home.png",
        "/./dot.png",
        "//tmp/absolute.png",
        "/a//b.png",
        "/folder/",
        "",
        "/a\\..\\..\\back.png",
        std::string("/nul.png\0/../../escape.png", 26),
    };
    std::string decoy = pngOf(3, 3);
    for (const std::string& path : paths) {
        // Where the cache folder followed by the path (up to any NUL byte) would lead.
        std::string visible = path.c_str();
        fs::path naive = fs::path(cacheFolder.string() + visible.substr(visible.empty() ? 0 : 1)).lexically_normal();
        if (!path.empty() && path.back() != '/' && path.find('\\') == std::string::npos)
            writeWhole(naive, decoy);
        auto before = filesUnder(home);

        std::string address = url(path);
        auto texture = loadTexture(address);
        EXPECT_TRUE(texture->isLoading()) << path;
        StdoutCapture output;
        ASSERT_TRUE(runFramesUntil([&] { return !texture->isLoading(); })) << path;
        EXPECT_NE(texture->getTexture(), nullptr) << path;
        EXPECT_EQ(texture->getWidth(), 6) << path;
        EXPECT_EQ(output.text().rfind("Not caching '" + std::string(address.c_str()) + "'", 0), 0u) << path;
        EXPECT_EQ(filesUnder(home), before) << path;
    }
}

struct EvictionCase {
    int entries;
    int idle;
    int frames;
    size_t remaining;
};

TEST_F(TextureRegistryTest, EvictsTheLongestIdleImageEvery500FramesWhileOver100AreIdle)
{
    const EvictionCase cases[] {
        { 150, 120, 499, 150 },
        { 150, 120, 500, 149 },
        { 150, 120, 999, 149 },
        { 150, 120, 1000, 148 },
        { 150, 101, 500, 149 },
        { 150, 100, 500, 150 },
        { 101, 101, 500, 100 },
        { 99, 99, 500, 99 },
        { 150, 120, 500 * 25, 130 },
    };
    for (int i = 0; i < 150; ++i)
        writeWhole(work / "data" / ("tile" + std::to_string(i) + ".png"), png);

    for (const EvictionCase& test : cases) {
        initTextures(display.renderer);
        std::vector<std::unique_ptr<Texture>> held;
        for (int i = 0; i < test.entries; ++i) {
            auto texture = loadTexture("tile" + std::to_string(i) + ".png");
            if (i >= test.idle)
                held.push_back(std::move(texture));
        }
        // Release times in an order unrelated to the names; the held images were released
        // once long ago, which must not make them candidates.
        std::string oldestIdle;
        Uint32 oldestTime = ~0u;
        int position = 0;
        for (auto& [name, entry] : textureRegistry.entries) {
            entry.releasedAt = entry.users > 0 ? 1 : 1000 + Uint32(position * 37 % 151);
            if (entry.users == 0 && entry.releasedAt < oldestTime) {
                oldestTime = entry.releasedAt;
                oldestIdle = name;
            }
            ++position;
        }

        runFrames(test.frames);
        EXPECT_EQ(textureRegistry.entries.size(), test.remaining)
            << test.entries << " entries, " << test.idle << " idle, " << test.frames << " frames";
        if (test.remaining < size_t(test.entries)) {
            EXPECT_EQ(textureRegistry.entries.count(oldestIdle), 0u);
        }
        for (const auto& texture : held)
            EXPECT_EQ(textureRegistry.entries.count(texture->getName()), 1u);
        held.clear();
        clearTextures();
    }
}

}
