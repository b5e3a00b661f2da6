#pragma once

#include "support/TestData.h"

#include <string>
#include <vector>

// A block font that also keeps every text it was asked to draw, with its position, so
// tests can check the exact strings and where they went.
class RecordingFont : public BlockFont {
public:
    struct Drawn {
        int x;
        int y;
        std::string text;
    };

    void drawText(SDL_Renderer* renderer, int x, int y, const char* text, SDL_Color colour) override
    {
        drawn.push_back({ x, y, text });
        BlockFont::drawText(renderer, x, y, text, colour);
    }

    std::vector<std::string> texts() const
    {
        std::vector<std::string> result;
        for (const Drawn& item : drawn)
            result.push_back(item.text);
        return result;
    }

    std::vector<Drawn> drawn;
};
