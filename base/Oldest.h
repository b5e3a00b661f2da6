#pragma once

#include <functional>

// The element of an ordered map with the smallest time among those accepted, the first
// in key order among equal times; the map's end when none is accepted. Caches use it to
// find the entry to evict. timeOf and accept are called with an element's mapped value.
template <typename Map, typename TimeOf, typename Accept>
typename Map::iterator findOldest(Map& map, TimeOf timeOf, Accept accept)
{
    auto oldest = map.end();
    for (auto item = map.begin(); item != map.end(); ++item) {
        if (!accept(item->second))
            continue;
        if (oldest == map.end() || std::invoke(timeOf, item->second) < std::invoke(timeOf, oldest->second))
            oldest = item;
    }
    return oldest;
}

template <typename Map, typename TimeOf>
typename Map::iterator findOldest(Map& map, TimeOf timeOf)
{
    return findOldest(map, timeOf, [](const auto&) { return true; });
}
