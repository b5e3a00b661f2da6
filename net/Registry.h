#pragma once

#include "base/Oldest.h"
#include "net/Downloader.h"
#include "net/RegistryEntry.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

// Entries (derived from RegistryEntry) by name in byte-wise order, shared through counted
// handles and filled in by downloads of one kind that the event loop takes in once per
// frame. Every 500th frame the entry released longest ago is dropped, but only from 100
// entries on and while more than 100 have no user. User-interface thread only.
template <typename Entry>
class Registry {
public:
    static constexpr int32_t framesPerTrim = 500;
    static constexpr size_t fewEntries = 100;
    static constexpr size_t keptIdleEntries = 100;

    explicit Registry(DownloadKind kind)
        : kind(kind)
    {
    }

    size_t size() const { return entries.size(); }
    Entry* find(const std::string& name)
    {
        auto found = entries.find(name);
        return found != entries.end() ? &found->second : nullptr;
    }
    // Calls visit with every entry, in name order.
    template <typename Visit>
    void forEach(Visit visit)
    {
        for (auto& [name, entry] : entries)
            visit(entry);
    }
    // Drops every entry; handles must not outlive this.
    void clear() { entries.clear(); }
    // Drops every entry and starts the frame count again.
    void reset()
    {
        clear();
        countdown = framesPerTrim;
    }

protected:
    // A new entry under a name not registered yet.
    Entry& add(const std::string& name)
    {
        Entry& entry = entries[name];
        entry.name = name;
        return entry;
    }

    void startDownload(Entry& entry)
    {
        int id = downloader.download(entry.name, kind, &entry);
        entry.downloadId = id > 0 ? id : 0;
    }

    // Takes at most one finished download of the registry's kind and returns the entry
    // it was for, no longer waiting; null when none finished or the entry is gone. The
    // entry may have been dropped while the transfer ran, so the handed-back pointer is
    // only trusted while it still names an entry waiting for exactly this download.
    Entry* collectFinished(Answer& answer)
    {
        if (!downloader.pollByKind(kind, answer))
            return nullptr;
        for (auto& [name, entry] : entries) {
            if (&entry == answer.user && entry.downloadId == answer.id) {
                entry.downloadId = 0;
                return &entry;
            }
        }
        return nullptr;
    }

    // Run once per frame.
    void trim()
    {
        if (--countdown != 0)
            return;
        countdown = framesPerTrim;
        if (entries.size() < fewEntries)
            return;
        auto idle = [](const Entry& entry) { return entry.users < 1; };
        auto idleEntries = std::count_if(entries.begin(), entries.end(), [&](const auto& item) { return idle(item.second); });
        if (size_t(idleEntries) > keptIdleEntries)
            entries.erase(findOldest(entries, &RegistryEntry::releasedAt, idle));
    }

private:
    std::map<std::string, Entry> entries;
    int32_t countdown = framesPerTrim;
    DownloadKind kind;
};
