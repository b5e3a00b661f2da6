#pragma once

#include "base/SdlHandles.h"
#include "base/UniqueHandle.h"
#include "gui/Font.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <map>
#include <string>

using TtfFontHandle = UniqueHandle<TTF_Font, TTF_CloseFont>;

// A TrueType font that keeps every text it has drawn as a texture, so that text drawn
// each frame is rasterised once. Rarely used texts are dropped slowly: one every 1000
// cache misses, and only while more than 100 are kept.
class TtfFont : public Font {
public:
    explicit TtfFont(TtfFontHandle font);

    void drawText(SDL_Renderer* renderer, int x, int y, const char* text, SDL_Color colour) override;
    int textWidth(const char* text) override;
    int textHeight(const char* text) override;

    size_t cachedTexts() const { return cache.size(); }

    static constexpr int missesPerEvictionCheck = 1000;
    static constexpr size_t keptTexts = 100;

private:
    // Text first, then red, blue and green; alpha plays no part because text is opaque.
    struct Key {
        std::string text;
        Uint8 red, blue, green;
        bool operator<(const Key& other) const;
    };
    struct RenderedText {
        SdlTexture texture;
        Uint32 lastUsed;
    };

    static Key keyOf(const char* text, SDL_Color colour);
    static void copyWhole(SDL_Renderer* renderer, SDL_Texture* texture, int x, int y);
    bool drawNew(SDL_Renderer* renderer, int x, int y, const Key& key);
    void checkEviction();

    TtfFontHandle font;
    std::map<Key, RenderedText> cache;
    int misses = 0;
};
