#pragma once

#include "gui/Texture.h"
#include "gui/Widget.h"

#include <memory>

// The selection shared by a group of toggle buttons, one value per button.
class ToggleButtonModel {
public:
    virtual ~ToggleButtonModel() = default;
    virtual bool isSelected(int value) = 0;
    virtual void select(int value) = 0;
};

// One picture button of a group: shows its on-image while the model selects its value.
class ToggleButton : public Widget {
public:
    ToggleButton(int x, int y, int width, int height, int value, ToggleButtonModel* model, const char* onImage,
        const char* offImage);

    bool onMouseDown(int button, int x, int y) override;
    bool onMouseUp(int button, int x, int y) override;
    void draw(SDL_Renderer* renderer, int x, int y) override;

    ToggleButtonModel* model;
    std::unique_ptr<Texture> onTexture;
    std::unique_ptr<Texture> offTexture;
    int value;
};
