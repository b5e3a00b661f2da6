#pragma once

#include "gui/TtfFont.h"

#include <map>
#include <memory>
#include <string>

// The program's fonts by number, each opened from the fonts folder on first use.
// One instance per process, made at start-up with createFontManager.
class FontManager {
public:
    explicit FontManager(std::string folder = "data/fonts/");
    ~FontManager();
    FontManager(const FontManager&) = delete;
    FontManager& operator=(const FontManager&) = delete;

    // Null when the number is unknown or the file cannot be opened (tried again next time).
    TtfFont* getFont(int number);

private:
    struct Slot {
        std::string fileName;
        int points;
        std::unique_ptr<TtfFont> font;
    };

    std::string folder;
    std::map<int, Slot> fonts;
};

// The process-wide manager: null until created.
FontManager* fontManager();
// Creates the manager unless one exists.
void createFontManager();
// Closes every font and shuts SDL_ttf down.
void deleteFontManager();
