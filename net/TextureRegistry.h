#pragma once

#include "base/SdlHandles.h"
#include "gui/TextureSource.h"
#include "net/ImagePool.h"
#include "net/Registry.h"

#include <SDL.h>

#include <memory>
#include <string>
#include <vector>

// One image of the registry, shared by every handle obtained by its name. A local image
// is a texture; a remote one is kept by the pool, which lets its texture go while unused.
struct TextureEntry : RegistryEntry {
    SdlTexture texture; // null for a remote image, and until a local one is loaded
    std::shared_ptr<PooledImage> image; // null for a local image, and until a remote one is loaded
    int width = 0;
    int height = 0;
};

// Every image the program draws, by local file name (under data/) or by http URL.
// Remote images come from the per-user disk cache or are downloaded and taken in one per
// frame; images no handle has held for a while are dropped once there are many. Remote
// images keep their bytes, and their textures only while drawn (see ImagePool).
class TextureRegistry : public Registry<TextureEntry>, public TextureSource {
public:
    TextureRegistry();
    ~TextureRegistry() override;

    // Forgets every entry and binds the registry to the renderer and a fresh cache folder.
    void init(SDL_Renderer* renderer);
    // A new handle owned by the caller, or null when a local image cannot be loaded.
    std::unique_ptr<Texture> loadTexture(const std::string& name) override;
    std::unique_ptr<Texture> loadLocal(const std::string& name);
    // Makes the local image of that name from a picture already decoded (on another
    // thread during start-up, say), so that loadLocal finds it. Nothing changes for a name
    // already known or a picture that cannot be made a texture.
    void adoptLocal(const std::string& name, SdlSurface picture);
    std::unique_ptr<Texture> loadRemote(const std::string& url);
    // Asks again for an image whose download failed.
    void redownload(const Texture& texture);
    // Run once per frame: takes in at most one finished download, then trims and releases
    // the textures of remote images not drawn lately. Returns whether a download finished,
    // successfully or not.
    bool takeFinished();

    // Empty when there is no disk cache.
    const std::string& cacheFolder() const { return folder; }
    // Keeps downloaded bytes in the cache folder at the URL's path, unless that path is unsafe.
    void writeCachedFile(const std::string& url, const char* bytes, size_t length) const;

private:
    // The cached copy of a downloaded URL; false when there is none, it is empty or unreadable.
    bool readCachedFile(const std::string& url, std::vector<char>& bytes) const;
    bool decodeInto(TextureEntry& entry, std::vector<char> bytes);
    void takeIn(TextureEntry& entry, const Answer& answer);
    void abandonTextures();

    SDL_Renderer* renderer = nullptr;
    std::string folder;
    ImagePool pool;
};

extern TextureRegistry textureRegistry;

// The process-wide registry's operations, as the program's start-up, event loop and map
// call them. initTextures also connects the registry as the source widgets load from.
void initTextures(SDL_Renderer* renderer);
std::unique_ptr<Texture> loadLocalTexture(const std::string& name);
std::unique_ptr<Texture> loadRemoteTexture(const std::string& url);
void redownload(const Texture& texture);
bool takeFinishedTextures();
void clearTextures();
