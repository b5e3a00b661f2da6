#include "server/TileService.h"

#include "server/Cairo.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace server {

bool readFile(const std::string& path, std::string& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream content;
    content << in.rdbuf();
    bytes = content.str();
    return !bytes.empty();
}

void writeFileAtomically(const std::string& path, const std::string& bytes)
{
    std::filesystem::path target(path);
    std::filesystem::create_directories(target.parent_path());
    static thread_local std::mt19937_64 random(std::random_device {}());
    std::string temporary = path + "." + std::to_string(random()) + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out)
            return;
    }
    std::error_code ignored;
    std::filesystem::rename(temporary, target, ignored);
    if (ignored)
        std::filesystem::remove(temporary, ignored);
}

TileService::TileService(const Coastline& coast, const std::string& cacheDir, uint64_t cacheBytes)
    : painter(coast)
    , disk(cacheDir, cacheBytes, seaTile())
{
}

std::string TileService::seaTile() const
{
    Canvas canvas(256, 256);
    painter.paintSea(canvas.context.get());
    return canvas.png();
}

std::string TileService::render(int z, int x, int y) const
{
    Canvas canvas(256, 256);
    painter.paint(canvas.context.get(), z, x * 256.0, y * 256.0, 256, 256);
    return canvas.png();
}

std::string TileService::tile(int z, int x, int y)
{
    if (std::optional<std::string> cached = disk.read(z, x, y))
        return *cached;
    return renderOnce(z, x, y);
}

std::string TileService::renderOnce(int z, int x, int y)
{
    Key key { z, x, y };
    std::promise<std::string> made;
    std::shared_future<std::string> result;
    bool mine = false;
    {
        std::lock_guard<std::mutex> guard(flightLock);
        auto found = inFlight.find(key);
        mine = found == inFlight.end();
        if (mine) {
            result = inFlight[key] = made.get_future().share();
            ++rendered;
        } else {
            result = found->second;
        }
    }
    if (mine) {
        try {
            // The tile may have been stored between the first look and this one.
            std::optional<std::string> cached = disk.read(z, x, y);
            std::string bytes = cached ? *cached : render(z, x, y);
            if (!cached)
                disk.store(z, x, y, bytes);
            made.set_value(std::move(bytes));
        } catch (...) {
            made.set_exception(std::current_exception());
        }
        std::lock_guard<std::mutex> guard(flightLock);
        inFlight.erase(key);
    }
    return result.get();
}

int TileService::renders() const
{
    std::lock_guard<std::mutex> guard(flightLock);
    return rendered;
}

} // namespace server
