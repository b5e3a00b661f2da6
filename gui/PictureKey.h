#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// Everything a cached picture was drawn from, as a list of numbers: the picture is reused
// while the list stays equal. Whole values are kept, not a hash, so that two different
// lists can never pass for one.
class PictureKey {
public:
    void add(int64_t value) { values.push_back(value); }
    void add(double value)
    {
        int64_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        values.push_back(bits);
    }
    void add(const void* pointer) { values.push_back(int64_t(reinterpret_cast<uintptr_t>(pointer))); }
    // The length, then the bytes eight to a number.
    void add(const std::string& text)
    {
        values.push_back(int64_t(text.size()));
        for (size_t i = 0; i < text.size(); i += sizeof(int64_t)) {
            int64_t chunk = 0;
            std::memcpy(&chunk, text.data() + i, std::min(sizeof chunk, text.size() - i));
            values.push_back(chunk);
        }
    }

    bool operator==(const PictureKey& other) const { return values == other.values; }
    bool operator!=(const PictureKey& other) const { return values != other.values; }

private:
    std::vector<int64_t> values;
};
