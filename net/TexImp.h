#pragma once

#include "gui/Texture.h"
#include "net/TextureRegistry.h"

// The handle the texture registry gives out: counts itself as a user of its entry and
// reads the entry's state. The entry must outlive the handle.
class TexImp : public Texture {
public:
    explicit TexImp(TextureEntry& entry);
    // The last handle to go records the time, so that idle images can be dropped later.
    ~TexImp() override;
    TexImp(const TexImp&) = delete;
    TexImp& operator=(const TexImp&) = delete;

    SDL_Texture* getTexture() const override { return entry->texture; }
    bool isLoading() const override { return entry->downloadId != 0; }
    int getWidth() const override { return entry->width; }
    int getHeight() const override { return entry->height; }
    const char* getName() const override { return entry->name.c_str(); }

private:
    TextureEntry* entry;
};
