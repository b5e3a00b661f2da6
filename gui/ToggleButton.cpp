#include "gui/ToggleButton.h"

#include "gui/TextureSource.h"

ToggleButton::ToggleButton(int x, int y, int width, int height, int value, ToggleButtonModel* model,
    const char* onImage, const char* offImage)
    : Widget(x, y, width, height)
    , model(model)
    , onTexture(onImage ? loadTexture(onImage) : nullptr)
    , offTexture(offImage ? loadTexture(offImage) : nullptr)
    , value(value)
{
}

bool ToggleButton::onMouseDown(int, int, int)
{
    return true;
}

bool ToggleButton::onMouseUp(int, int, int)
{
    if (model)
        model->select(value);
    return true;
}

// Nothing is drawn until both images are there, so the group never shows half a state.
void ToggleButton::draw(SDL_Renderer* renderer, int drawX, int drawY)
{
    if (!model || !onTexture || !offTexture || !onTexture->getTexture() || !offTexture->getTexture())
        return;
    Texture& picture = model->isSelected(value) ? *onTexture : *offTexture;
    SDL_Rect destination { drawX, drawY, width, height };
    SDL_RenderCopy(renderer, picture.getTexture(), nullptr, &destination);
}
