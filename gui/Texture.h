#pragma once

#include <SDL.h>

// A counted handle on an image of the texture registry. The handle reads its registry
// entry; it owns neither the entry nor the SDL texture. Obtain one with loadTexture.
class Texture {
public:
    virtual ~Texture() = default;
    // Null while the image is not (yet) loaded.
    virtual SDL_Texture* getTexture() const = 0;
    // True while a download of the image is pending.
    virtual bool isLoading() const = 0;
    virtual int getWidth() const = 0;
    virtual int getHeight() const = 0;
    // The file name or URL the texture was obtained by.
    virtual const char* getName() const = 0;
};
