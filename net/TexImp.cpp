#include "net/TexImp.h"

TexImp::TexImp(TextureEntry& entry)
    : entry(&entry)
{
    ++entry.users;
}

TexImp::~TexImp()
{
    if (--entry->users == 0)
        entry->releasedAt = SDL_GetTicks();
}
