#include "server/TileCache.h"

#include "server/TileService.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace server {

namespace {

// A file takes whole blocks of the disk; a link to the sea tile only its directory entry.
constexpr uint64_t blockSize = 4096;
constexpr uint64_t linkCost = 64;

}

TileCache::TileCache(const std::string& folder, uint64_t maxBytes, std::string sea)
    : root(folder + "/tiles")
    , limit(maxBytes)
    , seaBytes(std::move(sea))
    , seaPath(root + "/sea.png")
{
    std::string stored;
    if (!readFile(seaPath, stored) || stored != seaBytes)
        writeFileAtomically(seaPath, seaBytes);
    scan();
}

std::string TileCache::pathOf(int z, int x, int y) const
{
    return root + "/" + std::to_string(z) + "/" + std::to_string(x) + "/" + std::to_string(y) + ".png";
}

uint64_t TileCache::costOf(const std::string& path) const
{
    std::error_code error;
    if (fs::equivalent(path, seaPath, error))
        return linkCost;
    uint64_t size = fs::file_size(path, error);
    return error ? 0 : (size + blockSize - 1) / blockSize * blockSize;
}

// Counts the tiles a former run left, oldest first, and removes its unfinished writes.
void TileCache::scan()
{
    std::vector<std::pair<fs::file_time_type, std::string>> found;
    std::error_code error;
    for (fs::recursive_directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
        if (!it->is_regular_file(error) || it->path() == seaPath)
            continue;
        if (it->path().extension() == ".part")
            fs::remove(it->path(), error);
        else
            found.emplace_back(it->last_write_time(error), it->path().string());
    }
    std::sort(found.begin(), found.end());
    std::lock_guard<std::mutex> guard(lock);
    for (const auto& [time, path] : found)
        add(path);
}

std::optional<std::string> TileCache::read(int z, int x, int y) const
{
    std::string bytes;
    if (!readFile(pathOf(z, x, y), bytes))
        return std::nullopt;
    return bytes;
}

void TileCache::store(int z, int x, int y, const std::string& bytes)
{
    std::string path = pathOf(z, x, y);
    std::error_code error;
    if (bytes == seaBytes) {
        fs::create_directories(fs::path(path).parent_path(), error);
        fs::create_hard_link(seaPath, path, error);
    } else {
        writeFileAtomically(path, bytes);
    }
    std::lock_guard<std::mutex> guard(lock);
    add(path);
}

void TileCache::add(const std::string& path)
{
    uint64_t cost = costOf(path);
    if (cost == 0)
        return;
    oldestFirst.push_back({ path, cost });
    total += cost;
    std::error_code error;
    while (total > limit && !oldestFirst.empty()) {
        fs::remove(oldestFirst.front().path, error);
        total -= oldestFirst.front().cost;
        oldestFirst.pop_front();
    }
}

uint64_t TileCache::bytes() const
{
    std::lock_guard<std::mutex> guard(lock);
    return total;
}

} // namespace server
