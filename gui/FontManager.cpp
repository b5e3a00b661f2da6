#include "gui/FontManager.h"

#include <cstdio>

namespace {

std::unique_ptr<FontManager> theFontManager;

}

FontManager::FontManager(std::string folder)
    : folder(std::move(folder))
{
    if (TTF_Init() == -1)
        std::printf("TTF_Init: %s\n", SDL_GetError());
    fonts.emplace(LargeFont, Slot { "newscycle-bold.ttf", 20, nullptr });
    fonts.emplace(SmallFont, Slot { "newscycle-bold.ttf", 14, nullptr });
}

FontManager::~FontManager()
{
    // The fonts must be closed while SDL_ttf is still up.
    fonts.clear();
    TTF_Quit();
}

TtfFont* FontManager::getFont(int number)
{
    auto found = fonts.find(number);
    if (found == fonts.end())
        return nullptr;
    Slot& slot = found->second;
    if (!slot.font) {
        TtfFontHandle opened(TTF_OpenFont((folder + slot.fileName).c_str(), slot.points));
        if (!opened)
            return nullptr;
        slot.font = std::make_unique<TtfFont>(std::move(opened));
    }
    return slot.font.get();
}

FontManager* fontManager()
{
    return theFontManager.get();
}

void createFontManager()
{
    if (!theFontManager)
        theFontManager = std::make_unique<FontManager>();
}

void deleteFontManager()
{
    theFontManager.reset();
}

Font* getFont(int number)
{
    return theFontManager ? theFontManager->getFont(number) : nullptr;
}
