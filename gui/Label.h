#pragma once

#include "gui/Font.h"
#include "gui/Widget.h"

#include <string>
#include <vector>

// White text wrapped to the label's width once, at construction. Lines are not clipped
// to the label's height.
class Label : public Widget {
public:
    Label(int x, int y, int width, int height, const char* text, Font* font = getFont(LargeFont));

    void draw(SDL_Renderer* renderer, int x, int y) override;

    Font* font;
    SDL_Color colour { 255, 255, 255, 0 };
    std::string text;
    std::vector<std::string> lines;

private:
    void layoutLines();
};
