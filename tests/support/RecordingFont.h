#pragma once

#include "gui/Font.h"

#include <cstring>
#include <string>
#include <vector>

// Texts as blocks of 10 x 20 pixels per byte, drawn as filled rectangles in the text's
// colour, so that layouts and positions become exact numbers in tests. Every text drawn is
// kept with its position.
class RecordingFont : public Font {
public:
    struct Drawn {
        int x;
        int y;
        std::string text;
    };

    void drawText(SDL_Renderer* renderer, int x, int y, const char* text, SDL_Color colour) override
    {
        drawn.push_back({ x, y, text });
        SDL_SetRenderDrawColor(renderer, colour.r, colour.g, colour.b, 255);
        SDL_Rect block { x, y, textWidth(text), charHeight };
        SDL_RenderFillRect(renderer, &block);
    }
    int textWidth(const char* text) override { return text ? int(std::strlen(text)) * charWidth : 0; }
    int textHeight(const char* text) override { return text ? charHeight : 0; }

    std::vector<std::string> texts() const
    {
        std::vector<std::string> result;
        for (const Drawn& item : drawn)
            result.push_back(item.text);
        return result;
    }

    static constexpr int charWidth = 10;
    static constexpr int charHeight = 20;
    std::vector<Drawn> drawn;
};
