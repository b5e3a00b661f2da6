#include "gui/TtfFont.h"

#include "base/Oldest.h"
#include "gui/Screen.h"

#include <tuple>

TtfFont::TtfFont(TtfFontHandle font)
    : font(std::move(font))
{
}

bool TtfFont::Key::operator<(const Key& other) const
{
    return std::tie(text, red, blue, green) < std::tie(other.text, other.red, other.blue, other.green);
}

TtfFont::Key TtfFont::keyOf(const char* text, SDL_Color colour)
{
    return Key { text, colour.r, colour.b, colour.g };
}

void TtfFont::drawText(SDL_Renderer* renderer, int x, int y, const char* text, SDL_Color colour)
{
    if (!text)
        return;
    Key key = keyOf(text, colour);
    auto found = cache.find(key);
    if (found != cache.end()) {
        found->second.lastUsed = previousFrameTicks();
        copyWhole(renderer, found->second.texture.get(), x, y);
        return;
    }
    if (drawNew(renderer, x, y, key))
        checkEviction();
}

void TtfFont::copyWhole(SDL_Renderer* renderer, SDL_Texture* texture, int x, int y)
{
    SDL_Rect destination { x, y, 0, 0 };
    SDL_QueryTexture(texture, nullptr, nullptr, &destination.w, &destination.h);
    SDL_RenderCopy(renderer, texture, nullptr, &destination);
}

// Rasterises a text missing from the cache, draws it and keeps it. Returns whether a
// surface was produced: only such misses count towards the eviction check. A text whose
// texture could not be made is tried again at the next draw.
bool TtfFont::drawNew(SDL_Renderer* renderer, int x, int y, const Key& key)
{
    SDL_Color opaque { key.red, key.green, key.blue, 255 };
    SdlSurface surface(TTF_RenderUTF8_Blended(font.get(), key.text.c_str(), opaque));
    if (!surface)
        return false;
    SdlTexture texture(SDL_CreateTextureFromSurface(renderer, surface.get()));
    if (texture) {
        copyWhole(renderer, texture.get(), x, y);
        cache.emplace(key, RenderedText { std::move(texture), previousFrameTicks() });
    }
    return true;
}

void TtfFont::checkEviction()
{
    if (++misses < missesPerEvictionCheck)
        return;
    misses = 0;
    if (cache.size() > keptTexts)
        cache.erase(findOldest(cache, &RenderedText::lastUsed));
}

// A text that cannot be measured (no text, or not UTF-8 that SDL_ttf accepts) takes no room.
int TtfFont::textWidth(const char* text)
{
    int width = 0;
    if (!text || TTF_SizeUTF8(font.get(), text, &width, nullptr) != 0)
        return 0;
    return width;
}

int TtfFont::textHeight(const char* text)
{
    int height = 0;
    if (!text || TTF_SizeUTF8(font.get(), text, nullptr, &height) != 0)
        return 0;
    return height;
}
