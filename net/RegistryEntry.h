#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>

// What every registry entry keeps besides its data: the handles held on it, the download
// it waits for and when its last handle went.
struct RegistryEntry {
    std::string name;
    int32_t users = 0;
    int32_t downloadId = 0; // 0 when no download is pending
    Uint32 releasedAt = 0; // SDL_GetTicks when users last fell to 0
};

// Counts one user of an entry for its own lifetime; the last user to go stamps the
// release time, so that idle entries can be dropped later. The entry must outlive it.
template <typename Entry>
class EntryUse {
public:
    explicit EntryUse(Entry& entry)
        : entry(entry)
    {
        ++entry.users;
    }
    ~EntryUse()
    {
        if (--entry.users == 0)
            entry.releasedAt = SDL_GetTicks();
    }
    EntryUse(const EntryUse&) = delete;
    EntryUse& operator=(const EntryUse&) = delete;

    const Entry* operator->() const { return &entry; }

private:
    Entry& entry;
};
