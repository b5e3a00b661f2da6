#include "net/TextureRegistry.h"

#include "net/TexImp.h"
#include "net/CacheFile.h"
#include "net/Downloader.h"
#include "base/Text.h"

#include <SDL_image.h>

#include <cstdio>
#include <optional>

TextureRegistry textureRegistry;

namespace {

const int framesPerEviction = 500;
const size_t fewEntries = 100;
const int manyIdleEntries = 101;

// The per-user cache folder, created if missing; empty (no disk cache) when the platform
// has no per-user data folder.
std::string computeCacheFolder()
{
    char* prefPath = SDL_GetPrefPath("Morvane", "Regattix");
    if (!prefPath) {
        std::printf("No disk cache for images: %s\n", SDL_GetError());
        return "";
    }
    std::string folder = std::string(prefPath) + "cache/";
    SDL_free(prefPath);
    createFolders(folder);
    return folder;
}

// The cache file of a URL, or null when there is no cache or the URL has no safe path.
std::optional<std::string> cacheFileOf(const std::string& url)
{
    if (textureRegistry.cacheFolder.empty())
        return std::nullopt;
    std::optional<std::string> path = cachePathOf(url);
    if (!path)
        return std::nullopt;
    return textureRegistry.cacheFolder + *path;
}

void storeTexture(TextureEntry& entry, SDL_Texture* texture)
{
    entry.texture = texture;
    SDL_QueryTexture(texture, nullptr, nullptr, &entry.width, &entry.height);
}

bool decodeInto(TextureEntry& entry, const char* bytes, size_t length)
{
    if (length > size_t(SDL_MAX_SINT32))
        return false;
    SDL_Texture* texture = IMG_LoadTexture_RW(textureRegistry.renderer, SDL_RWFromConstMem(bytes, int(length)), 1);
    if (!texture)
        return false;
    storeTexture(entry, texture);
    return true;
}

TextureEntry& addEntry(const std::string& name)
{
    TextureEntry& entry = textureRegistry.entries[name];
    entry.name = name;
    return entry;
}

void startDownload(TextureEntry& entry)
{
    int id = downloader.download(entry.name, TextureRequest, &entry);
    entry.downloadId = id > 0 ? id : 0;
}

// The entry a finished download belongs to. The entry may have been evicted or cleared
// while the transfer ran, so the handed-back pointer is only trusted when it still names
// an entry waiting for exactly this download.
TextureEntry* entryWaitingFor(const Answer& answer)
{
    for (auto& [name, entry] : textureRegistry.entries) {
        if (&entry == answer.user && entry.downloadId == answer.id)
            return &entry;
    }
    return nullptr;
}

void takeIn(const Answer& answer)
{
    TextureEntry* entry = entryWaitingFor(answer);
    if (!entry)
        return;
    entry->downloadId = 0;
    if (answer.status != 0 || !answer.bytes || answer.length == 0)
        return;
    writeCachedFile(entry->name, answer.bytes.get(), answer.length);
    if (!decodeInto(*entry, answer.bytes.get(), answer.length))
        std::printf("Error downloading '%s'\n", entry->name.c_str());
}

}

void initTextures(SDL_Renderer* renderer)
{
    // Textures of an earlier renderer are that renderer's to free (SDL_DestroyRenderer
    // does), and destroying them here could touch a renderer that is already gone.
    textureRegistry.entries.clear();
    textureRegistry.renderer = renderer;
    textureRegistry.cacheFolder = computeCacheFolder();
    textureRegistry.frameCountdown = framesPerEviction;
    setTextureSource(&textureRegistry);
}

bool isUrl(const std::string& name)
{
    return name.size() >= 10 && toLower(name.substr(0, 7)) == "http://";
}

std::unique_ptr<Texture> TextureRegistry::loadTexture(const std::string& name)
{
    return isUrl(name) ? loadRemoteTexture(name) : loadLocalTexture(name);
}

