#pragma once

#include "gui/Texture.h"
#include "gui/Widget.h"

#include <memory>

// A picture stretched over the widget, or with crop set, cut to the widget's aspect
// ratio about its centre first.
class Image : public Widget {
public:
    Image(int x, int y, int width, int height, const char* name);

    void draw(SDL_Renderer* renderer, int x, int y) override;

    // The part of a tw x th texture shown in a widget of the given size.
    static SDL_Rect sourceRect(int textureWidth, int textureHeight, int width, int height, bool crop);

    std::unique_ptr<Texture> texture;
    bool crop = false;
};
