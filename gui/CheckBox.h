#pragma once

#include "gui/Texture.h"
#include "gui/Widget.h"

#include <memory>

// An on/off picture that flips when pressed.
class CheckBox : public Widget {
public:
    CheckBox(int x, int y, int width, int height, bool isOn);

    bool onMouseDown(int button, int x, int y) override;
    void draw(SDL_Renderer* renderer, int x, int y) override;

    bool isOn;
    std::unique_ptr<Texture> onTexture;
    std::unique_ptr<Texture> offTexture;
};
