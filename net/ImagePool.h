#pragma once

#include "base/SdlHandles.h"

#include <SDL.h>

#include <cstddef>
#include <map>
#include <memory>
#include <utility>
#include <vector>

// An image kept as the encoded bytes it was decoded from (a few kilobytes for a map tile)
// and, while it is being drawn, as a texture made from them.
struct PooledImage {
    std::vector<char> bytes;
    SdlTexture texture; // null while dormant
    int width = 0;
    int height = 0;
    Uint32 drawnAt = 0; // the frame time at which the texture was last asked for
};

// The images decoded from bytes (downloads and their cached copies). Images of identical
// bytes are one image (hundreds of sea tiles share a picture). A texture that has not been
// asked for during keepMilliseconds is released, and asking for it again decodes it at once
// from the kept bytes, so that the frame shows the very same pixels. A texture may thus be
// made again, so its settings are changed only around a draw and put back.
//
// The pool does not own its images: whoever adopts one holds it, and it goes with its last
// holder. User-interface thread only.
class ImagePool {
public:
    static constexpr Uint32 keepMilliseconds = 3000;
    static constexpr int framesPerPrune = 500;

    // Forgets the images it knows, lets their textures go (see abandon) and draws on the
    // renderer from now on.
    void init(SDL_Renderer* renderer, Uint32 now);
    // The image of these bytes: one of identical bytes already held, or a new one decoded
    // now; null when they cannot be decoded.
    std::shared_ptr<PooledImage> adopt(std::vector<char> bytes);
    // The image's texture for drawing in this frame, decoded again when it was released;
    // null when that fails.
    SDL_Texture* wake(const std::shared_ptr<PooledImage>& image);
    // Run once per frame: releases the textures not asked for since keepMilliseconds before now.
    void releaseIdle(Uint32 now);
    // Lets every texture go without destroying it, for a renderer that frees (or has freed) them.
    void abandon();

private:
    // The hash and length of an image's bytes.
    using Key = std::pair<size_t, size_t>;

    bool decode(PooledImage& image);
    void prune();

    std::multimap<Key, std::weak_ptr<PooledImage>> byBytes;
    // Every image holding a texture.
    std::vector<std::weak_ptr<PooledImage>> awake;
    SDL_Renderer* renderer = nullptr;
    Uint32 frameTime = 0;
    int pruneCountdown = framesPerPrune;
};
