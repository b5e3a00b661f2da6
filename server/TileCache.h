#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>

namespace server {

// Map tiles kept on disk as "tiles/z/x/y.png" under a folder, within a number of bytes:
// when a new tile goes over, the oldest are removed first. Tiles of open sea, all alike,
// are links to one file "tiles/sea.png", which is kept.
class TileCache {
public:
    // `sea` is the bytes of the open-sea tile.
    TileCache(const std::string& folder, uint64_t maxBytes, std::string sea);

    std::optional<std::string> read(int z, int x, int y) const;
    void store(int z, int x, int y, const std::string& bytes);
    // What the cached tiles take, as counted against the limit.
    uint64_t bytes() const;

private:
    struct Entry {
        std::string path;
        uint64_t cost = 0;
    };

    std::string pathOf(int z, int x, int y) const;
    void scan();
    uint64_t costOf(const std::string& path) const;
    void add(const std::string& path);

    std::string root;
    uint64_t limit;
    std::string seaBytes;
    std::string seaPath;
    mutable std::mutex lock;
    std::deque<Entry> oldestFirst;
    uint64_t total = 0;
};

} // namespace server
