#pragma once

#include "base/SdlHandles.h"
#include "gui/PictureKey.h"

#include <SDL.h>

#include <functional>

// A picture covering the whole render target, drawn once into a texture of the target's
// size and pixel format and then copied, unblended, while what it was drawn from (its key)
// stays the same. The drawing calls are the ones that would draw it directly, and the
// texture has the format of the window it is copied to, so the copy's pixels are those of
// the direct drawing.
class CachedPicture {
public:
    // Copies the picture over the whole target, drawing it first with drawing() when the
    // key differs from the one it was drawn from. False, with nothing drawn, when no
    // texture can be made (then or ever before); the caller then draws directly.
    bool draw(SDL_Renderer* renderer, PictureKey key, const std::function<void()>& drawing);
    // How many times the picture was drawn into its texture.
    int redraws() const { return drawn; }

private:
    // Frees the texture; the next draw draws the picture again.
    void release();
    bool makeTexture(SDL_Renderer* renderer, int width, int height);
    bool redraw(SDL_Renderer* renderer, const std::function<void()>& drawing);

    SdlTexture picture;
    PictureKey drawnFrom;
    // Whether the texture holds the picture drawn from drawnFrom.
    bool current = false;
    // Set when no texture could be made: the renderer cannot keep one, so it is not asked again.
    bool unavailable = false;
    int drawn = 0;
};
