#pragma once

#include "base/UniqueHandle.h"

#include <SDL.h>

// Owners of the SDL images the toolkit and the layers above it make. A texture must go
// before the renderer it was made for.
using SdlTexture = UniqueHandle<SDL_Texture, SDL_DestroyTexture>;
using SdlSurface = UniqueHandle<SDL_Surface, SDL_FreeSurface>;
