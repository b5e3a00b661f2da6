#pragma once

#include "gui/Texture.h"
#include "net/TextureRegistry.h"

// The handle the texture registry gives out: counts itself as a user of its entry and
// reads the entry's state. The entry must outlive the handle.
class TexImp : public Texture {
public:
    explicit TexImp(TextureEntry& entry)
        : entry(entry)
    {
    }

    SDL_Texture* getTexture() const override { return entry->texture.get(); }
    bool isLoading() const override { return entry->downloadId != 0; }
    int getWidth() const override { return entry->width; }
    int getHeight() const override { return entry->height; }
    const char* getName() const override { return entry->name.c_str(); }

private:
    EntryUse<TextureEntry> entry;
};
