#pragma once

#include "base/UniqueHandle.h"

#include <SDL.h>

// Owners of SDL's handles. A texture must go before the renderer it was made for, and
// the renderer before its window.
using SdlWindow = UniqueHandle<SDL_Window, SDL_DestroyWindow>;
using SdlRenderer = UniqueHandle<SDL_Renderer, SDL_DestroyRenderer>;
using SdlTexture = UniqueHandle<SDL_Texture, SDL_DestroyTexture>;
using SdlSurface = UniqueHandle<SDL_Surface, SDL_FreeSurface>;
// A stream whose closing result does not matter; a written file is closed by hand, so that
// a failure to flush it is seen.
using SdlStream = UniqueHandle<SDL_RWops, SDL_RWclose>;
using SdlMutex = UniqueHandle<SDL_mutex, SDL_DestroyMutex>;
using SdlCondition = UniqueHandle<SDL_cond, SDL_DestroyCond>;
// Text that SDL allocated for the caller (for example SDL_GetPrefPath's folder).
using SdlText = UniqueHandle<char, SDL_free>;
