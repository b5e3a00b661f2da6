#include "net/TextureRegistry.h"

#include "base/Text.h"
#include "net/CacheFile.h"
#include "net/TexImp.h"

#include <SDL_image.h>

#include <cstdio>
#include <optional>

TextureRegistry textureRegistry;

namespace {

// The per-user cache folder, created if missing; empty (no disk cache) when the platform
// has no per-user data folder.
std::string computeCacheFolder()
{
    SdlText prefPath(SDL_GetPrefPath("Morvane", "Regattix"));
    if (!prefPath) {
        std::printf("No disk cache for images: %s\n", SDL_GetError());
        return "";
    }
    std::string folder = std::string(prefPath.get()) + "cache/";
    createFolders(folder);
    return folder;
}

// Ten bytes or more beginning with "http://" in any case; https is taken as a file name.
bool isUrl(const std::string& name)
{
    return name.size() >= 10 && toLower(name.substr(0, 7)) == "http://";
}

void storeTexture(TextureEntry& entry, SdlTexture texture)
{
    entry.texture = std::move(texture);
    SDL_QueryTexture(entry.texture.get(), nullptr, nullptr, &entry.width, &entry.height);
}

}

TextureRegistry::TextureRegistry()
    : Registry(TextureRequest)
{
}

// Textures are freed with their renderer, which may be gone by the time the process
// ends, so the registry's own destruction lets them go instead of destroying them.
TextureRegistry::~TextureRegistry()
{
    abandonTextures();
}

void TextureRegistry::init(SDL_Renderer* newRenderer)
{
    // Textures of an earlier renderer are that renderer's to free (SDL_DestroyRenderer
    // does), and destroying them here could touch a renderer that is already gone.
    abandonTextures();
    reset();
    renderer = newRenderer;
    pool.init(renderer, SDL_GetTicks());
    folder = computeCacheFolder();
}

void TextureRegistry::abandonTextures()
{
    forEach([](TextureEntry& entry) { (void)entry.texture.release(); });
    pool.abandon();
}

std::unique_ptr<Texture> TextureRegistry::loadTexture(const std::string& name)
{
    return isUrl(name) ? loadRemote(name) : loadLocal(name);
}

std::unique_ptr<Texture> TextureRegistry::loadLocal(const std::string& name)
{
    if (TextureEntry* found = find(name))
        return std::make_unique<TexImp>(*found, pool);
    // No entry for a file that fails to load, so that the next request tries it again.
    SdlTexture texture(IMG_LoadTexture(renderer, ("data/" + name).c_str()));
    if (!texture)
        return nullptr;
    TextureEntry& entry = add(name);
    storeTexture(entry, std::move(texture));
    return std::make_unique<TexImp>(entry, pool);
}

void TextureRegistry::adoptLocal(const std::string& name, SdlSurface picture)
{
    if (!picture || find(name))
        return;
    SdlTexture texture(SDL_CreateTextureFromSurface(renderer, picture.get()));
    if (texture)
        storeTexture(add(name), std::move(texture));
}

std::unique_ptr<Texture> TextureRegistry::loadRemote(const std::string& url)
{
    if (TextureEntry* found = find(url))
        return std::make_unique<TexImp>(*found, pool);
    TextureEntry& entry = add(url);
    std::vector<char> cached;
    if (readCachedFile(url, cached) && !decodeInto(entry, std::move(cached)))
        SDL_Log("Error loading texture from cache '%s'", url.c_str());
    if (!entry.image)
        startDownload(entry);
    return std::make_unique<TexImp>(entry, pool);
}

void TextureRegistry::redownload(const Texture& texture)
{
    TextureEntry* entry = find(texture.getName());
    if (!entry) {
        std::printf("Redownload of unknown texture requested '%s'\n", texture.getName());
        return;
    }
    if (entry->downloadId == 0 && !entry->texture && !entry->image)
        startDownload(*entry);
}

bool TextureRegistry::takeFinished()
{
    Answer answer;
    TextureEntry* entry = collectFinished(answer);
    if (entry)
        takeIn(*entry, answer);
    trim();
    pool.releaseIdle(SDL_GetTicks());
    return entry != nullptr;
}

// A failed transfer leaves the entry without an image until redownload asks again.
void TextureRegistry::takeIn(TextureEntry& entry, const Answer& answer)
{
    if (answer.status != 0 || !answer.bytes || answer.length == 0)
        return;
    writeCachedFile(entry.name, answer.bytes.get(), answer.length);
    if (!decodeInto(entry, std::vector<char>(answer.bytes.get(), answer.bytes.get() + answer.length)))
        std::printf("Error downloading '%s'\n", entry.name.c_str());
}

bool TextureRegistry::decodeInto(TextureEntry& entry, std::vector<char> bytes)
{
    std::shared_ptr<PooledImage> image = pool.adopt(std::move(bytes));
    if (!image)
        return false;
    entry.width = image->width;
    entry.height = image->height;
    entry.image = std::move(image);
    return true;
}

bool TextureRegistry::readCachedFile(const std::string& url, std::vector<char>& bytes) const
{
    bytes.clear();
    std::optional<std::string> path = cachePathOf(url);
    if (folder.empty() || !path || !isRegularFile(folder + *path))
        return false;
    SdlStream stream(SDL_RWFromFile((folder + *path).c_str(), "rb"));
    if (!stream)
        return false;
    Sint64 size = SDL_RWseek(stream.get(), 0, RW_SEEK_END);
    if (size > 0 && SDL_RWseek(stream.get(), 0, RW_SEEK_SET) == 0) {
        bytes.resize(size_t(size));
        if (SDL_RWread(stream.get(), bytes.data(), 1, bytes.size()) != bytes.size())
            bytes.clear();
    }
    return !bytes.empty();
}

void TextureRegistry::writeCachedFile(const std::string& url, const char* bytes, size_t length) const
{
    if (!bytes || folder.empty())
        return;
    std::optional<std::string> path = cachePathOf(url);
    if (!path) {
        std::printf("Not caching '%s': its path does not name a file in the cache folder\n", url.c_str());
        return;
    }
    size_t lastSlash = path->rfind('/');
    if (lastSlash != std::string::npos)
        createFolders(folder + path->substr(0, lastSlash));
    std::string file = folder + *path;
    SdlStream stream(SDL_RWFromFile(file.c_str(), "wb"));
    if (!stream) {
        SDL_Log("Can't create file %s\n", file.c_str());
        return;
    }
    bool written = SDL_RWwrite(stream.get(), bytes, 1, length) == length;
    // Closing flushes the file, so it can fail as a write does.
    if (SDL_RWclose(stream.release()) != 0)
        written = false;
    if (!written)
        SDL_Log("Can't write %d bytes to file %s\n", int(length), file.c_str());
}

void initTextures(SDL_Renderer* renderer)
{
    textureRegistry.init(renderer);
    setTextureSource(&textureRegistry);
}

std::unique_ptr<Texture> loadLocalTexture(const std::string& name)
{
    return textureRegistry.loadLocal(name);
}

std::unique_ptr<Texture> loadRemoteTexture(const std::string& url)
{
    return textureRegistry.loadRemote(url);
}

void redownload(const Texture& texture)
{
    textureRegistry.redownload(texture);
}

bool takeFinishedTextures()
{
    return textureRegistry.takeFinished();
}

void clearTextures()
{
    textureRegistry.clear();
}
