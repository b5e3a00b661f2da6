#include "gui/CachedPicture.h"

#include <cstdio>
#include <utility>

namespace {

// The window's format, so that blending into the texture is done as it is into the
// window; a renderer without a window (one drawing into a surface) gets the 32-bit format
// with alpha that such surfaces have here.
Uint32 targetFormat(SDL_Renderer* renderer)
{
    SDL_Window* window = SDL_RenderGetWindow(renderer);
    Uint32 format = window ? SDL_GetWindowPixelFormat(window) : Uint32(SDL_PIXELFORMAT_UNKNOWN);
    return format == SDL_PIXELFORMAT_UNKNOWN ? Uint32(SDL_PIXELFORMAT_ARGB8888) : format;
}

}

void CachedPicture::release()
{
    picture.reset();
    current = false;
}

bool CachedPicture::makeTexture(SDL_Renderer* renderer, int width, int height)
{
    int pictureWidth = 0;
    int pictureHeight = 0;
    if (picture && SDL_QueryTexture(picture.get(), nullptr, nullptr, &pictureWidth, &pictureHeight) == 0
        && pictureWidth == width && pictureHeight == height)
        return true;
    current = false;
    picture.reset(SDL_CreateTexture(renderer, targetFormat(renderer), SDL_TEXTUREACCESS_TARGET, width, height));
    if (!picture || SDL_SetTextureBlendMode(picture.get(), SDL_BLENDMODE_NONE) != 0) {
        std::printf("Can't keep a drawn picture: %s\n", SDL_GetError());
        picture.reset();
        unavailable = true;
        return false;
    }
    return true;
}

bool CachedPicture::draw(SDL_Renderer* renderer, PictureKey key, const std::function<void()>& drawing)
{
    int width = 0;
    int height = 0;
    if (unavailable || SDL_GetRenderTarget(renderer) || SDL_GetRendererOutputSize(renderer, &width, &height) != 0)
        return false;
    if (!makeTexture(renderer, width, height))
        return false;
    if (!current || key != drawnFrom) {
        if (!redraw(renderer, drawing))
            return false;
        drawnFrom = std::move(key);
        current = true;
    }
    return SDL_RenderCopy(renderer, picture.get(), nullptr, nullptr) == 0;
}

bool CachedPicture::redraw(SDL_Renderer* renderer, const std::function<void()>& drawing)
{
    if (SDL_SetRenderTarget(renderer, picture.get()) != 0) {
        release();
        return false;
    }
    drawing();
    ++drawn;
    if (SDL_SetRenderTarget(renderer, nullptr) != 0) {
        release();
        return false;
    }
    return true;
}
