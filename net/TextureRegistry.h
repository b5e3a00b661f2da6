#pragma once

#include "gui/TextureSource.h"

#include <SDL.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

// One image of the registry, shared by every handle obtained by its name.
struct TextureEntry {
    std::string name;
    int users = 0;
    int downloadId = 0;
    SDL_Texture* texture = nullptr;
    int width = 0;
    int height = 0;
    Uint32 releasedAt = 0;
};

// Every image the program draws, by local file name (under data/) or by http URL.
// Remote images come from the per-user disk cache or are downloaded and taken in one per
// frame; images no handle has held for a while are dropped once there are many.
class TextureRegistry : public TextureSource {
public:
    // A new handle owned by the caller, or null when a local image cannot be loaded.
    std::unique_ptr<Texture> loadTexture(const std::string& name) override;

    // The fields below are the registry's state; use the free functions.
    std::map<std::string, TextureEntry> entries;
    SDL_Renderer* renderer = nullptr;
    std::string cacheFolder;
    int frameCountdown = 500;
};

extern TextureRegistry textureRegistry;

// Resets the registry for the renderer and connects it as the source widgets load from.
void initTextures(SDL_Renderer* renderer);
std::unique_ptr<Texture> loadLocalTexture(const std::string& name);
std::unique_ptr<Texture> loadRemoteTexture(const std::string& url);
// Asks again for an image whose download failed.
void redownload(const Texture& texture);
// Run once per frame by the event loop: takes in at most one finished download.
void takeFinishedTextures();
void clearTextures();
bool isUrl(const std::string& name);

// The cached copy of a downloaded URL; false when there is none, it is empty or unreadable.
bool readCachedFile(const std::string& url, std::vector<char>& bytes);
// Keeps downloaded bytes in the cache folder at the URL's path, unless that path is unsafe.
void writeCachedFile(const std::string& url, const char* bytes, size_t length);
// Run at the end of takeFinishedTextures: every 500th time, drops the longest-unused image
// while more than 100 images have no handle.
void evictIdleTextures();
