#pragma once

#include "gui/Texture.h"
#include "net/TextureRegistry.h"

// The handle the texture registry gives out: counts itself as a user of its entry and
// reads the entry's state; a remote image's texture is asked of the pool, which makes it
// again if it was released. The entry and the pool must outlive the handle.
class TexImp : public Texture {
public:
    TexImp(TextureEntry& entry, ImagePool& pool)
        : entry(entry)
        , pool(pool)
    {
    }

    SDL_Texture* getTexture() const override { return entry->image ? pool.wake(entry->image) : entry->texture.get(); }
    bool isLoaded() const override { return entry->image || entry->texture; }
    bool isLoading() const override { return entry->downloadId != 0; }
    int getWidth() const override { return entry->width; }
    int getHeight() const override { return entry->height; }
    const char* getName() const override { return entry->name.c_str(); }

private:
    EntryUse<TextureEntry> entry;
    ImagePool& pool;
};
