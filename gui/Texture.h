#pragma once

#include <SDL.h>

// A counted handle on an image of the texture registry. The handle reads its registry
// entry; it owns neither the entry nor the SDL texture. Obtain one with loadTexture.
class Texture {
public:
    virtual ~Texture() = default;
    // The texture to draw now; null while the image is not (yet) loaded. Asking for it
    // counts as drawing it: an image not drawn for a while may let its texture go and make
    // it again when asked, so the pointer is good for the current frame only.
    virtual SDL_Texture* getTexture() const = 0;
    // Whether the image is loaded, without asking for its texture.
    virtual bool isLoaded() const = 0;
    // True while a download of the image is pending.
    virtual bool isLoading() const = 0;
    virtual int getWidth() const = 0;
    virtual int getHeight() const = 0;
    // The file name or URL the texture was obtained by.
    virtual const char* getName() const = 0;
};