std::unique_ptr<Texture> loadLocalTexture(const std::string& name)
{
    auto found = textureRegistry.entries.find(name);
    if (found != textureRegistry.entries.end())
        return std::make_unique<TexImp>(found->second);
    // No entry for a file that fails to load, so that the next request tries it again.
    SDL_Texture* texture = IMG_LoadTexture(textureRegistry.renderer, ("data/" + name).c_str());
    if (!texture)
        return nullptr;
    TextureEntry& entry = addEntry(name);
    storeTexture(entry, texture);
    return std::make_unique<TexImp>(entry);
}

std::unique_ptr<Texture> loadRemoteTexture(const std::string& url)
{
    auto found = textureRegistry.entries.find(url);
    if (found != textureRegistry.entries.end())
        return std::make_unique<TexImp>(found->second);
    TextureEntry& entry = addEntry(url);
    std::vector<char> cached;
    if (readCachedFile(url, cached) && !decodeInto(entry, cached.data(), cached.size()))
        SDL_Log("Error loading texture from cache '%s'", url.c_str());
    if (!entry.texture)
        startDownload(entry);
    return std::make_unique<TexImp>(entry);
}

void redownload(const Texture& texture)
{
    auto found = textureRegistry.entries.find(texture.getName());
    if (found == textureRegistry.entries.end()) {
        std::printf("Redownload of unknown texture requested '%s'\n", texture.getName());
        return;
    }
    TextureEntry& entry = found->second;
    if (entry.downloadId == 0 && !entry.texture)
        startDownload(entry);
}

void takeFinishedTextures()
{
    Answer answer;
    if (downloader.pollByKind(TextureRequest, answer))
        takeIn(answer);
    evictIdleTextures();
}

void evictIdleTextures()
{
    if (--textureRegistry.frameCountdown != 0)
        return;
    textureRegistry.frameCountdown = framesPerEviction;
    auto& entries = textureRegistry.entries;
    if (entries.size() < fewEntries)
        return;
    int idle = 0;
    auto oldest = entries.end();
    for (auto entry = entries.begin(); entry != entries.end(); ++entry) {
        if (entry->second.users >= 1)
            continue;
        ++idle;
        if (oldest == entries.end() || entry->second.releasedAt < oldest->second.releasedAt)
            oldest = entry;
    }
    if (idle < manyIdleEntries)
        return;
    if (oldest->second.texture)
        SDL_DestroyTexture(oldest->second.texture);
    entries.erase(oldest);
}

void clearTextures()
{
    for (auto& [name, entry] : textureRegistry.entries) {
        if (entry.texture)
            SDL_DestroyTexture(entry.texture);
    }
    textureRegistry.entries.clear();
}

bool readCachedFile(const std::string& url, std::vector<char>& bytes)
{
    bytes.clear();
    std::optional<std::string> file = cacheFileOf(url);
    if (!file || !isRegularFile(*file))
        return false;
    SDL_RWops* stream = SDL_RWFromFile(file->c_str(), "rb");
    if (!stream)
        return false;
    Sint64 size = SDL_RWseek(stream, 0, RW_SEEK_END);
    if (size > 0 && SDL_RWseek(stream, 0, RW_SEEK_SET) == 0) {
        bytes.resize(size_t(size));
        if (SDL_RWread(stream, bytes.data(), 1, bytes.size()) != bytes.size())
            bytes.clear();
    }
    SDL_RWclose(stream);
    return !bytes.empty();
}

void writeCachedFile(const std::string& url, const char* bytes, size_t length)
{
    if (!bytes || textureRegistry.cacheFolder.empty())
        return;
    std::optional<std::string> path = cachePathOf(url);
    if (!path) {
        std::printf("Not caching '%s': its path does not name a file in the cache folder\n", url.c_str());
        return;
    }
    size_t lastSlash = path->rfind('/');
    if (lastSlash != std::string::npos)
        createFolders(textureRegistry.cacheFolder + path->substr(0, lastSlash));
    std::string file = textureRegistry.cacheFolder + *path;
    SDL_RWops* stream = SDL_RWFromFile(file.c_str(), "wb");
    if (!stream) {
        SDL_Log("Can't create file %s\n", file.c_str());
        return;
    }
    if (SDL_RWwrite(stream, bytes, 1, length) < length)
        SDL_Log("Can't write %d bytes to file %s\n", int(length), file.c_str());
    SDL_RWclose(stream);
}
