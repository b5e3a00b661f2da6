#pragma once

#include <memory>
#include <string>

// The settings the client keeps between runs: string and integer values by name.
class Storage {
public:
    virtual ~Storage() = default;
    virtual std::string readString(const std::string& name, const std::string& defaultValue) = 0;
    virtual int32_t readInt(const std::string& name, int32_t defaultValue) = 0;
    virtual void writeString(const std::string& name, const std::string& value) = 0;
    virtual void writeInt(const std::string& name, int32_t value) = 0;
    // Called after a group of writes.
    virtual void flush() = 0;
};

// The process-wide settings, created before main runs; null disables every setting.
extern std::unique_ptr<Storage> storage;

std::string hexEncode(const std::string& bytes);
std::string hexDecode(const std::string& text);

// Base URLs of the race server and the tile server, from the "raceServer" and
// "tileServer" settings (default http://127.0.0.1:7080), read once and kept.
const std::string& raceServerUrl();
const std::string& tileServerUrl();
// Reads the two base URLs from the settings again.
void reloadServerUrls();
