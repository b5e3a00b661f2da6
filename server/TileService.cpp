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

TileService::TileService(const Coastline& coast, std::string cacheDir)
    : painter(coast)
    , cacheDir(std::move(cacheDir))
{
}

std::string TileService::render(int z, int x, int y) const
{
    Canvas canvas(256, 256);
    painter.paint(canvas.context.get(), z, x * 256.0, y * 256.0, 256, 256);
    return canvas.png();
}

std::string TileService::tile(int z, int x, int y)
{
    std::string path = cacheDir + "/tiles/" + std::to_string(z) + "/" + std::to_string(x) + "/" + std::to_string(y) + ".png";
    std::string bytes;
    if (readFile(path, bytes))
        return bytes;
    bytes = render(z, x, y);
    writeFileAtomically(path, bytes);
    return bytes;
}

} // namespace server
