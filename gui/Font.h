#pragma once

#include <SDL.h>

// Draws UTF-8 text. The alpha byte of the colour is ignored: text is always opaque.
class Font {
public:
    virtual ~Font() = default;
    virtual void drawText(SDL_Renderer* renderer, int x, int y, const char* text, SDL_Color colour) = 0;
    // 0 for a null text.
    virtual int textWidth(const char* text) = 0;
    virtual int textHeight(const char* text) = 0;
};

enum FontNumber {
    LargeFont = 0,
    SmallFont = 1,
};

// The font of that number from the process-wide font manager, opened on first use; null
// when there is no manager, the number is unknown or the file cannot be opened.
Font* getFont(int number);
