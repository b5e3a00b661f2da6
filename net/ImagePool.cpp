#include "net/ImagePool.h"

#include <SDL_image.h>

#include <algorithm>
#include <functional>
#include <string_view>

void ImagePool::init(SDL_Renderer* newRenderer, Uint32 now)
{
    abandon();
    byBytes.clear();
    renderer = newRenderer;
    frameTime = now;
    pruneCountdown = framesPerPrune;
}

std::shared_ptr<PooledImage> ImagePool::adopt(std::vector<char> bytes)
{
    Key key { std::hash<std::string_view>()(std::string_view(bytes.data(), bytes.size())), bytes.size() };
    auto [first, last] = byBytes.equal_range(key);
    for (auto known = first; known != last; ++known) {
        std::shared_ptr<PooledImage> image = known->second.lock();
        if (image && image->bytes == bytes)
            return image;
    }
    auto image = std::make_shared<PooledImage>();
    image->bytes = std::move(bytes);
    if (!decode(*image))
        return nullptr;
    image->drawnAt = frameTime;
    awake.push_back(image);
    byBytes.emplace(key, image);
    return image;
}

SDL_Texture* ImagePool::wake(const std::shared_ptr<PooledImage>& image)
{
    image->drawnAt = frameTime;
    if (!image->texture) {
        if (!decode(*image)) {
            SDL_Log("Can't decode a kept image again: %s", SDL_GetError());
            return nullptr;
        }
        awake.push_back(image);
    }
    return image->texture.get();
}

// Decoding the same bytes again gives the same image, so the size it sets does not change.
bool ImagePool::decode(PooledImage& image)
{
    if (image.bytes.empty() || image.bytes.size() > size_t(SDL_MAX_SINT32))
        return false;
    SdlTexture texture(IMG_LoadTexture_RW(renderer, SDL_RWFromConstMem(image.bytes.data(), int(image.bytes.size())), 1));
    if (!texture || SDL_QueryTexture(texture.get(), nullptr, nullptr, &image.width, &image.height) != 0)
        return false;
    image.texture = std::move(texture);
    return true;
}

void ImagePool::releaseIdle(Uint32 now)
{
    frameTime = now;
    auto released = [now](const std::weak_ptr<PooledImage>& held) {
        std::shared_ptr<PooledImage> image = held.lock();
        if (image && Uint32(now - image->drawnAt) <= keepMilliseconds)
            return false;
        if (image)
            image->texture.reset();
        return true;
    };
    awake.erase(std::remove_if(awake.begin(), awake.end(), released), awake.end());
    if (--pruneCountdown <= 0) {
        prune();
        pruneCountdown = framesPerPrune;
    }
}

// Images go with their holders, which the pool does not hear of; their places in the
// index are cleared now and then.
void ImagePool::prune()
{
    for (auto known = byBytes.begin(); known != byBytes.end();)
        known = known->second.expired() ? byBytes.erase(known) : std::next(known);
}

void ImagePool::abandon()
{
    for (const std::weak_ptr<PooledImage>& held : awake) {
        if (std::shared_ptr<PooledImage> image = held.lock())
            (void)image->texture.release();
    }
    awake.clear();
}
